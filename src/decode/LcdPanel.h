#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <string>
#include <string_view>

namespace varlo {

// The on/off elements of the meter display replica, in the order in which
// they are listed (and printed by varlo-cli dump).
enum class LcdFlag : std::size_t {
    LcdP0,
    LcdP1,
    LcdP2,
    LcdP3,
    LcdFH,
    LcdDc1,
    LcdAC,
    LcdAuto,
    LcdManu,
    LCDHold,
    LCDBATT,
    LCDREL,
    LcdV,
    LCDA,
    LCDF,
    LCDHz,
    LCDohm,
    LCDBF,
    LCDk,
    LCDM1,
    Lcdm,
    LCDu,
    LCDn,
    LCDDI,
    LCDFm,
    LCDFS,
    LCDsend,
    LCDCS,
    Labmax,
    Labmin,
    LcdRPM,
    LCDBT,
    EF,
    Count
};

constexpr std::size_t kLcdFlagCount = static_cast<std::size_t>(LcdFlag::Count);

std::string_view LcdFlagName(LcdFlag flag);

// One digit of the display: its caption (one glyph or empty) and whether it
// is shown.
struct LcdDigit {
    std::string Caption;
    bool Visible = true;
};

// The state of the on-screen meter display. It keeps its state between
// frames; each frame switches every flag off before lighting its own.
class LcdPanel {
  public:
    static constexpr int kDefaultBarMax = 40;

    bool Lit(LcdFlag flag) const { return lit_[static_cast<std::size_t>(flag)]; }
    void Light(LcdFlag flag) { lit_[static_cast<std::size_t>(flag)] = true; }
    void SwitchOff(LcdFlag flag) { lit_[static_cast<std::size_t>(flag)] = false; }
    void SetLit(LcdFlag flag, bool on) { lit_[static_cast<std::size_t>(flag)] = on; }
    void SwitchAllOff() { lit_.reset(); }

    // LcdD0, LcdDa, LcdDb, LcdDc, LcdDd, left to right.
    std::array<LcdDigit, 5> Digits;

    // The bar graph PBar2: like any progress bar its position stays within
    // 0 and its maximum.
    int BarPosition() const { return barPosition_; }
    int BarMax() const { return barMax_; }
    void SetBarPosition(int position);
    void SetBarMax(int max);

  private:
    std::bitset<kLcdFlagCount> lit_;
    int barPosition_ = 0;
    int barMax_ = kDefaultBarMax;
};

}  // namespace varlo

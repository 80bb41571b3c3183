#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/Dialogs.h"
#include "common/Timer.h"
#include "followup/MeterSession.h"
#include "support/RecordingDialogs.h"

namespace varlo {

// Sets a box's text past its change check.
struct SessionTestAccess {
    static void ForceText(MeterSession& session, SessionEdit edit, const std::string& text) {
        EditBox& box = session.controls_.Edit(edit);
        box.SetOnChange(nullptr);
        box.SetText(text);
        session.WireControls();  // the check is back for what follows
    }
};

}  // namespace varlo

namespace varlo::test {

// The test's dialogs, every question answered Yes unless a test says
// otherwise.
inline testing::RecordingDialogs YesToAll() {
    testing::RecordingDialogs dialogs;
    dialogs.otherwise = Dialogs::Answer::Yes;
    return dialogs;
}

// Counts the notices a view gets.
struct CountingView : SessionView {
    int frames = 0, controls = 0, pages = 0, renewals = 0;
    void FrameDecoded() override { ++frames; }
    void ControlsChanged() override { ++controls; }
    void PageNoChanged() override { ++pages; }
    void ChartRenewed() override { ++renewals; }
};

// The bytes of one frame "A...D" as the meter sends it (LF first).
inline std::vector<std::uint8_t> FrameBytes(const std::string& frame) {
    std::vector<std::uint8_t> bytes = {0x0A};
    for (std::size_t i = 1; i + 1 < frame.size(); ++i) {
        const char c = frame[i];
        bytes.push_back(static_cast<std::uint8_t>(0x30 + (c <= '9' ? c - '0' : c - 'A' + 10)));
    }
    bytes.push_back(0x0D);
    return bytes;
}

inline LocaleFormat WithSeparator(std::string sep) {
    LocaleFormat format;
    format.DecimalSeparator = std::move(sep);
    return format;
}

// A session fed with whole frames over the serial path, Timer2 in the
// test's hand.
struct Bench {
    explicit Bench(std::string sep = ".") : locale(WithSeparator(std::move(sep))) {}

    // Sends one frame "A...D" as the meter does.
    void Frame(const std::string& frame) {
        const std::vector<std::uint8_t> bytes = FrameBytes(frame);
        session.OnSerialData(bytes.data(), bytes.size());
    }
    // Types a text into an edit after selecting all of it, as a user does.
    void Type(SessionEdit edit, const std::string& text) {
        session.EditSelect(edit, 0, session.Controls().Edit(edit).Length());
        for (char c : text) session.EditKeyPress(edit, static_cast<char32_t>(c));
    }
    const MeterReading& Reading() const { return session.Reading(); }
    std::vector<std::string> Errors() const { return dialogs.Errors(); }

    FixedLocale locale;
    FixedLocalClock clock{{2026, 12, 10, 9, 30, 15, 0}};
    testing::RecordingDialogs dialogs = YesToAll();
    ManualTimer* timer2 = new ManualTimer;  // owned by the session
    MeterSession session{locale, clock, dialogs, MeterVariant{}, std::unique_ptr<Timer>(timer2)};
};

// Volts in range 1 ("00.000" style, three decimals) with the given digits.
inline std::string Volts1(const std::string& digits, bool negative = false) {
    return "A1" + digits + "B" + (negative ? "4" : "0") + "0080D";
}

}  // namespace varlo::test

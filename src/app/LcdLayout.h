#pragma once

#include <QRect>
#include <QRectF>
#include <Qt>
#include <span>

#include "decode/LcdPanel.h"

namespace varlo::app {

enum class LcdElementKind {
    Digit,    // a digit of the reading: its caption and visibility from the panel
    Glyph,    // an annunciator: a fixed caption, shown while its flag is lit
    Point,    // a decimal point: a small filled rectangle
    Picture,  // a drawn picture
};

enum class LcdPicture { None, DataReceived, Relative, ElectricField };

// One element of the display replica. Bounds are in the replica's own
// coordinates; captions are spelled in the LCD glyph convention.
struct LcdElementRow {
    const char* name = "";
    LcdElementKind kind = LcdElementKind::Glyph;
    QRect bounds;
    const char* caption = "";
    qreal textHeight = 0;
    LcdFlag flag = LcdFlag::Count;  // what lights it (Count for digits)
    int digit = -1;                 // 0..4 for the digits, left to right
    LcdPicture picture = LcdPicture::None;
    // Where the glyph's line box goes inside the element, and its alignment;
    // an empty box means the whole element, centred.
    QRectF glyphBox;
    Qt::Alignment align = Qt::AlignCenter;
};

// Every element of the replica, in the order they are created (later ones
// lie on top).
std::span<const LcdElementRow> LcdElements();

// The bar graph along the bottom edge and its form values.
inline constexpr QRect kLcdBarBounds{0, 164, 334, 17};
inline constexpr int kLcdBarFormMaximum = 40;
inline constexpr int kLcdBarFormPosition = 20;
inline constexpr QSize kLcdPanelSize{334, 181};
// Where "DC" goes while "AC" is lit too: above it, below the data picture.
inline constexpr QPoint kLcdDcAboveAc{5, 33};

}  // namespace varlo::app

#include "app/LcdLayout.h"

#include <array>

namespace varlo::app {

namespace {

using K = LcdElementKind;
using F = LcdFlag;

constexpr Qt::Alignment kTopLeft = Qt::AlignLeft | Qt::AlignTop;

// The digits' line box puts their baseline on the bottom of the decimal
// points (y 121 in the replica); the minus sign then sits at their middle.
constexpr QRectF kDigitGlyph{-1, 8, 42, 100};

LcdElementRow Element(const char* name, K kind, QRect bounds, F flag) {
    LcdElementRow element;
    element.name = name;
    element.kind = kind;
    element.bounds = bounds;
    element.flag = flag;
    return element;
}

LcdElementRow Digit(const char* name, int left, int index, const char* caption) {
    LcdElementRow element = Element(name, K::Digit, QRect(left, 28, 38, 112), F::Count);
    element.caption = caption;
    element.textHeight = 100;
    element.digit = index;
    element.glyphBox = kDigitGlyph;
    element.align = kTopLeft;
    return element;
}

LcdElementRow Glyph(const char* name, F flag, QRect bounds, const char* caption, qreal height) {
    LcdElementRow element = Element(name, K::Glyph, bounds, flag);
    element.caption = caption;
    element.textHeight = height;
    return element;
}

// The minus sign stands in a digit-high box, so that it sits at the digits'
// middle.
LcdElementRow Minus() {
    LcdElementRow element = Glyph("LcdFH", F::LcdFH, {5, 36, 28, 112}, "-", 100);
    element.glyphBox = QRectF(0, 0, 28, 100);
    element.align = kTopLeft;
    return element;
}

LcdElementRow Point(const char* name, F flag, QRect bounds) {
    return Element(name, K::Point, bounds, flag);
}

LcdElementRow Picture(const char* name, F flag, QRect bounds, LcdPicture picture) {
    LcdElementRow element = Element(name, K::Picture, bounds, flag);
    element.picture = picture;
    return element;
}

const std::array kElements = {
    Picture("LCDsend", F::LCDsend, {5, 4, 36, 29}, LcdPicture::DataReceived),
    Glyph("Labmax", F::Labmax, {52, 18, 35, 19}, "MAX", 16),
    Glyph("Labmin", F::Labmin, {92, 18, 29, 19}, "MIN", 16),
    Picture("LCDREL", F::LCDREL, {129, 10, 24, 24}, LcdPicture::Relative),
    Picture("EF", F::EF, {161, 9, 24, 25}, LcdPicture::ElectricField),
    Glyph("LCDDI", F::LCDDI, {184, 9, 31, 32}, ")", 29),
    Glyph("LCDFm", F::LCDFm, {192, 8, 25, 36}, "&", 32),
    Glyph("Lcdm", F::Lcdm, {232, 9, 20, 27}, "m", 24),
    Glyph("LCDn", F::LCDn, {232, 10, 13, 27}, "n", 24),
    Glyph("LCDu", F::LCDu, {240, 3, 16, 36}, "+", 32),
    Glyph("LcdV", F::LcdV, {256, 10, 16, 27}, "V", 24),
    Glyph("LCDA", F::LCDA, {256, 11, 16, 27}, "A", 24),
    Glyph("LCDF", F::LCDF, {256, 11, 15, 27}, "F", 24),
    Glyph("LCDBATT", F::LCDBATT, {280, -1, 12, 39}, "$", 35),
    Glyph("LCDBF", F::LCDBF, {296, 40, 19, 23}, "%", 21),
    Glyph("LCDCS", F::LCDCS, {288, 57, 18, 27}, "#", 24),
    Glyph("LCDFS", F::LCDFS, {304, 57, 17, 27}, "?", 24),
    Glyph("LCDk", F::LCDk, {286, 76, 12, 27}, "k", 24),
    Glyph("LCDM1", F::LCDM1, {286, 81, 16, 21}, "M", 19),
    Glyph("LCDohm", F::LCDohm, {312, 81, 13, 21}, "*", 19),
    Glyph("LCDHz", F::LCDHz, {296, 98, 29, 27}, "Hz", 24),
    Glyph("LCDBT", F::LCDBT, {280, 97, 11, 39}, "(", 35),
    Glyph("LcdAC", F::LcdAC, {6, 54, 31, 23}, "AC", 21),
    Glyph("LcdDc1", F::LcdDc1, {5, 54, 32, 23}, "DC", 21),
    Minus(),
    Glyph("LCDHold", F::LCDHold, {8, 102, 19, 39}, "\"", 35),
    Digit("LcdD0", 40, 0, "2"),
    Digit("LcdDa", 88, 1, "2"),
    Digit("LcdDb", 136, 2, "0"),
    Digit("LcdDc", 184, 3, "0"),
    Digit("LcdDd", 232, 4, "0"),
    Point("LcdP0", F::LcdP0, {79, 113, 7, 8}),
    Point("LcdP1", F::LcdP1, {127, 113, 7, 8}),
    Point("LcdP2", F::LcdP2, {175, 113, 7, 8}),
    Point("LcdP3", F::LcdP3, {224, 113, 9, 8}),
    Glyph("LcdAuto", F::LcdAuto, {56, 131, 88, 17}, "Auto range", 16),
    Glyph("LcdManu", F::LcdManu, {168, 131, 52, 17}, "MANU", 16),
    Glyph("LcdRPM", F::LcdRPM, {270, 131, 39, 17}, "RPM", 16),
};

}  // namespace

std::span<const LcdElementRow> LcdElements() {
    return kElements;
}

}  // namespace varlo::app

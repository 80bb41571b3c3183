#pragma once

#include <Qt>
#include <array>

#include "recording/ReadingLog.h"

namespace varlo::app {

// One column of the reading grid: the log column it shows, its title, its
// width in pixels (0: the room the others leave, for the last column) and the
// alignment of its cells.
struct ReadingGridColumn {
    int logColumn;
    const char* title;
    int width;
    Qt::Alignment alignment;
};

// The grid's columns in order; NVal is not shown.
inline constexpr std::array<ReadingGridColumn, 6> kReadingGridColumns{{
    {ReadingLog::kNo, "No", 53, Qt::AlignLeft},
    {ReadingLog::kTime, "time", 50, Qt::AlignHCenter},
    {ReadingLog::kFunction, "Function", 70, Qt::AlignHCenter},
    {ReadingLog::kValue, "Value", 56, Qt::AlignRight},
    {ReadingLog::kUnit, "Unit", 35, Qt::AlignRight},
    {ReadingLog::kAuto, "Judge", 0, Qt::AlignLeft},
}};

inline constexpr int kUnitGridColumn = 4;

}  // namespace varlo::app

#pragma once

#include <QFont>

namespace varlo::app {

// `font` naming a single family: the shortest of its families that finds,
// on its own, the face the whole list finds. A recording paint device (a
// print preview) keeps the font's names with every text it records, so a
// short name keeps the record small; the text draws the same.
QFont WithOneFamily(const QFont& font);

}  // namespace varlo::app

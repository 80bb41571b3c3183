#pragma once

#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace varlo::app {

// Saves a chart as the user sees it: the file name gets the ".bmp"
// extension (see BitmapFileName), the whole widget is rendered at its
// on-screen size onto a white image and written as a Windows bitmap. An
// existing file is replaced only once the new one is complete. Returns the
// path written; a file that cannot be written throws a VarloError naming it,
// and nothing is reported as saved.
std::string SaveChartBitmap(QWidget& chart, std::string_view chosenPath);

// The question to ask before saving under `chosenPath` when the file to be
// written is another one (the name gets ".bmp") that exists already: the
// save dialog asked only about the name chosen. None when there is nothing
// to ask.
std::optional<std::string> BitmapReplaceQuestion(std::string_view chosenPath);

}  // namespace varlo::app

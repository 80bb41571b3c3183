#pragma once

#include <QFont>
#include <functional>
#include <span>

#include "app/WindowLayout.h"

class QMenuBar;
class QWidget;

namespace varlo::app {

class CheckBox;

// Makes the widget of a meter display, chart or grid row inside `parent`,
// or returns null for a plain placeholder of the row's name and size.
using ViewFactory = std::function<QWidget*(const ControlRow& row, QWidget& parent)>;

// Creates every control of `rows` in `clientArea` (or in the container its
// row names), in row order, which is the tab order: objectName, bounds,
// text, hint, visibility, enabled and checked state, font and colours.
void BuildControls(QWidget& clientArea, std::span<const ControlRow> rows,
                   const ViewFactory& makeView = {});

// Creates the menus and their items, with their check marks, enabled and
// visible states.
void BuildMenus(QMenuBar& bar, std::span<const MenuRow> rows);

// Lays a check box's caption around `cover`, an edit placed over the run of
// blanks in it: the caption reads as the text before the blanks, the edit,
// then the text after them.
void SpaceCaptionAround(CheckBox& box, const QWidget& cover);

// The window's own font: bold, 11 pixels, narrow enough for the captions to
// fit their bounds.
QFont WindowFont();
// Arial in the given pixel size.
QFont ArialFont(int pixelSize, bool bold, bool italic = false);

}  // namespace varlo::app

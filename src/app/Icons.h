#pragma once

#include <QIcon>
#include <QPainter>
#include <QRectF>

namespace varlo::app {

// The window's pictures, drawn as vectors so that they are sharp at any
// size and screen scale.
enum class Picture {
    None,
    First,      // to the first page
    Previous,   // one page back
    Next,       // one page on
    Last,       // to the last page
    Save,       // a floppy disk
    Enlarge,    // arrows out to the corners
    Restore,    // arrows in from the corners
    NewRecord,  // a sheet struck out: the log is closed and started anew
    Open,       // a folder
    Print,      // a printer
    LinkAlive,  // frames arriving
    LinkIdle,   // no frames
};

// Paints the picture into `rect`; a disabled one in grey.
void PaintPicture(QPainter& painter, const QRectF& rect, Picture picture, bool enabled = true);

// The picture as an icon of any size.
QIcon PictureIcon(Picture picture);

}  // namespace varlo::app

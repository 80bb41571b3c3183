#pragma once

// Rendering helpers for the glyph and LCD tests: draw onto a white image and
// find where the ink went.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <functional>

namespace varlo::test {

// A white image of `size` logical pixels at `dpr`, painted by `paint`.
inline QImage Render(QSize size, const std::function<void(QPainter&)>& paint, qreal dpr = 1.0) {
    QImage image(size * dpr, QImage::Format_ARGB32);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(painter);
    painter.end();
    return image;
}

inline bool Inked(const QImage& image, int x, int y) {
    return x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
           qGray(image.pixel(x, y)) < 128;
}

// The bounding box of the dark pixels, in image pixels (empty when none).
inline QRect InkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (Inked(image, x, y)) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

// The bounding box of every pixel that is not white (faint antialiasing
// included).
inline QRect TouchedBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

}  // namespace varlo::test

#include "app/ChartBitmap.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QWidget>

#include "chart/BitmapFileName.h"
#include "common/VarloError.h"
#include "recording/SafeFileWriter.h"

namespace varlo::app {
namespace {

// Why a file cannot be created, as far as the file system tells.
std::string CreateFailureReason(const QString& path) {
    const QFileInfo file(path);
    if (file.isDir()) return "It is a folder.";
    const QFileInfo folder(file.absolutePath());
    if (!folder.exists()) return "The folder does not exist.";
    if (!folder.isDir()) return "The folder is not a folder.";
    if (!folder.isWritable() || (file.exists() && !file.isWritable())) return "Access is denied.";
    return "The file could not be opened for writing.";
}

QImage RenderOnWhite(QWidget& chart) {
    const qreal ratio = chart.devicePixelRatioF();
    QImage image(chart.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    chart.render(&painter);
    return image;
}

}  // namespace

std::string SaveChartBitmap(QWidget& chart, std::string_view chosenPath) {
    const std::string path = BitmapFileName(chosenPath);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter encoder(&buffer, "BMP");
    if (!encoder.write(RenderOnWhite(chart))) {
        throw VarloError("Cannot write file \"" + path + "\". " +
                         encoder.errorString().toStdString());
    }

    SafeFileWriter writer(path);
    if (!writer.Open()) {
        throw VarloError("Cannot create file \"" + path + "\". " +
                         CreateFailureReason(QString::fromStdString(path)));
    }
    if (!writer.Write(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))) ||
        !writer.Commit()) {
        throw VarloError("Cannot write file \"" + path +
                         "\". Writing it failed; the file was not saved.");
    }
    return path;
}

std::optional<std::string> BitmapReplaceQuestion(std::string_view chosenPath) {
    const std::string path = BitmapFileName(chosenPath);
    if (path == chosenPath || !QFileInfo::exists(QString::fromStdString(path))) return std::nullopt;
    return path + " already exists.\nDo you want to replace it?";
}

}  // namespace varlo::app

#include "recording/SafeFileWriter.h"

#include <QFileInfo>

namespace varlo {

namespace {

SafeFileFault g_fault = SafeFileFault::None;

constexpr std::string_view kFolderRefusal =
    "Its folder cannot be written: a save writes the new table beside the old file and then "
    "moves it into place, so that a save cut short never damages the old file, which is left as "
    "it was.";

}  // namespace

void SetSafeFileFaultForTesting(SafeFileFault fault) {
    g_fault = fault;
}

SafeFileWriter::SafeFileWriter(const std::string& path) : path_(QString::fromStdString(path)) {}

SafeFileWriter::~SafeFileWriter() {
    if (committed_) return;
    if (saveFile_) saveFile_->cancelWriting();  // the temporary file is removed
}

bool SafeFileWriter::Open() {
    if (path_.isEmpty()) return false;
    // Something other than a regular file (a device, a pipe) is written
    // straight through: putting a new file in its place would replace it.
    const QFileInfo target(path_);
    if (target.exists() && !target.isFile()) {
        if (target.isDir()) return false;
        auto file = std::make_unique<QFile>(path_);
        if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
        streamFile_ = std::move(file);
        return true;
    }
    const bool noTemporaryFile = g_fault == SafeFileFault::NoTemporaryFile;
    if (!noTemporaryFile) {
        auto saveFile = std::make_unique<QSaveFile>(path_);
        if (saveFile->open(QIODevice::WriteOnly)) {
            saveFile_ = std::move(saveFile);
            return true;
        }
    }
    // The file could be written over, but not safely: say why it is not.
    if (target.isFile() && target.isWritable()) {
        const QFileInfo folder(QFileInfo(target.canonicalFilePath()).absolutePath());
        if (noTemporaryFile || !folder.isWritable()) refusal_ = std::string(kFolderRefusal);
    }
    return false;
}

QIODevice* SafeFileWriter::Device() {
    if (saveFile_) return saveFile_.get();
    return streamFile_.get();
}

bool SafeFileWriter::Write(std::string_view bytes) {
    QIODevice* device = Device();
    if (!device || failed_) return false;
    const auto size = static_cast<qint64>(bytes.size());
    if (device->write(bytes.data(), size) != size) failed_ = true;
    return !failed_;
}

bool SafeFileWriter::Commit() {
    if (committed_) return true;
    const bool injected = g_fault == SafeFileFault::WriteFails;
    if (saveFile_) {
        if (failed_ || injected) {
            saveFile_->cancelWriting();
            saveFile_->commit();
            saveFile_.reset();
            return false;
        }
        committed_ = saveFile_->commit();
        saveFile_.reset();
        return committed_;
    }
    if (streamFile_) {
        committed_ = !failed_ && !injected && streamFile_->error() == QFileDevice::NoError;
        streamFile_->close();
        streamFile_.reset();
        return committed_;
    }
    return false;
}

}  // namespace varlo

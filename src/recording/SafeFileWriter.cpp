#include "recording/SafeFileWriter.h"

#include <QFileInfo>

namespace varlo {

namespace {

SafeFileFault g_fault = SafeFileFault::None;

}  // namespace

void SetSafeFileFaultForTesting(SafeFileFault fault) {
    g_fault = fault;
}

SafeFileWriter::SafeFileWriter(const std::string& path) : path_(QString::fromStdString(path)) {}

SafeFileWriter::~SafeFileWriter() {
    if (committed_) return;
    if (saveFile_) saveFile_->cancelWriting();  // the temporary file is removed
    if (directFile_) RestoreDirect();
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
    if (g_fault != SafeFileFault::NoTemporaryFile) {
        auto saveFile = std::make_unique<QSaveFile>(path_);
        if (saveFile->open(QIODevice::WriteOnly)) {
            saveFile_ = std::move(saveFile);
            return true;
        }
    }
    // No temporary file here: write an existing, writable file in place.
    const QFileInfo info(path_);
    if (!info.exists() || !info.isFile()) return false;
    auto file = std::make_unique<QFile>(path_);
    if (!file->open(QIODevice::ReadWrite)) return false;
    oldContent_ = file->readAll();
    if (file->error() != QFileDevice::NoError || !file->seek(0) || !file->resize(0)) {
        file->close();
        return false;
    }
    directFile_ = std::move(file);
    return true;
}

QIODevice* SafeFileWriter::Device() {
    if (saveFile_) return saveFile_.get();
    if (streamFile_) return streamFile_.get();
    return directFile_.get();
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
    if (!directFile_) return false;
    if (!failed_ && !injected && directFile_->flush() &&
        directFile_->error() == QFileDevice::NoError) {
        directFile_->close();
        committed_ = directFile_->error() == QFileDevice::NoError;
        if (committed_) {
            directFile_.reset();
            return true;
        }
    }
    RestoreDirect();
    return false;
}

void SafeFileWriter::RestoreDirect() {
    if (!directFile_) return;
    if (!directFile_->isOpen()) directFile_->open(QIODevice::WriteOnly | QIODevice::Truncate);
    directFile_->unsetError();
    if (directFile_->isOpen() && directFile_->seek(0) && directFile_->resize(0)) {
        directFile_->write(oldContent_);
        directFile_->flush();
    }
    directFile_->close();
    directFile_.reset();
    oldContent_.clear();
}

}  // namespace varlo

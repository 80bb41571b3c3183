#include "LiveCapture.h"

#include <cerrno>
#include <cstring>

namespace varlo::cli {

LiveCapture::~LiveCapture() {
    if (file_) std::fclose(file_);
}

bool LiveCapture::Open(const std::string& path) {
    path_ = path;
    file_ = std::fopen(path.c_str(), "wb");
    if (file_) return true;
    std::fprintf(stderr, "varlo-cli %s: cannot write %s: %s\n", command_, path.c_str(),
                 std::strerror(errno));
    return false;
}

void LiveCapture::Write(const void* data, std::size_t size) {
    if (!file_ || failed_) return;
    if (std::fwrite(data, 1, size, file_) != size || std::fflush(file_) != 0) Fail();
}

void LiveCapture::Close() {
    if (!file_) return;
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0 && !failed_) {
        failed_ = true;
        std::fprintf(stderr, "varlo-cli %s: cannot write %s: %s\n", command_, path_.c_str(),
                     std::strerror(errno));
    }
}

void LiveCapture::Fail() {
    const int error = errno;
    failed_ = true;
    std::fprintf(stderr, "varlo-cli %s: cannot write %s: %s; the capture stops here\n", command_,
                 path_.c_str(), std::strerror(error));
    // What is still buffered cannot go out either: drop it with the file.
    std::fclose(file_);
    file_ = nullptr;
}

}  // namespace varlo::cli

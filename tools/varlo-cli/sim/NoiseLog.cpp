#include "sim/NoiseLog.h"

#include <cerrno>
#include <cstring>

namespace varlo::sim {

NoiseLog::~NoiseLog() {
    if (file_) std::fclose(file_);
}

bool NoiseLog::Open(const std::string& path, std::ostream& err) {
    path_ = path;
    file_ = std::fopen(path.c_str(), "w");
    if (!file_) {
        err << "varlo-cli sim: cannot write " << path << ": " << std::strerror(errno) << "\n";
    }
    return file_ != nullptr;
}

void NoiseLog::Write(const std::vector<Corruption>& corruptions, std::ostream& err) {
    if (!file_) return;
    for (const Corruption& c : corruptions) {
        const std::string line = FormatCorruption(c) + "\n";
        std::fwrite(line.data(), 1, line.size(), file_);
    }
    if (std::fflush(file_) != 0 || std::ferror(file_)) {
        err << "varlo-cli sim: cannot write " << path_ << ": " << std::strerror(errno)
            << "; the noise log stops here" << std::endl;
        std::fclose(file_);
        file_ = nullptr;
        failed_ = true;
    }
}

}  // namespace varlo::sim

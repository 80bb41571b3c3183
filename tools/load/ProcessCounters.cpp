#include "ProcessCounters.h"

#include <dirent.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <stdexcept>

namespace varlo::load {

namespace {

// Entries of a folder of /proc, "." and ".." not counted.
int CountEntries(const char* path) {
    DIR* dir = opendir(path);
    if (dir == nullptr) throw std::runtime_error(std::string("cannot list ") + path);
    int count = 0;
    while (const dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            ++count;
        }
    }
    closedir(dir);
    return count;
}

}  // namespace

std::size_t ResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        unsigned long long kib = 0;
        if (std::sscanf(line.c_str(), "VmRSS: %llu kB", &kib) == 1) {
            return static_cast<std::size_t>(kib) * 1024;
        }
    }
    throw std::runtime_error("no VmRSS in /proc/self/status");
}

int OpenDescriptors() {
    // The listing itself holds one descriptor open while it reads.
    return CountEntries("/proc/self/fd") - 1;
}

int ThreadCount() {
    return CountEntries("/proc/self/task");
}

ProcessCounts CountProcess() {
    return {ResidentBytes(), OpenDescriptors(), ThreadCount()};
}

std::string Describe(const ProcessCounts& counts) {
    char text[96];
    std::snprintf(text, sizeof text, "rss %.1f MiB, %d descriptors, %d threads",
                  static_cast<double>(counts.residentBytes) / (1024.0 * 1024.0), counts.descriptors,
                  counts.threads);
    return text;
}

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

}  // namespace varlo::load

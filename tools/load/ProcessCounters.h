#pragma once

#include <cstddef>
#include <string>

namespace varlo::load {

// What this process holds, as the kernel counts it: resident memory (VmRSS
// of /proc/self/status), open descriptors (/proc/self/fd) and threads
// (/proc/self/task).
struct ProcessCounts {
    std::size_t residentBytes = 0;
    int descriptors = 0;
    int threads = 0;
};

std::size_t ResidentBytes();
int OpenDescriptors();
int ThreadCount();
ProcessCounts CountProcess();

// The processor time the calling thread has used, in milliseconds.
double ThreadCpuMs();

// "rss 123.4 MiB, 12 descriptors, 3 threads"
std::string Describe(const ProcessCounts& counts);

}  // namespace varlo::load

#include "platform/SystemInfo.h"

#include <sys/utsname.h>

#include <cstring>

namespace varlo {

bool Is64BitX86System() {
    utsname name{};
    if (uname(&name) != 0) {
        return false;
    }
    return std::strcmp(name.machine, "x86_64") == 0 || std::strcmp(name.machine, "amd64") == 0;
}

}  // namespace varlo

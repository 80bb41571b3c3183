#include "chart/BitmapFileName.h"

namespace varlo {
namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "/\\:";
#else
constexpr std::string_view kSeparators = "/";
#endif

}  // namespace

std::string BitmapFileName(std::string_view chosen) {
    const std::size_t separator = chosen.find_last_of(kSeparators);
    const std::size_t nameStart = separator == std::string_view::npos ? 0 : separator + 1;
    const std::size_t dot = chosen.rfind('.');
    const bool hasExtension = dot != std::string_view::npos && dot > nameStart;
    if (hasExtension && chosen.substr(dot + 1) == "bmp") return std::string(chosen);
    std::string path(hasExtension ? chosen.substr(0, dot) : chosen);
    return path + ".bmp";
}

}  // namespace varlo

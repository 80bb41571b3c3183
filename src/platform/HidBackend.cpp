#include "platform/HidBackend.h"

#include <cstdlib>
#include <system_error>

#include "platform/HidFakeBackend.h"
#include "platform/HidLinuxBackend.h"

namespace varlo {

std::string HidErrorText(std::uint32_t code) {
    return std::system_category().message(static_cast<int>(code));
}

std::shared_ptr<HidBackend> CreateHidBackend() {
    const char* script = std::getenv("VARLO_HID_FAKE");
    if (script && *script) return HidFakeBackend::FromScript(script);
    return HidLinuxBackend::Create();
}

}  // namespace varlo

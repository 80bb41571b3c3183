#pragma once

#include <QCoreApplication>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "links/JvHidControllerClass.h"
#include "platform/HidFakeBackend.h"

namespace varlo::test {

inline HidFakeBackend::Device FakeDevice(std::u16string product, std::uint16_t vid = 0x1A86,
                                         std::uint16_t pid = 0xE008) {
    HidFakeBackend::Device d;
    d.vendorId = vid;
    d.productId = pid;
    d.versionNumber = 0x0100;
    if (!product.empty()) d.product = std::move(product);
    d.languages = std::u16string(1, char16_t{0x0409});
    return d;
}

// Runs the GUI thread's event loop until `done` holds or two seconds pass.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 2000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

inline void PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

struct HidFixture {
    std::shared_ptr<HidFakeBackend> fake = std::make_shared<HidFakeBackend>();
};

}  // namespace varlo::test

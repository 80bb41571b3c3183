#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include "PseudoTerminal.h"
#include "links/ComDrv32.h"
#include "platform/LinuxSerialPort.h"
#include "platform/QtTimer.h"

namespace varlo {
namespace {

// The program's own arrangement: the driver's poll ticks come from a
// QTimer through the event loop.
TEST(QtTimerDriver, PollsThroughTheEventLoop) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    testing::PseudoTerminal pty;
    LinuxSerialPortSystem ports({}, [&](const std::string& variable) -> std::optional<std::string> {
        if (variable == "VARLO_COM1") return pty.Path();
        return std::nullopt;
    });
    TCommPortDriver driver(ports, std::make_unique<QtTimer>());
    driver.SetComPort(pnCOM1);
    driver.SetComPortPollingDelay(20);
    std::vector<std::uint8_t> received;
    int calls = 0;
    driver.SetOnReceiveData([&](void*, const std::uint8_t* data, std::uint32_t n) {
        ++calls;
        received.insert(received.end(), data, data + n);
    });
    ASSERT_TRUE(driver.Connect());

    QTimer::singleShot(0, [&] { pty.Write({0x31, 0x32}); });
    QTimer::singleShot(200, [&] { pty.Write({0x33}); });
    QTimer::singleShot(500, &app, &QCoreApplication::quit);
    app.exec();
    EXPECT_EQ(received, (std::vector<std::uint8_t>{0x31, 0x32, 0x33}));
    EXPECT_EQ(calls, 2) << "two writes 200 ms apart arrive in two polls";
    driver.Disconnect();
}

}  // namespace
}  // namespace varlo

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QtGlobal>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "HidFixture.h"
#include "platform/HidLinuxBackend.h"

namespace varlo::test {
namespace {

struct Pipe {
    int fd[2] = {-1, -1};
    Pipe() { EXPECT_EQ(::pipe(fd), 0); }
    ~Pipe() {
        for (int f : fd) {
            if (f >= 0) ::close(f);
        }
    }
    void Write(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(::write(fd[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void CloseWriter() {
        ::close(fd[1]);
        fd[1] = -1;
    }
};

TEST(HidrawReport, UnnumberedReportsGetReportIdZeroInFront) {
    Pipe p;
    p.Write({0xF2, 0x31, 0x30, 0, 0, 0, 0, 0});
    std::vector<std::uint8_t> buffer(9, 0xEE);
    const auto r = ReadHidrawReport(p.fd[0], false, buffer.data(), buffer.size(), 100);
    ASSERT_EQ(r.kind, HidReadResult::Kind::Report);
    EXPECT_EQ(r.size, 9u);
    EXPECT_EQ(buffer, (std::vector<std::uint8_t>{0x00, 0xF2, 0x31, 0x30, 0, 0, 0, 0, 0}));
}

TEST(HidrawReport, NumberedReportsAreKeptAsRead) {
    Pipe p;
    p.Write({0x05, 0xAA, 0xBB});
    std::vector<std::uint8_t> buffer(9, 0);
    const auto r = ReadHidrawReport(p.fd[0], true, buffer.data(), buffer.size(), 100);
    ASSERT_EQ(r.kind, HidReadResult::Kind::Report);
    EXPECT_EQ(r.size, 3u);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 3),
              (std::vector<std::uint8_t>{0x05, 0xAA, 0xBB}));
}

TEST(HidrawReport, TimeoutAndHangUp) {
    Pipe p;
    std::vector<std::uint8_t> buffer(9, 0);
    EXPECT_EQ(ReadHidrawReport(p.fd[0], false, buffer.data(), buffer.size(), 10).kind,
              HidReadResult::Kind::Timeout);
    p.CloseWriter();
    const auto r = ReadHidrawReport(p.fd[0], false, buffer.data(), buffer.size(), 10);
    EXPECT_EQ(r.kind, HidReadResult::Kind::Error);
    EXPECT_EQ(r.error, static_cast<std::uint32_t>(ENODEV));
}

std::size_t HidrawNodesInSysfs() {
    std::error_code ec;
    std::size_t n = 0;
    for (auto it = std::filesystem::directory_iterator("/sys/class/hidraw", ec);
         !ec && it != std::filesystem::directory_iterator(); ++it) {
        ++n;
    }
    return n;
}

int gQtMessages = 0;
void CountMessages(QtMsgType, const QMessageLogContext&, const QString&) {
    ++gQtMessages;
}

TEST(HidLinuxBackend, ListsWhatSysfsHasAndWatchesQuietly) {
    auto backend = HidLinuxBackend::Create();
    ASSERT_NE(backend, nullptr);
    const auto found = backend->PresentInterfaces();
    EXPECT_EQ(found.size(), HidrawNodesInSysfs());
    for (const auto& f : found) EXPECT_EQ(f.path.rfind("/dev/hidraw", 0), 0u) << f.path;

    gQtMessages = 0;
    const auto previous = qInstallMessageHandler(CountMessages);
    {
        TJvHidDeviceController ctl(backend);
        int changes = 0;
        ctl.SetOnDeviceChange([&](TJvHidDeviceController*) { ++changes; });
        EXPECT_EQ(changes, 1);
        EXPECT_TRUE(backend->Watching());  // the udev monitor is open
        PumpFor(100);
        EXPECT_EQ(changes, 1);
        EXPECT_LE(ctl.Count(), static_cast<int>(found.size()));
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(gQtMessages, 0);
}

TEST(HidLinuxBackend, OpenRefusesWhatIsNotAHidrawNode) {
    auto backend = HidLinuxBackend::Create();
    ASSERT_NE(backend, nullptr);
    const auto missing = backend->Open("/dev/hidraw-none", HidAccess::Query);
    EXPECT_EQ(missing.handle, nullptr);
    EXPECT_EQ(missing.error, static_cast<std::uint32_t>(ENOENT));
    const auto file = backend->Open(VARLO_TEST_DATA "/hid/CMakeLists.txt", HidAccess::Query);
    EXPECT_EQ(file.handle, nullptr);
    // A character device that is no HID interface opens but cannot be identified.
    const auto null = backend->Open("/dev/null", HidAccess::Query);
    if (null.handle) {
        EXPECT_FALSE(null.handle->Identity().has_value());
        EXPECT_FALSE(null.handle->IndexedString(0).has_value());
    }
}

}  // namespace
}  // namespace varlo::test

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "platform/PortNames.h"

namespace varlo {
namespace {

namespace fs = std::filesystem;

// A device folder and a sysfs tty folder of the test's own.
class FakeDevices : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("varlo-ports-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "dev");
        fs::create_directories(root_ / "sys");
        folders_.devices = (root_ / "dev").string();
        folders_.sysfsTty = (root_ / "sys").string();
    }
    void TearDown() override { fs::remove_all(root_); }

    void Device(const std::string& name) { std::ofstream(root_ / "dev" / name).put('\0'); }
    // A ttyS device with its sysfs "type" (empty text: no type attribute).
    void Uart(const std::string& name, const std::string& type, bool deviceLink) {
        Device(name);
        fs::create_directories(root_ / "sys" / name);
        if (!type.empty()) std::ofstream(root_ / "sys" / name / "type") << type << "\n";
        if (deviceLink) fs::create_directory_symlink(root_, root_ / "sys" / name / "device");
    }
    std::string Dev(const std::string& name) const { return (root_ / "dev" / name).string(); }

    EnvironmentLookup Env(std::map<std::string, std::string> values) {
        return [values](const std::string& name) -> std::optional<std::string> {
            auto it = values.find(name);
            if (it == values.end()) return std::nullopt;
            return it->second;
        };
    }

    fs::path root_;
    SerialDeviceFolders folders_;
};

TEST_F(FakeDevices, Com1IsTheOnlyUsbAdapterWithoutAnySetting) {
    Device("ttyUSB0");
    Device("tty0");
    Device("console");
    EXPECT_EQ(ResolvePortName("COM1", folders_, Env({})), Dev("ttyUSB0"));
    EXPECT_EQ(ResolvePortName("COM2", folders_, Env({})), std::nullopt);
}

TEST_F(FakeDevices, OrderIsUsbThenAcmThenUartsEachNumerically) {
    Device("ttyUSB10");
    Device("ttyUSB9");
    Device("ttyUSB1");
    Device("ttyACM0");
    Device("ttyUSBx");         // not a numbered device
    Uart("ttyS0", "4", true);  // a 16550A
    Uart("ttyS1", "0", true);  // a placeholder without hardware
    Uart("ttyS2", "", true);   // a driver without a type attribute
    Uart("ttyS3", "", false);  // nothing behind it
    Device("ttyS4");           // no sysfs entry at all
    Uart("ttyS12", "4", true);
    const std::vector<std::string> expected = {Dev("ttyUSB1"), Dev("ttyUSB9"), Dev("ttyUSB10"),
                                               Dev("ttyACM0"), Dev("ttyS0"),   Dev("ttyS2"),
                                               Dev("ttyS12")};
    EXPECT_EQ(ListSerialDevices(folders_), expected);
    EXPECT_EQ(ResolvePortName("COM3", folders_, Env({})), Dev("ttyUSB10"));
    EXPECT_EQ(ResolvePortName("com4", folders_, Env({})), Dev("ttyACM0"));
}

TEST_F(FakeDevices, EnvironmentOverridesTheScan) {
    Device("ttyUSB0");
    auto env = Env({{"VARLO_COM1", "/dev/pts/7"}, {"VARLO_COM2", ""}, {"VARLO_COM4", "/x"}});
    EXPECT_EQ(ResolvePortName("COM1", folders_, env), "/dev/pts/7");
    EXPECT_EQ(ResolvePortName("COM2", folders_, env), std::nullopt) << "empty means unset";
    EXPECT_EQ(ResolvePortName("COM4", folders_, env), "/x");
}

TEST_F(FakeDevices, OtherNamesArePaths) {
    for (const char* name : {"/dev/ttyS0", "COM", "COM0", "COMx", "COM1x", "ttyUSB0"}) {
        EXPECT_EQ(ResolvePortName(name, folders_, Env({})), std::string(name));
    }
    EXPECT_EQ(ComPortIndex("COM12"), 12);
    EXPECT_EQ(ComPortIndex("COM1x"), 0);
}

TEST_F(FakeDevices, MissingFolderListsNothing) {
    folders_.devices = (root_ / "absent").string();
    EXPECT_TRUE(ListSerialDevices(folders_).empty());
    EXPECT_EQ(ResolvePortName("COM1", folders_, Env({})), std::nullopt);
}

}  // namespace
}  // namespace varlo

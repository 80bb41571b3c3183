#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "HidFixture.h"
#include "common/VarloError.h"

namespace varlo::test {
namespace {

std::string WriteFile(const std::string& name, const std::string& text) {
    const auto path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path) << text;
    return path.string();
}

TEST(HidFakeScript, DevicesReportsAndErrors) {
    WriteFile("varlo-hid-reports.txt", "00 F2 31 30 00 00 00 00 00\n\n00 F0\n");
    const auto script = WriteFile("varlo-hid-script.txt",
                                  "# the meter's cable and a keyboard\n"
                                  "device cable vid=1A86 pid=E008 version=0110 "
                                  "product=\"USB to Serial\" serial=A1 languages=0409 feature=6\n"
                                  "device keys product=Keyboard access=query\n"
                                  "device later product=Later plugged=no\n"
                                  "report cable 00 F5 30 30 30 30 3B\n"
                                  "reports cable varlo-hid-reports.txt\n"
                                  "error cable 5\n");
    auto fake = HidFakeBackend::FromScript(script);
    ASSERT_EQ(fake->PresentInterfaces().size(), 2u);
    EXPECT_EQ(fake->Queued("cable"), 4u);
    TJvHidDeviceController ctl(fake);
    TJvHidDevice* cable = nullptr;
    ASSERT_TRUE(ctl.CheckOutAt(0, cable));
    EXPECT_EQ(cable->ProductString(), u"USB to Serial");
    EXPECT_EQ(cable->SerialString(), u"A1");
    EXPECT_EQ(cable->VendorID(), 0x1A86);
    EXPECT_EQ(cable->VersionNumber(), 0x0110);
    EXPECT_EQ(cable->Capabilities().FeatureReportByteLength, 6);
    EXPECT_TRUE(cable->ReadWriteAccess());

    std::vector<std::vector<std::uint8_t>> got;
    std::vector<std::uint32_t> errors;
    cable->SetOnDataError([&](TJvHidDevice*, std::uint32_t e) { errors.push_back(e); });
    cable->SetOnData([&](TJvHidDevice*, std::uint8_t id, const std::uint8_t* d, std::uint16_t n) {
        std::vector<std::uint8_t> r{id};
        r.insert(r.end(), d, d + n);
        got.push_back(r);
    });
    ASSERT_TRUE(PumpUntil([&] { return errors.size() == 1; }));
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], (std::vector<std::uint8_t>{0x00, 0xF5, 0x30, 0x30, 0x30, 0x30, 0x3B}));
    EXPECT_EQ(got[2], (std::vector<std::uint8_t>{0x00, 0xF0}));
    EXPECT_EQ(errors[0], 5u);

    TJvHidDevice* keys = nullptr;
    ASSERT_TRUE(ctl.CheckOutAt(1, keys));
    EXPECT_FALSE(keys->ReadWriteAccess());
    delete keys;
    delete cable;
}

TEST(HidFakeScript, BadLinesNameFileAndLine) {
    const std::string folder = std::filesystem::temp_directory_path() / "varlo-hid-folder";
    std::filesystem::create_directories(folder);
    const std::string endless = WriteFile("varlo-hid-endless.txt", std::string(300000, '0'));
    struct Case {
        std::string text;
        std::string reason;
    };
    const Case cases[] = {
        {"device a\nreport a 00 XYZ\n", ":2: 'XYZ' is not a byte of two hexadecimal digits"},
        {"device a\nreport a\n", ":2: a report needs at least its report ID"},
        {"report b 00\n", ":1: unknown device 'b'"},
        {"device a vid=12G4\n", ":1: bad value for vid: '12G4'"},
        {"device a vid=-1\n", ":1: bad value for vid: '-1'"},
        {"device a input=-9\n", ":1: bad value for input: '-9'"},
        {"device a colour=red\n", ":1: unknown device key 'colour'"},
        {"device a product=\"open\n", ":1: unterminated quoted text"},
        {"device a\nfly a\n", ":2: unknown command 'fly'"},
        {"device a\nat 10 fly a\n", ":2: expected: at MILLISECONDS plug|unplug NAME"},
        {"device a\nat soon unplug a\n", ":2: 'soon' is not a number of milliseconds from 0 on"},
        {"device a\nat -100 unplug a\n", ":2: '-100' is not a number of milliseconds from 0 on"},
        {"device a\ninterval a -5\n",
         ":2: interval needs a device name and milliseconds from 0 on"},
        {"device a\nrepeat a first\n", ":2: expected: repeat NAME [last]"},
        {"device a\nreports a " + folder + "\n",
         ":2: cannot read '" + folder + "': Is a directory"},
        {"# a line without end\n" + std::string(300000, ' '), ":2: line too long"},
    };
    const auto refusal = [](const std::string& path) -> std::string {
        try {
            HidFakeBackend::FromScript(path);
        } catch (const VarloError& e) {
            return e.what();
        }
        return "accepted";
    };
    for (const Case& c : cases) {
        const auto path = WriteFile("varlo-hid-bad.txt", c.text);
        EXPECT_EQ(refusal(path), path + c.reason) << c.text.substr(0, 80);
    }
    // A reports file is read by the same rules, its own name and line given;
    // a folder is no script.
    const auto script =
        WriteFile("varlo-hid-endless-script.txt", "device a\nreports a " + endless + "\n");
    EXPECT_EQ(refusal(script), endless + ":1: line too long");
    EXPECT_EQ(refusal(folder), folder + ":0: cannot read the HID device script: Is a directory");
}

TEST(HidFakeScript, RepeatLastSendsTheLastReportAgainAndAgain) {
    const auto script = WriteFile("varlo-hid-last.txt",
                                  "device cable product=\"USB to Serial\"\n"
                                  "report cable 00 F2 31 30\n"
                                  "report cable 00 F0\n"
                                  "repeat cable last\n");
    auto fake = HidFakeBackend::FromScript(script);
    auto open = fake->Open("/fake/hid/cable", HidAccess::Read);
    ASSERT_NE(open.handle, nullptr);
    std::vector<std::vector<std::uint8_t>> got;
    for (int i = 0; i < 5; ++i) {
        std::uint8_t buffer[9] = {};
        const HidReadResult r = open.handle->ReadReport(buffer, sizeof buffer, 1000);
        ASSERT_EQ(r.kind, HidReadResult::Kind::Report) << i;
        got.emplace_back(buffer, buffer + r.size);
    }
    const std::vector<std::uint8_t> idle{0x00, 0xF0};
    EXPECT_EQ(got, (std::vector<std::vector<std::uint8_t>>{
                       {0x00, 0xF2, 0x31, 0x30}, idle, idle, idle, idle}));
    EXPECT_EQ(fake->Queued("cable"), 1u);
}

TEST(HidFakeScript, TimedPlugAndUnplugRunTheDeviceChange) {
    const auto script = WriteFile("varlo-hid-timed.txt",
                                  "device cable product=\"USB to Serial\"\n"
                                  "device other product=Other plugged=no\n"
                                  "at 20 unplug cable\n"
                                  "at 40 plug other\n");
    auto fake = HidFakeBackend::FromScript(script);
    TJvHidDeviceController ctl(fake);
    std::vector<std::string> events;
    ctl.SetOnArrival([&](TJvHidDevice* d) {
        events.push_back("arrival " + QString::fromStdU16String(d->ProductString()).toStdString());
    });
    ctl.SetOnRemoval([&](TJvHidDevice*) { events.push_back("removal"); });
    ASSERT_TRUE(PumpUntil([&] { return events.size() == 2; }));
    EXPECT_EQ(events, (std::vector<std::string>{"removal", "arrival Other"}));
}

TEST(HidFakeScript, TheEnvironmentChoosesTheFakeBackend) {
    const auto script = WriteFile("varlo-hid-env.txt", "device cable product=\"USB to Serial\"\n");
    ASSERT_EQ(::setenv("VARLO_HID_FAKE", script.c_str(), 1), 0);
    auto backend = CreateHidBackend();
    ::unsetenv("VARLO_HID_FAKE");
    ASSERT_NE(backend, nullptr);
    const auto found = backend->PresentInterfaces();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path, "/fake/hid/cable");
}

}  // namespace
}  // namespace varlo::test

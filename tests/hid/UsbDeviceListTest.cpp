#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "HidFixture.h"
#include "links/UsbDeviceList.h"
#include "support/RecordingDialogs.h"

namespace varlo::test {
namespace {

class UsbDeviceListTest : public ::testing::Test, public HidFixture {
  protected:
    void Start() {
        ctl = std::make_unique<TJvHidDeviceController>(fake);
        list = std::make_unique<UsbDeviceList>(dialogs, traces.HistoryListBox);
        list->SetReleaseUSBCon([this] { ++usbConReleases; });
        list->Attach(*ctl);
    }
    void TearDown() override {
        list.reset();
        ctl.reset();
    }
    std::string SelectedLine() {
        const int s = list->DevListBox().Selected();
        return s < 0 ? "<none>" : list->DevListBox().Line(static_cast<std::size_t>(s));
    }

    testing::RecordingDialogs dialogs;
    TraceSinks traces;
    std::unique_ptr<TJvHidDeviceController> ctl;
    std::unique_ptr<UsbDeviceList> list;
    int usbConReleases = 0;
};

HidFakeBackend::Device WithSerial(HidFakeBackend::Device d, std::u16string serial) {
    d.serial = std::move(serial);
    return d;
}

TEST_F(UsbDeviceListTest, LinesAndTheChoiceOfTheCable) {
    fake->Plug("mouse", FakeDevice(u"Optical Mouse"));
    fake->Plug("cable1", FakeDevice(u"USB to Serial"));
    fake->Plug("bare", FakeDevice(u"", 0x0ABC, 0x001F));
    fake->Plug("cable2", FakeDevice(u"USB to Serial"));
    fake->Plug("serial", WithSerial(FakeDevice(u"USB to Serial"), u"A1"));
    auto lower = FakeDevice(u"usb to serial");
    fake->Plug("lower", lower);
    Start();
    EXPECT_EQ(
        list->DevListBox().Lines(),
        (std::vector<std::string>{"Optical Mouse", "USB to Serial", "Device VID=0ABC PID=001F",
                                  "USB to Serial", "USB to Serial (Serial=A1)", "usb to serial"}));
    EXPECT_EQ(list->DevListBox().Selected(), 3);  // the later of two cables
    for (std::size_t i = 0; i < list->DevListBox().Count(); ++i) {
        TJvHidDevice* d = list->DevListBox().ItemAt(i);
        ASSERT_NE(d, nullptr);
        EXPECT_TRUE(d->CheckedOut());
    }
}

// A backend that opens a given number of devices more, then none (nodes
// that go away while the list is rebuilt).
struct RefusingBackend : HidFakeBackend {
    int opensLeft = -1;  // no limit
    HidOpenResult Open(const std::string& path, HidAccess access) override {
        if (opensLeft == 0) return {nullptr, 5};
        if (opensLeft > 0) --opensLeft;
        return HidFakeBackend::Open(path, access);
    }
};

TEST_F(UsbDeviceListTest, ADeviceThatCannotBeOpenedAgainIsReportedAndTheListRebuilt) {
    auto refusing = std::make_shared<RefusingBackend>();
    fake = refusing;
    fake->Plug("cable", FakeDevice(u"USB to Serial"));
    fake->Plug("mouse", FakeDevice(u"Optical Mouse"));
    Start();
    ASSERT_EQ(list->DevListBox().Count(), 2u);
    // A hot-plug notice while the cable cannot be opened again: checking
    // its device in fails, which must not end the program.
    // The controller's new list opens the three devices; checking the first
    // line's device in then cannot open it again.
    refusing->opensLeft = 3;
    fake->Plug("keyboard", FakeDevice(u"Keyboard"));
    ASSERT_NO_THROW(fake->NotifyChange());
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"error: device cannot be opened"});
}

TEST_F(UsbDeviceListTest, NoCableNoSelection) {
    fake->Plug("serial", WithSerial(FakeDevice(u"USB to Serial"), u"A1"));
    Start();
    EXPECT_EQ(list->DevListBox().Count(), 1u);
    EXPECT_EQ(SelectedLine(), "<none>");
}

TEST_F(UsbDeviceListTest, WithoutStringZeroACableWithASerialIsStillTheCable) {
    auto cable = WithSerial(FakeDevice(u"USB to Serial"), u"A1");
    cable.languages = std::nullopt;  // as on Linux
    fake->Plug("cable", cable);
    Start();
    EXPECT_EQ(SelectedLine(), "USB to Serial");
}

TEST_F(UsbDeviceListTest, SetFeatureWithoutACable) {
    Start();
    list->SetFeatureClick();
    EXPECT_EQ(
        dialogs.messages,
        std::vector<std::string>{"USB interface cable is not securely connected, please check and "
                                 "re-try."});
    EXPECT_EQ(usbConReleases, 1);
    EXPECT_EQ(list->HistoryListBox().LineCount(), 0u);
    EXPECT_EQ(list->CurrentHidDevice(), nullptr);
}

TEST_F(UsbDeviceListTest, SetFeatureSendsTheReportAtTheDeclaredLength) {
    struct Case {
        const char* name;
        std::uint16_t declared;
        std::vector<std::uint8_t> sent;
    };
    const Case cases[] = {
        {"none", 0, {0x00, 0x00, 0x4B, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00}},
        {"short", 6, {0x00, 0x00, 0x4B, 0x00, 0x00, 0x03}},
        {"long", 12, {0x00, 0x00, 0x4B, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
    };
    for (const Case& c : cases) {
        auto cable = FakeDevice(u"USB to Serial");
        cable.reports.feature = c.declared;
        fake->Plug(c.name, cable);
    }
    Start();
    for (int i = 0; i < 3; ++i) {
        list->DevListBox().Select(i);
        list->SetFeatureClick();
        EXPECT_EQ(list->CurrentHidDevice(), list->DevListBox().ItemAt(static_cast<std::size_t>(i)));
        ASSERT_EQ(fake->FeatureReports(cases[i].name).size(), 1u) << cases[i].name;
        EXPECT_EQ(fake->FeatureReports(cases[i].name)[0], cases[i].sent) << cases[i].name;
    }
    // The history shows the ten bytes whatever length was sent.
    const auto& history = list->HistoryListBox();
    ASSERT_EQ(history.LineCount(), 3u);
    for (const auto& line : history.Lines()) EXPECT_EQ(line, "00 00 4B 00 00 03 00 00 00 00 ");
    EXPECT_EQ(history.SelectedIndex(), 2);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(UsbDeviceListTest, HistoryOfArrivalRemovalAndReadErrors) {
    fake->Plug("cable", FakeDevice(u"USB to Serial"));
    Start();
    fake->Plug("bare", FakeDevice(u"", 0x0ABC, 0x001F));
    fake->NotifyChange();
    fake->Unplug("cable");
    fake->NotifyChange();
    list->HidCtlDeviceDataError(nullptr, EIO);
    list->HidCtlDeviceDataError(nullptr, ENODEV);
    EXPECT_EQ(list->HistoryListBox().Lines(),
              (std::vector<std::string>{
                  "Arrival of Device VID=0ABC PID=001F", "Removal of USB to Serial",
                  "READ ERROR: Input/output error (5)", "READ ERROR: No such device (13)"}));
    EXPECT_EQ(list->HistoryListBox().SelectedIndex(), 3);
    EXPECT_EQ(list->DevListBox().Lines(), std::vector<std::string>{"Device VID=0ABC PID=001F"});
    EXPECT_EQ(SelectedLine(), "<none>");
    list->ClearBtnClick();
    EXPECT_EQ(list->HistoryListBox().LineCount(), 0u);
    EXPECT_EQ(list->HistoryListBox().SelectedIndex(), -1);
}

TEST_F(UsbDeviceListTest, ReadToggleAttachesHidReadDataAndARebuildStopsIt) {
    fake->Plug("cable", FakeDevice(u"USB to Serial"));
    fake->QueueReport("cable", {0x00, 0xF1, 0x35});
    Start();
    std::vector<std::vector<std::uint8_t>> reports;
    list->SetHidReadData([&](std::uint8_t id, const std::uint8_t* data, std::uint16_t size) {
        std::vector<std::uint8_t> r{id};
        r.insert(r.end(), data, data + size);
        reports.push_back(r);
    });
    list->SetReadBtnDown(true);
    list->ReadBtnClick();
    TJvHidDevice* dev = list->CurrentHidDevice();
    ASSERT_NE(dev, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return reports.size() == 1; }));
    EXPECT_EQ(reports[0], (std::vector<std::uint8_t>{0x00, 0xF1, 0x35}));
    EXPECT_NE(dev->Reader(), nullptr);

    fake->Plug("other", FakeDevice(u"Other"));
    fake->NotifyChange();
    EXPECT_FALSE(list->ReadBtnDown());
    EXPECT_EQ(list->CurrentHidDevice(), nullptr);
    // The cable's line holds a fresh object without a reader.
    ASSERT_EQ(SelectedLine(), "USB to Serial");
    TJvHidDevice* fresh = list->SelectedDevice();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->Reader(), nullptr);
    fake->QueueReport("cable", {0x00, 0xF0});
    PumpFor(100);
    EXPECT_EQ(reports.size(), 1u);
}

TEST_F(UsbDeviceListTest, ADeviceWithoutAccessReleasesTheReadToggle) {
    auto cable = FakeDevice(u"USB to Serial");
    cable.access = HidFakeBackend::Access::QueryOnly;
    fake->Plug("cable", cable);
    Start();
    ASSERT_EQ(SelectedLine(), "USB to Serial");
    list->SetReadBtnDown(true);
    list->ReadBtnClick();
    EXPECT_FALSE(list->ReadBtnDown());
    ASSERT_NE(list->CurrentHidDevice(), nullptr);
    EXPECT_FALSE(list->CurrentHidDevice()->ReadWriteAccess());
    EXPECT_EQ(list->CurrentHidDevice()->Reader(), nullptr);
}

}  // namespace
}  // namespace varlo::test

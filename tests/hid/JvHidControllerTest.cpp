#include <gtest/gtest.h>

#include <vector>

#include "HidFixture.h"

namespace varlo::test {
namespace {

class ControllerTest : public ::testing::Test, public HidFixture {};

TEST_F(ControllerTest, EmptyListReportsTheFirstDeviceChangeOnly) {
    TJvHidDeviceController ctl(fake);
    int changes = 0;
    EXPECT_EQ(ctl.Count(), 0);
    EXPECT_EQ(ctl.Enumerate(), 0);
    EXPECT_FALSE(ctl.ChangeReported());
    ctl.SetOnDeviceChange([&](TJvHidDeviceController* sender) {
        EXPECT_EQ(sender, &ctl);
        ++changes;
    });
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(ctl.ChangeReported());
    fake->NotifyChange();  // nothing was added or removed
    EXPECT_EQ(changes, 1);
    fake->Plug("a", FakeDevice(u"A"));
    fake->NotifyChange();
    EXPECT_EQ(changes, 2);
}

TEST_F(ControllerTest, WithoutBackendTheControllerListsNothing) {
    TJvHidDeviceController ctl(nullptr);
    int changes = 0;
    ctl.SetOnDeviceChange([&](TJvHidDeviceController*) { ++changes; });
    EXPECT_FALSE(ctl.Bound());
    EXPECT_EQ(ctl.Count(), 0);
    EXPECT_EQ(changes, 1);
}

TEST_F(ControllerTest, OnlyOneControllerPerProgram) {
    fake->Plug("a", FakeDevice(u"A"));
    auto first = std::make_unique<TJvHidDeviceController>(fake);
    try {
        TJvHidDeviceController second(fake);
        FAIL() << "a second controller was created";
    } catch (const EControllerError& e) {
        EXPECT_STREQ(e.what(), "Only one TJvHidDeviceController allowed per program");
    }
    EXPECT_EQ(first->Count(), 1);
    first.reset();
    EXPECT_NO_THROW(TJvHidDeviceController again(fake));
}

TEST_F(ControllerTest, ReplugWithNewInstanceIsOneRemovalAndOneArrival) {
    fake->Plug("cable", FakeDevice(u"USB to Serial"));
    TJvHidDeviceController ctl(fake);
    std::vector<std::string> events;
    ctl.SetOnArrival([&](TJvHidDevice* d) {
        EXPECT_TRUE(d->InEnumeration());
        events.push_back("arrival " + std::to_string(d->PnPInfo().DeviceInstance));
    });
    ctl.SetOnRemoval([&](TJvHidDevice* d) {
        EXPECT_TRUE(d->InEnumeration());
        EXPECT_FALSE(d->PluggedIn());
        events.push_back("removal " + std::to_string(d->PnPInfo().DeviceInstance));
    });
    const auto before = fake->Instance("cable");
    fake->Unplug("cable");
    fake->Plug("cable", FakeDevice(u"USB to Serial"));
    const auto after = fake->Instance("cable");
    ASSERT_NE(before, after);
    ctl.DeviceChange();
    EXPECT_EQ(events, (std::vector<std::string>{"removal " + std::to_string(before),
                                                "arrival " + std::to_string(after)}));
    EXPECT_EQ(ctl.Count(), 1);
}

TEST_F(ControllerTest, CheckOutAtBounds) {
    fake->Plug("a", FakeDevice(u"A"));
    fake->Plug("b", FakeDevice(u"B"));
    TJvHidDeviceController ctl(fake);
    TJvHidDevice* dev = reinterpret_cast<TJvHidDevice*>(1);
    for (int index : {-1, 2}) {
        EXPECT_FALSE(ctl.CheckOutAt(index, dev)) << index;
        EXPECT_EQ(dev, nullptr) << index;
    }
    ASSERT_TRUE(ctl.CheckOutAt(1, dev));
    ASSERT_NE(dev, nullptr);
    EXPECT_TRUE(dev->CheckedOut());
    EXPECT_EQ(dev->ProductString(), u"B");
    TJvHidDevice* again = nullptr;
    EXPECT_FALSE(ctl.CheckOutAt(1, again));
    EXPECT_EQ(again, nullptr);
    delete dev;
}

TEST_F(ControllerTest, CheckInOfPresentDeviceLeavesAFreshObjectInItsPlace) {
    fake->Plug("a", FakeDevice(u"A"));
    fake->Plug("b", FakeDevice(u"B"));
    TJvHidDeviceController ctl(fake);
    TJvHidDevice* dev = nullptr;
    ASSERT_TRUE(ctl.CheckOutAt(0, dev));
    dev->SetThreadSleepTime(250);
    dev->SetOnData([](TJvHidDevice*, std::uint8_t, const std::uint8_t*, std::uint16_t) {});
    ASSERT_NE(dev->Reader(), nullptr);
    delete dev;
    EXPECT_EQ(ctl.Count(), 2);
    TJvHidDevice* fresh = nullptr;
    ASSERT_TRUE(ctl.CheckOutAt(0, fresh));
    EXPECT_EQ(fresh->ProductString(), u"A");
    EXPECT_EQ(fresh->ThreadSleepTime(), 250);
    EXPECT_TRUE(static_cast<bool>(fresh->OnData()));
    // Checking out starts the reader for the inherited handler.
    EXPECT_NE(fresh->Reader(), nullptr);
    delete fresh;
}

TEST_F(ControllerTest, UnpluggedLentDeviceStaysListedUntilCheckedIn) {
    fake->Plug("a", FakeDevice(u"A"));
    TJvHidDeviceController ctl(fake);
    int removals = 0, unplugs = 0;
    ctl.SetOnRemoval([&](TJvHidDevice*) { ++removals; });
    TJvHidDevice* dev = nullptr;
    ASSERT_TRUE(ctl.CheckOutAt(0, dev));
    dev->SetOnUnplug([&](TJvHidDevice* d) {
        EXPECT_EQ(d, dev);
        ++unplugs;
    });
    fake->Unplug("a");
    ctl.DeviceChange();
    ctl.DeviceChange();
    EXPECT_EQ(ctl.Count(), 1);
    EXPECT_FALSE(dev->PluggedIn());
    EXPECT_EQ(removals, 2);  // reported at every change until checked in
    EXPECT_EQ(unplugs, 1);   // told once
    EXPECT_EQ(ctl.Enumerate(), 0);
    delete dev;
    EXPECT_EQ(ctl.Count(), 0);
}

TEST_F(ControllerTest, EnumerateStopsWhereTheHandlerSays) {
    for (const char* name : {"a", "b", "c"}) fake->Plug(name, FakeDevice(u"X"));
    TJvHidDeviceController ctl(fake);
    EXPECT_EQ(ctl.Enumerate(), 1);  // no handler: the first device ends the walk
    std::vector<int> seen;
    ctl.SetOnEnumerate([&](TJvHidDevice* d, std::int32_t idx) {
        EXPECT_TRUE(d->InEnumeration());
        EXPECT_TRUE(d->Accessible());
        seen.push_back(idx);
        return idx < 1;
    });
    EXPECT_EQ(ctl.Enumerate(), 2);
    EXPECT_EQ(seen, (std::vector<int>{0, 1}));
}

TEST_F(ControllerTest, ThreadSleepTimeRange) {
    fake->Plug("a", FakeDevice(u"A"));
    TJvHidDeviceController ctl(fake);
    TJvHidDevice* dev = nullptr;
    ASSERT_TRUE(ctl.CheckOutAt(0, dev));
    EXPECT_EQ(dev->ThreadSleepTime(), 100);
    struct Case {
        std::int32_t write, expected;
    };
    for (Case c : {Case{9, 100}, Case{10, 10}, Case{10000, 10000}, Case{10001, 10000}}) {
        dev->SetThreadSleepTime(c.write);
        EXPECT_EQ(dev->ThreadSleepTime(), c.expected) << c.write;
    }
    delete dev;
}

TEST_F(ControllerTest, ControllerValuesFollowToDevicesThatStillHaveTheOldOnes) {
    fake->Plug("a", FakeDevice(u"A"));
    fake->Plug("b", FakeDevice(u"B"));
    TJvHidDeviceController ctl(fake);
    TJvHidDevice *a = nullptr, *b = nullptr;
    ASSERT_TRUE(ctl.CheckOutAt(0, a));
    ASSERT_TRUE(ctl.CheckOutAt(1, b));
    b->SetThreadSleepTime(50);
    ctl.SetDevThreadSleepTime(200);
    EXPECT_EQ(a->ThreadSleepTime(), 200);
    EXPECT_EQ(b->ThreadSleepTime(), 50);

    int errorsA = 0;
    TJvHidDataErrorEvent own([&](TJvHidDevice*, std::uint32_t) { ++errorsA; });
    a->SetOnDataError(own);
    ctl.SetOnDeviceDataError([](TJvHidDevice*, std::uint32_t) {});
    EXPECT_TRUE(a->OnDataError().SameCode(own));
    EXPECT_TRUE(b->OnDataError().SameCode(ctl.OnDeviceDataError()));

    // A data handler given to the controller reaches checked-out devices and
    // starts their readers.
    ctl.SetOnDeviceData([](TJvHidDevice*, std::uint8_t, const std::uint8_t*, std::uint16_t) {});
    EXPECT_NE(a->Reader(), nullptr);
    EXPECT_NE(b->Reader(), nullptr);
    delete a;
    delete b;
}

TEST_F(ControllerTest, SerialStringLanguageListRule) {
    struct Case {
        const char* what;
        std::optional<std::u16string> serial, languages;
        std::u16string expected;
    };
    const Case cases[] = {
        {"plain serial", u"A1B2", u"\x0409", u"A1B2"},
        {"no string 0", u"A1B2", std::nullopt, u""},
        {"serial is the language list", u"\x0409", u"\x0409", u""},
        {"serial starts with the language list", u"\x0409X", u"\x0409", u""},
        {"two languages, serial differs", u"\x0409Z", u"\x0409\x0407", u"\x0409Z"},
        {"no serial", std::nullopt, u"\x0409", u""},
    };
    for (const Case& c : cases) {
        HidFakeBackend::Device d = FakeDevice(u"P");
        d.serial = c.serial;
        d.languages = c.languages;
        fake->Plug(c.what, d);
    }
    TJvHidDeviceController ctl(fake);
    ASSERT_EQ(ctl.Count(), static_cast<int>(std::size(cases)));
    for (int i = 0; i < ctl.Count(); ++i) {
        TJvHidDevice* dev = nullptr;
        ASSERT_TRUE(ctl.CheckOutAt(i, dev));
        EXPECT_EQ(dev->SerialString(), cases[i].expected) << cases[i].what;
        delete dev;
    }
}

TEST_F(ControllerTest, AccessAndIdentity) {
    auto queryOnly = FakeDevice(u"Q");
    queryOnly.access = HidFakeBackend::Access::QueryOnly;
    auto none = FakeDevice(u"N");
    none.access = HidFakeBackend::Access::None;
    auto anonymous = FakeDevice(u"U");
    anonymous.identifiable = false;
    fake->Plug("query", queryOnly);
    fake->Plug("none", none);
    fake->Plug("anonymous", anonymous);
    fake->Plug("rw", FakeDevice(u"R", 0x0ABC, 0x001F));
    TJvHidDeviceController ctl(fake);
    ASSERT_EQ(ctl.Count(), 2);  // not openable and not identifiable are skipped

    TJvHidDevice* q = nullptr;
    ASSERT_TRUE(ctl.CheckOutAt(0, q));
    EXPECT_EQ(q->ProductString(), u"Q");
    EXPECT_FALSE(q->ReadWriteAccess());
    q->SetOnData([](TJvHidDevice*, std::uint8_t, const std::uint8_t*, std::uint16_t) {});
    EXPECT_EQ(q->Reader(), nullptr);
    const std::uint8_t report[] = {0, 1, 2};
    EXPECT_FALSE(q->SendFeatureReport(report, sizeof report));

    TJvHidDevice* rw = nullptr;
    ASSERT_TRUE(ctl.CheckOutAt(1, rw));
    EXPECT_TRUE(rw->ReadWriteAccess());
    EXPECT_EQ(rw->VendorID(), 0x0ABC);
    EXPECT_EQ(rw->ProductID(), 0x001F);
    EXPECT_EQ(rw->VersionNumber(), 0x0100);
    EXPECT_EQ(rw->Capabilities().InputReportByteLength, 9);
    EXPECT_TRUE(rw->SendFeatureReport(report, sizeof report));
    EXPECT_EQ(fake->FeatureReports("rw"), (std::vector<std::vector<std::uint8_t>>{{0, 1, 2}}));
    delete q;
    delete rw;
}

// A device still present by its instance but refused from now on: the
// named check-in reports it, destroying the object does not throw; either
// way the device leaves the list.
TEST_F(ControllerTest, ADeviceThatCannotBeOpenedAgainLeavesTheListAtCheckIn) {
    for (const bool named : {true, false}) {
        SCOPED_TRACE(named ? "CheckIn" : "destructor");
        auto d = FakeDevice(u"A");
        fake->Plug("a", d);
        TJvHidDeviceController ctl(fake);
        TJvHidDevice* dev = nullptr;
        ASSERT_TRUE(ctl.CheckOutAt(0, dev));
        dev->SetOnData([](TJvHidDevice*, std::uint8_t, const std::uint8_t*, std::uint16_t) {});
        ASSERT_NE(dev->Reader(), nullptr);
        d.access = HidFakeBackend::Access::None;
        const auto instance = fake->Instance("a");
        fake->Plug("a", d);
        ASSERT_NE(fake->Instance("a"), instance);
        if (named) {
            try {
                TJvHidDevice::CheckIn(dev);
                FAIL() << "check-in did not fail";
            } catch (const EControllerError& e) {
                EXPECT_STREQ(e.what(), "device cannot be opened");
            }
        } else {
            EXPECT_NO_THROW(delete dev);
        }
        EXPECT_EQ(ctl.Count(), 0);
        EXPECT_EQ(ctl.Enumerate(), 0);
    }
}

}  // namespace
}  // namespace varlo::test

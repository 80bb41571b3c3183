#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

#include "HidFixture.h"

namespace varlo::test {
namespace {

struct Received {
    TJvHidDevice* device;
    std::uint8_t id;
    std::vector<std::uint8_t> data;
};

class ReaderTest : public ::testing::Test, public HidFixture {
  protected:
    void SetUp() override {
        fake->Plug("cable", FakeDevice(u"USB to Serial"));
        ctl = std::make_unique<TJvHidDeviceController>(fake);
        ASSERT_TRUE(ctl->CheckOutAt(0, dev));
        dev->SetThreadSleepTime(10);
    }
    void TearDown() override {
        delete dev;
        ctl.reset();
    }
    TJvHidDataEvent Recorder() {
        return
            [this](TJvHidDevice* d, std::uint8_t id, const std::uint8_t* data, std::uint16_t size) {
                got.push_back({d, id, {data, data + size}});
            };
    }

    std::unique_ptr<TJvHidDeviceController> ctl;
    TJvHidDevice* dev = nullptr;
    std::vector<Received> got;
};

TEST_F(ReaderTest, ReportSizesAndIds) {
    fake->QueueReport("cable", {0x00, 0xF2, 0x31, 0x30, 0, 0, 0, 0, 0});
    fake->QueueReport("cable", {0x05, 0xAA});
    fake->QueueReport("cable", {0x07});
    dev->SetOnData(Recorder());
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 3; }));
    EXPECT_EQ(got[0].device, dev);
    EXPECT_EQ(got[0].id, 0x00);
    EXPECT_EQ(got[0].data, (std::vector<std::uint8_t>{0xF2, 0x31, 0x30, 0, 0, 0, 0, 0}));
    EXPECT_EQ(got[1].id, 0x05);
    EXPECT_EQ(got[1].data, (std::vector<std::uint8_t>{0xAA}));
    EXPECT_EQ(got[2].id, 0x07);
    EXPECT_TRUE(got[2].data.empty());  // a 1-byte report arrives with Size 0
}

TEST_F(ReaderTest, ReportsLongerThanTheInputLengthAreCut) {
    fake->QueueReport("cable", std::vector<std::uint8_t>(20, 0x11));
    dev->SetOnData(Recorder());
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 1; }));
    EXPECT_EQ(got[0].data.size(), 8u);  // 9-byte input reports, ID included
}

TEST_F(ReaderTest, ReportsStayInOrderWhileTheGuiThreadIsBusy) {
    const int total = 200;
    for (int i = 0; i < total; ++i) {
        fake->QueueReport("cable",
                          {0x00, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8)});
    }
    dev->SetOnData(Recorder());
    // The GUI thread is busy (runs no events) until the reader has handed a
    // report over, and a while longer.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (ctl->HandOver()->Pending() == 0 && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // The reader holds one report in its hand-over and reads no further.
    EXPECT_EQ(fake->Queued("cable"), static_cast<std::size_t>(total - 1));
    EXPECT_TRUE(got.empty());
    ASSERT_TRUE(PumpUntil([&] { return got.size() == total; }, 5000));
    for (int i = 0; i < total; ++i) {
        ASSERT_EQ(got[i].data[0] | (got[i].data[1] << 8), i) << "report " << i;
    }
}

TEST_F(ReaderTest, AHandlerThatThrowsEndsTheReader) {
    fake->QueueReport("cable", {0x00, 0x01});
    fake->QueueReport("cable", {0x00, 0x02});
    int calls = 0;
    dev->SetOnData([&](TJvHidDevice*, std::uint8_t, const std::uint8_t*, std::uint16_t) {
        ++calls;
        throw std::runtime_error("handler failed");
    });
    ASSERT_TRUE(PumpUntil([&] { return dev->Reader() && dev->Reader()->Finished(); }));
    PumpFor(100);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(fake->Queued("cable"), 1u);
    // The finished reader stays: a new handler alone starts nothing ...
    dev->SetOnData(Recorder());
    PumpFor(100);
    EXPECT_TRUE(got.empty());
    // ... none and back does.
    dev->SetOnData(nullptr);
    dev->SetOnData(Recorder());
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 1; }));
    EXPECT_EQ(got[0].data, std::vector<std::uint8_t>{0x02});
}

TEST_F(ReaderTest, StoppingAReaderBlockedInAHandOverRunsThatDelivery) {
    fake->QueueReport("cable", {0x00, 0x42});
    fake->QueueReport("cable", {0x00, 0x43});
    dev->SetOnData(Recorder());
    // No event loop runs: the reader waits in its hand-over.
    const auto& handOver = ctl->HandOver();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (handOver->Pending() == 0 && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(handOver->Pending(), 1u);
    dev->SetOnData(nullptr);  // returns: no dead-lock
    EXPECT_EQ(dev->Reader(), nullptr);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].data, std::vector<std::uint8_t>{0x42});
    EXPECT_EQ(fake->Queued("cable"), 1u);
}

TEST_F(ReaderTest, AHandlerMayStopItsOwnReader) {
    fake->QueueReport("cable", {0x00, 0x01});
    fake->QueueReport("cable", {0x00, 0x02});
    std::vector<std::uint8_t> seen;
    dev->SetOnData([&](TJvHidDevice* d, std::uint8_t, const std::uint8_t* data, std::uint16_t) {
        d->SetOnData(nullptr);
        seen.push_back(data[0]);  // the data outlives the stopped reader
    });
    ASSERT_TRUE(PumpUntil([&] { return !seen.empty(); }));
    PumpFor(50);
    EXPECT_EQ(seen, std::vector<std::uint8_t>{0x01});
    EXPECT_EQ(dev->Reader(), nullptr);
}

TEST_F(ReaderTest, ReadErrorsReachOnDataError) {
    std::vector<std::uint32_t> errors;
    dev->SetOnDataError([&](TJvHidDevice* d, std::uint32_t code) {
        EXPECT_EQ(d, dev);
        errors.push_back(code);
    });
    fake->QueueError("cable", 5);
    fake->QueueReport("cable", {0x00, 0x09});
    dev->SetOnData(Recorder());
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 1; }));
    EXPECT_EQ(errors, std::vector<std::uint32_t>{5});
    // Unplugged, the reader goes on and reports that it cannot read.
    fake->Unplug("cable");
    ctl->DeviceChange();
    ASSERT_TRUE(PumpUntil([&] { return errors.size() >= 2; }));
    EXPECT_EQ(errors[1], static_cast<std::uint32_t>(ENODEV));
    // A paused reader does not flood the GUI thread: at most one error per
    // sleep time (10 ms) of the time measured, and one in the hand-over.
    const std::size_t before = errors.size();
    const auto start = std::chrono::steady_clock::now();
    PumpFor(100);
    const auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - start)
                               .count();
    EXPECT_LE(errors.size() - before, static_cast<std::size_t>(elapsedMs / 10 + 2));
    // Stopping runs a delivery already handed over: stop while `errors` lives.
    dev->SetOnData(nullptr);
    dev->SetOnDataError(nullptr);
}

}  // namespace
}  // namespace varlo::test

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/AlarmTone.h"

namespace varlo {
namespace {

TEST(AlarmTone, IsASineOfTheAskedFrequencyAndLengthThatStartsAndEndsSilent) {
    const std::vector<std::int16_t> samples = AlarmToneSamples(44100, 2000.0, 120);
    ASSERT_EQ(samples.size(), 44100u * 120 / 1000);
    // Fades: the first and last samples are silent, the middle at full level.
    EXPECT_EQ(samples.front(), 0);
    EXPECT_LE(std::abs(samples.back()), 1);
    int peak = 0;
    for (std::size_t i = samples.size() / 4; i < 3 * samples.size() / 4; ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    }
    EXPECT_GT(peak, 10000);
    EXPECT_LT(peak, 32767);
    // Rising zero crossings over the whole tone count the cycles.
    int cycles = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < 0 && samples[i] >= 0) {
            ++cycles;
        }
    }
    EXPECT_NEAR(cycles, 2000 * 120 / 1000, 1);
}

TEST(AlarmTone, DegenerateRequestsGiveNoSamples) {
    EXPECT_TRUE(AlarmToneSamples(44100, 2000.0, 0).empty());
    EXPECT_TRUE(AlarmToneSamples(0, 2000.0, 100).empty());
    EXPECT_TRUE(AlarmToneSamples(44100, 2000.0, -5).empty());
}

TEST(SoundServerBeep, WithoutASoundServerEveryBeepRingsTheBell) {
    // A server address where nothing listens: the stream cannot be opened.
    ::setenv("PULSE_SERVER", "unix:/nonexistent/varlo-no-sound-server", 1);
    int bells = 0;
    {
        SoundServerBeep beep([&bells] { ++bells; });
        EXPECT_FALSE(beep.UsesSoundServer());
        beep.Beep();
        beep.Beep();
        beep.Beep();
    }
    ::unsetenv("PULSE_SERVER");
    EXPECT_EQ(bells, 3);
}

}  // namespace
}  // namespace varlo

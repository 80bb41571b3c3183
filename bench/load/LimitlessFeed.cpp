#include "LimitlessFeed.h"

#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <vector>

#include "SimulatorRunner.h"

namespace varlo::load {

namespace {
using Clock = std::chrono::steady_clock;
constexpr std::size_t kPollBytes = 2048;
constexpr auto kPass = std::chrono::milliseconds(50);
constexpr std::size_t kProgressRows = 1'000'000;
}  // namespace

FeedResult FeedFrames(LoadWindow& window, EventLoopWatch& watch, const std::string& scenario,
                      std::size_t frames, std::uint64_t seed) {
    SimulatorRunner sim(VARLO_CLI_PATH);
    sim.StartStream({"--raw", "--rate", "0", "--scenario", scenario, "--seed", std::to_string(seed),
                     "--count", std::to_string(frames)});
    MeterSession& session = window.Session();
    std::vector<std::uint8_t> block(kPollBytes);
    std::size_t nextProgress = kProgressRows;

    QEventLoop loop;
    QTimer pass;
    pass.setInterval(0);
    QObject::connect(&pass, &QTimer::timeout, &loop, [&] {
        const auto end = Clock::now() + kPass;
        while (Clock::now() < end) {
            const std::size_t got = sim.Read(block.data(), block.size());
            if (got == 0) {
                pass.stop();
                loop.quit();
                return;
            }
            session.OnSerialData(block.data(), got);
        }
        if (session.Log().RowCount() >= nextProgress) {
            std::fprintf(stderr, "  ... %zu rows\n", session.Log().RowCount());
            nextProgress += kProgressRows;
        }
    });
    watch.Reset();
    const auto start = Clock::now();
    pass.start();
    loop.exec();
    FeedResult result;
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    sim.Wait(std::chrono::seconds(60));
    result.simErrors = sim.Errors();
    if (const auto summary = sim.Summary()) result.framesSent = summary->sentFrames;
    return result;
}

}  // namespace varlo::load

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>

namespace {

struct CliRun {
    int status = -1;
    std::string out, err;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs varlo-cli with the fake backend on `script`.
CliRun RunCli(const std::string& name, const std::string& script, const std::string& args) {
    const auto dir = std::filesystem::temp_directory_path() / ("varlo-usb-cli-" + name);
    std::filesystem::create_directories(dir);
    const std::string scriptPath = (dir / "devices.txt").string();
    std::ofstream(scriptPath) << script;
    const std::string errPath = (dir / "stderr.txt").string();
    const std::string command = "cd '" + dir.string() + "' && VARLO_HID_FAKE='" + scriptPath +
                                "' '" VARLO_BIN_DIR "/tools/varlo-cli/varlo-cli' " + args + " 2>'" +
                                errPath + "'";
    CliRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.err = Slurp(errPath);
    return run;
}

int CountLines(const std::string& text, const std::string& prefix) {
    int n = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) n += line.rfind(prefix, 0) == 0;
    return n;
}

const char* const kCable =
    "device mouse product=\"Optical Mouse\"\n"
    "device cable vid=1A86 pid=E008 product=\"USB to Serial\" feature=6\n"
    "report cable 00 F2 31 30 00 00 00 00 00\n"
    "report cable 00 F5 30 30 30 30 3B 00 00\n"
    "report cable 00 F5 30 30 30 38 30 00 00\n"
    "report cable 00 F2 0D 0A 00 00 00 00 00\n"
    "report cable 00 F0 00 00 00 00 00 00 00\n"
    "interval cable 2\n"
    "repeat cable\n";

TEST(UsbCli, DumpsTheCableStreamAndCapturesItsReports) {
    const CliRun run = RunCli("stream", kCable, "dump --usb --count 2 --capture reports.txt");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(CountLines(run.out, "A100000B00080D\t"), 2) << run.out;
    EXPECT_NE(run.err.find("2 frames decoded, 0 rejected, 0 dropped"), std::string::npos)
        << run.err;
    const std::string captured = Slurp(
        (std::filesystem::temp_directory_path() / "varlo-usb-cli-stream/reports.txt").string());
    EXPECT_EQ(captured.rfind("00 F2 31 30 00 00 00 00 00\n00 F5 30 30 30 30 3B 00 00\n", 0), 0u)
        << captured;
    EXPECT_GE(CountLines(captured, "00 F0 00"), 1);
}

TEST(UsbCli, LogsTheCableStreamRowByRow) {
    const CliRun run = RunCli("log", kCable, "log --usb --count 3");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n", 0), 0u) << run.out;
    EXPECT_EQ(CountLines(run.out, ""), 4) << run.out;
    for (const char* no : {"1\t", "2\t", "3\t"}) EXPECT_EQ(CountLines(run.out, no), 1) << no;
    EXPECT_NE(run.out.find("\tDC\t00.000\tV\tPass\r\n"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("3 frames decoded, 0 rejected, 0 dropped; 3 rows"), std::string::npos)
        << run.err;
}

// The simulator's report stream, read live through the fake cable (reader
// thread, hand-over, frame assembly), decodes to what the same reports give
// when dumped from the file.
TEST(UsbCli, ASimulatedReportStreamDecodesLiveAsFromTheFile) {
    const auto dir = std::filesystem::temp_directory_path() / "varlo-usb-cli-sim";
    std::filesystem::create_directories(dir);
    const std::string cli = VARLO_BIN_DIR "/tools/varlo-cli/varlo-cli";
    const std::string reports = (dir / "sim.txt").string();
    ASSERT_EQ(
        std::system(("'" + cli + "' sim --reports --scenario tour --count 40 --rate 0 --seed 7 >'" +
                     reports + "' 2>/dev/null")
                        .c_str()),
        0);
    const CliRun offline = RunCli("sim", "", "dump --hid-reports '" + reports + "'");
    ASSERT_EQ(offline.status, 0) << offline.err;
    const int frames = CountLines(offline.out, "A");
    ASSERT_GE(frames, 30) << offline.out;
    const CliRun live =
        RunCli("sim", "device cable product=\"USB to Serial\"\nreports cable \"" + reports + "\"\n",
               "dump --usb --seconds 20 --count " + std::to_string(frames));
    EXPECT_EQ(live.status, 0) << live.err;
    EXPECT_EQ(live.out, offline.out);
}

// The cable going away ends the run; a plug elsewhere only makes it take the
// cable again.
TEST(UsbCli, AnUnpluggedCableEndsTheRunAndAPlugElsewhereDoesNot) {
    const std::string slowCable =
        "device cable product=\"USB to Serial\"\n"
        "report cable 00 F2 31 30 00 00 00 00 00\n"
        "report cable 00 F5 30 30 30 30 3B 00 00\n"
        "report cable 00 F5 30 30 30 38 30 00 00\n"
        "report cable 00 F2 0D 0A 00 00 00 00 00\n"
        "report cable 00 F0 00 00 00 00 00 00 00\n"
        "interval cable 20\n"
        "repeat cable\n";
    const CliRun gone =
        RunCli("unplug", slowCable + "at 300 unplug cable\n", "dump --usb --seconds 20");
    EXPECT_EQ(gone.status, 1) << gone.err;
    const std::string lost = "varlo-cli dump: /fake/hid/cable: device disconnected\n";
    ASSERT_EQ(gone.err.rfind(lost, 0), 0u) << gone.err;
    const std::string summary = gone.err.substr(lost.size());
    EXPECT_NE(summary.find(" frames decoded, 0 rejected, 0 dropped\n"), std::string::npos)
        << gone.err;
    EXPECT_EQ(CountLines(gone.out, "A100000B00080D\t"), std::stoi(summary)) << gone.out;

    const CliRun stays = RunCli(
        "plug",
        slowCable + "device mouse product=\"Optical Mouse\" plugged=no\n" + "at 100 plug mouse\n",
        "dump --usb --count 6 --seconds 20");
    EXPECT_EQ(stays.status, 0) << stays.err;
    // Reception stops at the rebuild, perhaps mid-frame: that frame is
    // dropped, never joined to the next one.
    const std::string again =
        "varlo-cli dump: reading the USB cable again\n6 frames decoded, 0 rejected, ";
    EXPECT_TRUE(stays.err == again + "0 dropped\n" || stays.err == again + "1 dropped\n")
        << stays.err;
}

TEST(UsbCli, ACaptureThatCannotBeWrittenStopsButTheRunReadsOn) {
    const CliRun run = RunCli("full", kCable, "dump --usb --count 2 --capture /dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "varlo-cli dump: cannot write /dev/full: No space left on device; the capture stops "
              "here\n2 frames decoded, 0 rejected, 0 dropped\n");
    EXPECT_EQ(CountLines(run.out, "A100000B00080D\t"), 2) << run.out;
}

// The README's example script does what its text says: one frame, then idle
// reports (so the run speaks of the meter's data output, not of the cable).
TEST(UsbCli, TheReadmeExampleSendsOneFrameThenIdleReports) {
    const std::string readme = Slurp(VARLO_TEST_DATA "/../README.md");
    const std::string intro =
        "Example, a cable that sends one frame and then idle reports:\n\n```\n";
    const std::size_t start = readme.find(intro);
    ASSERT_NE(start, std::string::npos);
    const std::size_t from = start + intro.size();
    const std::string script = readme.substr(from, readme.find("```", from) - from);
    const CliRun run = RunCli("readme", script, "dump --usb --seconds 5.6");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(CountLines(run.out, "A100000B00080D\t"), 1) << run.out;
    EXPECT_NE(run.err.find("the USB cable sends only idle reports"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("no reports from the USB cable"), std::string::npos) << run.err;
}

TEST(UsbCli, SaysWhyItCannotRead) {
    struct Case {
        const char* name;
        const char* script;
        const char* message;
    };
    const Case cases[] = {
        {"nocable",
         "device mouse product=\"Optical Mouse\"\ndevice bare vid=0ABC pid=001F\n"
         "device other product=\"USB to Serial\" serial=X1 languages=0409\n",
         "no USB cable \"USB to Serial\" found; HID devices seen: Optical Mouse; Device VID=0ABC "
         "PID=001F; USB to Serial (Serial=X1)\n"},
        {"empty", "", "no USB cable \"USB to Serial\" found; HID devices seen: none\n"},
        {"noaccess", "device cable product=\"USB to Serial\" access=query\n",
         "the USB cable /fake/hid/cable cannot be opened for reading and writing; install the udev "
         "rule 70-varlo-usb-cable.rules"},
        {"badscript", "device cable vid=XYZ\n", "devices.txt:1: bad value for vid: 'XYZ'\n"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.name, c.script, "dump --usb");
        EXPECT_EQ(run.status, 2) << c.name;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << ": " << run.err;
    }
}

TEST(UsbCli, WarnsAboutASilentCableAndAMeterThatSendsNoData) {
    // Both runs last past the five quiet seconds; they run side by side.
    auto silent = std::async(std::launch::async, [] {
        return RunCli("silent", "device cable product=\"USB to Serial\"\n",
                      "dump --usb --seconds 5.6");
    });
    const char* const idleCable =
        "device cable product=\"USB to Serial\"\n"
        "report cable 00 F0 00 00 00 00 00 00 00\ninterval cable 10\nrepeat cable\n";
    auto idle = std::async(std::launch::async,
                           [&] { return RunCli("idle", idleCable, "dump --usb --seconds 5.6"); });
    // Idle for less than five seconds: nothing to say yet.
    auto shortIdle = std::async(std::launch::async, [&] {
        return RunCli("shortidle", idleCable, "dump --usb --seconds 3");
    });
    const CliRun s = silent.get();
    const CliRun i = idle.get();
    EXPECT_EQ(s.status, 0);
    EXPECT_NE(s.err.find("no reports from the USB cable for 5 seconds; some cables send nothing "
                         "until their USB device has been suspended and resumed once"),
              std::string::npos)
        << s.err;
    EXPECT_EQ(s.err.find("only idle reports"), std::string::npos) << s.err;
    EXPECT_EQ(i.status, 0);
    EXPECT_NE(i.err.find("the USB cable sends only idle reports (5 seconds without data): switch "
                         "the meter's data output on"),
              std::string::npos)
        << i.err;
    EXPECT_EQ(i.err.find("no reports from"), std::string::npos) << i.err;
    const CliRun shortRun = shortIdle.get();
    EXPECT_EQ(shortRun.status, 0);
    EXPECT_EQ(shortRun.err, "0 frames decoded, 0 rejected, 0 dropped\n");
}

}  // namespace

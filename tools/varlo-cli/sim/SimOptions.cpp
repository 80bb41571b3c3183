#include "sim/SimOptions.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace varlo::sim {

const char* const kSimUsage =
    "usage: varlo-cli sim [--port DEVICE] [--scenario tour|sweep|steady|random]\n"
    "                     [--rate FRAMES_PER_S | line | 0] [--count N] [--noise P]\n"
    "                     [--noise-log FILE] [--seed S] [--replay FILE]\n"
    "                     [--raw | --reports [--idle N]]\n"
    "\n"
    "A simulated meter. Without --port it opens a pseudo-terminal, prints the path\n"
    "to connect to as its first line and streams frames (12 data bytes, CR, LF) once\n"
    "a program has opened it; with --port it writes to that device at 19200 7O1.\n"
    "  --scenario S   tour (default: every function, range, sign, overload, HOLD, REL,\n"
    "                 AUTO/MANU, battery, duty, frequency), sweep (DC volts up and down\n"
    "                 across the ranges), steady (one reading), random (valid frames)\n"
    "  --rate R       frames per second (default 2); line: the 19200-baud line's limit\n"
    "                 (137 frames/s); 0: as fast as the receiver takes them\n"
    "  --count N      stop after N frames (default: until killed)\n"
    "  --noise P      corrupt a fraction P of the bytes (flip, drop or insert)\n"
    "  --noise-log F  one line per corruption: frame INDEX offset K flip|drop|insert\n"
    "                 (frames and offsets counted from 0)\n"
    "  --seed S       makes the run repeatable\n"
    "  --replay FILE  send a raw capture, one frame (up to each CR LF) per step\n"
    "  --raw          write the bytes to standard output\n"
    "  --reports      write HID input reports as text to standard output, each frame\n"
    "                 in reports of 1 to 7 bytes, then --idle N idle reports (default 3)\n";

namespace {

bool ParseUnsigned(const std::string& text, std::uint64_t& value) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ParseDouble(const std::string& text, double& value) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

}  // namespace

SimParse ParseSimOptions(const std::vector<std::string>& args) {
    SimParse result;
    SimOptions o;
    bool scenarioGiven = false, idleGiven = false;
    auto refuse = [&result](std::string why) {
        result.error = std::move(why);
        return result;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        auto value = [&](std::string& out) -> bool {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) {
                result.error = name + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto flag = [&]() -> bool {
            if (inlineValue) {
                result.error = name + " takes no value";
                return false;
            }
            return true;
        };
        std::string v;
        if (name == "--help" || name == "-h") {
            result.help = true;
            return result;
        } else if (name == "--port") {
            if (!value(v)) return result;
            if (v.empty()) return refuse("--port needs a device");
            o.port = v;
        } else if (name == "--scenario") {
            if (!value(v)) return result;
            auto s = ParseScenario(v);
            if (!s) return refuse("unknown scenario '" + v + "'");
            o.scenario = *s;
            scenarioGiven = true;
        } else if (name == "--rate") {
            if (!value(v)) return result;
            double r = 0;
            if (v == "line") {
                o.rate.kind = RateKind::Line;
            } else if (ParseDouble(v, r) && r == 0) {
                o.rate.kind = RateKind::Fastest;
            } else if (ParseDouble(v, r) && r >= kMinRate && r <= kMaxRate) {
                o.rate = {RateKind::PerSecond, r};
            } else {
                return refuse(
                    "--rate must be frames per second from 0.001 to 1000000, line or 0, "
                    "not '" +
                    v + "'");
            }
        } else if (name == "--count") {
            if (!value(v)) return result;
            std::uint64_t n = 0;
            if (!ParseUnsigned(v, n)) return refuse("--count must be a number, not '" + v + "'");
            o.count = n;
        } else if (name == "--noise") {
            if (!value(v)) return result;
            double p = 0;
            if (!ParseDouble(v, p) || p < 0 || p > 1) {
                return refuse("--noise must be a fraction from 0 to 1, not '" + v + "'");
            }
            o.noise = p;
        } else if (name == "--noise-log") {
            if (!value(v)) return result;
            if (v.empty()) return refuse("--noise-log needs a file");
            o.noiseLog = v;
        } else if (name == "--seed") {
            if (!value(v)) return result;
            std::uint64_t s = 0;
            if (!ParseUnsigned(v, s)) return refuse("--seed must be a number, not '" + v + "'");
            o.seed = s;
        } else if (name == "--replay") {
            if (!value(v)) return result;
            if (v.empty()) return refuse("--replay needs a file");
            o.replay = v;
        } else if (name == "--raw") {
            if (!flag()) return result;
            if (o.output == SimOutput::Reports)
                return refuse("--raw and --reports exclude each other");
            o.output = SimOutput::Raw;
        } else if (name == "--reports") {
            if (!flag()) return result;
            if (o.output == SimOutput::Raw) return refuse("--raw and --reports exclude each other");
            o.output = SimOutput::Reports;
        } else if (name == "--idle") {
            if (!value(v)) return result;
            std::uint64_t n = 0;
            if (!ParseUnsigned(v, n) || n > 1000000) {
                return refuse("--idle must be a number, not '" + v + "'");
            }
            o.idle = static_cast<int>(n);
            idleGiven = true;
        } else {
            result.error = "unknown option '" + args[i] + "'";
            return result;
        }
    }
    if (idleGiven && o.output != SimOutput::Reports) {
        result.error = "--idle goes with --reports";
        return result;
    }
    if (o.port && o.output != SimOutput::Terminal) {
        result.error = "--port writes to a device; --raw and --reports write to standard output";
        return result;
    }
    if (o.replay && scenarioGiven) {
        result.error = "--replay sends a capture in place of a scenario";
        return result;
    }
    result.options = o;
    return result;
}

}  // namespace varlo::sim

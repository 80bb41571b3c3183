#include "LogSetup.h"

#include "CliSupport.h"
#include "LiveSerial.h"
#include "LiveUsb.h"
#include "common/Utf8.h"
#include "common/VarloError.h"
#include "decode/FrameDump.h"

namespace varlo::cli {

const char* const kLogUsage =
    "usage: varlo-cli log [--hid-reports] [--chunk N] [--decimal-sep C] [--no-repeat] [--sample "
    "SECONDS]\n"
    "              [--limit 1000|5000|10000|50000|100000|limitless] [--hi TEXT] [--lo TEXT]\n"
    "              [--alarm-high N] [--alarm-low N] [--no-continue] [--fill|--line]\n"
    "              [--recall HH:MM:SS --interval SECONDS] [--start HH:MM:SS] [--period MS] "
    "[--chart] [-o FILE] [FILE | -]\n"
    "\n"
    "Records a meter stream into the reading log by the window's rules and prints\n"
    "the log as the tab-separated table text. The options stand for the window's\n"
    "controls, with the window's defaults:\n"
    "  --no-repeat          uncheck \"Repeat\": a reading equal to the last row is not recorded\n"
    "  --sample SECONDS     check \"Sampling Interval\" with that interval\n"
    "  --limit L            the record limit (default 10000)\n"
    "  --hi TEXT, --lo TEXT the judge limits (default 22000 and -22000)\n"
    "  --alarm-high N, --alarm-low N   switch the alarm limits on with these counts\n"
    "  --no-continue        uncheck \"Continue Record\": a change of mode restarts the chart\n"
    "  --fill, --line       the area or the line series\n"
    "  --recall HH:MM:SS    check \"RecallData\": rows are stamped from this time on,\n"
    "  --interval SECONDS   advancing by this interval per frame (default 1)\n"
    "A file or standard input is replayed on a simulated clock: the first frame at\n"
    "--start (default 00:00:00), each next one --period milliseconds later (500).\n"
    "  --chart              also print the chart's state at the end\n"
    "  -o FILE              write the log to FILE when the run ends, nothing to standard\n"
    "                       output: exactly \".xml\" gives XML, anything else the table text;\n"
    "                       -o - is standard output\n"
    "  --hid-reports, --chunk N, --decimal-sep C   read the input as dump does\n"
    "\n"
    "       varlo-cli log --port DEVICE|COMn [--count N] [--seconds S] [--capture FILE] ...\n"
    "reads the meter live on the real clock and prints the header, then each row as\n"
    "it is recorded:\n" VARLO_LIVE_SERIAL_USAGE
    "\n"
    "       varlo-cli log --usb [--count N] [--seconds S] [--capture FILE] ...\n"
    "does the same with the meter's USB cable:\n" VARLO_LIVE_USB_USAGE;

std::optional<std::int64_t> ParseTimeOfDayMs(const std::string& text) {
    int h = 0, m = 0, s = 0;
    if (text.size() != 8 || text[2] != ':' || text[5] != ':') {
        return std::nullopt;
    }
    for (std::size_t i : {0u, 1u, 3u, 4u, 6u, 7u}) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
    }
    h = (text[0] - '0') * 10 + (text[1] - '0');
    m = (text[3] - '0') * 10 + (text[4] - '0');
    s = (text[6] - '0') * 10 + (text[7] - '0');
    if (h > 23 || m > 59 || s > 59) {
        return std::nullopt;
    }
    return (static_cast<std::int64_t>(h) * 3600 + m * 60 + s) * 1000;
}

LogOptions ParseLogOptions(const std::vector<std::string>& args,
                           const std::vector<std::string>& extraValued,
                           const std::vector<std::string>& extraFlags) {
    LogOptions options;
    bool haveInput = false;
    ArgCursor cursor(args);
    auto contains = [](const std::vector<std::string>& list, const std::string& arg) {
        for (const std::string& item : list) {
            if (item == arg) {
                return true;
            }
        }
        return false;
    };
    while (!cursor.Done()) {
        const std::string& arg = cursor.Next();
        if (TakeReadOption(arg, cursor, options)) {
        } else if (arg == "--no-repeat") {
            options.noRepeat = true;
        } else if (arg == "--sample") {
            options.sample = cursor.Value(arg);
        } else if (arg == "--limit") {
            options.limit = cursor.Value(arg);
        } else if (arg == "--hi") {
            options.hi = cursor.Value(arg);
        } else if (arg == "--lo") {
            options.lo = cursor.Value(arg);
        } else if (arg == "--alarm-high") {
            options.alarmHigh = cursor.Value(arg);
        } else if (arg == "--alarm-low") {
            options.alarmLow = cursor.Value(arg);
        } else if (arg == "--no-continue") {
            options.noContinue = true;
        } else if (arg == "--fill") {
            options.fill = true;
        } else if (arg == "--line") {
            options.fill = false;
        } else if (arg == "--recall") {
            options.recall = cursor.Value(arg);
        } else if (arg == "--interval") {
            options.interval = cursor.Value(arg);
        } else if (arg == "--start") {
            const std::string& value = cursor.Value(arg);
            const auto ms = ParseTimeOfDayMs(value);
            if (!ms) {
                throw UsageError("option --start: '" + value + "' is not a time HH:MM:SS");
            }
            options.startMs = *ms;
        } else if (arg == "--period") {
            options.periodMs = ParseIntegerOption(arg, cursor.Value(arg), 0, 86400000);
        } else if (arg == "--chart") {
            options.chart = true;
        } else if (arg == "-o") {
            options.output = cursor.Value(arg);
            if (options.output->empty()) {
                throw UsageError("option -o needs a file");
            }
            if (*options.output == "-") {
                options.output.reset();  // standard output, as without -o
            }
        } else if (contains(extraValued, arg)) {
            options.extra.emplace_back(arg, cursor.Value(arg));
        } else if (contains(extraFlags, arg)) {
            options.extra.emplace_back(arg, "");
        } else {
            TakeInputArgument(arg, options.input, haveInput);
        }
    }
    if (options.interval && !options.recall) {
        throw UsageError("option --interval goes with --recall");
    }
    return options;
}

namespace {

// Types a text into an edit box of the session, key by key, as a user would
// after selecting its old text; a key release follows each key in the
// recall time edits. The result must be the text typed. A refused value is
// quoted whole in the message, not the part typed when the box refused it.
void TypeInto(MeterSession& session, SessionEdit edit, const std::string& option,
              const std::string& text, bool keyUp = false) {
    const EditBox& box = session.Controls().Edit(edit);
    try {
        session.EditSelect(edit, 0, box.Length());
        if (text.empty()) {
            session.EditKeyPress(edit, EditBox::kBackspace);
        }
        for (std::size_t i = 0; i < text.size();) {
            // One character at a time.
            char32_t key = 0;
            const std::size_t length = NextUtf8Char(text, i, key);
            if (!session.EditKeyPress(edit, key)) {
                throw UsageError("option " + option + ": '" + text +
                                 "' holds a character the box refuses");
            }
            if (keyUp) {
                session.TimeHKeyUp();
            }
            i += length;
        }
    } catch (const VarloError& error) {
        // The message quotes the box's text at the failure ("'1-' is not a
        // valid integer value" for 1-2); the option's value is what was given.
        std::string message = error.what();
        const std::string partial = "'" + box.Text() + "'";
        if (message.rfind(partial, 0) == 0) {
            message = "'" + text + "'" + message.substr(partial.size());
        }
        throw UsageError("option " + option + ": " + message);
    }
    if (box.Text() != text) {
        throw UsageError("option " + option + ": '" + text +
                         "' is not accepted (the box would show '" + box.Text() + "')");
    }
}

}  // namespace

void ApplyLogOptions(const LogOptions& options, MeterSession& session) {
    if (options.noRepeat) {
        session.RepeatSetClick(false);
    }
    if (options.sample) {
        TypeInto(session, SessionEdit::RecordSITime, "--sample", *options.sample);
        session.RecordSIClick(true);
    }
    if (options.limit) {
        bool found = false;
        for (const RecordLimitChoice& choice : kRecordLimitChoices) {
            if (choice.caption == *options.limit) {
                session.RecordLimitClick(choice.item);
                found = true;
            }
        }
        if (!found) {
            throw UsageError("option --limit: '" + *options.limit +
                             "' is not one of 1000, 5000, 10000, 50000, 100000, limitless");
        }
    }
    if (options.hi) {
        TypeInto(session, SessionEdit::T1HI, "--hi", *options.hi);
    }
    if (options.lo) {
        TypeInto(session, SessionEdit::T1LO, "--lo", *options.lo);
    }
    if (options.alarmHigh) {
        TypeInto(session, SessionEdit::Setmax, "--alarm-high", *options.alarmHigh);
        session.SetMaxBClick(true);
    }
    if (options.alarmLow) {
        TypeInto(session, SessionEdit::SetMin, "--alarm-low", *options.alarmLow);
        session.SetMinBClick(true);
    }
    if (options.noContinue) {
        session.multirangeClick(false);
    }
    if (options.fill) {
        session.BtFillClick(*options.fill);
    }
    if (options.recall) {
        const auto ms = ParseTimeOfDayMs(*options.recall);
        if (!ms) {
            throw UsageError("option --recall: '" + *options.recall + "' is not a time HH:MM:SS");
        }
        session.RecallCheckClick(true);
        TypeInto(session, SessionEdit::TimeH, "--recall", options.recall->substr(0, 2), true);
        TypeInto(session, SessionEdit::TimeM, "--recall", options.recall->substr(3, 2), true);
        TypeInto(session, SessionEdit::TimeS, "--recall", options.recall->substr(6, 2), true);
        session.RecallCheckExit();
        if (options.interval) {
            TypeInto(session, SessionEdit::TimeInt, "--interval", *options.interval);
        }
    }
}

std::string LogSummary(const MeterSession& session) {
    const RecordCounters& counters = session.Counters();
    return std::to_string(session.Decoder().DecodedCount()) + " frames decoded, " +
           std::to_string(session.Decoder().RejectedCount()) + " rejected, " +
           std::to_string(session.Assembler().DroppedCount()) + " dropped; " +
           std::to_string(session.Log().RowCount()) + " rows; " +
           std::to_string(counters.OverLimit) + " over limit, " +
           std::to_string(counters.Sampling) + " sampling, " + std::to_string(counters.Repeats) +
           " repeats; " + std::to_string(session.Display().beeps) + " beeps";
}

std::string ChartSummary(const MeterSession& session) {
    const TrendChartModel& model = session.ChartModel();
    return "chart points=" + std::to_string(model.PointCount(0)) +
           " page=" + std::to_string(session.Chart().GetPageNo()) +
           " pages=" + std::to_string(session.Chart().GetPageCount()) +
           " window=" + FormatFixed(model.XMinimum()) + ".." + FormatFixed(model.XMaximum()) +
           " active=" + std::to_string(model.ActiveSeries());
}

}  // namespace varlo::cli

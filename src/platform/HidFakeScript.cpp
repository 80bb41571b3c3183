// The device script of the fake HID backend: one command a line, read into
// scripted devices (the commands are listed in README.md).
#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string_view>

#include "common/Hex.h"
#include "common/Utf8.h"
#include "common/VarloError.h"
#include "platform/HidFakeBackend.h"
#include "platform/HidReportText.h"

namespace varlo {

namespace {

// Splits a line into words at blanks; a word in double quotes may hold
// blanks, and "#" outside quotes starts a comment.
std::vector<std::string> SplitWords(const std::string& line, bool& unterminated) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    unterminated = false;
    for (char c : line) {
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else {
                word += c;
            }
            continue;
        }
        if (c == '#') break;
        if (c == ' ' || c == '\t' || c == '\r') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '"') {
            quoted = true;
        } else {
            word += c;
        }
    }
    if (quoted) unterminated = true;
    if (inWord) words.push_back(word);
    return words;
}

// A decimal number from 0 on that fits `out`.
template <class T>
bool ParseDecimal(const std::string& text, T& out) {
    if (text.empty() || text.front() < '0' || text.front() > '9') return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ParseBool(const std::string& text, bool& out) {
    if (text == "yes" || text == "1" || text == "true") return out = true, true;
    if (text == "no" || text == "0" || text == "false") return out = false, true;
    return false;
}

// String number 0 as "0409,0407": hexadecimal language identifiers; an
// empty text is an empty list.
bool ParseLanguages(std::string_view text, std::u16string& list) {
    list.clear();
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        std::uint16_t id = 0;
        if (!ParseHexNumber(text.substr(0, comma), id)) return false;
        list.push_back(static_cast<char16_t>(id));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
        if (text.empty()) return false;  // a trailing comma
    }
    return true;
}

enum class KeyResult { Set, BadValue, Unknown };

// One key=value of a device line.
KeyResult SetDeviceKey(const std::string& key, const std::string& value,
                       HidFakeBackend::Device& device, bool& plugged) {
    using Access = HidFakeBackend::Access;
    bool ok = true;
    if (key == "vid") {
        ok = ParseHexNumber(value, device.vendorId);
    } else if (key == "pid") {
        ok = ParseHexNumber(value, device.productId);
    } else if (key == "version") {
        ok = ParseHexNumber(value, device.versionNumber);
    } else if (key == "product") {
        device.product = Utf8ToUtf16(value);
    } else if (key == "serial") {
        device.serial = Utf8ToUtf16(value);
    } else if (key == "languages") {
        std::u16string list;
        ok = ParseLanguages(value, list);
        device.languages = list;
    } else if (key == "access") {
        if (value == "rw") {
            device.access = Access::ReadWrite;
        } else if (value == "query") {
            device.access = Access::QueryOnly;
        } else if (value == "none") {
            device.access = Access::None;
        } else {
            ok = false;
        }
    } else if (key == "identifiable") {
        ok = ParseBool(value, device.identifiable);
    } else if (key == "input") {
        ok = ParseDecimal(value, device.reports.input);
    } else if (key == "feature") {
        ok = ParseDecimal(value, device.reports.feature);
    } else if (key == "numbered") {
        ok = ParseBool(value, device.reports.numbered);
    } else if (key == "plugged") {
        ok = ParseBool(value, plugged);
    } else {
        return KeyResult::Unknown;
    }
    return ok ? KeyResult::Set : KeyResult::BadValue;
}

// Opens a text file for reading; none with `reason` set when it cannot be
// opened or is a folder.
std::FILE* OpenText(const std::string& path, std::string& reason) {
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file) {
        reason = std::strerror(errno);
        return nullptr;
    }
    struct stat st {};
    if (::fstat(::fileno(file), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(file);
        reason = std::strerror(EISDIR);
        return nullptr;
    }
    return file;
}

struct FileCloser {
    std::FILE* file;
    ~FileCloser() {
        if (file) std::fclose(file);
    }
};

}  // namespace

std::shared_ptr<HidFakeBackend> HidFakeBackend::FromScript(const std::string& path) {
    std::string reason;
    FileCloser in{OpenText(path, reason)};
    if (!in.file) throw VarloError(path + ":0: cannot read the HID device script: " + reason);
    auto backend = std::make_shared<HidFakeBackend>();
    std::map<std::string, Device> declared;
    const std::string folder =
        path.find('/') == std::string::npos ? std::string() : path.substr(0, path.rfind('/') + 1);

    std::string line;
    std::size_t lineNo = 0;
    auto fail = [&](const std::string& reason) {
        throw VarloError(path + ":" + std::to_string(lineNo) + ": " + reason);
    };
    auto needDevice = [&](const std::string& name) {
        if (!declared.count(name)) fail("unknown device '" + name + "'");
    };

    while (ReadHidTextLine(in.file, path, lineNo, line)) {
        bool unterminated = false;
        const auto words = SplitWords(line, unterminated);
        if (unterminated) fail("unterminated quoted text");
        if (words.empty()) continue;
        const std::string& command = words[0];
        if (command == "device") {
            if (words.size() < 2) fail("device needs a name");
            Device device;
            bool plugged = true;
            for (std::size_t i = 2; i < words.size(); ++i) {
                const auto eq = words[i].find('=');
                if (eq == std::string::npos) fail("'" + words[i] + "' is not key=value");
                const std::string key = words[i].substr(0, eq);
                const std::string value = words[i].substr(eq + 1);
                const KeyResult result = SetDeviceKey(key, value, device, plugged);
                if (result == KeyResult::Unknown) fail("unknown device key '" + key + "'");
                if (result == KeyResult::BadValue) {
                    fail("bad value for " + key + ": '" + value + "'");
                }
            }
            declared[words[1]] = device;
            backend->Plug(words[1], device);
            if (!plugged) backend->Unplug(words[1]);
        } else if (command == "report") {
            if (words.size() < 2) fail("report needs a device name");
            needDevice(words[1]);
            std::string text;
            for (std::size_t i = 2; i < words.size(); ++i) text += words[i] + " ";
            std::vector<std::uint8_t> bytes;
            if (!ParseHidReportText(text, bytes, reason)) fail(reason);
            if (bytes.empty()) fail("a report needs at least its report ID");
            backend->QueueReport(words[1], std::move(bytes));
        } else if (command == "reports") {
            if (words.size() != 3) fail("reports needs a device name and a file");
            needDevice(words[1]);
            const std::string file = words[2].rfind('/', 0) == 0 ? words[2] : folder + words[2];
            FileCloser reports{OpenText(file, reason)};
            if (!reports.file) fail("cannot read '" + file + "': " + reason);
            ReadHidReportText(reports.file, file, [&](std::vector<std::uint8_t>& bytes) {
                backend->QueueReport(words[1], std::move(bytes));
            });
        } else if (command == "error") {
            std::uint32_t code = 0;
            if (words.size() != 3 || !ParseDecimal(words[2], code)) {
                fail("error needs a device name and a decimal code");
            }
            needDevice(words[1]);
            backend->QueueError(words[1], code);
        } else if (command == "interval") {
            int ms = 0;
            if (words.size() != 3 || !ParseDecimal(words[2], ms)) {
                fail("interval needs a device name and milliseconds from 0 on");
            }
            needDevice(words[1]);
            backend->SetReportInterval(words[1], ms);
        } else if (command == "repeat") {
            if (words.size() != 2 && (words.size() != 3 || words[2] != "last")) {
                fail("expected: repeat NAME [last]");
            }
            needDevice(words[1]);
            backend->SetRepeat(words[1], words.size() == 3 ? Repeat::Last : Repeat::All);
        } else if (command == "at") {
            int ms = 0;
            if (words.size() != 4 || (words[2] != "plug" && words[2] != "unplug")) {
                fail("expected: at MILLISECONDS plug|unplug NAME");
            }
            if (!ParseDecimal(words[1], ms)) {
                fail("'" + words[1] + "' is not a number of milliseconds from 0 on");
            }
            needDevice(words[3]);
            backend->timedChanges_.push_back({ms, words[2] == "plug", words[3]});
        } else {
            fail("unknown command '" + command + "'");
        }
    }
    return backend;
}

}  // namespace varlo

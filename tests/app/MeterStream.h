#pragma once

// Meter bytes for the window tests: frames as the meter sends them, and the
// sample stream that ships with the project, fed to a session the way the
// serial driver hands it the bytes it reads.

#include <QFile>
#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "followup/MeterSession.h"

namespace varlo::app::testing {

// Steady DC volts, AUTO: "0.1234" V.
inline constexpr char kSteadyFrame[] = "A001234B000A0D";

// A frame text "A...D" as it arrives on the line: the line feed that ends
// the meter's previous frame, 0x30 + each data nibble, the carriage return.
inline std::vector<std::uint8_t> WireBytes(const std::string& frame) {
    std::vector<std::uint8_t> bytes{0x0A};
    for (std::size_t i = 1; i + 1 < frame.size(); ++i) {
        const char c = frame[i];
        bytes.push_back(static_cast<std::uint8_t>(0x30 + (c <= '9' ? c - '0' : c - 'A' + 10)));
    }
    bytes.push_back(0x0D);
    return bytes;
}

// `frame` `times` times over the serial link.
inline void Feed(MeterSession& session, const std::string& frame, int times = 1) {
    const std::vector<std::uint8_t> bytes = WireBytes(frame);
    for (int i = 0; i < times; ++i) session.OnSerialData(bytes.data(), bytes.size());
}

// The whole of a file.
inline std::vector<std::uint8_t> FileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read " + path.toStdString());
    }
    const QByteArray data = file.readAll();
    return {data.begin(), data.end()};
}

// `bytes` in reads of `chunk` bytes, so that frames arrive cut anywhere.
inline void Replay(MeterSession& session, const std::vector<std::uint8_t>& bytes,
                   std::size_t chunk = 37) {
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        session.OnSerialData(bytes.data() + at, std::min(chunk, bytes.size() - at));
    }
}

// The sample stream of the project: 53 frames of every function.
inline std::vector<std::uint8_t> SampleStream() {
    return FileBytes(QStringLiteral(VARLO_TEST_DATA "/../samples/meter-stream.bin"));
}

}  // namespace varlo::app::testing

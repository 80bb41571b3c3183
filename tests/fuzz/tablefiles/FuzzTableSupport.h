#pragma once

#include <QBuffer>
#include <QByteArray>
#include <cstdlib>
#include <string>

#include "recording/ReadingLog.h"

namespace varlo::fuzz {

inline QByteArray Bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

template <typename Read>
bool ReadBytes(const QByteArray& bytes, ReadingLog& log, Read read) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return read(buffer, log);
}

template <typename Write>
QByteArray WriteBytes(const ReadingLog& log, Write write) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!write(log, buffer)) std::abort();
    buffer.close();
    return bytes;
}

// Every stored text within the column limit.
inline void CheckTexts(const ReadingLog& log) {
    for (std::size_t row = 0; row < log.RowCount(); ++row) {
        for (int column = 0; column < ReadingLog::kColumnCount; ++column) {
            if (ReadingLog::IsIntegerColumn(column)) continue;
            const std::string_view text = log.TextView(row, column);
            if (ReadingLog::CutText(text) != text) std::abort();
        }
    }
}

inline bool SameRows(const ReadingLog& a, const ReadingLog& b) {
    if (a.RowCount() != b.RowCount()) return false;
    for (std::size_t row = 0; row < a.RowCount(); ++row) {
        for (int column = 0; column < ReadingLog::kColumnCount; ++column) {
            if (a.IsNull(row, column) != b.IsNull(row, column)) return false;
            if (a.Text(row, column) != b.Text(row, column)) return false;
        }
    }
    return true;
}

}  // namespace varlo::fuzz

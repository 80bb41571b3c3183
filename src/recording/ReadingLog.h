#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "recording/TextDictionary.h"

namespace varlo {

// Listens to a reading log (the grid model does).
class ReadingLogObserver {
  public:
    virtual ~ReadingLogObserver() = default;
    virtual void RowsAppended(std::size_t first, std::size_t last) = 0;  // inclusive
    virtual void RowsReset() = 0;  // cleared, truncated or replaced
};

// The in-memory table of recorded readings: seven columns in a fixed order,
// rows in insertion order, every field either null or holding a value.
//
// Storage is compact because recorded texts repeat a lot: each text column
// keeps a dictionary of its distinct texts and a row stores 32-bit ids, so a
// recorded row costs 32 bytes plus its share of the dictionaries. Rows live in
// fixed-size chunks, so growing never copies the table and never holds more
// than one partly used chunk.
class ReadingLog {
  public:
    static constexpr int kColumnCount = 7;             // No, time, DC/AC, Value, Unit, Auto, NVal
    static constexpr std::size_t kMaxTextLength = 20;  // characters (common/Utf8.h), not bytes

    enum Column : int { kNo = 0, kTime, kFunction, kValue, kUnit, kAuto, kNVal };

    static std::string_view ColumnName(int column);  // throws std::out_of_range
    static int ColumnIndex(std::string_view name);   // case-insensitive; -1 when no such column
    static bool IsIntegerColumn(
        int column);  // No and NVal: 32-bit signed integers; false for no column

    // Cuts a UTF-8 text to its first kMaxTextLength characters (a byte that
    // is not well-formed UTF-8 being one character).
    static std::string_view CutText(std::string_view utf8);

    ReadingLog();
    ~ReadingLog();
    ReadingLog(const ReadingLog&) = delete;
    ReadingLog& operator=(const ReadingLog&) = delete;

    std::size_t RowCount() const { return rowCount_; }

    // Appends a row with all columns null and returns its index. Announces
    // the row to the observer unless notifications are suspended.
    std::size_t AppendRow();

    // Appends a fully set row and announces it once, after all fields are
    // set (the recorder's commit).
    std::size_t AppendRow(std::optional<std::int32_t> no, std::string_view time,
                          std::string_view function, std::string_view value, std::string_view unit,
                          std::string_view judge, std::optional<std::int32_t> nval);

    // Text columns: the text is cut to kMaxTextLength characters. Integer
    // columns take a decimal integer text (an empty text sets null) and
    // reject any other text with the "not a valid integer value" error,
    // leaving the field unchanged.
    void SetText(std::size_t row, int column, std::string_view utf8);
    // Integer columns only (std::invalid_argument otherwise); nullopt sets null.
    void SetInt(std::size_t row, int column, std::optional<std::int32_t> value);
    // Sets a field back to null.
    void SetNull(std::size_t row, int column);

    bool IsNull(std::size_t row, int column) const;
    // Integer columns only (std::invalid_argument otherwise).
    std::optional<std::int32_t> Int(std::size_t row, int column) const;
    // UTF-8; "" for null; integers in decimal.
    std::string Text(std::size_t row, int column) const;
    // Text columns only: a view into the log, valid until Clear.
    std::string_view TextView(std::size_t row, int column) const;

    void Clear();                           // all rows
    void TruncateTo(std::size_t rowCount);  // drop rows from rowCount on
    // A point to come back to: the rows and the distinct texts held now. A
    // load that fails rolls back to it, leaving the log as it was, its
    // memory included.
    struct Checkpoint {
        std::size_t rows = 0;
        std::size_t texts[5] = {};
    };
    Checkpoint MakeCheckpoint() const;
    void RollBack(const Checkpoint& checkpoint);
    // Drops the first `count` rows and keeps the rest in order, in place (a
    // load that replaces the rows reads the new ones behind the old first).
    void EraseFront(std::size_t count);

    void SetObserver(ReadingLogObserver* observer) { observer_ = observer; }
    // Loaders append silently, then announce once on success.
    void SetNotificationsSuspended(bool suspended) { suspended_ = suspended; }
    bool NotificationsSuspended() const { return suspended_; }
    void NotifyRowsAppended(std::size_t first, std::size_t last);
    void NotifyReset();

    // Bytes held for rows: row chunks and text dictionaries.
    std::size_t MemoryBytes() const;

  private:
    static constexpr int kTextColumnCount = 5;
    static constexpr std::size_t kChunkRows = 8192;

    struct Row {
        std::int32_t no;
        std::int32_t nval;
        std::uint32_t textId[kTextColumnCount];  // 0 = null, else dictionary index + 1
        std::uint8_t intNull;                    // bit 0: No null, bit 1: NVal null
    };

    Row& RowAt(std::size_t row);
    const Row& RowAt(std::size_t row) const;
    std::size_t AppendRowSilently();
    static int TextSlot(int column);  // throws for integer columns
    static void CheckColumn(int column);

    std::vector<std::unique_ptr<Row[]>> chunks_;
    std::size_t rowCount_ = 0;
    TextDictionary dictionaries_[kTextColumnCount];
    ReadingLogObserver* observer_ = nullptr;
    bool suspended_ = false;
};

}  // namespace varlo

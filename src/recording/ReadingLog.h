#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "recording/CompactText.h"
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
// Storage is compact so that a log can run all day: a row holds its two
// integers and one 32-bit cell per text column, 28 bytes and two null bits.
// A cell holds a value or time text of the meter's shapes itself (see
// CompactText.h); any other text goes to the column's dictionary of
// distinct texts and the cell holds its id. Either way a text reads back
// byte for byte as it was set. Rows live in fixed-size chunks, so growing
// never copies the table and never holds more than one partly used chunk.
//
// The log belongs to one thread: reading a text may use the log's own
// buffers (see TextView).
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
    // Text columns only: a view of the text without a copy. A text held in
    // a dictionary is viewed in place, until the log is cleared, rolled back
    // or its front erased. A text held in its cell is written into one of
    // kTextViewBuffers buffers of the log, taken in turn: its view lasts
    // until that many more texts were viewed, so the views of a whole row
    // can be held at once. Use Text for a copy that lasts.
    std::string_view TextView(std::size_t row, int column) const;
    static constexpr std::size_t kTextViewBuffers = 8;

    void Clear();                           // all rows
    void TruncateTo(std::size_t rowCount);  // drop rows from rowCount on
    // A point to come back to: the rows and the distinct texts held now. A
    // load that fails rolls back to it, leaving the log as it was, its
    // memory included.
    struct Checkpoint {
        std::size_t rows = 0;
        std::size_t texts[5] = {};
        std::size_t separators = 0;
    };
    Checkpoint MakeCheckpoint() const;
    void RollBack(const Checkpoint& checkpoint);
    // Drops the first `count` rows and keeps the rest in order, in place (a
    // load that replaces the rows reads the new ones behind the old first).
    void EraseFront(std::size_t count);

    // Exchanges the rows and texts of two logs without copying them: a load
    // that replaces the rows reads into a log of its own and swaps it in
    // once complete. Observers and their suspension stay with their logs,
    // and hear nothing. Views of texts follow the rows they came from.
    void SwapRows(ReadingLog& other) noexcept;

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
    static constexpr std::size_t kNullWords = kChunkRows / 64;

    struct Row {
        std::int32_t no;
        std::int32_t nval;
        std::uint32_t cell[kTextColumnCount];  // see CompactText.h
    };
    struct Chunk {
        Row rows[kChunkRows];
        // One bit a row: set while No, or NVal, is null.
        std::uint64_t noNull[kNullWords];
        std::uint64_t nvalNull[kNullWords];
    };
    // Where a row lives.
    struct Place {
        Chunk* chunk;
        std::size_t index;  // within the chunk
        Row& row() const { return chunk->rows[index]; }
    };

    Place PlaceOf(std::size_t row) const;  // throws std::out_of_range
    std::size_t AppendRowSilently();
    std::uint32_t CellFor(int slot, std::string_view utf8);
    // The text of a cell that is not null; `buffer` takes a compact one.
    std::string_view CellText(int slot, std::uint32_t cell, char* buffer) const;
    static bool IntNull(const Place& place, int column);
    static void SetIntNull(const Place& place, int column, bool null);
    static int TextSlot(int column);  // throws for integer columns
    static void CheckColumn(int column);

    std::vector<std::unique_ptr<Chunk>> chunks_;
    std::size_t rowCount_ = 0;
    TextDictionary dictionaries_[kTextColumnCount];
    SeparatorTable separators_;
    mutable char viewBuffers_[kTextViewBuffers][compact_text::kMaxBytes] = {};
    mutable std::size_t nextViewBuffer_ = 0;
    ReadingLogObserver* observer_ = nullptr;
    bool suspended_ = false;
};

}  // namespace varlo

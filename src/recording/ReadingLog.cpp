#include "recording/ReadingLog.h"

#include <array>
#include <charconv>
#include <limits>
#include <stdexcept>
#include <utility>

#include "common/Utf8.h"
#include "common/VarloError.h"

namespace varlo {

namespace {

constexpr std::array<std::string_view, ReadingLog::kColumnCount> kColumnNames = {
    "No", "time", "DC/AC", "Value", "Unit", "Auto", "NVal"};

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

}  // namespace

std::string_view ReadingLog::ColumnName(int column) {
    CheckColumn(column);
    return kColumnNames[static_cast<std::size_t>(column)];
}

int ReadingLog::ColumnIndex(std::string_view name) {
    for (int i = 0; i < kColumnCount; ++i) {
        if (EqualsIgnoringCase(name, kColumnNames[static_cast<std::size_t>(i)])) return i;
    }
    return -1;
}

bool ReadingLog::IsIntegerColumn(int column) {
    return column == kNo || column == kNVal;
}

std::string_view ReadingLog::CutText(std::string_view utf8) {
    // Cut before the first character past the limit, so a multi-byte
    // character is never split. A byte that is not well-formed UTF-8 counts
    // as a character of its own, as the table files write it (one "?"), so a
    // text saved and loaded again is never cut a second time.
    return utf8.substr(0, Utf8Offset(utf8, kMaxTextLength));
}

ReadingLog::ReadingLog() = default;
ReadingLog::~ReadingLog() = default;

void ReadingLog::CheckColumn(int column) {
    if (column < 0 || column >= kColumnCount) {
        throw std::out_of_range("ReadingLog: no column " + std::to_string(column));
    }
}

int ReadingLog::TextSlot(int column) {
    CheckColumn(column);
    if (column == kNo || column == kNVal) {
        throw std::invalid_argument("ReadingLog: column " + std::string(kColumnNames[column]) +
                                    " holds integers");
    }
    return column - 1;
}

ReadingLog::Place ReadingLog::PlaceOf(std::size_t row) const {
    if (row >= rowCount_) {
        throw std::out_of_range("ReadingLog: no row " + std::to_string(row));
    }
    return {chunks_[row / kChunkRows].get(), row % kChunkRows};
}

bool ReadingLog::IntNull(const Place& place, int column) {
    const std::uint64_t* bits = column == kNo ? place.chunk->noNull : place.chunk->nvalNull;
    return (bits[place.index / 64] >> (place.index % 64)) & 1u;
}

void ReadingLog::SetIntNull(const Place& place, int column, bool null) {
    std::uint64_t* bits = column == kNo ? place.chunk->noNull : place.chunk->nvalNull;
    const std::uint64_t bit = std::uint64_t{1} << (place.index % 64);
    if (null) {
        bits[place.index / 64] |= bit;
    } else {
        bits[place.index / 64] &= ~bit;
    }
}

std::size_t ReadingLog::AppendRowSilently() {
    if (rowCount_ == chunks_.size() * kChunkRows) {
        chunks_.push_back(std::make_unique_for_overwrite<Chunk>());
    }
    const std::size_t index = rowCount_++;
    const Place place = PlaceOf(index);
    Row& row = place.row();
    row.no = 0;
    row.nval = 0;
    for (auto& cell : row.cell) cell = compact_text::kNull;
    SetIntNull(place, kNo, true);
    SetIntNull(place, kNVal, true);
    return index;
}

std::uint32_t ReadingLog::CellFor(int slot, std::string_view utf8) {
    const std::string_view text = CutText(utf8);
    if (const auto cell = compact_text::Encode(text, separators_)) return *cell;
    // Ids leave the top bit of a cell to the compact texts.
    if (dictionaries_[slot].Size() >= compact_text::kCompactBit - 1) {
        throw std::length_error("ReadingLog: too many distinct texts");
    }
    return dictionaries_[slot].Intern(text) + 1;
}

std::string_view ReadingLog::CellText(int slot, std::uint32_t cell, char* buffer) const {
    if (compact_text::IsCompact(cell)) {
        return {buffer, compact_text::Decode(cell, separators_, buffer)};
    }
    return dictionaries_[slot].At(cell - 1);
}

std::size_t ReadingLog::AppendRow() {
    const std::size_t index = AppendRowSilently();
    NotifyRowsAppended(index, index);
    return index;
}

std::size_t ReadingLog::AppendRow(std::optional<std::int32_t> no, std::string_view time,
                                  std::string_view function, std::string_view value,
                                  std::string_view unit, std::string_view judge,
                                  std::optional<std::int32_t> nval) {
    const std::size_t index = AppendRowSilently();
    SetInt(index, kNo, no);
    SetText(index, kTime, time);
    SetText(index, kFunction, function);
    SetText(index, kValue, value);
    SetText(index, kUnit, unit);
    SetText(index, kAuto, judge);
    SetInt(index, kNVal, nval);
    NotifyRowsAppended(index, index);
    return index;
}

void ReadingLog::SetText(std::size_t row, int column, std::string_view utf8) {
    CheckColumn(column);
    if (column == kNo || column == kNVal) {
        if (utf8.empty()) {
            SetInt(row, column, std::nullopt);
            return;
        }
        std::string_view digits = utf8;
        if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-') digits.remove_prefix(1);
        std::int32_t value = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || end != digits.data() + digits.size()) {
            throw InvalidIntegerError(std::string(utf8));
        }
        SetInt(row, column, value);
        return;
    }
    const Place place = PlaceOf(row);
    const int slot = column - 1;
    place.row().cell[slot] = CellFor(slot, utf8);
}

void ReadingLog::SetInt(std::size_t row, int column, std::optional<std::int32_t> value) {
    CheckColumn(column);
    if (column != kNo && column != kNVal) {
        throw std::invalid_argument("ReadingLog: column " + std::string(kColumnNames[column]) +
                                    " holds texts");
    }
    const Place place = PlaceOf(row);
    std::int32_t& field = column == kNo ? place.row().no : place.row().nval;
    field = value.value_or(0);
    SetIntNull(place, column, !value.has_value());
}

void ReadingLog::SetNull(std::size_t row, int column) {
    CheckColumn(column);
    if (column == kNo || column == kNVal) {
        SetInt(row, column, std::nullopt);
    } else {
        PlaceOf(row).row().cell[column - 1] = compact_text::kNull;
    }
}

bool ReadingLog::IsNull(std::size_t row, int column) const {
    CheckColumn(column);
    const Place place = PlaceOf(row);
    if (column == kNo || column == kNVal) return IntNull(place, column);
    return place.row().cell[column - 1] == compact_text::kNull;
}

std::optional<std::int32_t> ReadingLog::Int(std::size_t row, int column) const {
    CheckColumn(column);
    if (column != kNo && column != kNVal) {
        throw std::invalid_argument("ReadingLog: column " + std::string(kColumnNames[column]) +
                                    " holds texts");
    }
    const Place place = PlaceOf(row);
    if (IntNull(place, column)) return std::nullopt;
    return column == kNo ? place.row().no : place.row().nval;
}

std::string ReadingLog::Text(std::size_t row, int column) const {
    CheckColumn(column);
    if (column == kNo || column == kNVal) {
        const auto value = Int(row, column);
        return value ? std::to_string(*value) : std::string();
    }
    const int slot = column - 1;
    const std::uint32_t cell = PlaceOf(row).row().cell[slot];
    if (cell == compact_text::kNull) return {};
    char buffer[compact_text::kMaxBytes];
    return std::string(CellText(slot, cell, buffer));
}

std::string_view ReadingLog::TextView(std::size_t row, int column) const {
    const int slot = TextSlot(column);
    const std::uint32_t cell = PlaceOf(row).row().cell[slot];
    if (cell == compact_text::kNull) return {};
    char* buffer = viewBuffers_[nextViewBuffer_];
    if (compact_text::IsCompact(cell)) nextViewBuffer_ = (nextViewBuffer_ + 1) % kTextViewBuffers;
    return CellText(slot, cell, buffer);
}

void ReadingLog::Clear() {
    chunks_.clear();
    chunks_.shrink_to_fit();
    rowCount_ = 0;
    for (auto& dictionary : dictionaries_) dictionary.Clear();
    separators_.Clear();
    NotifyReset();
}

void ReadingLog::TruncateTo(std::size_t rowCount) {
    if (rowCount >= rowCount_) return;
    rowCount_ = rowCount;
    const std::size_t chunksNeeded = (rowCount + kChunkRows - 1) / kChunkRows;
    chunks_.resize(chunksNeeded);
    // Texts interned by the dropped rows stay in the dictionaries until the
    // next Clear; they are few next to the rows themselves.
    NotifyReset();
}

ReadingLog::Checkpoint ReadingLog::MakeCheckpoint() const {
    Checkpoint checkpoint;
    checkpoint.rows = rowCount_;
    for (int slot = 0; slot < kTextColumnCount; ++slot) {
        checkpoint.texts[slot] = dictionaries_[slot].Size();
    }
    checkpoint.separators = separators_.Size();
    return checkpoint;
}

void ReadingLog::RollBack(const Checkpoint& checkpoint) {
    if (checkpoint.rows == 0) {
        if (rowCount_ > 0 || MemoryBytes() > 0 || separators_.Size() > 0) Clear();
        return;
    }
    TruncateTo(checkpoint.rows);
    // Rows before the checkpoint use only texts and separators from before it.
    for (int slot = 0; slot < kTextColumnCount; ++slot) {
        dictionaries_[slot].TruncateTo(checkpoint.texts[slot]);
    }
    separators_.TruncateTo(checkpoint.separators);
}

void ReadingLog::EraseFront(std::size_t count) {
    if (count == 0) return;
    if (count >= rowCount_) {
        Clear();
        return;
    }
    const std::size_t keep = rowCount_ - count;
    for (std::size_t row = 0; row < keep; ++row) {
        const Place to = PlaceOf(row), from = PlaceOf(row + count);
        to.row() = from.row();
        SetIntNull(to, kNo, IntNull(from, kNo));
        SetIntNull(to, kNVal, IntNull(from, kNVal));
    }
    rowCount_ = keep;
    chunks_.resize((keep + kChunkRows - 1) / kChunkRows);
    // The dictionaries again from the rows kept, so that texts only the
    // dropped rows used are given back. Compact cells hold their texts.
    for (int slot = 0; slot < kTextColumnCount; ++slot) {
        TextDictionary kept;
        for (std::size_t row = 0; row < keep; ++row) {
            std::uint32_t& cell = PlaceOf(row).row().cell[slot];
            if (cell != compact_text::kNull && !compact_text::IsCompact(cell)) {
                cell = kept.Intern(dictionaries_[slot].At(cell - 1)) + 1;
            }
        }
        dictionaries_[slot].Swap(kept);
    }
    NotifyReset();
}

void ReadingLog::SwapRows(ReadingLog& other) noexcept {
    chunks_.swap(other.chunks_);
    std::swap(rowCount_, other.rowCount_);
    for (int slot = 0; slot < kTextColumnCount; ++slot) {
        dictionaries_[slot].Swap(other.dictionaries_[slot]);
    }
    std::swap(separators_, other.separators_);
}

void ReadingLog::NotifyRowsAppended(std::size_t first, std::size_t last) {
    if (observer_ && !suspended_) observer_->RowsAppended(first, last);
}

void ReadingLog::NotifyReset() {
    if (observer_ && !suspended_) observer_->RowsReset();
}

std::size_t ReadingLog::MemoryBytes() const {
    std::size_t bytes = chunks_.capacity() * sizeof(chunks_[0]);
    bytes += chunks_.size() * sizeof(Chunk);
    for (const auto& dictionary : dictionaries_) bytes += dictionary.MemoryBytes();
    return bytes;
}

}  // namespace varlo

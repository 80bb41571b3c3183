#pragma once

#include <cstddef>
#include <memory>

namespace varlo {

// The recorded values of the trend chart, stored once for all series.
// Values live in fixed blocks, so the store never holds more than one
// partly filled block beyond 8 bytes a value, and growing never copies what
// is already there. The block table is allocated at the first append and
// released, with every block, by Clear.
class ValueStore {
  public:
    static constexpr std::size_t kBlockShift = 16;
    static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockShift;  // values per block
    static constexpr std::size_t kMaxBlocks = 32768;
    // Point indices of the chart are signed 32-bit and one index is kept
    // for a placeholder.
    static constexpr std::size_t kCapacity = 2147483647u - 1u;

    ValueStore() = default;
    ValueStore(const ValueStore&) = delete;
    ValueStore& operator=(const ValueStore&) = delete;

    std::size_t Size() const { return size_; }
    // Throws std::length_error when the store is full.
    void Append(double value);
    double operator[](std::size_t index) const {
        return blocks_[index >> kBlockShift][index & (kBlockSize - 1)];
    }
    void Clear();
    // Bytes held for values and the block table.
    std::size_t AllocatedBytes() const;

  private:
    std::unique_ptr<std::unique_ptr<double[]>[]> blocks_;
    std::size_t blockCount_ = 0;
    std::size_t size_ = 0;
};

}  // namespace varlo

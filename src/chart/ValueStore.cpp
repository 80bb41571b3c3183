#include "chart/ValueStore.h"

#include <stdexcept>

namespace varlo {

void ValueStore::Append(double value) {
    if (size_ >= kCapacity) throw std::length_error("The chart holds no more points");
    if (!blocks_) blocks_ = std::make_unique<std::unique_ptr<double[]>[]>(kMaxBlocks);
    const std::size_t block = size_ >> kBlockShift;
    if (block == blockCount_) {
        blocks_[block] = std::make_unique_for_overwrite<double[]>(kBlockSize);
        ++blockCount_;
    }
    blocks_[block][size_ & (kBlockSize - 1)] = value;
    ++size_;
}

void ValueStore::Clear() {
    blocks_.reset();
    blockCount_ = 0;
    size_ = 0;
}

std::size_t ValueStore::AllocatedBytes() const {
    if (!blocks_) return 0;
    return kMaxBlocks * sizeof(std::unique_ptr<double[]>) +
           blockCount_ * kBlockSize * sizeof(double);
}

}  // namespace varlo

#include "recording/TextDictionary.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <stdexcept>

namespace varlo {

namespace {

constexpr std::size_t kFirstSlots = 64;
constexpr std::size_t kFirstBlockBytes = 256;
constexpr std::size_t kMaxBlockBytes = 64 * 1024;

std::uint32_t Hash32(std::string_view text) {
    const std::size_t hash = std::hash<std::string_view>{}(text);
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

std::uint64_t Slot(std::uint32_t hash, std::uint32_t id) {
    return (static_cast<std::uint64_t>(hash) << 32) | (static_cast<std::uint64_t>(id) + 1);
}

std::uint32_t SlotHash(std::uint64_t slot) {
    return static_cast<std::uint32_t>(slot >> 32);
}
std::uint32_t SlotId(std::uint64_t slot) {
    return static_cast<std::uint32_t>(slot) - 1;
}

}  // namespace

std::uint32_t TextDictionary::Intern(std::string_view text) {
    // Consecutive rows mostly repeat their function, unit and judgement:
    // the last text is checked before hashing.
    if (lastId_ < texts_.size() && texts_[lastId_] == text) return lastId_;
    if (slots_.empty()) slots_.assign(kFirstSlots, 0);

    const std::uint32_t hash = Hash32(text);
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i] != 0) {
        if (SlotHash(slots_[i]) == hash && texts_[SlotId(slots_[i])] == text) {
            lastId_ = SlotId(slots_[i]);
            return lastId_;
        }
        i = (i + 1) & mask;
    }

    if (texts_.size() >= std::numeric_limits<std::uint32_t>::max() - 1) {
        throw std::length_error("TextDictionary: too many distinct texts");
    }
    const auto id = static_cast<std::uint32_t>(texts_.size());
    texts_.push_back(Store(text));
    slots_[i] = Slot(hash, id);
    lastId_ = id;
    if (texts_.size() * 2 > slots_.size()) Grow();
    return id;
}

std::string_view TextDictionary::Store(std::string_view text) {
    if (text.empty()) return {};
    if (blocks_.empty() || blockUsed_ + text.size() > blockSizes_.back()) {
        // Blocks double up to a cap; a text larger than the cap gets its own.
        const std::size_t next =
            blocks_.empty() ? kFirstBlockBytes : std::min(blockSizes_.back() * 2, kMaxBlockBytes);
        const std::size_t bytes = std::max(next, text.size());
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(bytes));
        blockSizes_.push_back(bytes);
        blockUsed_ = 0;
    }
    char* place = blocks_.back().get() + blockUsed_;
    std::memcpy(place, text.data(), text.size());
    blockUsed_ += text.size();
    return {place, text.size()};
}

void TextDictionary::Grow() {
    std::vector<std::uint64_t> bigger(slots_.size() * 2, 0);
    const std::size_t mask = bigger.size() - 1;
    for (std::uint64_t slot : slots_) {
        if (slot == 0) continue;
        std::size_t i = SlotHash(slot) & mask;
        while (bigger[i] != 0) i = (i + 1) & mask;
        bigger[i] = slot;
    }
    slots_.swap(bigger);
}

void TextDictionary::Clear() {
    // Swapping with empty containers gives their memory back.
    decltype(blocks_)().swap(blocks_);
    decltype(blockSizes_)().swap(blockSizes_);
    decltype(texts_)().swap(texts_);
    decltype(slots_)().swap(slots_);
    blockUsed_ = 0;
    lastId_ = 0;
}

void TextDictionary::TruncateTo(std::size_t size) {
    if (size >= texts_.size()) return;
    if (size == 0) {
        Clear();
        return;
    }
    // Texts are stored one after another, so the storage of the first text
    // dropped (that has any) starts what can go.
    for (std::size_t id = size; id < texts_.size(); ++id) {
        if (texts_[id].empty()) continue;
        const char* first = texts_[id].data();
        for (std::size_t b = 0; b < blocks_.size(); ++b) {
            const char* begin = blocks_[b].get();
            if (first >= begin && first < begin + blockSizes_[b]) {
                blocks_.resize(b + 1);
                blockSizes_.resize(b + 1);
                blockUsed_ = static_cast<std::size_t>(first - begin);
                break;
            }
        }
        break;
    }
    texts_.resize(size);
    texts_.shrink_to_fit();
    lastId_ = 0;
    // The lookup table again, as small as the remaining texts allow.
    std::size_t slots = kFirstSlots;
    while (slots < texts_.size() * 2 + 2) slots *= 2;
    std::vector<std::uint64_t> table(slots, 0);
    const std::size_t mask = slots - 1;
    for (std::size_t id = 0; id < texts_.size(); ++id) {
        const std::uint32_t hash = Hash32(texts_[id]);
        std::size_t i = hash & mask;
        while (table[i] != 0) i = (i + 1) & mask;
        table[i] = Slot(hash, static_cast<std::uint32_t>(id));
    }
    slots_.swap(table);
}

void TextDictionary::Swap(TextDictionary& other) noexcept {
    blocks_.swap(other.blocks_);
    blockSizes_.swap(other.blockSizes_);
    std::swap(blockUsed_, other.blockUsed_);
    texts_.swap(other.texts_);
    slots_.swap(other.slots_);
    std::swap(lastId_, other.lastId_);
}

std::size_t TextDictionary::MemoryBytes() const {
    std::size_t bytes =
        blocks_.capacity() * sizeof(blocks_[0]) + blockSizes_.capacity() * sizeof(blockSizes_[0]) +
        texts_.capacity() * sizeof(texts_[0]) + slots_.capacity() * sizeof(slots_[0]);
    for (std::size_t size : blockSizes_) bytes += size;
    return bytes;
}

}  // namespace varlo

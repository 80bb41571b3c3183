#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace varlo {

// The distinct texts of one column, each with a dense 32-bit id in order of
// first appearance. Texts are copied into fixed blocks that never move, so a
// text's view stays valid until Clear. Lookup is an open-addressing table of
// 64-bit slots (32 bits of hash, id + 1), kept at most half full.
class TextDictionary {
  public:
    TextDictionary() = default;
    TextDictionary(const TextDictionary&) = delete;
    TextDictionary& operator=(const TextDictionary&) = delete;

    // The id of `text`, added when new.
    std::uint32_t Intern(std::string_view text);
    std::string_view At(std::uint32_t id) const { return texts_[id]; }
    std::size_t Size() const { return texts_.size(); }
    void Clear();
    // Forgets the texts from id `size` on (the texts added after a mark),
    // giving back their storage.
    void TruncateTo(std::size_t size);
    void Swap(TextDictionary& other) noexcept;
    // Bytes held: text blocks, the id list and the lookup table.
    std::size_t MemoryBytes() const;

  private:
    std::string_view Store(std::string_view text);
    void Grow();

    std::vector<std::unique_ptr<char[]>> blocks_;
    std::vector<std::size_t> blockSizes_;
    std::size_t blockUsed_ = 0;
    std::vector<std::string_view> texts_;
    std::vector<std::uint64_t> slots_;  // 0 = empty
    std::uint32_t lastId_ = 0;
};

}  // namespace varlo

#include "recording/EditBox.h"

namespace varlo {

namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// A change handler that keeps replacing the text would recurse without end;
// a well-formed one settles on the second pass.
constexpr int kMaxChangeDepth = 8;

}  // namespace

std::string Utf8Encode(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

char32_t FirstCodePoint(std::string_view utf8) {
    if (utf8.empty()) return 0;
    const auto lead = static_cast<unsigned char>(utf8[0]);
    int extra = 0;
    char32_t cp = lead;
    if (lead >= 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else if (lead >= 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if (lead >= 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    }
    for (int i = 1; i <= extra && i < static_cast<int>(utf8.size()); ++i) {
        cp = (cp << 6) | (static_cast<unsigned char>(utf8[static_cast<std::size_t>(i)]) & 0x3F);
    }
    return cp;
}

EditBox::EditBox(std::string text) : text_(std::move(text)) {
    selStart_ = Length();
}

std::size_t EditBox::Length() const {
    std::size_t characters = 0;
    for (char c : text_) {
        if (!IsContinuationByte(c)) ++characters;
    }
    return characters;
}

std::size_t EditBox::ByteOffset(std::size_t characters) const {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text_.size(); ++i) {
        if (!IsContinuationByte(text_[i])) {
            if (seen == characters) return i;
            ++seen;
        }
    }
    return text_.size();
}

std::string EditBox::SelectedText() const {
    const std::size_t from = ByteOffset(selStart_);
    return text_.substr(from, ByteOffset(selStart_ + selLength_) - from);
}

void EditBox::SetText(std::string_view text) {
    const bool differs = text != text_;
    text_ = std::string(text);
    selStart_ = Length();
    selLength_ = 0;
    if (differs) Changed();
}

void EditBox::Select(std::size_t start, std::size_t length) {
    const std::size_t size = Length();
    selStart_ = start < size ? start : size;
    selLength_ = length < size - selStart_ ? length : size - selStart_;
}

void EditBox::ReplaceSelection(std::string_view with) {
    const std::size_t from = ByteOffset(selStart_);
    const std::size_t to = ByteOffset(selStart_ + selLength_);
    text_.replace(from, to - from, with);
    std::size_t insertedCharacters = 0;
    for (char c : with) {
        if (!IsContinuationByte(c)) ++insertedCharacters;
    }
    selStart_ += insertedCharacters;
    selLength_ = 0;
}

bool EditBox::KeyPress(char32_t key) {
    if (keyFilter_ && !keyFilter_(key)) return false;
    if (key == kBackspace) {
        if (selLength_ == 0) {
            if (selStart_ == 0) return true;
            --selStart_;
            selLength_ = 1;
        }
        ReplaceSelection({});
        Changed();
        return true;
    }
    if (key < 0x20 || key == 0x7F) return true;
    ReplaceSelection(Utf8Encode(key));
    Changed();
    return true;
}

void EditBox::Changed() {
    if (!onChange_ || changeDepth_ >= kMaxChangeDepth) return;
    ++changeDepth_;
    try {
        onChange_(*this);
    } catch (...) {
        --changeDepth_;
        throw;
    }
    --changeDepth_;
}

}  // namespace varlo

#include "recording/EditBox.h"

namespace varlo {

namespace {

// A change handler that keeps replacing the text would recurse without end;
// a well-formed one settles on the second pass.
constexpr int kMaxChangeDepth = 8;

}  // namespace

EditBox::EditBox(std::string text) : text_(std::move(text)) {
    selStart_ = Length();
}

std::size_t EditBox::Length() const {
    return Utf8Length(text_);
}

std::size_t EditBox::ByteOffset(std::size_t characters) const {
    return Utf8Offset(text_, characters);
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
    selStart_ += Utf8Length(with);
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
    std::string typed;
    AppendUtf8(key, typed);
    ReplaceSelection(typed);
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

#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "common/Utf8.h"

namespace varlo {

// The state of a one-line edit box as the input rules see it: its text
// (UTF-8) and its selection, counted in characters. A key filter decides per
// typed character whether the key reaches the text; every change of the text,
// typed or set, runs the change handler, which may replace the text again.
// The window mirrors a QLineEdit through it.
class EditBox {
  public:
    static constexpr char32_t kBackspace = 8;

    using KeyFilter = std::function<bool(char32_t key)>;
    using ChangeHandler = std::function<void(EditBox& edit)>;

    explicit EditBox(std::string text = {});

    const std::string& Text() const { return text_; }
    std::size_t SelStart() const { return selStart_; }
    std::size_t SelLength() const { return selLength_; }
    std::string SelectedText() const;
    std::size_t Length() const;  // in characters

    // Replaces the text, puts the caret at its end and, when the text
    // differs, runs the change handler.
    void SetText(std::string_view text);
    // Selects `length` characters from `start`, both clamped to the text.
    void Select(std::size_t start, std::size_t length);

    // A typed character. Returns false when the key filter discards it.
    // An accepted character replaces the selection (or is inserted at the
    // caret); Backspace deletes the selection or the character before the
    // caret. Other control characters change nothing.
    bool KeyPress(char32_t key);

    void SetKeyFilter(KeyFilter filter) { keyFilter_ = std::move(filter); }
    void SetOnChange(ChangeHandler handler) { onChange_ = std::move(handler); }

  private:
    std::size_t ByteOffset(std::size_t characters) const;
    void ReplaceSelection(std::string_view with);
    void Changed();

    std::string text_;
    std::size_t selStart_ = 0;
    std::size_t selLength_ = 0;
    KeyFilter keyFilter_;
    ChangeHandler onChange_;
    int changeDepth_ = 0;
};

}  // namespace varlo

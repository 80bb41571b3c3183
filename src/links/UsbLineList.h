#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace varlo {

// The contents of a list box: text lines, each with an optional item, and a
// selected line (-1 for none). `Changed` runs after every change, for a view
// that shows the list.
template <class Item>
class UsbLineList {
  public:
    std::size_t Count() const { return lines_.size(); }
    const std::string& Line(std::size_t index) const { return lines_[index]; }
    const std::vector<std::string>& Lines() const { return lines_; }
    Item& ItemAt(std::size_t index) { return items_[index]; }
    int Selected() const { return selected_; }

    void Select(int index) {
        selected_ = (index >= 0 && static_cast<std::size_t>(index) < lines_.size()) ? index : -1;
        Notify();
    }
    // Appends a line without selecting it; returns its index.
    std::size_t Add(std::string line, Item item = Item{}) {
        lines_.push_back(std::move(line));
        items_.push_back(std::move(item));
        Notify();
        return lines_.size() - 1;
    }
    void RemoveFirst() {
        if (lines_.empty()) return;
        lines_.erase(lines_.begin());
        items_.erase(items_.begin());
        if (selected_ >= 0) selected_ = selected_ == 0 ? -1 : selected_ - 1;
        Notify();
    }
    void Clear() {
        lines_.clear();
        items_.clear();
        selected_ = -1;
        Notify();
    }

    std::function<void()> Changed;

  private:
    void Notify() {
        if (Changed) Changed();
    }

    std::vector<std::string> lines_;
    std::vector<Item> items_;
    int selected_ = -1;
};

}  // namespace varlo

#pragma once

#include <optional>
#include <string>

namespace varlo {

// One of the window's file dialogs, as it is set up: what it asks for and
// how it behaves between uses.
struct FileDialogSpec {
    enum class Kind { Open, Save };

    std::string name{};  // the dialog's name in the window, e.g. "SaveDialog2"
    Kind kind = Kind::Open;
    // Pairs of description and pattern, all separated by "|":
    // "Bitmaps (*.bmp)|*.bmp".
    std::string filter{};
    // Added to a chosen name that has no extension; empty adds none.
    std::string defaultExtension{};
    // A save dialog asks before it lets the user pick an existing file.
    bool confirmOverwrite = false;
    // The name field starts empty at every use instead of holding the name
    // chosen last time.
    bool clearNameBeforeUse = false;
    bool resizable = true;
};

// Every file dialog the window shows goes through this interface, so that
// tests answer them without a modal loop.
class FileDialogs {
  public:
    virtual ~FileDialogs() = default;
    // Shows the dialog; the chosen path (UTF-8), or nothing when the user
    // cancels.
    virtual std::optional<std::string> Execute(const FileDialogSpec& dialog) = 0;
};

}  // namespace varlo

#pragma once

#include <span>
#include <string_view>

#include "app/Icons.h"
#include "common/FileDialogs.h"

namespace varlo::app {

// The kinds of control the main window is built of.
enum class ControlKind {
    Panel,       // a container, with a caption when it has one
    ClickPanel,  // a panel used as a button
    Label,
    Edit,
    CheckBox,
    ToggleButton,  // a two-state push button of the window's one group (the connection
                   // keeps at most one of them down)
    CheckButton,   // a two-state push button on its own
    PushButton,
    SpeedButton,  // a flat-standing tool button with a picture or a short caption
    Image,
    Circle,
    ListBox,
    Memo,
    ComboBox,
    Lcd,    // the meter display replica
    Chart,  // the trend chart
    Grid,   // the reading grid
};

// How a control looks beyond its kind: fonts and colours.
enum class Look {
    Default,
    PortPanel,     // silver, lowered, bold Arial
    LinkPanel,     // blue, yellow bold italic Arial
    ValueBox,      // tooltip yellow, bold Arial 21 pixels
    JudgeText,     // bold 32 pixels, centred
    YellowCircle,  // tooltip yellow
    PageNumber,    // blue text
    SilverEdit,
    LimitMark,  // white bold on red, centred
};

// Control states at start, combined with |.
enum ControlFlag : unsigned {
    kShown = 0,
    kHidden = 1u << 0,
    kChecked = 1u << 1,
    kDisabled = 1u << 2,
    kCheckable = 1u << 3,  // menu items that carry a check mark
};

struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// One control of the window: its name (the widget's objectName), kind,
// container ("" for the client area), bounds within the container, caption
// or default text, hint, start state, look and picture. The rows are in tab
// order.
struct ControlRow {
    std::string_view name{};
    ControlKind kind = ControlKind::Label;
    std::string_view parent{};
    Bounds bounds{};
    std::string_view text{};
    std::string_view hint{};
    unsigned flags = kShown;
    Look look = Look::Default;
    Picture picture = Picture::None;
};

// One entry of the menu bar: a menu (`menu` empty) or an item of the named
// menu; a caption "-" is a separator.
struct MenuRow {
    std::string_view name{};
    std::string_view menu{};
    std::string_view caption{};
    unsigned flags = kShown;
};

// The client area: 714 x 477, not resizable.
inline constexpr int kClientWidth = 714;
inline constexpr int kClientHeight = 477;

std::span<const ControlRow> WindowControls();
std::span<const MenuRow> WindowMenus();

// The row of a control by name, or null.
const ControlRow* FindControlRow(std::string_view name);

// The file dialogs.
const FileDialogSpec& OpenDialog1();
const FileDialogSpec& SaveDialog2();
const FileDialogSpec& SavePictureDialog1();

}  // namespace varlo::app

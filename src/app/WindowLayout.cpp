#include "app/WindowLayout.h"

#include <array>

namespace varlo::app {

namespace {

using enum ControlKind;

constexpr std::string_view kContinueRecordHint =
    "If the choice consecution  record data, shift gear then can't clearance data.When the "
    "function file replace, would the data of the clearance record.Thanks!";

// Every control of the main window, in tab order. Containers come before
// their contents; of controls stacked at one place the later one lies on top.
// clang-format off
constexpr std::array kControls = std::to_array<ControlRow>({
    // Top bar; its top 4 pixels lie above the client area.
    {.name = "Panel6", .kind = Panel, .bounds = {5, -4, 707, 34}},
    {.name = "BtCOM2", .kind = ClickPanel, .parent = "Panel6", .bounds = {6, 8, 80, 22},
     .text = "COM 2", .flags = kHidden, .look = Look::PortPanel},
    {.name = "BtCOM1", .kind = ClickPanel, .parent = "Panel6", .bounds = {6, 8, 80, 22},
     .text = "COM 1", .look = Look::PortPanel},
    {.name = "BtCOM3", .kind = ClickPanel, .parent = "Panel6", .bounds = {6, 8, 80, 22},
     .text = "COM 3", .flags = kHidden, .look = Look::PortPanel},
    {.name = "BtCOM4", .kind = ClickPanel, .parent = "Panel6", .bounds = {6, 8, 80, 22},
     .text = "COM 4", .flags = kHidden, .look = Look::PortPanel},
    {.name = "COMCon", .kind = ToggleButton, .parent = "Panel6", .bounds = {92, 7, 108, 24},
     .text = "COM Connect"},
    {.name = "USBCon", .kind = ToggleButton, .parent = "Panel6", .bounds = {206, 7, 108, 24},
     .text = "USB Connect", .hint = "USB Connect"},
    {.name = "BitBtn1", .kind = PushButton, .parent = "Panel6", .bounds = {618, 7, 82, 24},
     .text = "Quit"},

    // The meter display.
    {.name = "Panel1", .kind = Lcd, .bounds = {3, 28, 334, 181}},

    // Limits and judgement.
    {.name = "Panel4", .kind = Panel, .bounds = {340, 30, 371, 132}},
    {.name = "T1_HI", .kind = Label, .parent = "Panel4", .bounds = {10, 12, 96, 16},
     .text = "Set Hi Limit:"},
    {.name = "T1HI", .kind = Edit, .parent = "Panel4", .bounds = {108, 9, 120, 21}, .text = "22000",
     .hint = "Can't for empty"},
    {.name = "T1_Value", .kind = Label, .parent = "Panel4", .bounds = {10, 51, 96, 16},
     .text = "Measure Value:"},
    {.name = "T1VALUE", .kind = Edit, .parent = "Panel4", .bounds = {108, 42, 120, 34}, .text = "0",
     .look = Look::ValueBox},
    {.name = "T1_LO", .kind = Label, .parent = "Panel4", .bounds = {10, 94, 96, 16},
     .text = "Set Low Limit:"},
    {.name = "T1LO", .kind = Edit, .parent = "Panel4", .bounds = {108, 91, 120, 21},
     .text = "-22000", .hint = "Can't for empty"},
    {.name = "Shape1", .kind = Circle, .parent = "Panel4", .bounds = {236, 12, 108, 108},
     .look = Look::YellowCircle},
    {.name = "judge", .kind = Label, .parent = "Panel4", .bounds = {240, 46, 100, 40},
     .look = Look::JudgeText},
    {.name = "CONokN", .kind = Image, .parent = "Panel4", .bounds = {349, 5, 18, 18},
     .picture = Picture::LinkIdle},
    {.name = "CONok", .kind = Image, .parent = "Panel4", .bounds = {349, 5, 18, 18},
     .flags = kHidden, .picture = Picture::LinkAlive},

    // Chart tool bar.
    {.name = "Panel5", .kind = Panel, .bounds = {341, 166, 372, 38}},
    {.name = "BtFill", .kind = CheckBox, .parent = "Panel5", .bounds = {6, 11, 44, 17},
     .text = "Fill", .hint = "Graphic Fill", .flags = kChecked},
    {.name = "Maxrecord", .kind = Edit, .parent = "Panel5", .bounds = {52, 9, 44, 21},
     .text = "100", .look = Look::SilverEdit},
    {.name = "BtSave", .kind = SpeedButton, .parent = "Panel5", .bounds = {102, 6, 26, 26},
     .hint = "Save", .picture = Picture::Save},
    {.name = "BtFirst", .kind = SpeedButton, .parent = "Panel5", .bounds = {140, 6, 26, 26},
     .hint = "First", .picture = Picture::First},
    {.name = "BTPrevious", .kind = SpeedButton, .parent = "Panel5", .bounds = {167, 6, 26, 26},
     .hint = "Previous", .picture = Picture::Previous},
    {.name = "Bt10", .kind = SpeedButton, .parent = "Panel5", .bounds = {194, 6, 50, 26},
     .text = "1", .hint = "Page No.", .look = Look::PageNumber},
    {.name = "BtNext", .kind = SpeedButton, .parent = "Panel5", .bounds = {245, 6, 26, 26},
     .hint = "Next", .picture = Picture::Next},
    {.name = "BTlast", .kind = SpeedButton, .parent = "Panel5", .bounds = {272, 6, 26, 26},
     .hint = "last", .picture = Picture::Last},
    {.name = "TbFd", .kind = Image, .parent = "Panel5", .bounds = {338, 6, 26, 26},
     .hint = "Graphic Enlarge", .picture = Picture::Enlarge},
    {.name = "TbSx", .kind = Image, .parent = "Panel5", .bounds = {338, 6, 26, 26},
     .hint = "Graphic Restore", .flags = kHidden, .picture = Picture::Restore},

    // The trend chart, with its hidden series chooser (items one a line).
    {.name = "Chtshow", .kind = Chart, .bounds = {336, 204, 376, 269}},
    {.name = "ComboBox1", .kind = ComboBox, .parent = "Chtshow", .bounds = {176, 59, 65, 21},
     .text = "atile\nbtile", .flags = kHidden},

    // Record row; the interval edit lies over the blanks of its check box.
    {.name = "RepeatSet", .kind = CheckBox, .bounds = {1, 210, 54, 17}, .text = "Repeat",
     .hint = "Repeage Record", .flags = kChecked},
    {.name = "RecordSI", .kind = CheckBox, .bounds = {55, 210, 143, 17},
     .text = "Sampling Interval           'S"},
    {.name = "RecordSITime", .kind = Edit, .bounds = {157, 210, 27, 20}, .text = "10"},
    // Shown while the record limit stops recording; its hint says why.
    {.name = "LimitMark", .kind = Label, .bounds = {200, 211, 44, 18}, .text = "Log full",
     .flags = kHidden, .look = Look::LimitMark},
    {.name = "RecordNew", .kind = SpeedButton, .bounds = {246, 210, 22, 22}, .hint = "Close Data",
     .picture = Picture::NewRecord},
    {.name = "OpenDataFiles", .kind = SpeedButton, .bounds = {268, 210, 22, 22},
     .hint = "Open old data files", .picture = Picture::Open},
    {.name = "saveas", .kind = SpeedButton, .bounds = {290, 210, 22, 22}, .hint = "Save data files",
     .picture = Picture::Save},
    {.name = "BtPrint", .kind = SpeedButton, .bounds = {312, 210, 22, 22}, .hint = "Print",
     .picture = Picture::Print},

    // The reading grid.
    {.name = "DBGrid1", .kind = Grid, .bounds = {1, 232, 334, 241}},

    // Outside the client area: reached only with the Tab key.
    {.name = "SetMaxB", .kind = CheckBox, .bounds = {722, 490, 70, 17}, .text = "SetMax:"},
    {.name = "Setmax", .kind = Edit, .bounds = {794, 488, 60, 21}, .text = "22000"},
    {.name = "SetMinB", .kind = CheckBox, .bounds = {722, 514, 70, 17}, .text = "SetMin: "},
    {.name = "SetMin", .kind = Edit, .bounds = {794, 512, 60, 21}, .text = "-22000"},
    {.name = "multirange", .kind = CheckBox, .bounds = {722, 40, 130, 17},
     .text = "Continue Record", .hint = kContinueRecordHint, .flags = kChecked},
    {.name = "BtNew", .kind = SpeedButton, .bounds = {722, 540, 22, 22}, .hint = "New",
     .picture = Picture::NewRecord},
    {.name = "Panel2", .kind = Panel, .bounds = {0, 519, 380, 40}},
    {.name = "RecallCheck", .kind = CheckBox, .parent = "Panel2", .bounds = {6, 12, 88, 17},
     .text = "RecallData", .hint = "Repeage Record"},
    {.name = "Label2", .kind = Label, .parent = "Panel2", .bounds = {98, 13, 58, 16},
     .text = "StartTime:"},
    {.name = "TimeH", .kind = Edit, .parent = "Panel2", .bounds = {158, 10, 26, 21}, .text = "23"},
    {.name = "Label3", .kind = Label, .parent = "Panel2", .bounds = {186, 13, 6, 16}, .text = ":"},
    {.name = "TimeM", .kind = Edit, .parent = "Panel2", .bounds = {194, 10, 26, 21}, .text = "59"},
    {.name = "Label4", .kind = Label, .parent = "Panel2", .bounds = {222, 13, 6, 16}, .text = ":"},
    {.name = "TimeS", .kind = Edit, .parent = "Panel2", .bounds = {230, 10, 26, 21}, .text = "59"},
    {.name = "Label1", .kind = Label, .parent = "Panel2", .bounds = {264, 13, 44, 16},
     .text = "Interval"},
    {.name = "TimeInt", .kind = Edit, .parent = "Panel2", .bounds = {310, 10, 30, 21}, .text = "1"},
    {.name = "Label5", .kind = Label, .parent = "Panel2", .bounds = {344, 13, 20, 16}, .text = "'S"},
    // Placed at their design-time lefts; FormResize moves them to the right.
    {.name = "BTCon", .kind = ClickPanel, .bounds = {400, 511, 100, 25}, .text = "Connect",
     .look = Look::LinkPanel},
    {.name = "BtDiscon", .kind = ClickPanel, .bounds = {400, 511, 100, 25}, .text = "Disconnect",
     .flags = kHidden, .look = Look::LinkPanel},
    {.name = "BtExit", .kind = ClickPanel, .bounds = {504, 511, 70, 25}, .text = "Exit",
     .look = Look::LinkPanel},
    {.name = "IFKESTO", .kind = CheckBox, .bounds = {400, 566, 97, 17}, .text = "IFKESTO",
     .flags = kChecked},
    {.name = "IFMIRELL", .kind = CheckBox, .bounds = {400, 586, 97, 17}, .text = "IFMIRELL",
     .flags = kHidden},
    {.name = "ReadBtn", .kind = CheckButton, .bounds = {722, 70, 75, 25}, .text = "Read"},
    {.name = "ClearBtn", .kind = PushButton, .bounds = {800, 70, 75, 25}, .text = "Clear"},
    {.name = "InfoBtn", .kind = PushButton, .bounds = {878, 70, 75, 25}, .text = "Info"},
    {.name = "SetFeature", .kind = PushButton, .bounds = {956, 70, 75, 25}, .text = "SetFeature"},
    {.name = "DevListBox", .kind = ListBox, .bounds = {722, 100, 310, 80}},
    {.name = "HistoryListBox", .kind = ListBox, .bounds = {722, 184, 310, 150}},
    {.name = "Memo1", .kind = Memo, .bounds = {0, 600, 185, 89}, .text = "Memo1"},
    {.name = "Memo2", .kind = Memo, .bounds = {190, 600, 185, 89}, .text = "Memo2"},
    {.name = "USBtxt", .kind = Label, .bounds = {0, 700, 40, 16}, .text = "6001", .flags = kHidden},

    // Running maximum and minimum, hidden across the bottom edge.
    {.name = "Panel3", .kind = Panel, .bounds = {0, 472, 714, 40}, .flags = kHidden},
    {.name = "Label6", .kind = Label, .parent = "Panel3", .bounds = {8, 12, 34, 16},
     .text = "MAX: "},
    {.name = "MaxText", .kind = Label, .parent = "Panel3", .bounds = {44, 12, 60, 16},
     .text = "  22000"},
    {.name = "MaxTextU", .kind = Label, .parent = "Panel3", .bounds = {106, 12, 30, 16},
     .text = "*"},
    {.name = "Label7", .kind = Label, .parent = "Panel3", .bounds = {150, 12, 34, 16},
     .text = "MIN: "},
    {.name = "MinText", .kind = Label, .parent = "Panel3", .bounds = {186, 12, 60, 16},
     .text = "-22000"},
    {.name = "MinTextU", .kind = Label, .parent = "Panel3", .bounds = {248, 12, 30, 16},
     .text = "*"},
});

constexpr std::array kMenus = std::to_array<MenuRow>({
    {.name = "ComSetup1", .caption = "ComSetup", .flags = kHidden},
    {.name = "COM11", .menu = "ComSetup1", .caption = "COM1", .flags = kCheckable | kChecked},
    {.name = "COM21", .menu = "ComSetup1", .caption = "COM2", .flags = kCheckable},
    {.name = "COM31", .menu = "ComSetup1", .caption = "COM3", .flags = kCheckable},
    {.name = "COM41", .menu = "ComSetup1", .caption = "COM4", .flags = kCheckable},
    {.name = "Connect1", .caption = "Connect", .flags = kHidden},
    {.name = "START1", .menu = "Connect1", .caption = "START", .flags = kCheckable},
    {.name = "STOP1", .menu = "Connect1", .caption = "STOP", .flags = kCheckable | kDisabled},
    {.name = "Graphic", .caption = "Graphic", .flags = kHidden},
    {.name = "First", .menu = "Graphic", .caption = "First"},
    {.name = "Previous", .menu = "Graphic", .caption = "Previous"},
    {.name = "Next", .menu = "Graphic", .caption = "Next"},
    {.name = "Last", .menu = "Graphic", .caption = "Last"},
    {.name = "N1", .menu = "Graphic", .caption = "-"},
    {.name = "New", .menu = "Graphic", .caption = "New"},
    {.name = "Save", .menu = "Graphic", .caption = "Save"},
    {.name = "N2", .menu = "Graphic", .caption = "-"},
    {.name = "Fill", .menu = "Graphic", .caption = "Fill", .flags = kCheckable | kChecked},
    {.name = "Record1", .caption = "Record"},
    {.name = "New1", .menu = "Record1", .caption = "New"},
    {.name = "Save1", .menu = "Record1", .caption = "Save"},
    {.name = "N3", .menu = "Record1", .caption = "-"},
    {.name = "N10001", .menu = "Record1", .caption = "1000", .flags = kCheckable},
    {.name = "N50001", .menu = "Record1", .caption = "5000", .flags = kCheckable},
    {.name = "N100001", .menu = "Record1", .caption = "10000", .flags = kCheckable | kChecked},
    {.name = "N500001", .menu = "Record1", .caption = "50000", .flags = kCheckable},
    {.name = "N1000001", .menu = "Record1", .caption = "100000", .flags = kCheckable},
    {.name = "limitess", .menu = "Record1", .caption = "limitless", .flags = kCheckable},
});
// clang-format on

const FileDialogSpec kOpenDialog1{
    .name = "OpenDialog1",
    .kind = FileDialogSpec::Kind::Open,
    .filter = "Exel File(*.xls)|*.xls|XML (*.xml)|*.xml|Txt File(*.txt)|*.txt",
};

const FileDialogSpec kSaveDialog2{
    .name = "SaveDialog2",
    .kind = FileDialogSpec::Kind::Save,
    .filter = "Excel File(*.xls)|*.xls|XML(*.xml)|*.xml|Txt File(*.txt)|*.txt",
    .defaultExtension = "xls",
    .confirmOverwrite = true,
    .clearNameBeforeUse = true,
};

const FileDialogSpec kSavePictureDialog1{
    .name = "SavePictureDialog1",
    .kind = FileDialogSpec::Kind::Save,
    .filter = "Bitmaps (*.bmp)|*.bmp",
    .confirmOverwrite = true,
};

}  // namespace

std::span<const ControlRow> WindowControls() {
    return kControls;
}

std::span<const MenuRow> WindowMenus() {
    return kMenus;
}

const ControlRow* FindControlRow(std::string_view name) {
    for (const ControlRow& row : kControls) {
        if (row.name == name) return &row;
    }
    return nullptr;
}

const FileDialogSpec& OpenDialog1() {
    return kOpenDialog1;
}

const FileDialogSpec& SaveDialog2() {
    return kSaveDialog2;
}

const FileDialogSpec& SavePictureDialog1() {
    return kSavePictureDialog1;
}

}  // namespace varlo::app

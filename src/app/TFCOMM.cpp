#include "app/TFCOMM.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QToolButton>
#include <functional>
#include <stdexcept>
#include <string>

#include "app/ChartBitmap.h"
#include "app/ChartView.h"
#include "app/ConnectionView.h"
#include "app/Controls.h"
#include "app/FrameView.h"
#include "app/LcdReplica.h"
#include "app/ReadingGridView.h"
#include "app/ReportPreview.h"
#include "app/SessionEditTarget.h"
#include "app/UsbListsView.h"
#include "app/WindowBuilder.h"
#include "app/WindowLayout.h"
#include "app/WindowTimer.h"
#include "common/Dialogs.h"
#include "common/FileDialogs.h"
#include "links/ComDrv32.h"
#include "links/Connection.h"
#include "links/JvHidControllerClass.h"
#include "links/UsbDeviceList.h"
#include "platform/AlarmTone.h"
#include "platform/HidBackend.h"
#include "platform/LinuxSerialPort.h"

namespace varlo::app {

namespace {

constexpr char kQuitQuestion[] = "Are you sure that you want to quit this application?";
constexpr char kGraphicSaved[] = "Graphic has been saved successfully at the following location: ";

// The single-border frame around the client area: borders, caption, menu.
constexpr int kFrameBorder = 3;
constexpr int kCaptionHeight = 19;
constexpr int kMenuHeight = 19;

// The check boxes whose state the session reads, with their click handlers.
struct CheckBoxHandler {
    const char* name;
    void (MeterSession::*click)(bool checked);
    bool SessionControls::*state;
};
constexpr CheckBoxHandler kCheckBoxes[] = {
    {"BtFill", &MeterSession::BtFillClick, &SessionControls::BtFill},
    {"RepeatSet", &MeterSession::RepeatSetClick, &SessionControls::RepeatSet},
    {"multirange", &MeterSession::multirangeClick, &SessionControls::multirange},
    {"RecordSI", &MeterSession::RecordSIClick, &SessionControls::RecordSI},
    {"SetMaxB", &MeterSession::SetMaxBClick, &SessionControls::SetMaxB},
    {"SetMinB", &MeterSession::SetMinBClick, &SessionControls::SetMinB},
    {"RecallCheck", &MeterSession::RecallCheckClick, &SessionControls::RecallCheck},
};

// The meter family the two hidden switches name, as the form sets them.
MeterVariant FormVariant() {
    auto checked = [](std::string_view name) {
        const ControlRow* row = FindControlRow(name);
        return row != nullptr && (row->flags & kChecked) != 0;
    };
    return {checked("IFKESTO"), checked("IFMIRELL")};
}

}  // namespace

TFCOMM::TFCOMM(const LocaleSource& locale, const LocalClock& clock, Dialogs& dialogs,
               FileDialogs& fileDialogs, QWidget* parent)
    : TFCOMM(locale, clock, dialogs, fileDialogs, CreateHidBackend(), parent) {}

TFCOMM::TFCOMM(const LocaleSource& locale, const LocalClock& clock, Dialogs& dialogs,
               FileDialogs& fileDialogs, std::shared_ptr<HidBackend> hid, QWidget* parent)
    : QMainWindow(parent),
      locale_(locale),
      clock_(clock),
      dialogs_(dialogs),
      fileDialogs_(fileDialogs) {
    // The one HID controller of the program comes first: when it cannot be
    // had, nothing else has been built yet.
    HidCtl_ = std::make_unique<TJvHidDeviceController>(std::move(hid));
    FormCreate();
    BuildWindow();
    BindEdits();
    BuildLinks();
    ConnectHandlers();
    session_->SetView(this);
    ShowControls();
    frameView_->ShowDisplay(*session_);
    ShowLinks();
}

TFCOMM::~TFCOMM() {
    // The links go first, the connection before the USB list and the list
    // (which checks its devices in) before the controller they came from.
    // Stopping a HID reader may still hand a report to the session and the
    // views, which are all there yet; the links' notices to the view are not.
    connection_->SetOnChanged(nullptr);
    usb_->DevListBox().Changed = nullptr;
    connection_.reset();
    usb_.reset();
    HidCtl_.reset();
    COMM2_.reset();
    session_->SetView(nullptr);
    // Then the controls: the grid, the chart and the display read the
    // session's models, and a control losing the focus may still call in.
    delete takeCentralWidget();
}

QSize TFCOMM::OuterSize() {
    return {kClientWidth + 2 * kFrameBorder,
            kClientHeight + kCaptionHeight + kMenuHeight + 2 * kFrameBorder};
}

void TFCOMM::FormCreate() {
    // The session builds the run-time state in start-up order: chart page
    // controller, locale values, recall time, range code and profile, the
    // remembered unit, the empty log, record counters, series choice, meter
    // variant and caption, the chart's Y limits and the bitness suffix.
    session_ = std::make_unique<MeterSession>(locale_, clock_, dialogs_, FormVariant(),
                                              std::make_unique<WindowTimer>(*this, "Timer2"));
    alarm_ = std::make_unique<SoundServerBeep>([] { QApplication::beep(); });
}

void TFCOMM::BuildWindow() {
    setObjectName(QStringLiteral("FCOMM"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromStdString(session_->Caption()));
    setFont(WindowFont());
    auto* clientArea = new QWidget(this);
    clientArea->setObjectName(QStringLiteral("ClientArea"));
    clientArea->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(clientArea);
    BuildMenus(*menuBar(), WindowMenus());
    const auto makeView = [this](const ControlRow& row, QWidget& parent) -> QWidget* {
        switch (row.kind) {
            case ControlKind::Lcd:
                return new LcdReplica(&parent);
            case ControlKind::Chart:
                return new ChartView(session_->ChartModel(), &parent);
            case ControlKind::Grid:
                return new ReadingGridView(
                    session_->Log(),
                    [this](ReadingLogObserver* observer) { session_->SetLogObserver(observer); },
                    &parent);
            default:
                return nullptr;
        }
    };
    BuildControls(*clientArea, WindowControls(), makeView);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SpaceCaptionAround(Control<CheckBox>("RecordSI"), Control<QWidget>("RecordSITime"));
    // The reading box only shows the reading.
    Control<QLineEdit>("T1VALUE").setReadOnly(true);
    frameView_ = std::make_unique<FrameView>(*this);
}

EditBinding& TFCOMM::Bind(const char* name, SessionEdit edit) {
    auto* binding = new EditBinding(Control<QLineEdit>(name),
                                    std::make_unique<SessionEditTarget>(*session_, edit), this);
    editBindings_.push_back(binding);
    return *binding;
}

void TFCOMM::BindEdits() {
    // The edits' key filters and change checks (T1HIKeyPress, T1HIChange,
    // SetmaxKeyPress, SetmaxExit and SetMinExit on a text change,
    // RecordSITimeKeyPress, RecordSITimeChange, MaxrecordChange) are the
    // session's; the bindings route every key and text into it.
    t1hi_ = &Bind("T1HI", SessionEdit::T1HI);
    t1lo_ = &Bind("T1LO", SessionEdit::T1LO);
    Bind("Setmax", SessionEdit::Setmax);
    Bind("SetMin", SessionEdit::SetMin);
    Bind("RecordSITime", SessionEdit::RecordSITime);
    Bind("Maxrecord", SessionEdit::Maxrecord);
    for (const auto& [name, edit] :
         {std::pair{"TimeH", SessionEdit::TimeH}, std::pair{"TimeM", SessionEdit::TimeM},
          std::pair{"TimeS", SessionEdit::TimeS}}) {
        Bind(name, edit).SetOnKeyUp([this] { TimeHKeyUp(); });
    }
    Bind("TimeInt", SessionEdit::TimeInt);
}

void TFCOMM::ConnectHandlers() {
    // A session action as a slot.
    auto run = [this](auto action) { return [this, action] { std::invoke(action, *session_); }; };
    auto onClick = [this](const char* name, auto slot) {
        connect(&Control<QAbstractButton>(name), &QAbstractButton::clicked, this, slot);
    };
    auto onMenu = [this](const char* name, auto slot) {
        connect(&Control<QAction>(name), &QAction::triggered, this, slot);
    };

    // Start-up and the window's life.
    onClick("BitBtn1", [this] { BitBtn1Click(); });
    connect(&Control<ClickPanel>("BtExit"), &ClickPanel::clicked, this, &TFCOMM::BtExit1Click);

    // Menu "Record" and the record row.
    onMenu("New1", run(&MeterSession::RecordNewClick));
    onClick("RecordNew", run(&MeterSession::RecordNewClick));
    onMenu("Save1", [this] { saveasClick(); });
    onClick("saveas", [this] { saveasClick(); });
    onClick("OpenDataFiles", [this] { SpeedButton2Click(); });
    onClick("BtPrint", [this] { BtPrintClick(); });
    for (const RecordLimitChoice& choice : kRecordLimitChoices) {
        onMenu(std::string(choice.name).c_str(),
               [this, item = choice.item] { session_->RecordLimitClick(item); });
    }
    trecord_ = new QTimer(this);
    trecord_->setObjectName(QStringLiteral("Trecord"));
    connect(trecord_, &QTimer::timeout, this, run(&MeterSession::TrecordTimer));
    trecord_->start(1000);

    // The check boxes; "Fill", "Repeat" and "Continue Record" share
    // btFillClick, which the session runs after taking the box's state.
    for (const CheckBoxHandler& box : kCheckBoxes) {
        connect(
            &Control<QCheckBox>(box.name), &QCheckBox::clicked, this,
            [this, click = box.click](bool checked) { std::invoke(click, *session_, checked); });
    }
    // Focus leaving the recall controls loads the recall clock.
    for (const char* name : {"RecallCheck", "TimeH", "TimeM", "TimeS"}) {
        Control<QWidget>(name).installEventFilter(this);
    }

    // Chart tool bar and menu "Graphic".
    onClick("BtFirst", run(&MeterSession::BtFirstClick));
    onMenu("First", run(&MeterSession::BtFirstClick));
    onClick("BTPrevious", run(&MeterSession::BTPreviousClick));
    onMenu("Previous", run(&MeterSession::BTPreviousClick));
    onClick("BtNext", run(&MeterSession::BtNextClick));
    onMenu("Next", run(&MeterSession::BtNextClick));
    onClick("BTlast", run(&MeterSession::BTlastClick));
    onMenu("Last", run(&MeterSession::BTlastClick));
    onClick("BtNew", run(&MeterSession::BtNewClick));
    onMenu("New", run(&MeterSession::BtNewClick));
    onMenu("Fill", run(&MeterSession::FillClick));
    onClick("BtSave", [this] { BtSaveClick(); });
    onMenu("Save", [this] { BtSaveClick(); });
    connect(&Control<QComboBox>("ComboBox1"), &QComboBox::currentIndexChanged, this,
            [this](int index) { session_->ComboBox1Change(index); });
    connect(&Control<PictureBox>("TbFd"), &PictureBox::clicked, this, &TFCOMM::TbFdClick);
    connect(&Control<PictureBox>("TbSx"), &PictureBox::clicked, this, &TFCOMM::TbFdClick);

    ConnectLinkHandlers();
}

// --- Start-up and the window's life -----------------------------------------

void TFCOMM::FormResize() {
    const int outerWidth = OuterSize().width();
    Control<QWidget>("BtExit").move(outerWidth - 80, Control<QWidget>("BtExit").y());
    Control<QWidget>("BTCon").move(outerWidth - 190, Control<QWidget>("BTCon").y());
    Control<QWidget>("BtDiscon").move(outerWidth - 190, Control<QWidget>("BtDiscon").y());
}

void TFCOMM::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TFCOMM::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        CentreOnScreen();
    }
    // The ports' devices may have come or gone while the window was away.
    connectionView_->ShowPortHints();
}

void TFCOMM::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::LocaleChange) session_->LocaleChanged();
}

bool TFCOMM::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) RecallCheckExit();
    return QMainWindow::eventFilter(watched, event);
}

void TFCOMM::CentreOnScreen() {
    const QScreen* screen = this->screen();
    if (screen == nullptr) return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void TFCOMM::BitBtn1Click() {
    if (dialogs_.Ask(kQuitQuestion) == Dialogs::Answer::Yes) close();
}

void TFCOMM::BtExit1Click() {
    close();
}

// --- Menu "Record" and the record row -----------------------------------------

void TFCOMM::saveasClick() {
    if (const auto name = fileDialogs_.Execute(SaveDialog2())) fileJobs_.Save(*session_, *name);
}

void TFCOMM::SpeedButton2Click() {
    if (const auto name = fileDialogs_.Execute(OpenDialog1())) fileJobs_.Open(*session_, *name);
}

void TFCOMM::BtPrintClick() {
    ShowReportPreview(session_->Log(), this, dialogs_);
}

// --- Chart tool bar -------------------------------------------------------------

void TFCOMM::BtSaveClick() {
    const auto chosen = fileDialogs_.Execute(SavePictureDialog1());
    if (!chosen) return;
    const auto replace = BitmapReplaceQuestion(*chosen);
    if (replace && dialogs_.Ask(*replace) == Dialogs::Answer::No) return;
    const std::string written = SaveChartBitmap(Control<QWidget>("Chtshow"), *chosen);
    dialogs_.Inform(kGraphicSaved + written);
}

void TFCOMM::TbFdClick() {
    auto& chart = Control<QWidget>("Chtshow");
    const bool enlarge = chart.y() > 50;
    Control<QWidget>("Panel1").setVisible(!enlarge);
    Control<QWidget>("TbFd").setVisible(!enlarge);
    Control<QWidget>("TbSx").setVisible(enlarge);
    if (enlarge) {
        chartBounds_ = chart.geometry();
        chart.setGeometry(2, 28, OuterSize().width() - 12, OuterSize().height() - 85);
        chart.raise();
    } else {
        chart.setGeometry(chartBounds_);
    }
    Control<QWidget>("Panel6").setVisible(!enlarge);
    auto& toolBar = Control<QWidget>("Panel5");
    toolBar.move(enlarge ? QPoint(2, 2) : QPoint(341, 166));
    // Enlarged, the tool bar overlaps the chart's top margin: it stays on top.
    toolBar.raise();
}

// --- The recall clock's edits -----------------------------------------------------

void TFCOMM::TimeHKeyUp() {
    session_->TimeHKeyUp();
}

void TFCOMM::RecallCheckExit() {
    session_->RecallCheckExit();
}

// --- What the session tells the window ------------------------------------------

void TFCOMM::FrameDecoded() {
    frameView_->Show(*session_);
    // The frame may have brought a limit text to the locale's separator.
    t1hi_->Show();
    t1lo_->Show();
}

void TFCOMM::ControlsChanged() {
    ShowControls();
}

void TFCOMM::ShowControls() {
    const SessionControls& controls = session_->Controls();
    for (const CheckBoxHandler& box : kCheckBoxes) {
        Control<QCheckBox>(box.name).setChecked(controls.*box.state);
    }
    Control<QAction>("Fill").setChecked(controls.Fill);
    for (const RecordLimitChoice& choice : kRecordLimitChoices) {
        Control<QAction>(std::string(choice.name).c_str())
            .setChecked(session_->CheckedRecordLimit() == choice.item);
    }
    auto& chooser = Control<QComboBox>("ComboBox1");
    const QSignalBlocker block(chooser);
    chooser.setCurrentIndex(controls.ComboBox1ItemIndex);
    for (EditBinding* binding : editBindings_) binding->Show();
    frameView_->ShowRecordLimit(*session_);
}

void TFCOMM::Beep() {
    alarm_->Beep();
}

void TFCOMM::PageNoChanged() {
    frameView_->ShowPageNo(*session_);
}

void TFCOMM::ChartRenewed() {
    frameView_->ShowChart();
}

void TFCOMM::SeriesShown(int /*index*/) {
    frameView_->ShowChart();
}

}  // namespace varlo::app

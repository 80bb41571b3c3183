#include "app/TFCOMM.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QToolButton>
#include <stdexcept>
#include <string>

#include "app/Controls.h"
#include "app/WindowBuilder.h"
#include "app/WindowLayout.h"
#include "common/Dialogs.h"
#include "common/FileDialogs.h"
#include "recording/RecordSITimeInput.h"
#include "recording/TableFiles.h"

namespace varlo::app {

namespace {

constexpr char kQuitQuestion[] = "Are you sure that you want to quit this application?";

// The single-border frame around the client area: borders, caption, menu.
constexpr int kFrameBorder = 3;
constexpr int kCaptionHeight = 19;
constexpr int kMenuHeight = 19;

}  // namespace

TFCOMM::TFCOMM(const LocaleSource& locale, const LocalClock& clock, Dialogs& dialogs,
               FileDialogs& fileDialogs, QWidget* parent)
    : QMainWindow(parent),
      locale_(locale),
      clock_(clock),
      dialogs_(dialogs),
      fileDialogs_(fileDialogs) {
    BuildWindow();
    FormCreate();
    ConnectHandlers();
}

TFCOMM::~TFCOMM() = default;

QSize TFCOMM::OuterSize() {
    return {kClientWidth + 2 * kFrameBorder,
            kClientHeight + kCaptionHeight + kMenuHeight + 2 * kFrameBorder};
}

template <class T>
T& TFCOMM::Control(const char* name) const {
    T* widget = findChild<T*>(QLatin1String(name));
    if (widget == nullptr) throw std::logic_error(std::string("no control ") + name);
    return *widget;
}

void TFCOMM::BuildWindow() {
    setObjectName(QStringLiteral("FCOMM"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(WindowFont());
    auto* clientArea = new QWidget(this);
    clientArea->setObjectName(QStringLiteral("ClientArea"));
    clientArea->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(clientArea);
    BuildMenus(*menuBar(), WindowMenus());
    BuildControls(*clientArea, WindowControls());
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SpaceCaptionAround(Control<CheckBox>("RecordSI"), Control<QWidget>("RecordSITime"));
    // The reading box only shows the reading.
    Control<QLineEdit>("T1VALUE").setReadOnly(true);
}

void TFCOMM::FormCreate() {
    // The meter family is the one the two hidden switches name.
    const MeterVariant variant{Control<QCheckBox>("IFKESTO").isChecked(),
                               Control<QCheckBox>("IFMIRELL").isChecked()};
    // The session builds the run-time state in start-up order: chart page
    // controller, locale values, recall time, range code and profile, the
    // remembered unit, the empty log, record counters, series choice, meter
    // variant and caption, the chart's Y limits and the bitness suffix.
    session_ = std::make_unique<MeterSession>(locale_, clock_, dialogs_, variant);
    session_->SetView(this);
    SessionControls& controls = session_->controls;
    Bind("T1HI", controls.T1HI);
    Bind("T1LO", controls.T1LO);
    Bind("Setmax", controls.Setmax);
    Bind("SetMin", controls.SetMin);
    Bind("RecordSITime", controls.RecordSITime);
    Bind("TimeH", controls.TimeH);
    Bind("TimeM", controls.TimeM);
    Bind("TimeS", controls.TimeS);
    Bind("TimeInt", controls.TimeInt);
    maxrecord_.SetKeyFilter(RecordSITimeKeyPress);
    Bind("Maxrecord", maxrecord_);
    ShowSessionState();
}

void TFCOMM::Bind(const char* name, EditBox& model) {
    editBindings_.push_back(new EditBinding(Control<QLineEdit>(name), model, this));
}

void TFCOMM::ShowSessionState() {
    setWindowTitle(QString::fromStdString(session_->Caption()));
    for (EditBinding* binding : editBindings_) binding->Show();
    Control<QLineEdit>("T1VALUE").setText(QString::fromStdString(session_->T1VALUEText));
    Control<QLabel>("MaxText").setText(QString::fromStdString(session_->MaxTextCaption));
    Control<QLabel>("MinText").setText(QString::fromStdString(session_->MinTextCaption));
    ShowPageNo();
    ShowRecordLimit();
}

void TFCOMM::ConnectHandlers() {
    auto onClick = [this](const char* name, void (TFCOMM::*handler)()) {
        connect(&Control<QAbstractButton>(name), &QAbstractButton::clicked, this, handler);
    };
    auto onPanelClick = [this](const char* name, void (TFCOMM::*handler)()) {
        connect(&Control<ClickPanel>(name), &ClickPanel::clicked, this, handler);
    };
    auto onPictureClick = [this](const char* name, void (TFCOMM::*handler)()) {
        connect(&Control<PictureBox>(name), &PictureBox::clicked, this, handler);
    };
    auto onMenu = [this](const char* name, void (TFCOMM::*handler)()) {
        connect(&Control<QAction>(name), &QAction::triggered, this, handler);
    };

    // Start-up and the window's life.
    onClick("BitBtn1", &TFCOMM::BitBtn1Click);
    onPanelClick("BtExit", &TFCOMM::BtExit1Click);

    // Menu "Record" and the record row.
    onMenu("New1", &TFCOMM::RecordNewClick);
    onClick("RecordNew", &TFCOMM::RecordNewClick);
    onMenu("Save1", &TFCOMM::saveasClick);
    onClick("saveas", &TFCOMM::saveasClick);
    onClick("OpenDataFiles", &TFCOMM::SpeedButton2Click);
    onMenu("N10001", &TFCOMM::N10001Click);
    onMenu("N50001", &TFCOMM::N50001Click);
    onMenu("N100001", &TFCOMM::N100001Click);
    onMenu("N500001", &TFCOMM::N500001Click);
    onMenu("N1000001", &TFCOMM::N1000001Click);
    onMenu("limitess", &TFCOMM::limitessClick);
    trecord_ = new QTimer(this);
    trecord_->setObjectName(QStringLiteral("Trecord"));
    connect(trecord_, &QTimer::timeout, this, &TFCOMM::TrecordTimer);
    trecord_->start(1000);

    // Chart tool bar and menu "Graphic".
    onClick("BtFirst", &TFCOMM::BtFirstClick);
    onMenu("First", &TFCOMM::BtFirstClick);
    onClick("BTPrevious", &TFCOMM::BTPreviousClick);
    onMenu("Previous", &TFCOMM::BTPreviousClick);
    onClick("BtNext", &TFCOMM::BtNextClick);
    onMenu("Next", &TFCOMM::BtNextClick);
    onClick("BTlast", &TFCOMM::BTlastClick);
    onMenu("Last", &TFCOMM::BTlastClick);
    onClick("BtNew", &TFCOMM::BtNewClick);
    onMenu("New", &TFCOMM::BtNewClick);
    connect(&Control<QComboBox>("ComboBox1"), &QComboBox::currentIndexChanged, this,
            &TFCOMM::ComboBox1Change);
    onPictureClick("TbFd", &TFCOMM::TbFdClick);
    onPictureClick("TbSx", &TFCOMM::TbFdClick);

    // The edits' key filters and change checks (T1HIKeyPress, T1HIChange,
    // SetmaxKeyPress, SetmaxExit and SetMinExit on a text change,
    // RecordSITimeKeyPress, RecordSITimeChange) are their models' own; the
    // edit bindings made in FormCreate route every key into them.
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

void TFCOMM::RecordNewClick() {
    session_->recorder.RecordNewClick();
}

void TFCOMM::saveasClick() {
    if (const auto name = fileDialogs_.Execute(SaveDialog2())) {
        varlo::saveasClick(session_->log, *name, dialogs_);
    }
}

void TFCOMM::SpeedButton2Click() {
    if (const auto name = fileDialogs_.Execute(OpenDialog1())) {
        varlo::SpeedButton2Click(session_->log, *name, dialogs_);
    }
}

void TFCOMM::N10001Click() {
    session_->recorder.N10001Click();
    ShowRecordLimit();
}

void TFCOMM::N50001Click() {
    session_->recorder.N50001Click();
    ShowRecordLimit();
}

void TFCOMM::N100001Click() {
    session_->recorder.N100001Click();
    ShowRecordLimit();
}

void TFCOMM::N500001Click() {
    session_->recorder.N500001Click();
    ShowRecordLimit();
}

void TFCOMM::N1000001Click() {
    session_->recorder.N1000001Click();
    ShowRecordLimit();
}

void TFCOMM::limitessClick() {
    session_->recorder.limitessClick();
    ShowRecordLimit();
}

void TFCOMM::ShowRecordLimit() {
    for (const RecordLimitChoice& choice : kRecordLimitChoices) {
        Control<QAction>(std::string(choice.name).c_str())
            .setChecked(session_->recorder.IsChecked(choice.item));
    }
}

void TFCOMM::TrecordTimer() {
    session_->TrecordTimer();
}

// --- Chart tool bar and menu "Graphic" ----------------------------------------

void TFCOMM::BtFirstClick() {
    session_->chart.FirstPage();
    ShowPageNo();
}

void TFCOMM::BTPreviousClick() {
    session_->chart.PriorPage();
    ShowPageNo();
}

void TFCOMM::BtNextClick() {
    session_->chart.NextPage();
    ShowPageNo();
}

void TFCOMM::BTlastClick() {
    session_->chart.LastPage();
    ShowPageNo();
}

void TFCOMM::ShowPageNo() {
    Control<QToolButton>("Bt10").setText(QString::number(session_->chart.GetPageNo()));
}

void TFCOMM::BtNewClick() {
    session_->BtNewClick();
}

void TFCOMM::ComboBox1Change() {
    session_->ShowSeries(Control<QComboBox>("ComboBox1").currentIndex());
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

// --- What the session tells the window ------------------------------------------

void TFCOMM::Beep() {
    QApplication::beep();
}

void TFCOMM::PageNoChanged() {
    Control<QToolButton>("Bt10").setText(QString::fromStdString(session_->Bt10Caption));
}

}  // namespace varlo::app

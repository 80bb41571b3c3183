#pragma once

// A main window over test doubles: dialogs answered from a script, file
// dialogs that return the names a test gives, a fixed locale and clock, and
// scripted HID devices (none unless the test plugs some in). One window at a
// time: a program holds one HID controller.

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QLineSeries>
#include <QTest>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/TFCOMM.h"
#include "app/VarloApplication.h"
#include "common/Dialogs.h"
#include "common/FileDialogs.h"
#include "decode/Locale.h"
#include "platform/HidFakeBackend.h"
#include "recording/LocalClock.h"

namespace varlo::app::testing {

class ScriptedDialogs : public Dialogs {
  public:
    Answer Ask(const std::string& text) override {
        asked.push_back(text);
        if (answers.empty()) return Answer::No;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Inform(const std::string& text) override {
        informed.push_back(text);
        if (onInform) onInform(text);
    }
    void SystemMessage(const std::string& title, const std::string& text) override {
        informed.push_back(title + ": " + text);
    }
    void ShowError(const std::string& text) override { errors.push_back(text); }

    std::deque<Answer> answers;
    std::vector<std::string> asked, informed, errors;
    // Runs while a notice is up, to look at the window behind it.
    std::function<void(const std::string&)> onInform;
};

class ScriptedFileDialogs : public FileDialogs {
  public:
    std::optional<std::string> Execute(const FileDialogSpec& dialog) override {
        shown.push_back(dialog.name);
        if (answers.empty()) return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> shown;
};

// The points the chart view "Chtshow" handed its area series.
inline QList<QPointF> AreaPoints(QWidget& chart) {
    for (QAbstractSeries* series : static_cast<QChartView&>(chart).chart()->series()) {
        if (auto* area = qobject_cast<QAreaSeries*>(series)) return area->upperSeries()->points();
    }
    return {};
}

inline VarloApplication& App() {
    return *static_cast<VarloApplication*>(QCoreApplication::instance());
}

struct WindowFixture {
    explicit WindowFixture(std::shared_ptr<HidBackend> hid = std::make_shared<HidFakeBackend>()) {
        App().SetErrorReport(&dialogs);
        window = std::make_unique<TFCOMM>(locale, clock, dialogs, files, std::move(hid));
    }
    ~WindowFixture() {
        window.reset();
        App().SetErrorReport(nullptr);
    }
    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    // Shows the window and waits until it is exposed.
    void Show() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    template <class T = QWidget>
    T& Get(const char* name) const {
        T* found = window->findChild<T*>(QLatin1String(name));
        if (found == nullptr) {
            QTest::qFail((std::string("no control ") + name).c_str(), __FILE__, __LINE__);
            throw std::runtime_error(std::string("no control ") + name);
        }
        return *found;
    }

    FixedLocale locale;
    FixedLocalClock clock{{2026, 3, 2, 9, 30, 0, 0}};
    ScriptedDialogs dialogs;
    ScriptedFileDialogs files;
    std::unique_ptr<TFCOMM> window;
};

}  // namespace varlo::app::testing

// A QtTest main over the program's own application object, so that the
// general error report is the one the program has. The window's alarm beep
// finds no sound server: it rings the (offscreen, silent) bell.
#define VARLO_APP_TEST_MAIN(TestClass)                                      \
    int main(int argc, char** argv) {                                       \
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {                \
            qputenv("QT_QPA_PLATFORM", "offscreen");                        \
        }                                                                   \
        qputenv("PULSE_SERVER", "unix:/nonexistent/varlo-no-sound-server"); \
        varlo::app::VarloApplication app(argc, argv);                       \
        app.setQuitOnLastWindowClosed(false);                               \
        TestClass test;                                                     \
        return QTest::qExec(&test, argc, argv);                             \
    }

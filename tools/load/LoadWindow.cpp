#include "LoadWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include "app/VarloApplication.h"
#include "platform/HidBackend.h"

namespace varlo::load {

namespace {

app::VarloApplication& Application() {
    auto* application = dynamic_cast<app::VarloApplication*>(QCoreApplication::instance());
    if (application == nullptr) throw std::logic_error("the harness needs VarloApplication");
    return *application;
}

}  // namespace

LoadWindow::LoadWindow() {
    Application().SetErrorReport(&dialogs);
    window_ = std::make_unique<app::TFCOMM>(locale_, clock_, dialogs, files);
}

LoadWindow::LoadWindow(std::shared_ptr<HidBackend> hid) {
    Application().SetErrorReport(&dialogs);
    window_ = std::make_unique<app::TFCOMM>(locale_, clock_, dialogs, files, std::move(hid));
}

LoadWindow::~LoadWindow() {
    window_.reset();
    Application().SetErrorReport(nullptr);
}

void LoadWindow::Show() {
    window_->show();
    if (!QTest::qWaitForWindowExposed(window_.get(), 10000)) {
        throw std::runtime_error("the window did not come up on the screen");
    }
}

void LoadWindow::Click(const char* name) {
    if (auto* action = window_->findChild<QAction*>(QLatin1String(name))) {
        action->trigger();
        return;
    }
    auto& button = Control<QAbstractButton>(name);
    QTest::mouseClick(&button, Qt::LeftButton, {}, button.rect().center());
}

bool ServeUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline) {
    if (done()) return true;
    const auto end = std::chrono::steady_clock::now() + deadline;
    bool met = false;
    QEventLoop loop;
    QTimer check;
    check.setInterval(5);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        met = done();
        if (met || std::chrono::steady_clock::now() > end) loop.quit();
    });
    check.start();
    loop.exec();
    return met;
}

}  // namespace varlo::load

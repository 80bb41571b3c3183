#pragma once

#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "CountingDialogs.h"
#include "FileAnswers.h"
#include "app/TFCOMM.h"
#include "platform/SystemLocale.h"
#include "recording/LocalClock.h"

namespace varlo {
class HidBackend;
}

namespace varlo::load {

// The program's main window as a user has it (the system's locale and
// clock), its message boxes counted and its file dialogs answered by the
// harness. Needs the program's application object (VarloApplication),
// whose general error report it takes over for its life.
class LoadWindow {
  public:
    LoadWindow();
    // The window's USB link goes through `hid` (the harness drives it).
    explicit LoadWindow(std::shared_ptr<HidBackend> hid);
    ~LoadWindow();
    LoadWindow(const LoadWindow&) = delete;
    LoadWindow& operator=(const LoadWindow&) = delete;

    // Shows the window and waits until it is on the screen.
    void Show();

    app::TFCOMM& Window() { return *window_; }
    MeterSession& Session() { return window_->Session(); }

    // A control by its name; std::logic_error when there is none.
    template <class T = QWidget>
    T& Control(const char* name) const {
        T* found = window_->findChild<T*>(QLatin1String(name));
        if (found == nullptr) throw std::logic_error(std::string("no control ") + name);
        return *found;
    }
    // A click with the mouse on a button, or the choice of a menu item.
    void Click(const char* name);

    CountingDialogs dialogs;
    FileAnswers files;

  private:
    const SystemLocale locale_;
    const SystemLocalClock clock_;
    std::unique_ptr<app::TFCOMM> window_;
};

// Runs an event loop until `done` holds (asked every 5 ms) or `deadline`
// passes; false then.
bool ServeUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline);

}  // namespace varlo::load

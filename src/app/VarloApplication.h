#pragma once

#include <QApplication>

namespace varlo {
class Dialogs;
}

namespace varlo::app {

// The application object. Every event goes through notify(); a handler that
// fails with the project's error or any other exception has the rest of its
// work skipped, its text shown by the general error report, and the program
// goes on with the next event.
class VarloApplication : public QApplication {
  public:
    VarloApplication(int& argc, char** argv);

    // Where failures are reported; without one they are written to stderr.
    void SetErrorReport(Dialogs* dialogs) { errorReport_ = dialogs; }

    bool notify(QObject* receiver, QEvent* event) override;

  private:
    void Report(const std::string& text);

    Dialogs* errorReport_ = nullptr;
    bool reporting_ = false;
};

}  // namespace varlo::app

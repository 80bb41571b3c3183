#include "app/VarloApplication.h"

#include <cstdio>
#include <exception>
#include <string>

#include "common/Dialogs.h"
#include "common/VarloError.h"

namespace varlo::app {

VarloApplication::VarloApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool VarloApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const VarloError& error) {
        Report(error.what());
    } catch (const std::exception& error) {
        Report(error.what());
    }
    return false;
}

void VarloApplication::Report(const std::string& text) {
    // The error box runs its own event loop; a failure inside it goes to
    // stderr instead of opening a box on top of the box.
    if (errorReport_ == nullptr || reporting_) {
        std::fprintf(stderr, "varlo: %s\n", text.c_str());
        return;
    }
    reporting_ = true;
    try {
        errorReport_->ShowError(text);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "varlo: %s\n", error.what());
    }
    reporting_ = false;
}

}  // namespace varlo::app

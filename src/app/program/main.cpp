#include <cstdio>
#include <exception>

#include "app/FirstPaintReport.h"
#include "app/QtDialogs.h"
#include "app/QtFileDialogs.h"
#include "app/TFCOMM.h"
#include "app/VarloApplication.h"
#include "platform/SystemLocale.h"
#include "recording/LocalClock.h"

int main(int argc, char** argv) {
    varlo::app::VarloApplication app(argc, argv);
    // The program's task-bar entry carries no title of its own.
    varlo::app::VarloApplication::setApplicationDisplayName(QString(""));
    varlo::app::QtDialogs dialogs;
    varlo::app::QtFileDialogs fileDialogs;
    app.SetErrorReport(&dialogs);
    const varlo::SystemLocale locale;
    const varlo::SystemLocalClock clock;
    try {
        varlo::app::TFCOMM FCOMM(locale, clock, dialogs, fileDialogs);
        dialogs.SetParent(&FCOMM);
        fileDialogs.SetParent(&FCOMM);
        // Set by the start-up benchmark only.
        if (qEnvironmentVariableIsSet("VARLO_REPORT_FIRST_PAINT")) {
            varlo::app::ReportFirstPaint(FCOMM);
        }
        FCOMM.show();
        return varlo::app::VarloApplication::exec();
    } catch (const std::exception& error) {
        // Start-up failed before the window could show anything.
        dialogs.ShowError(error.what());
        std::fprintf(stderr, "varlo: %s\n", error.what());
        return 1;
    }
}

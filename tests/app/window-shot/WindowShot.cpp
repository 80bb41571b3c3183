// Renders the main window to PNG files in the folder given: the window as
// it starts, the enlarged chart view, and the whole client area including
// the controls that lie outside its visible part.
#include <QDir>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <optional>

#include "app/TFCOMM.h"
#include "app/VarloApplication.h"
#include "app/WindowLayout.h"
#include "common/Dialogs.h"
#include "common/FileDialogs.h"
#include "decode/Locale.h"
#include "recording/LocalClock.h"

namespace {

struct SilentDialogs : varlo::Dialogs {
    Answer Ask(const std::string&) override { return Answer::No; }
    void Inform(const std::string&) override {}
    void SystemMessage(const std::string&, const std::string&) override {}
    void ShowError(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

struct NoFiles : varlo::FileDialogs {
    std::optional<std::string> Execute(const varlo::FileDialogSpec&) override { return {}; }
};

bool Save(const QPixmap& pixmap, const QDir& folder, const char* name) {
    const QString path = folder.filePath(QString::fromLatin1(name));
    if (!pixmap.save(path, "PNG")) {
        std::fprintf(stderr, "window-shot: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    varlo::app::VarloApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: window-shot FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    SilentDialogs dialogs;
    NoFiles files;
    app.SetErrorReport(&dialogs);
    const varlo::FixedLocale locale;
    const varlo::SystemLocalClock clock;
    varlo::app::TFCOMM window(locale, clock, dialogs, files);
    window.show();
    QCoreApplication::processEvents();
    bool ok = Save(window.grab(), folder, "window.png");
    window.TbFdClick();
    QCoreApplication::processEvents();
    ok = Save(window.grab(), folder, "window-enlarged.png") && ok;
    window.TbFdClick();
    // The client area at a size that takes in every control.
    auto* client = window.centralWidget();
    client->setFixedSize(1040, 720);
    client->findChild<QWidget*>(QStringLiteral("Panel3"))->show();
    QCoreApplication::processEvents();
    ok = Save(client->grab(), folder, "window-all-controls.png") && ok;
    return ok ? 0 : 1;
}

// Renders the main window to PNG files in the folder given, for looking at
// it: the window as it starts, the enlarged chart view, and the whole client
// area including the controls that lie outside its visible part. Given a raw
// meter stream as well (varlo-cli sim --raw), it replays the stream frame by
// frame and adds a picture at the first frame of every function and unit,
// of an overload and of a negative reading, the window after the whole
// stream, normal and enlarged, and with the record limit reached. With
// --links, the window with its links in use (see LinkShots.h).
#include <QDir>
#include <QFile>
#include <QLayout>
#include <QPixmap>
#include <QRegularExpression>
#include <QWidget>
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "LinkShots.h"
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

bool Save(QWidget& widget, const QDir& folder, const QString& name) {
    QCoreApplication::processEvents();
    const QString path = folder.filePath(name);
    if (!widget.grab().save(path, "PNG")) {
        std::fprintf(stderr, "window-shot: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The stream cut after each carriage return: one frame a step.
std::vector<QByteArray> Frames(const QByteArray& stream) {
    std::vector<QByteArray> steps;
    qsizetype from = 0;
    for (qsizetype at = 0; at < stream.size(); ++at) {
        if (stream.at(at) == '\r') {
            steps.push_back(stream.mid(from, at + 1 - from));
            from = at + 1;
        }
    }
    if (from < stream.size()) steps.push_back(stream.mid(from));
    return steps;
}

QString FileWord(const std::string& text) {
    static const QRegularExpression other(QStringLiteral("[^A-Za-z0-9]+"));
    const QString word = QString::fromStdString(text).replace(other, QStringLiteral("_"));
    return word.isEmpty() ? QStringLiteral("none") : word;
}

bool ShootTour(varlo::app::TFCOMM& window, const QDir& folder, const QByteArray& stream) {
    bool ok = true;
    std::set<std::string> seen;
    bool overload = false;
    bool negative = false;
    int index = 0;
    for (const QByteArray& step : Frames(stream)) {
        ++index;
        const auto decoded = window.Session().Decoder().DecodedCount();
        window.Session().OnSerialData(reinterpret_cast<const std::uint8_t*>(step.constData()),
                                      static_cast<std::size_t>(step.size()));
        if (window.Session().Decoder().DecodedCount() == decoded) continue;
        const varlo::MeterReading& reading = window.Session().Reading();
        const QString number = QStringLiteral("%1").arg(index, 2, 10, QLatin1Char('0'));
        if (seen.insert(reading.FunctionText + "|" + reading.UnitText).second) {
            ok = Save(window, folder,
                      QStringLiteral("tour-%1-%2-%3.png")
                          .arg(number, FileWord(reading.FunctionText),
                               FileWord(reading.UnitText))) &&
                 ok;
        }
        if (!overload && reading.ValueText.find('L') != std::string::npos) {
            overload = true;
            ok = Save(window, folder, QStringLiteral("overload-%1.png").arg(number)) && ok;
        }
        if (!negative && reading.ValueText.starts_with('-')) {
            negative = true;
            ok = Save(window, folder, QStringLiteral("negative-%1.png").arg(number)) && ok;
        }
    }
    ok = Save(window, folder, QStringLiteral("live.png")) && ok;
    window.TbFdClick();
    ok = Save(window, folder, QStringLiteral("live-enlarged.png")) && ok;
    window.TbFdClick();
    // The smallest record limit, run into.
    window.Session().N10001Click();
    while (!window.Session().RecordLimitReached()) {
        window.Session().OnSerialData(reinterpret_cast<const std::uint8_t*>(stream.constData()),
                                      static_cast<std::size_t>(stream.size()));
    }
    ok = Save(window, folder, QStringLiteral("record-limit.png")) && ok;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    varlo::app::VarloApplication app(argc, argv);
    if (argc == 4 && std::string(argv[1]) == "--links") {
        return ShootLinks(QDir(QString::fromLocal8Bit(argv[2])), QString::fromLocal8Bit(argv[3]))
                   ? 0
                   : 1;
    }
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: window-shot FOLDER [RAW_STREAM] | --links FOLDER VARLO_CLI\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QByteArray stream;
    if (argc == 3) {
        QFile file(QString::fromLocal8Bit(argv[2]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "window-shot: cannot read %s\n", argv[2]);
            return 1;
        }
        stream = file.readAll();
    }
    SilentDialogs dialogs;
    NoFiles files;
    app.SetErrorReport(&dialogs);
    const varlo::FixedLocale locale;
    const varlo::SystemLocalClock clock;
    varlo::app::TFCOMM window(locale, clock, dialogs, files);
    window.show();
    bool ok = Save(window, folder, QStringLiteral("window.png"));
    window.TbFdClick();
    ok = Save(window, folder, QStringLiteral("window-enlarged.png")) && ok;
    window.TbFdClick();
    if (!stream.isEmpty()) ok = ShootTour(window, folder, stream) && ok;
    // The client area at a size that takes in every control.
    auto* client = window.centralWidget();
    client->setFixedSize(1040, 720);
    client->findChild<QWidget*>(QStringLiteral("Panel3"))->show();
    window.layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
    window.setFixedSize(window.size() + QSize(1040, 720) -
                        QSize(varlo::app::kClientWidth, varlo::app::kClientHeight));
    QCoreApplication::processEvents();
    // The stream once more, so that the trace memos, now in sight, show theirs.
    window.Session().OnSerialData(reinterpret_cast<const std::uint8_t*>(stream.constData()),
                                  static_cast<std::size_t>(stream.size()));
    ok = Save(*client, folder, QStringLiteral("window-all-controls.png")) && ok;
    return ok ? 0 : 1;
}

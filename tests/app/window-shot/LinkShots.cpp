#include "LinkShots.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QWidget>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/QtDialogs.h"
#include "app/TFCOMM.h"
#include "common/FileDialogs.h"
#include "decode/Locale.h"
#include "platform/HidFakeBackend.h"
#include "platform/LinuxSerialPort.h"
#include "recording/LocalClock.h"

namespace {

// Keeps the notices' texts instead of showing them.
struct NoticeDialogs : varlo::Dialogs {
    Answer Ask(const std::string&) override { return Answer::No; }
    void Inform(const std::string& text) override { notices.push_back(text); }
    void SystemMessage(const std::string&, const std::string&) override {}
    void ShowError(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    std::vector<std::string> notices;
};

struct NoFiles : varlo::FileDialogs {
    std::optional<std::string> Execute(const varlo::FileDialogSpec&) override { return {}; }
};

bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

bool Save(const QPixmap& picture, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name);
    if (!picture.save(path, "PNG")) {
        std::fprintf(stderr, "window-shot: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// A cable that sends readings over and over: 1.2345 V DC, four a second.
std::shared_ptr<varlo::HidFakeBackend> ScriptedCable() {
    auto fake = std::make_shared<varlo::HidFakeBackend>();
    varlo::HidFakeBackend::Device cable;
    cable.vendorId = 0x1A86;
    cable.productId = 0xE008;
    cable.versionNumber = 0x0100;
    cable.product = u"USB to Serial";
    cable.reports.feature = 6;
    fake->Plug("cable", cable);
    fake->QueueReport("cable", {0x00, 0xF7, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x3B});
    fake->QueueReport("cable", {0x00, 0xF7, 0x30, 0x30, 0x30, 0x3A, 0x30, 0x0D, 0x0A});
    fake->QueueReport("cable", {0x00, 0xF0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    fake->SetReportInterval("cable", 80);
    fake->SetRepeat("cable", varlo::HidFakeBackend::Repeat::All);
    return fake;
}

}  // namespace

bool ShootLinks(const QDir& folder, const QString& varloCli) {
    QProcess sim;
    sim.start(varloCli, {"sim", "--scenario", "tour", "--rate", "8"});
    QElapsedTimer waited;
    waited.start();
    while (!sim.canReadLine() && waited.elapsed() < 20000) sim.waitForReadyRead(100);
    const QByteArray terminal = sim.readLine().trimmed();
    if (!terminal.startsWith("/dev/")) {
        std::fprintf(stderr, "window-shot: the simulator named no terminal\n");
        return false;
    }
    qputenv("VARLO_COM1", terminal);

    NoticeDialogs dialogs;
    NoFiles files;
    const varlo::FixedLocale locale;
    const varlo::SystemLocalClock clock;
    varlo::app::TFCOMM window(locale, clock, dialogs, files, ScriptedCable());
    window.show();
    const auto decoded = [&] { return window.Session().Decoder().DecodedCount(); };
    bool ok = true;

    window.COMConClick();
    ok = RunUntil([&] { return decoded() >= 12; }, 30000) && ok;
    ok = Save(window.grab(), folder, QStringLiteral("link-serial.png")) && ok;
    window.COMConClick();
    sim.terminate();
    sim.waitForFinished(10000);

    const auto before = decoded();
    window.USBConClick();
    ok = RunUntil([&] { return decoded() >= before + 6; }, 30000) && ok;
    ok = Save(window.grab(), folder, QStringLiteral("link-usb.png")) && ok;
    window.USBConClick();

    // A port that refuses access, and its message over the window.
    window.Ports().InjectOpenFailure(EACCES);
    window.COMConClick();
    QCoreApplication::processEvents();
    if (dialogs.notices.empty()) {
        std::fprintf(stderr, "window-shot: the refused port gave no message\n");
        return false;
    }
    varlo::app::QtDialogs boxes;
    boxes.SetParent(&window);
    const auto box = boxes.InformBox(dialogs.notices.back());
    box->show();
    QCoreApplication::processEvents();
    QPixmap picture = window.grab();
    const QPixmap message = box->grab();
    QPainter painter(&picture);
    painter.drawPixmap((picture.width() - message.width()) / 2,
                       (picture.height() - message.height()) / 2, message);
    painter.end();
    return Save(picture, folder, QStringLiteral("link-refused-port.png")) && ok;
}

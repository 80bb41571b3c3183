// The print preview of a long log, as the window opens it: how long until
// the preview first shows, how long the event loop was held at most
// meanwhile (a 10 ms timer stands for the readings and the window's
// repaints), how much memory the open preview holds, and what the preview
// estimated it would take before it began. A report over the preview's
// memory budget is answered Yes: its first pages are shown.

#include <malloc.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMetaObject>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchFigure.h"
#include "ReportRows.h"
#include "app/ReportPreview.h"
#include "common/Dialogs.h"
#include "recording/ReportLayout.h"

namespace {

constexpr double kTargetStallMs = 200.0;  // longest the window may go without handling events
constexpr double kTargetShowMs = 5000.0;  // 100,000 rows, on an idle machine
constexpr double kTargetHeldMb = 150.0;   // 100,000 rows

// Answers the preview's question Yes and keeps it.
class AnswerYes : public varlo::Dialogs {
  public:
    Answer Ask(const std::string& text) override {
        asked = text;
        return Answer::Yes;
    }
    void Inform(const std::string&) override {}
    void SystemMessage(const std::string&, const std::string&) override {}
    void ShowError(const std::string&) override {}
    std::string asked;
};

std::size_t HeapInUse() {
    return mallinfo2().uordblks + mallinfo2().hblkhd;
}

// CPU time of the whole process, every thread, in milliseconds.
double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Notes the moment the preview shows, then closes it.
class PreviewWatch : public QObject {
  public:
    explicit PreviewWatch(const QElapsedTimer& clock) : clock_(clock) {}
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(object);
        if (preview != nullptr && event->type() == QEvent::Show && shownMs < 0) {
            shownMs = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
            cpuShownMs = CpuMs();
            heapOpen = HeapInUse();
            if (auto* widget = preview->findChild<QPrintPreviewWidget*>())
                pages = widget->pageCount();
            QMetaObject::invokeMethod(preview, &QDialog::reject, Qt::QueuedConnection);
        }
        return false;
    }
    double shownMs = -1;
    double cpuShownMs = 0;
    std::size_t heapOpen = 0;
    int pages = 0;

  private:
    const QElapsedTimer& clock_;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::size_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100'000;
    varlo::ReadingLog log;
    varlo::bench::FillReportRows(log, rows);
    QWidget window;
    window.resize(800, 600);
    window.show();

    QElapsedTimer clock;
    PreviewWatch watch(clock);
    app.installEventFilter(&watch);
    double longestGapMs = 0;
    qint64 lastTick = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestGapMs = std::max(longestGapMs, static_cast<double>(now - lastTick) / 1e6);
        lastTick = now;
    });
    tick.start(10);

    const std::size_t estimatedPerPage = varlo::app::PreviewBytesPerPage(varlo::ReportLayout(log));
    AnswerYes dialogs;
    const std::size_t heapBefore = HeapInUse();
    const double cpuStartMs = CpuMs();
    clock.start();
    varlo::app::ShowReportPreview(log, &window, dialogs);
    const double closedMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    // The gap from the last tick to the end counts too.
    longestGapMs =
        std::max(longestGapMs, static_cast<double>(clock.nsecsElapsed() - lastTick) / 1e6);

    const double heldMb = static_cast<double>(watch.heapOpen - heapBefore) / 1e6;
    std::printf("report preview, %zu rows, %d pages\n", rows, watch.pages);
    if (!dialogs.asked.empty()) std::printf("  asked: %s\n", dialogs.asked.c_str());
    if (watch.shownMs < 0) {
        std::fprintf(stderr, "the preview never showed\n");
        return 1;
    }
    // The show and memory targets are for 100,000 rows; other lengths show
    // what they measure.
    using namespace varlo::bench;
    const bool targeted = rows == 100'000;
    const std::string of = std::to_string(rows) + " rows";
    const double cpuShownMs = watch.cpuShownMs - cpuStartMs;
    std::string showNote = of + ", wall time; its CPU time " + FormatMeasured(cpuShownMs) + " ms";
    if (targeted && watch.shownMs > kTargetShowMs && cpuShownMs <= kTargetShowMs) {
        showNote += ", within the target: the rest of the time it waited for a core";
    }
    Figure("until the preview shows", watch.shownMs, "ms",
           targeted ? AtMost(kTargetShowMs) : kNoTarget,
           showNote + "; the target is an idle machine's");
    Figure("until it is closed again", closedMs, "ms", kNoTarget, of);
    Figure("longest event-loop stall", longestGapMs, "ms", AtMost(kTargetStallMs),
           of + ", a 10 ms timer running meanwhile");
    Figure("heap the open preview holds", heldMb, "MB",
           targeted ? AtMost(kTargetHeldMb) : kNoTarget,
           of + ", " + std::to_string(watch.pages) + " pages");
    Ratio("heap a page, held against estimated",
          {"held", watch.pages > 0 ? heldMb * 1e6 / watch.pages : 0.0},
          {"estimated", static_cast<double>(estimatedPerPage)}, "B", kNoTarget);
    return 0;
}

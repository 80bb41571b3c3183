// The limitless log in the real window: ten million readings recorded with
// "limitless" chosen in the Record menu, from a fast replay of a simulator
// scenario fed to the session as the serial driver hands it over
// (LimitlessFeed.h). The sweep by default: DC volts moving across the
// ranges, as a day's log of one quantity. The random scenario changes
// function and range with every frame, so the window re-lays the chart's
// axis for each; it takes frames several times slower and serves for a
// shorter worst case.
//
// Then, over the full log: the grid's scroll-bar thumb dragged from top to
// bottom with the mouse, the chart paged with its buttons, and the log saved
// and opened again through the window's dialogs (answered by the harness),
// under the progress dialog. An event-loop watch (a 10 ms timer) measures
// the longest time the window could not serve an event during each, beside
// the GUI thread's CPU time within it; resident memory is measured over the
// rows, beside the log's and the chart's own bytes. The figures go to the
// benchmark table; the checks of what was seen (rows lost, a box shown, a
// row read back wrong) decide the exit status.
//
// Usage: bench_limitless_window [ROWS [SCENARIO]]   (default 10,000,000 sweep)
#include <QApplication>
#include <QAreaSeries>
#include <QChartView>
#include <QLineSeries>
#include <QProgressDialog>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchFigure.h"
#include "EventLoopWatch.h"
#include "FigureTable.h"
#include "LimitlessFeed.h"
#include "LoadWindow.h"
#include "ProcessCounters.h"
#include "ScrollBarDrag.h"
#include "app/ReadingGridModel.h"
#include "app/ReadingGridView.h"
#include "app/VarloApplication.h"

namespace {

using namespace varlo::load;
using varlo::bench::AtMost;
using varlo::bench::Figure;
using varlo::bench::FormatMeasured;
using varlo::bench::kNoTarget;
using Clock = std::chrono::steady_clock;

constexpr double kFrameMs = 50;        // one frame of the event loop while scrolling or paging
constexpr double kResponsiveMs = 100;  // the window answers within this during a save or load
constexpr double kBytesPerRow = 40;

std::string Prefixed(const std::string& what) {
    return "limitless window: " + what;
}

// The longest gap of the event loop against `target`, with the GUI thread's
// CPU time within it and what held the loop in the note: the gap is what
// the user waits, the CPU time tells the window's work from a machine busy
// with other work.
void GapFigure(const std::string& what, const EventLoopWatch& watch,
               const varlo::bench::Target& target, const std::string& more = {}) {
    std::string note = "GUI thread CPU " + FormatMeasured(watch.LongestGapCpuMs()) +
                       " ms of it; held by " + watch.LongestGapCulprit();
    if (!more.empty()) note += "; " + more;
    Figure(Prefixed(what + ", longest event-loop gap"), watch.LongestGapMs(), "ms", target, note);
}

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The X of the first point the chart view was given.
double FirstShownX(LoadWindow& w) {
    auto& view = w.Control<QChartView>("Chtshow");
    for (QAbstractSeries* series : view.chart()->series()) {
        if (auto* area = qobject_cast<QAreaSeries*>(series); area && area->isVisible()) {
            const QList<QPointF> points = area->upperSeries()->points();
            return points.isEmpty() ? -1 : points.front().x();
        }
    }
    return -1;
}

void DragTheGrid(LoadWindow& w, EventLoopWatch& watch, FigureTable& checks) {
    auto& grid = w.Control<varlo::app::ReadingGridView>("DBGrid1");
    QScrollBar& bar = *grid.verticalScrollBar();
    QTest::keyClick(&grid, Qt::Key_Home);
    checks.Check(ServeUntil([&] { return bar.value() == 0; }, std::chrono::seconds(10)),
                 "Home brings the grid to its top");
    watch.Reset();
    const auto start = Clock::now();
    DragThumbToEnd(bar, 300, std::chrono::milliseconds(16));
    ServeUntil([] { return false; }, std::chrono::milliseconds(100));  // the last paint
    const double seconds = Milliseconds(Clock::now() - start) / 1000;
    const std::size_t rows = w.Session().Log().RowCount();
    checks.Check(bar.value() == bar.maximum(), "the drag reaches the end of the bar");
    checks.Check(grid.Model().LogRow(0) + 100 > rows,
                 "the grid shows the last rows after the drag");
    GapFigure("grid thumb dragged top to bottom", watch, AtMost(kFrameMs),
              "300 mouse moves in " + FormatMeasured(seconds) + " s");
}

// Each button clicked with the mouse, the chart repainted after it: the time
// of the two together, which holds the loop for as long.
void PageTheChart(LoadWindow& w, FigureTable& checks) {
    const auto& chart = w.Session().Chart();
    const int pages = chart.GetPageCount();
    const int pageSize = chart.GetPageSize();
    struct Move {
        const char* button;
        int pageNo;
    };
    const Move moves[] = {{"BtFirst", 1}, {"BtNext", 2}, {"BTPrevious", 1}, {"BTlast", pages}};
    double longest = 0;
    std::string each;
    for (const Move& move : moves) {
        const auto start = Clock::now();
        w.Click(move.button);
        QApplication::processEvents();  // the repaint
        const double ms = Milliseconds(Clock::now() - start);
        longest = std::max(longest, ms);
        each += std::string(each.empty() ? "" : ", ") + move.button + " " + FormatMeasured(ms);
        const QString caption = w.Control<QToolButton>("Bt10").text();
        checks.Check(caption == QString::number(move.pageNo),
                     std::string(move.button) + " shows page " + std::to_string(move.pageNo) +
                         ", Bt10 says " + caption.toStdString());
        const double firstX = FirstShownX(w);
        checks.Check(firstX == (move.pageNo - 1) * pageSize + 1,
                     std::string(move.button) + ": the chart shows its page's points, first X " +
                         std::to_string(firstX));
    }
    Figure(Prefixed("chart paged at the full log, slowest click with its repaint"), longest, "ms",
           AtMost(kFrameMs), each + " ms; " + std::to_string(pages) + " pages");
}

// The fields of a row as the file keeps them: a text file keeps the first
// six columns, an empty one as "NULL", and no counts; an XML file all seven.
std::vector<std::string> SavedFields(const varlo::ReadingLog& log, std::size_t row, bool text) {
    std::vector<std::string> fields;
    for (int c = 0; c < varlo::ReadingLog::kColumnCount; ++c) {
        std::string field = row < log.RowCount() ? log.Text(row, c) : "(no row)";
        if (text && c == varlo::ReadingLog::kNVal) break;
        if (text && field.empty()) field = "NULL";
        fields.push_back(field);
    }
    return fields;
}

// Saves through the window's save dialog, clears the log with Record New,
// opens the file again through the open dialog, and compares rows from the
// start, the middle and the end with the ones saved. A job that runs past
// a second must have shown its progress dialog (the runner shows it after
// half a second).
void SaveAndOpen(LoadWindow& w, EventLoopWatch& watch, FigureTable& checks, const std::string& path,
                 bool text) {
    const std::string kind = text ? "text" : "XML";
    const varlo::ReadingLog& log = w.Session().Log();
    const std::size_t rows = log.RowCount();
    const std::size_t samples[] = {0, rows / 2, rows - 1};
    std::vector<std::vector<std::string>> before;
    for (std::size_t row : samples) before.push_back(SavedFields(log, row, text));
    bool progressShown = false;
    watch.SetOnTick([&] {
        auto* dialog = w.Window().findChild<QProgressDialog*>();
        if (dialog != nullptr && dialog->isVisible()) progressShown = true;
    });

    const std::size_t boxes = w.dialogs.Count();
    w.files.answers = {path};
    watch.Reset();
    auto start = Clock::now();
    w.Click("saveas");
    const double saveSeconds = Milliseconds(Clock::now() - start) / 1000;
    Figure(Prefixed(kind + " save through the dialog"), saveSeconds, "s", kNoTarget,
           std::to_string(rows) + " rows");
    GapFigure(kind + " save", watch, AtMost(kResponsiveMs));
    // A text save says so; an XML save says nothing when it succeeds.
    const std::string saved =
        text ? "inform: save table to specified file: " + path + " Scuss!\n" : "";
    checks.Check(w.dialogs.Describe(boxes) == saved,
                 "the " + kind + " save's message; the boxes were:\n" + w.dialogs.Describe(boxes));
    checks.Check(progressShown || saveSeconds < 1,
                 "the progress dialog shows during the " + kind + " save");

    w.dialogs.answers = {varlo::Dialogs::Answer::Yes};
    w.Click("RecordNew");
    checks.Check(log.RowCount() == 0, "Record New empties the log");

    progressShown = false;
    const std::size_t loadBoxes = w.dialogs.Count();
    w.files.answers = {path};
    watch.Reset();
    start = Clock::now();
    w.Click("OpenDataFiles");
    const double loadSeconds = Milliseconds(Clock::now() - start) / 1000;
    Figure(Prefixed(kind + " open through the dialog"), loadSeconds, "s", kNoTarget);
    GapFigure(kind + " open", watch, AtMost(kResponsiveMs));
    checks.Check(log.RowCount() == rows,
                 "the " + kind + " file loads every row: " + std::to_string(log.RowCount()) +
                     " of " + std::to_string(rows));
    checks.Check(w.dialogs.Count() == loadBoxes,
                 "no message after the load: " + w.dialogs.Describe(loadBoxes));
    checks.Check(progressShown || loadSeconds < 1,
                 "the progress dialog shows during the " + kind + " load");
    for (std::size_t i = 0; i < std::size(samples); ++i) {
        checks.Check(SavedFields(log, samples[i], text) == before[i],
                     "row " + std::to_string(samples[i]) + " reads back from the " + kind +
                         " file as saved");
    }
    watch.SetOnTick(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("PULSE_SERVER", "unix:/nonexistent/varlo-bench");
    varlo::app::VarloApplication app(argc, argv);
    const std::size_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 10'000'000;
    const std::string scenario = argc > 2 ? argv[2] : "sweep";
    QTemporaryDir folder;

    FigureTable checks;
    LoadWindow w;
    w.Show();
    EventLoopWatch watch;
    watch.Start();
    w.Click("limitess");
    ServeUntil([] { return false; }, std::chrono::milliseconds(200));  // settled and painted

    const ProcessCounts before = CountProcess();
    const FeedResult feed = FeedFrames(w, watch, scenario, rows, 1);
    std::printf("limitless log in the window: %zu rows of the %s scenario\n", rows,
                scenario.c_str());
    const double n = static_cast<double>(rows);
    Figure(Prefixed("frames recorded a second, fed as fast as taken"), n / feed.seconds, "frames/s",
           kNoTarget, std::to_string(rows) + " rows of the " + scenario + " scenario");
    // Fed as fast as it takes them, the window has no gap to keep.
    GapFigure("recording them", watch, kNoTarget);
    ServeUntil([] { return false; }, std::chrono::milliseconds(200));
    const ProcessCounts after = CountProcess();
    const varlo::MeterSession& session = w.Session();
    const std::size_t recorded = session.Log().RowCount();

    checks.Check(feed.framesSent == rows, "the simulator sent every frame: " + feed.simErrors);
    checks.Check(recorded == rows, "every frame sent is a row: " + std::to_string(recorded) +
                                       " of " + std::to_string(rows));
    checks.Check(session.ChartModel().RecordedValueCount() == rows, "every row is a chart point");
    checks.Check(session.Assembler().DroppedCount() == 0 && session.Decoder().RejectedCount() == 0,
                 "no frame dropped or rejected");
    checks.Check(w.dialogs.Count() == 0, "no message box while recording: " + w.dialogs.Describe());

    const double growth =
        static_cast<double>(after.residentBytes) - static_cast<double>(before.residentBytes);
    Figure(Prefixed("resident memory growth per row"), growth / n, "bytes", AtMost(kBytesPerRow),
           "the log's own " + FormatMeasured(static_cast<double>(session.Log().MemoryBytes()) / n) +
               ", the chart's own " +
               FormatMeasured(static_cast<double>(session.ChartModel().ValueBytes()) / n) +
               " bytes per row");

    DragTheGrid(w, watch, checks);
    PageTheChart(w, checks);
    SaveAndOpen(w, watch, checks, folder.filePath("log.xls").toStdString(), true);
    SaveAndOpen(w, watch, checks, folder.filePath("log.xml").toStdString(), false);
    checks.Check(w.dialogs.Describe().find("error: ") == std::string::npos,
                 "no error box: " + w.dialogs.Describe());

    // A figure that misses is a finding to explain, not a failed run; a
    // failed check (rows lost, a box shown, a row read back wrong) is.
    checks.Print();
    return checks.ChecksHeld() ? 0 : 1;
}

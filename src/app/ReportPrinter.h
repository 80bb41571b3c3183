#pragma once

#include <cstddef>
#include <functional>

class QPainter;
class QPrinter;

namespace varlo {
class ReportLayout;
}

namespace varlo::app {

// Sets a printer up for the report: A4 portrait, 10 mm margins, one copy,
// painting in coordinates that start at the paper's top left corner.
void SetUpReportPrinter(QPrinter& printer);

// Paints page `index` of the report, black, 10-point texts. The painter's
// device is the paper: its origin is the paper's top left corner and its
// resolution says how many pixels make a millimetre (a QPrinter set up as
// above, or a QImage of the page). The device's background is left as it is.
void PaintReportPage(QPainter& painter, const ReportLayout& layout, std::size_t index);

// Told before the first page and after every page how many of how many
// pages are painted; returns false to stop the print run.
using ReportProgress = std::function<bool(std::size_t done, std::size_t total)>;

enum class PrintOutcome { kDone, kCancelled, kFailed };

// Paints the report onto the printer page after page: the page range the
// printer was given (every page by default), in its page order. kFailed when
// the printer cannot be painted on (an output file that cannot be written)
// or refuses a new page; kCancelled when `progress` said stop (the pages
// painted so far stay on the printer).
PrintOutcome PrintReport(QPrinter& printer, const ReportLayout& layout,
                         const ReportProgress& progress = {});

}  // namespace varlo::app

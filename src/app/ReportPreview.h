#pragma once

#include <cstddef>

#include "app/ReportPreviewBudget.h"

class QWidget;

namespace varlo {
class Dialogs;
class ReadingLog;
class ReportLayout;
}  // namespace varlo

namespace varlo::app {

// Opens the print preview of the log's report over `parent`, from which the
// user pages through it, prints it or saves it as PDF, and returns when the
// preview is closed. The report holds the rows the log has now. An empty log
// opens nothing. A report whose preview would need more than
// `memoryBudget` bytes asks the user through `dialogs` first: on Yes the
// preview shows the first pages that the budget holds and says so in its
// title, on No nothing opens. The log is not touched either way.
void ShowReportPreview(const ReadingLog& log, QWidget* parent, Dialogs& dialogs,
                       std::size_t memoryBudget = kPreviewMemoryBudget);

// The memory a preview takes for a page of `layout`, on average: pages
// spread over the report recorded as the preview records them, and what the
// preview keeps beside each page.
std::size_t PreviewBytesPerPage(const ReportLayout& layout);

}  // namespace varlo::app

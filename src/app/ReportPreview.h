#pragma once

class QWidget;

namespace varlo {
class ReadingLog;
}

namespace varlo::app {

// Opens the print preview of the log's report over `parent`, from which the
// user pages through it, prints it or saves it as PDF, and returns when the
// preview is closed. The report holds the rows the log has now. An empty log
// opens nothing.
void ShowReportPreview(const ReadingLog& log, QWidget* parent);

}  // namespace varlo::app

#pragma once

#include <QTableView>

#include "recording/ReadingLog.h"

namespace varlo::app {

class ReadingGridModel;

// The reading grid "DBGrid1": the log in a read-only table with whole-row
// selection. Every row has the same fixed height and nothing is measured
// per row, so a log of ten million rows scrolls as one of ten. When rows
// arrive the newest becomes the current row and is scrolled into view.
class ReadingGridView : public QTableView {
    Q_OBJECT

  public:
    explicit ReadingGridView(ReadingLog& log, QWidget* parent = nullptr);

    ReadingGridModel& Model() const { return *model_; }

  private:
    void FollowNewestRow();

    ReadingGridModel* model_;
};

}  // namespace varlo::app

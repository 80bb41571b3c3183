#pragma once

#include <QTableView>
#include <functional>

#include "recording/ReadingLog.h"

namespace varlo::app {

class ReadingGridModel;

// The reading grid "DBGrid1": the log in a read-only table with whole-row
// selection, the Unit column in the meter display's glyphs. Every row has
// the same fixed height and no row is ever measured, so scrolling a log of
// ten million rows costs what it costs for ten. (The row header still keeps
// a small record per row and walks them after each insert: see the grid
// benchmark.) When rows arrive the newest becomes the current row and is
// scrolled into view.
class ReadingGridView : public QTableView {
    Q_OBJECT

  public:
    // The log must outlive the grid (see ReadingGridModel).
    explicit ReadingGridView(ReadingLog& log, QWidget* parent = nullptr);
    ReadingGridView(const ReadingLog& log, std::function<void(ReadingLogObserver*)> attachObserver,
                    QWidget* parent = nullptr);

    ReadingGridModel& Model() const { return *model_; }

  private:
    ReadingGridView(ReadingGridModel* model, QWidget* parent);
    void FollowNewestRow();

    ReadingGridModel* model_;
};

}  // namespace varlo::app

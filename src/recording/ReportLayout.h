#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

namespace varlo {

class ReadingLog;

// The face a report text is drawn in: Arial, or the meter's LCD glyphs (so
// that unit texts such as "K*" print as unit symbols).
enum class ReportFace { kArial, kGlyph };

// One text of a report page. Positions are millimetres from the top left
// corner of the paper; `top` is the top of the text's line. A left-aligned
// text starts at `left` and has room up to `left + width` (the next column's
// left edge, or the right margin), where a longer text is cut; a centred
// text is centred across `left` to `left + width`.
struct ReportText {
    double left = 0;
    double top = 0;
    double width = 0;
    bool centred = false;
    ReportFace face = ReportFace::kArial;
    std::string text;
};

struct ReportPage {
    std::size_t firstRow = 0;  // the log row of the page's first detail line
    std::size_t rowCount = 0;  // detail lines on the page
    std::vector<ReportText> texts;
};

// The printed list of the reading log: A4 portrait, 10 mm margins; on every
// page a title band, a band of column headings, one detail line per row and
// a footer band at the bottom. Every page holds the same number of rows, so
// any page is laid out from its own rows alone: a log of millions of rows
// costs nothing until a page is asked for.
class ReportLayout {
  public:
    static constexpr double kPaperWidth = 210.0;
    static constexpr double kPaperHeight = 297.0;
    static constexpr double kMargin = 10.0;
    static constexpr double kPointSize = 10.0;   // every text
    static constexpr double kBandHeight = 13.2;  // title, headings and footer
    static constexpr double kDetailHeight = 6.6;
    static constexpr std::size_t kRowsPerPage = 35;  // detail lines that fit above the footer

    static constexpr const char* kTitle = "Test Data";
    static constexpr std::size_t kAllPages = std::numeric_limits<std::size_t>::max();

    // Pages that `rows` rows fill.
    static std::size_t PagesFor(std::size_t rows);

    // Lays out the rows the log holds now, or those of its first `pageLimit`
    // pages only. Rows appended later are not part of the report; the log
    // must outlive the layout.
    explicit ReportLayout(const ReadingLog& log, std::size_t pageLimit = kAllPages);

    std::size_t RowCount() const { return rowCount_; }
    std::size_t PageCount() const;  // 0 for an empty log

    // Page `index` (from 0); throws std::out_of_range past the last page.
    // A row that has left the log since the layout was made prints nothing.
    ReportPage Page(std::size_t index) const;

  private:
    const ReadingLog& log_;
    std::size_t rowCount_;
};

}  // namespace varlo

#include "recording/ReportLayout.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>

#include "recording/ReadingLog.h"

namespace varlo {

namespace {

// Measures are kept in tenths of a millimetre so that the bands add up
// exactly; Mm turns them into millimetres.
constexpr int kPaperHeightT = 2970;
constexpr int kMarginT = 100;
constexpr int kBandT = 132;
constexpr int kDetailT = 66;
constexpr int kPrintableWidthT = 2100 - 2 * kMarginT;

constexpr int kTitleTopT = 21;    // in the title band
constexpr int kHeadingTopT = 42;  // in the heading band
constexpr int kFieldTopT = 21;    // in a detail band
constexpr int kFooterTopT = 42;   // in the footer band
constexpr int kFooterLeftT = 85;

constexpr int kHeadingBandTopT = kMarginT + kBandT;
constexpr int kFirstDetailTopT = kHeadingBandTopT + kBandT;
constexpr int kFooterBandTopT = kPaperHeightT - kMarginT - kBandT;

static_assert(ReportLayout::kRowsPerPage ==
                  static_cast<std::size_t>((kFooterBandTopT - kFirstDetailTopT) / kDetailT),
              "rows per page follow from the bands");

constexpr double Mm(int tenths) {
    return tenths / 10.0;
}

// Columns are given by their left edges in the band; each has room up to
// the next one's left edge, the last one up to the right margin.
struct Heading {
    int leftT;
    const char* text;
    ReportFace face;
};

constexpr Heading kHeadings[] = {
    {85, "No", ReportFace::kGlyph},        {339, "Time", ReportFace::kGlyph},
    {643, "Function", ReportFace::kArial}, {995, "Value", ReportFace::kGlyph},
    {1323, "Unit", ReportFace::kGlyph},    {1630, "Judge", ReportFace::kGlyph},
};

struct Field {
    int column;
    int leftT;
    ReportFace face;
};

constexpr Field kFields[] = {
    {ReadingLog::kNo, 85, ReportFace::kArial},        {ReadingLog::kTime, 339, ReportFace::kArial},
    {ReadingLog::kFunction, 656, ReportFace::kArial}, {ReadingLog::kValue, 995, ReportFace::kArial},
    {ReadingLog::kUnit, 1312, ReportFace::kGlyph},    {ReadingLog::kAuto, 1630, ReportFace::kGlyph},
};

template <typename Column, std::size_t N>
constexpr int RoomT(const Column (&columns)[N], std::size_t i) {
    return (i + 1 < N ? columns[i + 1].leftT : kPrintableWidthT) - columns[i].leftT;
}

ReportText LeftText(int leftT, int topT, int widthT, ReportFace face, std::string text) {
    return ReportText{Mm(kMarginT + leftT), Mm(topT), Mm(widthT), false, face, std::move(text)};
}

}  // namespace

std::size_t ReportLayout::PagesFor(std::size_t rows) {
    return rows / kRowsPerPage + (rows % kRowsPerPage > 0 ? 1 : 0);
}

ReportLayout::ReportLayout(const ReadingLog& log, std::size_t pageLimit)
    : log_(log),
      rowCount_(PagesFor(log.RowCount()) <= pageLimit ? log.RowCount() : pageLimit * kRowsPerPage) {
}

std::size_t ReportLayout::PageCount() const {
    return PagesFor(rowCount_);
}

ReportPage ReportLayout::Page(std::size_t index) const {
    if (index >= PageCount()) {
        throw std::out_of_range("report: no page " + std::to_string(index + 1) + " of " +
                                std::to_string(PageCount()));
    }
    ReportPage page;
    page.firstRow = index * kRowsPerPage;
    page.rowCount = std::min(kRowsPerPage, rowCount_ - page.firstRow);
    page.texts.reserve(2 + std::size(kHeadings) + page.rowCount * std::size(kFields));

    page.texts.push_back(ReportText{Mm(kMarginT), Mm(kMarginT + kTitleTopT), Mm(kPrintableWidthT),
                                    true, ReportFace::kGlyph, kTitle});
    for (std::size_t i = 0; i < std::size(kHeadings); ++i) {
        page.texts.push_back(LeftText(kHeadings[i].leftT, kHeadingBandTopT + kHeadingTopT,
                                      RoomT(kHeadings, i), kHeadings[i].face, kHeadings[i].text));
    }

    // The log may have lost rows since the layout was made; those print
    // nothing rather than being read past its end.
    const std::size_t present = std::min(rowCount_, log_.RowCount());
    for (std::size_t line = 0; line < page.rowCount; ++line) {
        const std::size_t row = page.firstRow + line;
        if (row >= present) break;
        const int topT = kFirstDetailTopT + static_cast<int>(line) * kDetailT + kFieldTopT;
        for (std::size_t i = 0; i < std::size(kFields); ++i) {
            std::string text = log_.Text(row, kFields[i].column);
            if (text.empty()) continue;
            page.texts.push_back(LeftText(kFields[i].leftT, topT, RoomT(kFields, i),
                                          kFields[i].face, std::move(text)));
        }
    }

    page.texts.push_back(LeftText(kFooterLeftT, kFooterBandTopT + kFooterTopT,
                                  kPrintableWidthT - kFooterLeftT, ReportFace::kGlyph, kTitle));
    return page;
}

}  // namespace varlo

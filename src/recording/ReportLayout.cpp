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

ReportText LeftText(int leftT, int topT, ReportFace face, std::string text) {
    return ReportText{Mm(leftT), Mm(topT), 0.0, false, face, std::move(text)};
}

}  // namespace

ReportLayout::ReportLayout(const ReadingLog& log) : log_(log), rowCount_(log.RowCount()) {}

std::size_t ReportLayout::PageCount() const {
    return (rowCount_ + kRowsPerPage - 1) / kRowsPerPage;
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
    for (const Heading& heading : kHeadings) {
        page.texts.push_back(LeftText(kMarginT + heading.leftT, kHeadingBandTopT + kHeadingTopT,
                                      heading.face, heading.text));
    }

    // The log may have lost rows since the layout was made; those print
    // nothing rather than being read past its end.
    const std::size_t present = std::min(rowCount_, log_.RowCount());
    for (std::size_t line = 0; line < page.rowCount; ++line) {
        const std::size_t row = page.firstRow + line;
        if (row >= present) break;
        const int topT = kFirstDetailTopT + static_cast<int>(line) * kDetailT + kFieldTopT;
        for (const Field& field : kFields) {
            std::string text = log_.Text(row, field.column);
            if (text.empty()) continue;
            page.texts.push_back(
                LeftText(kMarginT + field.leftT, topT, field.face, std::move(text)));
        }
    }

    page.texts.push_back(LeftText(kMarginT + kFooterLeftT, kFooterBandTopT + kFooterTopT,
                                  ReportFace::kGlyph, kTitle));
    return page;
}

}  // namespace varlo

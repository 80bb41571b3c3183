#include "app/ReportPreviewBudget.h"

#include <algorithm>
#include <cstdio>

namespace varlo::app {

namespace {

// "512 MB", "13.4 GB".
std::string Bytes(double bytes) {
    char text[32];
    if (bytes < 1e9) {
        std::snprintf(text, sizeof text, "%.0f MB", std::max(1.0, bytes / 1e6));
    } else {
        std::snprintf(text, sizeof text, "%.1f GB", bytes / 1e9);
    }
    return text;
}

std::string AboutBytes(double bytes) {
    return "about " + Bytes(bytes);
}

}  // namespace

std::size_t PreviewPagesWithin(std::size_t budget, std::size_t bytesPerPage) {
    return std::max<std::size_t>(1, budget / std::max<std::size_t>(1, bytesPerPage));
}

std::string PreviewTooLargeQuestion(std::size_t pages, std::size_t bytesPerPage, std::size_t budget,
                                    std::size_t pagesWithin) {
    const double need = static_cast<double>(pages) * static_cast<double>(bytesPerPage);
    return "The report has " + std::to_string(pages) +
           " pages, too many to preview at once: all of them would need " + AboutBytes(need) +
           " of memory, and a preview takes at most " + Bytes(static_cast<double>(budget)) +
           ".\n\nPreview only the first " + std::to_string(pagesWithin) + " pages?";
}

std::string PartialPreviewTitle(std::size_t shown, std::size_t pages) {
    return "Print Preview: the first " + std::to_string(shown) + " of " + std::to_string(pages) +
           " pages";
}

}  // namespace varlo::app

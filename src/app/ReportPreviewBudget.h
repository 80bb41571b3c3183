#pragma once

#include <cstddef>
#include <string>

namespace varlo::app {

// A print preview records every page of the report in memory while it is
// open. It may take this much; a longer report is previewed from its first
// pages only, once the user has agreed. The budget is fixed, so that the
// same log always previews the same way, and it bounds the wait as well:
// a preview records some 40 MB a second on a two-core machine, so a full
// budget shows within about 7 seconds.
inline constexpr std::size_t kPreviewMemoryBudget = 256'000'000;

// The pages that `budget` bytes hold at `bytesPerPage`: at least one.
std::size_t PreviewPagesWithin(std::size_t budget, std::size_t bytesPerPage);

// The question put to the user when a report of `pages` pages needs more
// than `budget`: it names the page count, the memory all of them would
// need, and the pages a preview would show.
std::string PreviewTooLargeQuestion(std::size_t pages, std::size_t bytesPerPage, std::size_t budget,
                                    std::size_t pagesWithin);

// The title of a preview that shows the first `shown` of `pages` pages.
std::string PartialPreviewTitle(std::size_t shown, std::size_t pages);

}  // namespace varlo::app

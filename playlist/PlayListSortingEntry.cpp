#include "playlist/PlayListSortingEntry.h"

#include <utility>

namespace corvane::playlist {

int32_t PlayListSortingEntry::OrigPosition() const { return origPosition_; }

void PlayListSortingEntry::SetOrigPosition(int32_t position) { origPosition_ = position; }

const runtime::Text &PlayListSortingEntry::SortingString() const { return sortingString_; }

void PlayListSortingEntry::SetSortingString(runtime::Text sortString) { sortingString_ = std::move(sortString); }

}  // namespace corvane::playlist

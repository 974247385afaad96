#pragma once
// How the play list orders its entries: the sorting text of an entry for each
// sort type, the comparison of two sorting records, and the stable order of a
// whole sorting list.
#include <cstdint>
#include <vector>

#include "common/Enumerations.h"
#include "playlist/PlayListEntry.h"
#include "playlist/PlayListSortingEntry.h"

namespace corvane::playlist {

// By file: the text after the last "\" of the file name. By title: the title,
// else the file part. By tag: "artist - title" with "Unknown Artist" or
// "Untitled" standing in for the one that is empty, else the file part. By
// time: the length in decimal. Tag values that cannot be read count as empty;
// an unknown sort type gives an empty text.
runtime::Text SortingTextOf(PlayListEntry &entry, CorvanePlayListSortType sortType);

// <0, 0 or >0. Time texts compare as whole numbers, the others as text
// without regard to letter case in the locale's order.
int CompareSortingEntries(const PlayListSortingEntry &a, const PlayListSortingEntry &b,
                          CorvanePlayListSortType sortType);

// Orders the list ascending (corMP3SortAscending) or descending
// (corMP3SortDescending); records that compare equal keep their order. Any
// other order leaves the list as it is. O(n log n) comparisons.
void OrderSortingList(std::vector<PlayListSortingEntry> &list, CorvanePlayListSortType sortType,
                      int32_t sortOrder);

}  // namespace corvane::playlist

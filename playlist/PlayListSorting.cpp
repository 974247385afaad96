// Sorting and shuffling the play list. The order is the one that repeated
// passes of neighbour exchanges (exchanging only neighbours that are out of
// order) produce: a stable order. It is computed here by a stable sort with
// the same comparison, and each entry's sorting text is read, folded and
// widened once per sort.

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <string_view>
#include <utility>

#include "common/PathHelpers.h"
#include "common/PathRules.h"
#include "playlist/CVMP3PlayList.h"
#include "playlist/PlayListSorting.h"
#include "runtime/AutomationError.h"

namespace corvane::playlist {

namespace {

Text FilePart(const Text &filename) { return common::FilePartOf(filename); }

Text ReadOrEmpty(PlayListEntry &entry, Text (PlayListEntry::*read)()) {
    return runtime::AbsorbOr(Text{}, [&] { return (entry.*read)(); });
}

Text TagSortingText(PlayListEntry &entry) {
    const Text artist = ReadOrEmpty(entry, &PlayListEntry::ID3Artist);
    const Text title = ReadOrEmpty(entry, &PlayListEntry::ID3Title);
    if (artist.empty() && title.empty()) return FilePart(entry.Filename());
    return (artist.empty() ? Text(u"Unknown Artist") : artist) + u" - " + (title.empty() ? Text(u"Untitled") : title);
}

// Time texts are written from a 16-bit length, so they always hold a whole
// number; anything else reads as 0.
int64_t WholeNumberOf(const Text &text) {
    int64_t value = 0;
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == u'-';
    if (negative) ++i;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9' && value < (int64_t{1} << 50); ++i)
        value = value * 10 + (text[i] - u'0');
    return negative ? -value : value;
}

template <class Key>
bool InOrder(const Key &a, const Key &b, int32_t sortOrder) {
    return sortOrder == corMP3SortAscending ? a < b : b < a;
}

// Stable-sorts the records by a key made once per record.
template <class Key, class MakeKey, class Less>
void StableSortByKey(std::vector<PlayListSortingEntry> &list, MakeKey makeKey, Less less) {
    std::vector<std::pair<Key, PlayListSortingEntry>> keyed;
    keyed.reserve(list.size());
    for (PlayListSortingEntry &record : list) {
        Key key = makeKey(record.SortingString());
        keyed.emplace_back(std::move(key), std::move(record));
    }
    std::stable_sort(keyed.begin(), keyed.end(), [&](const auto &a, const auto &b) { return less(a.first, b.first); });
    for (size_t i = 0; i < list.size(); ++i) list[i] = std::move(keyed[i].second);
}

}  // namespace

Text SortingTextOf(PlayListEntry &entry, CorvanePlayListSortType sortType) {
    switch (sortType) {
    case corMP3SortByFile:
        return FilePart(entry.Filename());
    case corMP3SortByID3Title: {
        Text title = ReadOrEmpty(entry, &PlayListEntry::ID3Title);
        return title.empty() ? FilePart(entry.Filename()) : title;
    }
    case corMP3SortByID3Tag:
        return TagSortingText(entry);
    case corMP3SortByTime:
        return runtime::ToText(int64_t{entry.TrackLength()});
    default:
        return {};
    }
}

int CompareSortingEntries(const PlayListSortingEntry &a, const PlayListSortingEntry &b,
                          CorvanePlayListSortType sortType) {
    if (sortType == corMP3SortByTime) {
        const int64_t x = WholeNumberOf(a.SortingString()), y = WholeNumberOf(b.SortingString());
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return runtime::CompareNoCase(a.SortingString(), b.SortingString());
}

void OrderSortingList(std::vector<PlayListSortingEntry> &list, CorvanePlayListSortType sortType,
                      int32_t sortOrder) {
    if (sortOrder != corMP3SortAscending && sortOrder != corMP3SortDescending) return;
    if (sortType == corMP3SortByTime) {
        StableSortByKey<int64_t>(list, WholeNumberOf,
                                 [&](int64_t a, int64_t b) { return InOrder(a, b, sortOrder); });
        return;
    }
    StableSortByKey<std::wstring>(list, runtime::CollationKey, [&](const std::wstring &a, const std::wstring &b) {
        return InOrder(runtime::CompareCollationKeys(a, b), 0, sortOrder);
    });
}

void CVMP3PlayList::Sort(CorvanePlayListSortType &sortType, CorvanePlayListSortOrder &sortOrder) {
    runtime::Absorb([&] {
        if (sortOrder == corMP3SortRandom) {
            ShuffleEntries();
            return;
        }
        SortingList sortingList = BuildSortingList(sortType);
        OrderSortingList(sortingList, sortType, sortOrder);
        entries_ = RebuildInSortedOrder(sortingList);
    });
}

CVMP3PlayList::SortingList CVMP3PlayList::BuildSortingList(CorvanePlayListSortType sortType) {
    SortingList sortingList(static_cast<size_t>(entries_.Count()));
    for (int32_t position = 1; position <= entries_.Count(); ++position) {
        PlayListSortingEntry &record = sortingList[static_cast<size_t>(position - 1)];
        record.SetOrigPosition(position);
        record.SetSortingString(SortingTextOf(*entries_.ItemAt(position), sortType));
    }
    return sortingList;
}

CVMP3PlayList::EntryList CVMP3PlayList::RebuildInSortedOrder(const SortingList &sortingList) {
    SeedGenerator();
    EntryList rebuilt;
    for (const PlayListSortingEntry &record : sortingList)
        if (EntryRef entry = entries_.ItemAt(record.OrigPosition())) AppendUnderGeneratedKey(rebuilt, entry);
    return rebuilt;
}

void CVMP3PlayList::ShuffleEntries() {
    SeedGenerator();
    // Each step takes one of the remaining entries with equal chance; where
    // the others then stand among the remaining ones plays no part, so the
    // taken slot is filled from the end instead of closing the gap.
    std::vector<EntryRef> remaining = entries_.Items();
    EntryList shuffled;
    while (!remaining.empty()) {
        const double r = NextUniform();
        const size_t chosen = std::min(static_cast<size_t>(r * static_cast<double>(remaining.size())), remaining.size() - 1);
        AppendUnderGeneratedKey(shuffled, remaining[chosen]);
        remaining[chosen] = std::move(remaining.back());
        remaining.pop_back();
    }
    entries_ = std::move(shuffled);
}

}  // namespace corvane::playlist

#pragma once
// The play-list control: an ordered, optionally keyed list of entries with a
// running total of their playing time. Entries are added, removed, moved and
// looked up by position or key; the list is sorted or shuffled, and loaded
// from and saved to extended M3U files. The container persists only the
// play-list file name, under "FileName".
//
// Editing members live in CVMP3PlayList.cpp, files in PlayListFile.cpp,
// sorting in PlayListSorting.cpp.
//
// playlist/ includes common/, runtime/ and decoder/.
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "common/Enumerations.h"
#include "decoder/DecoderLibrary.h"
#include "playlist/PlayListEntry.h"
#include "playlist/PlayListSortingEntry.h"
#include "runtime/ControlSite.h"
#include "runtime/KeyedCollection.h"
#include "runtime/Object.h"
#include "runtime/PropertyBag.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"

namespace corvane::playlist {

using runtime::Text;
using runtime::Variant;

// Registers the control's bitmaps ("PLAYLIST_CONTROL", 32 x 32, and the
// toolbox bitmap "30000", 16 x 15) with the bitmap resources. Safe to call
// any number of times; every new control does it.
void RegisterPlayListBitmaps();

class CVMP3PlayList : public runtime::Object {
public:
    using EntryRef = std::shared_ptr<PlayListEntry>;
    using EntryList = runtime::KeyedCollection<PlayListEntry>;
    using SortingList = std::vector<PlayListSortingEntry>;
    // Progress of a long LoadPlayList: `done` of `total` lines after the
    // header have been handled.
    using ProgressCallback = std::function<void(int32_t done, int32_t total)>;

    // The site must outlive the control. The constructor calls Initialize,
    // so a new control is ready for use at once.
    explicit CVMP3PlayList(runtime::ControlSite &site,
                           decoder::DecoderLibraryRef library = decoder::DefaultDecoderLibrary());

    // --- editing ------------------------------------------------------------
    // Omitted positions count as 0 (not given), an omitted key as empty.
    // Raises the entry's error number (source "CVMP3Player") when the file is
    // refused, and 457 when the key is in use or, with a key, the position
    // names no element. Without a key, a position that names no element adds
    // nothing and returns false.
    bool AddEntry(Text &filename, const Variant &beforeFile = Variant::Missing(),
                  const Variant &afterFile = Variant::Missing(), const Variant &key = Variant::Missing());
    void Clear();
    int32_t Count() const;
    // The entry at a position (a number) or key (a text); null when there is
    // none. Never raises.
    EntryRef PlayListEntries(const Variant &index) const;
    // The entries in list order (a snapshot).
    std::vector<EntryRef> NewEnum() const;
    // Raises 30078 "There is no PlayList entry <index>." when nothing is found.
    void RemoveEntry(const Variant &index);
    // Moves one entry up, down, to the top or bottom, or before or after the
    // entry at `targetFile` (omitted: 0). A moved entry is re-inserted under a
    // generated key. Raises 30078 for a target that names no element.
    void MovePlayListEntry(int32_t &fileToMove, CorvanePlayListMovement &moveTo,
                           const Variant &targetFile = Variant::Missing());
    // Seconds: the running total of the lengths of the entries.
    double TotalPlayListTime() const;
    // Component-only: the key under which the list holds the entry at a
    // position (empty for none, or for a position outside the list).
    Text ListKeyAt(int32_t position) const;

    // --- files --------------------------------------------------------------
    Text Filename() const;
    void SetFilename(Text &newValue);  // tells the container "FileName" changed
    // Replaces the list with the audio files of an extended M3U file (the
    // argument, when given, becomes Filename first).
    void LoadPlayList();
    void LoadPlayList(Variant &filename);
    // True when the file was written whole; when not, the old file is kept.
    bool SavePlayList();
    bool SavePlayList(Variant &filename);
    // Called during LoadPlayList after every line; null switches it off.
    void SetProgressCallback(ProgressCallback callback);

    // --- sorting --------------------------------------------------------------
    // Ascending or descending by the sort type, or shuffled (corMP3SortRandom,
    // whatever the type). Every entry is re-inserted under a generated key.
    void Sort(CorvanePlayListSortType &sortType, CorvanePlayListSortOrder &sortOrder);
    // Component-only steps of a sort.
    SortingList BuildSortingList(CorvanePlayListSortType sortType);
    EntryList RebuildInSortedOrder(const SortingList &sortingList);
    void ShuffleEntries();

    // --- container notifications -------------------------------------------
    void Initialize();  // a new, empty list
    void ReadProperties(runtime::PropertyBag &bag);
    void WriteProperties(runtime::PropertyBag &bag);
    void Paint();
    void Resize(int32_t widthTwips, int32_t heightTwips);  // always 32 x 32 pixels
    void Terminate();   // releases the entries; entries the host holds live on

private:
    // Generated keys: the decimal text of floor(u * 2^31), u in [0, 1), from a
    // generator seeded from the clock at the start of each reordering.
    void SeedGenerator();
    double NextUniform();
    Text NextGeneratedKey();
    Text GeneratedKeyUnusedIn(const EntryList &list);
    void AppendUnderGeneratedKey(EntryList &list, const EntryRef &entry);

    void SetFileNameFromArgument(const Variant &filename);
    void RequirePlayListFileName() const;
    void AddEntriesFromLines(const std::vector<std::string_view> &lines);
    void ReportProgress(int32_t done, int32_t total);
    std::vector<std::string> SavedLinesOf(PlayListEntry &entry) const;

    runtime::ControlSite &site_;
    decoder::DecoderLibraryRef library_;
    EntryList entries_;
    double totalTime_ = 0;  // running total of the lengths, seconds; set to 0 when a removal takes it below 0
    Text playListFile_;
    ProgressCallback progress_;
    std::mt19937_64 generator_;
};

}  // namespace corvane::playlist

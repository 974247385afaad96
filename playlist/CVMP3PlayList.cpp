#include "playlist/CVMP3PlayList.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>
#include <utility>

#include "common/ErrorCatalogue.h"
#include "runtime/AutomationError.h"
#include "runtime/BitmapResource.h"

namespace corvane::playlist {

namespace {

constexpr int32_t kKeyInUse = 457;
constexpr int32_t kNoSuchEntry = 30078;
constexpr char16_t kKeyInUseText[] = u"This key is already associated with an element of this collection.";
constexpr char16_t kAddEntrySource[] = u"CorvaneMP3.CVMP3PlayList.AddEntry";
constexpr char16_t kPropertyFileName[] = u"FileName";
constexpr char16_t kControlBitmap[] = u"PLAYLIST_CONTROL";
constexpr int32_t kControlPixels = 32;
constexpr double kKeyRange = 2147483648.0;  // generated keys are below 2^31
constexpr int kKeyAttempts = 64;

// An omitted optional Long counts as 0, an omitted optional String as empty.
int32_t OptionalLong(const Variant &value) { return value.IsMissing() ? 0 : value.ToLong(); }
Text OptionalText(const Variant &value) { return value.IsMissing() ? Text{} : value.ToText(); }

// Where a move inserts the entry once more, and which position then holds
// its earlier occurrence.
struct MovePlan {
    int32_t before = 0;
    int32_t after = 0;
    int32_t removeAt = 0;
};

std::optional<MovePlan> PlanMove(int32_t moveTo, int32_t from, int32_t target, int32_t count) {
    switch (moveTo) {
    case corMP3MoveUpOne:
        if (from == 1) return std::nullopt;
        return MovePlan{from - 1, 0, from + 1};
    case corMP3MoveDownOne:
        if (from == count) return std::nullopt;
        return MovePlan{0, from + 1, from};
    case corMP3MoveToTop:
        if (from == 1) return std::nullopt;
        return MovePlan{1, 0, from + 1};
    case corMP3MoveToBottom:
        if (from == count) return std::nullopt;
        return MovePlan{0, count, from};
    case corMP3MoveBeforeFile:
        if (from == target) return std::nullopt;
        return MovePlan{target, 0, from < target ? from : from + 1};
    case corMP3MoveAfterFile:
        if (from == target) return std::nullopt;
        return MovePlan{0, target, from < target ? from : from + 1};
    default:
        return std::nullopt;
    }
}

}  // namespace

CVMP3PlayList::CVMP3PlayList(runtime::ControlSite &site, decoder::DecoderLibraryRef library)
    : site_(site), library_(std::move(library)) {
    runtime::Absorb([] { RegisterPlayListBitmaps(); });
    Initialize();
}

// --- editing ------------------------------------------------------------------

bool CVMP3PlayList::AddEntry(Text &filename, const Variant &beforeFile, const Variant &afterFile,
                             const Variant &key) {
    const int32_t before = OptionalLong(beforeFile);
    const int32_t after = OptionalLong(afterFile);
    Text keyText = OptionalText(key);

    auto entry = std::make_shared<PlayListEntry>(library_);
    if (int32_t result = entry->SetFileName(filename); result != 0) common::RaiseCatalogued(result);

    if (!keyText.empty()) {
        entry->SetKey(keyText);
        if (!entries_.Add(entry, keyText, before, after)) runtime::Raise(kKeyInUse, kKeyInUseText, kAddEntrySource);
    } else if (!entries_.Add(entry, {}, before, after)) {
        return false;
    }
    totalTime_ += entry->TrackLength();
    return true;
}

void CVMP3PlayList::Clear() {
    entries_.Clear();
    totalTime_ = 0;
}

int32_t CVMP3PlayList::Count() const { return entries_.Count(); }

CVMP3PlayList::EntryRef CVMP3PlayList::PlayListEntries(const Variant &index) const {
    return runtime::AbsorbOr(EntryRef{}, [&] { return entries_.Find(index); });
}

std::vector<CVMP3PlayList::EntryRef> CVMP3PlayList::NewEnum() const { return entries_.Items(); }

void CVMP3PlayList::RemoveEntry(const Variant &index) {
    const int32_t position = runtime::AbsorbOr(0, [&] { return entries_.PositionOf(index); });
    if (position == 0) {
        Text shown = runtime::AbsorbOr(Text{}, [&] { return index.ToText(); });
        runtime::Raise(kNoSuchEntry, u"There is no PlayList entry " + shown + u".");
    }
    totalTime_ -= entries_.ItemAt(position)->TrackLength();
    entries_.RemoveAt(position);
    if (totalTime_ < 0) totalTime_ = 0;
}

void CVMP3PlayList::MovePlayListEntry(int32_t &fileToMove, CorvanePlayListMovement &moveTo,
                                      const Variant &targetFile) {
    const int32_t from = fileToMove;
    const int32_t target = OptionalLong(targetFile);
    const bool toTarget = moveTo == corMP3MoveBeforeFile || moveTo == corMP3MoveAfterFile;
    if (toTarget && !entries_.ItemAt(target))
        runtime::Raise(kNoSuchEntry, u"There is no PlayList entry '" + runtime::ToText(int64_t{target}) + u"'.", Text{});

    SeedGenerator();
    const Text key = GeneratedKeyUnusedIn(entries_);
    EntryRef entry = entries_.ItemAt(from);
    if (!entry) return;  // a position outside the list moves nothing
    const std::optional<MovePlan> plan = PlanMove(moveTo, from, target, entries_.Count());
    if (!plan) return;
    if (entries_.Add(entry, key, plan->before, plan->after)) entries_.RemoveAt(plan->removeAt);
}

double CVMP3PlayList::TotalPlayListTime() const { return totalTime_; }

Text CVMP3PlayList::ListKeyAt(int32_t position) const {
    return position >= 1 && position <= entries_.Count() ? entries_.KeyAt(position) : Text{};
}

// --- generated keys -------------------------------------------------------------

void CVMP3PlayList::SeedGenerator() {
    const auto fine = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<uint64_t>(fine), static_cast<uint64_t>(fine) >> 32, static_cast<uint64_t>(wall)};
    generator_.seed(seed);
}

double CVMP3PlayList::NextUniform() {
    return static_cast<double>(generator_() >> 11) * 0x1.0p-53;  // 53 random bits, in [0, 1)
}

Text CVMP3PlayList::NextGeneratedKey() {
    return runtime::ToText(static_cast<int64_t>(std::floor(NextUniform() * kKeyRange)));
}

Text CVMP3PlayList::GeneratedKeyUnusedIn(const EntryList &list) {
    Text key = NextGeneratedKey();
    for (int attempt = 1; attempt < kKeyAttempts && list.PositionOfKey(key) != 0; ++attempt) key = NextGeneratedKey();
    return key;
}

void CVMP3PlayList::AppendUnderGeneratedKey(EntryList &list, const EntryRef &entry) {
    for (int attempt = 0; attempt < kKeyAttempts; ++attempt)
        if (list.Add(entry, NextGeneratedKey())) return;
    list.Add(entry);  // only reachable with a list of billions; keep the entry
}

// --- container notifications -----------------------------------------------------

void CVMP3PlayList::Initialize() { entries_ = EntryList{}; }

void CVMP3PlayList::ReadProperties(runtime::PropertyBag &bag) {
    runtime::Absorb([&] { playListFile_ = bag.ReadProperty(kPropertyFileName, Variant(Text{})).ToText(); });
}

void CVMP3PlayList::WriteProperties(runtime::PropertyBag &bag) {
    runtime::Absorb([&] { bag.WriteProperty(kPropertyFileName, Variant(playListFile_), Variant(Text{})); });
}

void CVMP3PlayList::Paint() {
    runtime::Absorb([&] {
        RegisterPlayListBitmaps();
        if (const runtime::Bitmap *bitmap = runtime::FindBitmapResource(kControlBitmap))
            site_.DrawBitmap(*bitmap, 0, 0);
    });
}

void CVMP3PlayList::Resize(int32_t, int32_t) {
    runtime::Absorb([&] {
        site_.SetExtent(kControlPixels * site_.TwipsPerPixelX(), kControlPixels * site_.TwipsPerPixelY());
    });
}

void CVMP3PlayList::Terminate() { entries_.Clear(); }

}  // namespace corvane::playlist

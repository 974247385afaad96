// Stream and tag information: every property forwards to the file-information
// entry. Without a file the player answers for the entry (empty text, 0,
// false, an empty variant); FileSize and ID3Genre always ask the entry. Errors
// of the entry never reach the host.
#include <utility>

#include "common/GenreTable.h"
#include "player/CVMP3Player.h"
#include "playlist/PlayListEntry.h"
#include "runtime/AutomationError.h"

namespace corvane::player {

using playlist::PlayListEntry;
using runtime::Absorb;
using runtime::AbsorbOr;

namespace {

template <class T, class Get>
T ReadWithFile(bool hasFile, T noFile, Get &&get) {
    if (!hasFile) return noFile;
    return AbsorbOr<T>(noFile, std::forward<Get>(get));
}

}  // namespace

Text CVMP3Player::ChannelMode() const {
    return ReadWithFile<Text>(HasFile(), {}, [&] { return Entry().ChannelMode(); });
}

Text CVMP3Player::Layer() const {
    return ReadWithFile<Text>(HasFile(), {}, [&] { return Entry().Layer(); });
}

Text CVMP3Player::MPEGVersion() const {
    return ReadWithFile<Text>(HasFile(), {}, [&] { return Entry().MPEGVersion(); });
}

int32_t CVMP3Player::DataRate() const {
    return ReadWithFile<int32_t>(HasFile(), 0, [&] { return Entry().DataRate(); });
}

int32_t CVMP3Player::Frames() const {
    return ReadWithFile<int32_t>(HasFile(), 0, [&] { return Entry().Frames(); });
}

int32_t CVMP3Player::SampleRate() const {
    return ReadWithFile<int32_t>(HasFile(), 0, [&] { return Entry().SampleRate(); });
}

int16_t CVMP3Player::TrackLength() const {
    return ReadWithFile<int16_t>(HasFile(), 0, [&] { return Entry().TrackLength(); });
}

bool CVMP3Player::CRCExists() const {
    return ReadWithFile<bool>(HasFile(), false, [&] { return Entry().CRCExists(); });
}

bool CVMP3Player::Original() const {
    return ReadWithFile<bool>(HasFile(), false, [&] { return Entry().Original(); });
}

runtime::Variant CVMP3Player::Copyrighted() const {
    return ReadWithFile<runtime::Variant>(HasFile(), {}, [&] { return runtime::Variant(Entry().Copyrighted()); });
}

int32_t CVMP3Player::FileSize() const {
    return AbsorbOr<int32_t>(0, [&] { return Entry().FileSize(); });
}

// --- tag texts: read from the file on every get, trimmed of spaces ----------

Text CVMP3Player::ReadTagText(Text (playlist::PlayListEntry::*get)()) {
    return ReadWithFile<Text>(HasFile(), {}, [&] { return runtime::TrimSpaces((Entry().*get)()); });
}

void CVMP3Player::WriteTagText(void (playlist::PlayListEntry::*set)(Text &), Text &newValue) {
    if (!HasFile()) return;
    Absorb([&] { (Entry().*set)(newValue); });
}

Text CVMP3Player::ID3Title() { return ReadTagText(&PlayListEntry::ID3Title); }
void CVMP3Player::SetID3Title(Text &newID3Title) { WriteTagText(&PlayListEntry::SetID3Title, newID3Title); }
Text CVMP3Player::ID3Artist() { return ReadTagText(&PlayListEntry::ID3Artist); }
void CVMP3Player::SetID3Artist(Text &newID3Artist) { WriteTagText(&PlayListEntry::SetID3Artist, newID3Artist); }
Text CVMP3Player::ID3Album() { return ReadTagText(&PlayListEntry::ID3Album); }
void CVMP3Player::SetID3Album(Text &newID3Album) { WriteTagText(&PlayListEntry::SetID3Album, newID3Album); }
Text CVMP3Player::ID3Year() { return ReadTagText(&PlayListEntry::ID3Year); }
void CVMP3Player::SetID3Year(Text &newID3Year) { WriteTagText(&PlayListEntry::SetID3Year, newID3Year); }
Text CVMP3Player::ID3Comment() { return ReadTagText(&PlayListEntry::ID3Comment); }
void CVMP3Player::SetID3Comment(Text &newID3Comment) { WriteTagText(&PlayListEntry::SetID3Comment, newID3Comment); }

// The genre goes to the entry with or without a file; without one the entry
// fails to read a tag and the player answers 0.
int16_t CVMP3Player::ID3Genre() {
    return AbsorbOr<int16_t>(0, [&] { return Entry().ID3Genre(); });
}

void CVMP3Player::SetID3Genre(int16_t &newID3Genre) {
    Absorb([&] { Entry().SetID3Genre(newID3Genre); });
}

Text CVMP3Player::GenreList(int16_t &genre) const {
    return common::GenreList(genre);
}

}  // namespace corvane::player

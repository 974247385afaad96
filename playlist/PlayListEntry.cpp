#include "playlist/PlayListEntry.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/ErrorCatalogue.h"
#include "common/GenreTable.h"
#include "common/PathHelpers.h"
#include "runtime/AutomationError.h"
#include "runtime/Variant.h"

namespace corvane::playlist {

namespace {

constexpr int32_t kFileNotFound = 53;
constexpr int32_t kNotAudio = 30075;
constexpr int32_t kUnknownGenre = 30103;
constexpr int16_t kHighestReportedGenre = 149;

// The 128-character tag block, positions counted from 0.
constexpr size_t kTagSize = CORVANE_TAG_SIZE;
constexpr size_t kTextFieldLength = 30;
constexpr size_t kYearLength = 4;
constexpr size_t kTitleAt = 3, kArtistAt = 33, kAlbumAt = 63, kYearAt = 93, kCommentAt = 97, kGenreAt = 127;
constexpr char16_t kTagMarker[] = u"TAG";

// Fields of the frame-information text that the entry takes.
enum FrameField : size_t {
    kVersionField = 0,
    kLayerField = 1,
    kDataRateField = 3,
    kSampleRateField = 4,
    kCrcField = 5,
    kChannelModeField = 7,
    kCopyrightField = 9,
    kOriginalField = 10,
    kFileSizeField = 12,
    kFramesField = 13,
    kLengthField = 14,
};

Text NullsToSpaces(Text text) {
    for (auto &c : text)
        if (c == u'\0') c = u' ';
    return text;
}

Text TagField(const Text &block, size_t at, size_t length) { return NullsToSpaces(block.substr(at, length)); }

bool HasTagMarker(const Text &block) {
    Text marker = block.substr(0, 3);
    while (!marker.empty() && marker.back() == u' ') marker.pop_back();
    return marker == kTagMarker;
}

// A field as the bytes it becomes, one per character: a character beyond
// 8 bits (a pair of surrogates too) is one '?', so no field moves another.
Text Fit(const Text &text, size_t length) {
    static const Text kSpace = u" ";
    return common::PadToLength(runtime::FromLatin1(runtime::ToLatin1(text)), static_cast<int16_t>(length), kSpace);
}

std::vector<Text> SplitFields(const Text &text) {
    std::vector<Text> fields;
    size_t start = 0;
    for (;;) {
        const size_t bar = text.find(u'|', start);
        fields.push_back(text.substr(start, bar == Text::npos ? Text::npos : bar - start));
        if (bar == Text::npos) return fields;
        start = bar + 1;
    }
}

// Stores a field's converted value; a missing field, or one whose text does
// not convert, leaves the target as it was.
template <class T, class Convert>
void TakeField(const std::vector<Text> &fields, size_t index, T &target, Convert convert) {
    if (index >= fields.size()) return;
    runtime::Absorb([&] { target = convert(runtime::Variant(fields[index])); });
}

}  // namespace

PlayListEntry::PlayListEntry(decoder::DecoderLibraryRef library) : library_(std::move(library)) {
    if (!library_) throw std::invalid_argument("PlayListEntry needs a decoder library");
}

// --- stream properties ------------------------------------------------------

Text PlayListEntry::ChannelMode() const { return channelMode_; }

Text PlayListEntry::GenreList(int16_t &genre) const { return common::GenreList(genre); }

Text PlayListEntry::MPEGVersion() const {
    // Shortest text of the stored single-precision value, so 2.5 reads "2.5"
    // and never a widened double's digits.
    std::array<char, 32> digits{};
    auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), mpegVersion_);
    if (error != std::errc{}) return runtime::ToText(static_cast<double>(mpegVersion_));
    return runtime::FromAscii(std::string_view(digits.data(), static_cast<size_t>(end - digits.data())));
}

int32_t PlayListEntry::FileSize() const {
    return static_cast<int32_t>(std::min<int64_t>(fileSize_, std::numeric_limits<int32_t>::max()));
}
int64_t PlayListEntry::FileSizeInBytes() const { return fileSize_; }
Text PlayListEntry::Filename() const { return filename_; }
int16_t PlayListEntry::TrackLength() const { return trackLength_; }
bool PlayListEntry::Copyrighted() const { return copyrighted_; }
bool PlayListEntry::CRCExists() const { return crcExists_; }
int32_t PlayListEntry::DataRate() const { return dataRate_; }
int32_t PlayListEntry::Frames() const { return frames_; }
Text PlayListEntry::Layer() const { return runtime::ToText(static_cast<int64_t>(layer_)); }
bool PlayListEntry::Original() const { return original_; }
int32_t PlayListEntry::SampleRate() const { return sampleRate_; }

// --- tag properties -----------------------------------------------------------

Text PlayListEntry::ReadTextField(const Text &field) {
    const int32_t result = runtime::AbsorbOr<int32_t>(0, [&] { return ReadTag(); });
    if (result != 0) common::RaiseCatalogued(result);
    return runtime::TrimSpaces(field);
}

void PlayListEntry::WriteTextField(Text &field, const Text &newValue) {
    runtime::Absorb([&] { field = newValue; });
    const int32_t result = runtime::AbsorbOr<int32_t>(0, [&] { return WriteTag(); });
    if (result != 0) common::RaiseCatalogued(result);
}

Text PlayListEntry::ID3Album() { return ReadTextField(album_); }
void PlayListEntry::SetID3Album(Text &newValue) { WriteTextField(album_, newValue); }
Text PlayListEntry::ID3Artist() { return ReadTextField(artist_); }
void PlayListEntry::SetID3Artist(Text &newValue) { WriteTextField(artist_, newValue); }
Text PlayListEntry::ID3Comment() { return ReadTextField(comment_); }
void PlayListEntry::SetID3Comment(Text &newValue) { WriteTextField(comment_, newValue); }
Text PlayListEntry::ID3Title() { return ReadTextField(title_); }
void PlayListEntry::SetID3Title(Text &newValue) { WriteTextField(title_, newValue); }
Text PlayListEntry::ID3Year() { return ReadTextField(year_); }
void PlayListEntry::SetID3Year(Text &newValue) { WriteTextField(year_, newValue); }

int16_t PlayListEntry::ID3Genre() {
    const int32_t result = runtime::AbsorbOr<int32_t>(0, [&] { return ReadTag(); });
    if (result != 0) common::RaiseCatalogued(result);
    // The stored genre itself is lowered, so a later write carries 149 too.
    if (genre_ > kHighestReportedGenre) genre_ = kHighestReportedGenre;
    return genre_;
}

void PlayListEntry::SetID3Genre(int16_t &newValue) {
    int32_t result = 0;
    try {
        genre_ = newValue;  // unchecked: a number outside 0-255 writes no genre byte
        result = WriteTag();
    } catch (...) {
        common::RaiseCatalogued(kUnknownGenre);
    }
    if (result != 0) common::RaiseCatalogued(result);
}

// --- file, key and the host's tag text ----------------------------------------

int32_t PlayListEntry::SetFileName(Text &filename) {
    return runtime::AbsorbOr<int32_t>(kFileNotFound, [&]() -> int32_t {
        filename_ = filename;
        int32_t result = runtime::AbsorbOr<int32_t>(0, [&] { return ReadTag(); });
        if (result == 0) result = runtime::AbsorbOr<int32_t>(0, [&] { return ReadFrameInfo(); });
        if (result != 0) filename_.clear();
        return result;
    });
}

Text PlayListEntry::Tag() const { return tag_; }
void PlayListEntry::SetTag(Text value) { tag_ = std::move(value); }
Text PlayListEntry::Key() const { return key_; }
void PlayListEntry::SetKey(Text &key) { key_ = key; }

// --- the two records exchanged with the library --------------------------------

int32_t PlayListEntry::ReadTag() {
    if (filename_.empty()) return kFileNotFound;
    std::array<char, kTagSize + 1> buffer{};
    const int16_t result = library_->GetId3Tag(runtime::ToSystemText(filename_).c_str(), buffer.data());
    if (result != 0) return result;

    // All 128 bytes count: nulls inside the block are part of its fields.
    const Text block = runtime::FromLatin1(std::string_view(buffer.data(), kTagSize));
    if (!HasTagMarker(block)) return 0;
    title_ = TagField(block, kTitleAt, kTextFieldLength);
    artist_ = TagField(block, kArtistAt, kTextFieldLength);
    album_ = TagField(block, kAlbumAt, kTextFieldLength);
    year_ = TagField(block, kYearAt, kYearLength);
    comment_ = TagField(block, kCommentAt, kTextFieldLength);
    genre_ = static_cast<int16_t>(block[kGenreAt] & 0xFF);
    return 0;
}

Text PlayListEntry::BuildTagBlock() const {
    Text block = kTagMarker;
    block += Fit(title_, kTextFieldLength);
    block += Fit(artist_, kTextFieldLength);
    block += Fit(album_, kTextFieldLength);
    block += Fit(year_, kYearLength);
    block += Fit(comment_, kTextFieldLength);
    // A genre without a character leaves the block at 127 characters.
    if (genre_ >= 0 && genre_ <= 255) block += static_cast<char16_t>(genre_);
    return block;
}

int32_t PlayListEntry::WriteTag() {
    if (filename_.empty()) return kFileNotFound;
    const std::string block = runtime::ToLatin1(BuildTagBlock());
    // The library takes the first 128 bytes. The buffer is zeroed beyond the
    // block, so a 127-character block reaches the file with a genre byte of 0,
    // and genre 0 (a NUL character) still leaves 128 bytes to take.
    std::array<char, kTagSize + 1> buffer{};
    std::memcpy(buffer.data(), block.data(), std::min(block.size(), kTagSize));
    return library_->SetId3Tag(runtime::ToSystemText(filename_).c_str(), buffer.data());
}

int32_t PlayListEntry::ReadFrameInfo() {
    if (filename_.empty()) return kFileNotFound;
    std::array<char, CORVANE_FRAME_INFO_SIZE + 1> buffer{};
    const int16_t result = library_->GetFrameInfo(runtime::ToSystemText(filename_).c_str(), buffer.data());
    if (result == 0) return kNotAudio;
    if (result == kFileNotFound) return kFileNotFound;

    // Only the null-terminated text counts; whatever follows it is ignored.
    const size_t length = strnlen(buffer.data(), CORVANE_FRAME_INFO_SIZE);
    StoreFrameFields(SplitFields(runtime::FromSystemText(std::string_view(buffer.data(), length))));
    return 0;
}

void PlayListEntry::StoreFrameFields(const std::vector<Text> &fields) {
    using runtime::Variant;
    auto toSingle = [](const Variant &v) { return v.ToSingle(); };
    auto toInteger = [](const Variant &v) { return v.ToInteger(); };
    auto toLong = [](const Variant &v) { return v.ToLong(); };
    auto toBoolean = [](const Variant &v) { return v.ToBoolean(); };
    // Sizes are 64-bit: a whole number of bytes, 0 or more.
    auto toSize = [](const Variant &v) {
        const std::string digits = runtime::ToUtf8(v.ToText());
        int64_t size = -1;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
        if (error != std::errc{} || end != digits.data() + digits.size() || size < 0) runtime::Raise(13, u"Type mismatch.");
        return size;
    };
    auto asText = [](const Variant &v) { return v.ToText(); };

    TakeField(fields, kVersionField, mpegVersion_, toSingle);
    TakeField(fields, kLayerField, layer_, toInteger);
    TakeField(fields, kDataRateField, dataRate_, toLong);
    TakeField(fields, kSampleRateField, sampleRate_, toLong);
    TakeField(fields, kCrcField, crcExists_, toBoolean);
    TakeField(fields, kChannelModeField, channelMode_, asText);
    TakeField(fields, kCopyrightField, copyrighted_, toBoolean);
    TakeField(fields, kOriginalField, original_, toBoolean);
    TakeField(fields, kFileSizeField, fileSize_, toSize);
    TakeField(fields, kFramesField, frames_, toLong);
    TakeField(fields, kLengthField, trackLength_, toInteger);
}

}  // namespace corvane::playlist

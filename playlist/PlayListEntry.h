#pragma once
// One audio file with its frame information and ID3 version 1 tag, read and
// written through the decoder library. Used by the play list for its entries
// and by the player for the current file.
#include <cstdint>
#include <vector>

#include "decoder/DecoderLibrary.h"
#include "runtime/Object.h"
#include "runtime/Text.h"

namespace corvane::playlist {

using runtime::Text;

class PlayListEntry : public runtime::Object {
public:
    explicit PlayListEntry(decoder::DecoderLibraryRef library = decoder::DefaultDecoderLibrary());

    // --- the default interface -------------------------------------------
    Text ChannelMode() const;
    Text GenreList(int16_t &genre) const;
    Text MPEGVersion() const;          // shortest decimal text: "1", "2.5"
    // At most 2147483647: the whole size of a larger file is FileSizeInBytes.
    int32_t FileSize() const;
    int64_t FileSizeInBytes() const;   // not on the automation surface
    Text Filename() const;             // the default member
    int16_t TrackLength() const;

    // Tag gets read the file every time; lets store the value and write the
    // tag. Both raise the decoder's error number with the catalogue's text.
    Text ID3Album();
    void SetID3Album(Text &newValue);
    Text ID3Artist();
    void SetID3Artist(Text &newValue);
    Text ID3Comment();
    void SetID3Comment(Text &newValue);
    int16_t ID3Genre();
    void SetID3Genre(int16_t &newValue);
    Text ID3Title();
    void SetID3Title(Text &newValue);
    Text ID3Year();
    void SetID3Year(Text &newValue);

    bool Copyrighted() const;
    bool CRCExists() const;
    int32_t DataRate() const;
    int32_t Frames() const;
    Text Layer() const;
    bool Original() const;
    int32_t SampleRate() const;

    // Takes a file: reads its tag, then its frame information. Returns 0, or
    // an error number (the file name is then empty). Never raises.
    int32_t SetFileName(Text &filename);

    Text Tag() const;
    void SetTag(Text value);
    Text Key() const;

    // --- component-only ---------------------------------------------------
    void SetKey(Text &key);
    int32_t ReadTag();
    int32_t WriteTag();
    int32_t ReadFrameInfo();

private:
    Text ReadTextField(const Text &field);
    void WriteTextField(Text &field, const Text &newValue);
    Text BuildTagBlock() const;
    void StoreFrameFields(const std::vector<Text> &fields);

    decoder::DecoderLibraryRef library_;
    Text tag_, filename_, key_;
    Text title_, artist_, album_, year_, comment_;
    int16_t genre_ = 0;
    int16_t trackLength_ = 0;
    int16_t layer_ = 0;
    int64_t fileSize_ = 0;
    int32_t dataRate_ = 0, frames_ = 0, sampleRate_ = 0;
    bool copyrighted_ = false, crcExists_ = false, original_ = false;
    float mpegVersion_ = 0;
    Text channelMode_;
};

}  // namespace corvane::playlist

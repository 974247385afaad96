// cvmp3 info: the stream and tag information of audio files, as text or JSON.
#include <cstdio>
#include <memory>
#include <optional>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/StatusDisplay.h"
#include "common/ErrorCatalogue.h"
#include "common/GenreTable.h"
#include "decoder/DecoderLibrary.h"
#include "playlist/PlayListEntry.h"
#include "runtime/AutomationError.h"

namespace corvane::cli {

namespace {

struct FileInformation {
    std::string file;
    double mpegVersion = 0;
    int layer = 0;
    int bitrate = 0;
    int sampleRate = 0;
    std::string channelMode;
    int channels = 0;
    int frames = 0;
    int64_t size = 0;
    int length = 0;
    std::string title, artist, album, year, comment;
    int genre = 0;
    std::string genreName;
    bool crc = false, copyrighted = false, original = false;
};

// Raises the entry's error when the file cannot be taken or its tag read.
FileInformation ReadInformation(const std::string &file) {
    playlist::PlayListEntry entry;
    runtime::Text name = ToText(file);
    if (int32_t result = entry.SetFileName(name); result != 0) common::RaiseCatalogued(result);

    FileInformation info;
    info.file = file;
    info.mpegVersion = std::stod("0" + ToUtf8(entry.MPEGVersion()));
    info.layer = std::stoi("0" + ToUtf8(entry.Layer()));
    info.bitrate = entry.DataRate();
    info.sampleRate = entry.SampleRate();
    info.channelMode = ToUtf8(entry.ChannelMode());
    // The player counts a single-channel mode as one channel, any other as two.
    info.channels = info.channelMode.find("Single") != std::string::npos ? 1 : 2;
    info.frames = entry.Frames();
    info.size = entry.FileSizeInBytes();
    info.length = entry.TrackLength();
    info.title = ToUtf8(entry.ID3Title());
    info.artist = ToUtf8(entry.ID3Artist());
    info.album = ToUtf8(entry.ID3Album());
    info.year = ToUtf8(entry.ID3Year());
    info.comment = ToUtf8(entry.ID3Comment());
    int16_t genre = entry.ID3Genre();
    info.genre = genre;
    info.genreName = ToUtf8(common::GetGenreName(genre));
    info.crc = entry.CRCExists();
    info.copyrighted = entry.Copyrighted();
    info.original = entry.Original();
    return info;
}

JsonObject ToJson(const FileInformation &info) {
    JsonObject json;
    json.Add("file", info.file)
        .Add("mpeg_version", info.mpegVersion)
        .Add("layer", info.layer)
        .Add("bitrate", info.bitrate)
        .Add("sample_rate", info.sampleRate)
        .Add("channel_mode", info.channelMode)
        .Add("channels", info.channels)
        .Add("frames", info.frames)
        .Add("size", info.size)
        .Add("length", info.length)
        .Add("title", info.title)
        .Add("artist", info.artist)
        .Add("album", info.album)
        .Add("year", info.year)
        .Add("comment", info.comment)
        .Add("genre", info.genre)
        .Add("genre_name", info.genreName)
        .Add("crc", info.crc)
        .Add("copyrighted", info.copyrighted)
        .Add("original", info.original);
    return json;
}

std::string Flags(const FileInformation &info) {
    std::string flags;
    auto add = [&](bool set, const char *word) {
        if (set) flags += (flags.empty() ? "" : ", ") + std::string(word);
    };
    add(info.crc, "CRC");
    add(info.copyrighted, "copyrighted");
    add(info.original, "original");
    return flags.empty() ? "none" : flags;
}

void PrintText(const FileInformation &info) {
    std::printf("File:         %s\n", info.file.c_str());
    std::printf("Stream:       MPEG %s Layer %d\n", JsonNumber(info.mpegVersion).c_str(), info.layer);
    std::printf("Bitrate:      %d kbit/s\n", (info.bitrate + 500) / 1000);
    std::printf("Sample rate:  %d Hz\n", info.sampleRate);
    std::printf("Channel mode: %s (%d channel%s)\n", info.channelMode.c_str(), info.channels,
                info.channels == 1 ? "" : "s");
    std::printf("Frames:       %d\n", info.frames);
    std::printf("Size:         %lld bytes\n", static_cast<long long>(info.size));
    std::printf("Length:       %s (%d s)\n", FormatTime(info.length).c_str(), info.length);
    std::printf("Flags:        %s\n", Flags(info).c_str());
    std::printf("Title:        %s\n", info.title.c_str());
    std::printf("Artist:       %s\n", info.artist.c_str());
    std::printf("Album:        %s\n", info.album.c_str());
    std::printf("Year:         %s\n", info.year.c_str());
    std::printf("Comment:      %s\n", info.comment.c_str());
    std::printf("Genre:        %d%s\n", info.genre,
                info.genreName.empty() ? "" : (" (" + info.genreName + ")").c_str());
}

}  // namespace

const char *InfoHelp() {
    return "Usage: cvmp3 info [--json] FILE...\n"
           "\n"
           "Shows the stream information (MPEG version, layer, bitrate, sample rate,\n"
           "channel mode, frames, size, length, flags) and the ID3 version 1 tag\n"
           "(title, artist, album, year, comment, genre) of each FILE.\n"
           "\n"
           "Options:\n"
           "  --json      one JSON object per file (an array for several files), with\n"
           "              the keys file, mpeg_version, layer, bitrate (bits/s),\n"
           "              sample_rate (Hz), channel_mode, channels, frames, size\n"
           "              (bytes), length (whole seconds), title, artist, album, year,\n"
           "              comment, genre, genre_name, crc, copyrighted, original\n"
           "  -h, --help  this text\n"
           "\n"
           "A file that cannot be read is reported on standard error as\n"
           "'cvmp3: FILE: error N: DESCRIPTION'; the others are still shown, and the\n"
           "exit status is then 1.\n";
}

int RunInfoCommand(const std::vector<std::string> &words) {
    Arguments args;
    if (auto answered = ParseCommandLine("info", words, {{"json"}, {"help"}}, InfoHelp(), args))
        return *answered;
    if (args.Positional().empty()) return ReportUsage("info", "no FILE given");

    bool json = args.Has("json");
    std::vector<JsonObject> objects;
    int status = kExitOk;
    bool first = true;
    for (const auto &file : args.Positional()) {
        try {
            FileInformation info = ReadInformation(file);
            if (json) {
                objects.push_back(ToJson(info));
            } else {
                if (!first) std::printf("\n");
                PrintText(info);
                first = false;
            }
        } catch (const runtime::AutomationError &error) {
            ReportError(file, error);
            status = kExitFailed;
        }
    }
    if (json && args.Positional().size() > 1) std::printf("%s\n", JsonArray(objects).c_str());
    if (json && args.Positional().size() == 1 && objects.size() == 1) std::printf("%s\n", objects[0].ToString().c_str());
    return status;
}

}  // namespace corvane::cli

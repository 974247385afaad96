// Loading and saving extended M3U play-list files, and the Filename property
// that names them.
//
// Format: the header line "#EXTM3U", then per entry an optional
// "#EXTINF:<seconds>,<artist> - <title>" line and the path line. Lines are
// written with CR LF after every one; on reading a CR or a CR LF ends a line
// and a lone LF stays part of the line.

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/ErrorCatalogue.h"
#include "common/FileSystem.h"
#include "common/PathHelpers.h"
#include "common/PathRules.h"
#include "playlist/CVMP3PlayList.h"
#include "playlist/M3uText.h"
#include "runtime/AutomationError.h"

namespace corvane::playlist {

namespace {

constexpr char16_t kFileSource[] = u"CVMP3PlayList.LoadPlayList";
constexpr char16_t kNoFileNameText[] = u"A valid PlayList file name must be selected in order to load or save it.";
constexpr char16_t kBadHeaderText[] = u"A valid playlist file name must be selected in order to load or save it.";
constexpr char16_t kLoadNotFoundText[] = u"Can 't Find Specified File. (File Not Found)";
constexpr char16_t kPathNotFoundText[] = u"Path not found.";
constexpr int32_t kNoPlayList = 30077;
constexpr int32_t kFileNotFound = 53;
constexpr int32_t kPathNotFound = 76;
constexpr int32_t kAccessError = 75;

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenOrRaise(const runtime::Text &name, const char *mode) {
    int32_t number = 0;
    std::FILE *file = common::OpenFile(name, mode, number);
    if (!file) {
        runtime::Raise(number, common::GetErrorDescription(number));
    }
    return File(file);
}

std::string ReadAll(std::FILE *file) {
    std::string content;
    char buffer[1 << 16];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, got);
    return content;
}

// A CR, or a CR followed by an LF, ends a line; text after the last line end
// is one more line.
runtime::Text PathOfLine(std::string_view line) { return common::PathOfListLine(runtime::FromSystemText(line)); }


}  // namespace

Text CVMP3PlayList::Filename() const { return playListFile_; }

void CVMP3PlayList::SetFilename(Text &newValue) {
    playListFile_ = newValue;
    runtime::Absorb([&] { site_.PropertyChanged(u"FileName"); });
}

void CVMP3PlayList::SetProgressCallback(ProgressCallback callback) { progress_ = std::move(callback); }

void CVMP3PlayList::LoadPlayList() {
    Variant omitted = Variant::Missing();
    LoadPlayList(omitted);
}

void CVMP3PlayList::LoadPlayList(Variant &filename) {
    SetFileNameFromArgument(filename);
    RequirePlayListFileName();
    if (!common::OrdinaryFileExists(playListFile_)) runtime::Raise(kFileNotFound, kLoadNotFoundText, kFileSource);

    std::string content;
    {
        File file = OpenOrRaise(playListFile_, "rb");
        content = ReadAll(file.get());
    }
    const std::vector<std::string_view> lines = SplitM3uLines(content);
    if (lines.empty() || lines.front() != kM3uHeader) runtime::Raise(kNoPlayList, kBadHeaderText, kFileSource);

    Clear();
    AddEntriesFromLines(lines);
}

bool CVMP3PlayList::SavePlayList() {
    Variant omitted = Variant::Missing();
    return SavePlayList(omitted);
}

// A file that cannot be made raises its error; one that cannot be written
// raises nothing, as before, but the old file is kept whole and false tells
// the C++ caller.
bool CVMP3PlayList::SavePlayList(Variant &filename) {
    SetFileNameFromArgument(filename);
    RequirePlayListFileName();
    // The folder test works on a copy: a name that ends in a separator is
    // kept as it is (and then fails to open as a folder).
    Text name = playListFile_;
    const Text folder = runtime::AbsorbOr(Text{}, [&] { return common::GetParentFolder(name); });
    if (!runtime::AbsorbOr(false, [&] { return common::DirectoryExists(folder); }))
        runtime::Raise(kPathNotFound, kPathNotFoundText, kFileSource);

    if (common::DirectoryExists(playListFile_)) runtime::Raise(kAccessError, common::GetErrorDescription(kAccessError));

    std::string text = std::string(kM3uHeader) + std::string(kM3uLineEnd);
    for (const EntryRef &entry : entries_.Items())
        for (const std::string &line : SavedLinesOf(*entry)) text += line + std::string(kM3uLineEnd);
    const int32_t outcome = common::ReplaceWholeFile(playListFile_, text);
    if (outcome > 0) runtime::Raise(outcome, common::GetErrorDescription(outcome));
    return outcome == common::kReplaced;
}

void CVMP3PlayList::SetFileNameFromArgument(const Variant &filename) {
    if (!filename.IsMissing()) playListFile_ = filename.ToText();
}

void CVMP3PlayList::RequirePlayListFileName() const {
    if (runtime::TrimSpaces(playListFile_).empty()) runtime::Raise(kNoPlayList, kNoFileNameText, kFileSource);
}

void CVMP3PlayList::AddEntriesFromLines(const std::vector<std::string_view> &lines) {
    const int32_t total = static_cast<int32_t>(lines.size()) - 1;
    ReportProgress(0, total);
    for (size_t i = 1; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.starts_with(kM3uInfoMarker)) {
            if (++i == lines.size()) break;  // an information line with no path after it
            line = lines[i];
        }
        Text path = PathOfLine(line);
        runtime::Absorb([&] { AddEntry(path); });
        ReportProgress(static_cast<int32_t>(i), total);
    }
}

void CVMP3PlayList::ReportProgress(int32_t done, int32_t total) {
    if (progress_) runtime::Absorb([&] { progress_(done, total); });
}

std::vector<std::string> CVMP3PlayList::SavedLinesOf(PlayListEntry &entry) const {
    const Text artist = runtime::AbsorbOr(Text{}, [&] { return entry.ID3Artist(); });
    const Text title = runtime::AbsorbOr(Text{}, [&] { return entry.ID3Title(); });
    std::vector<std::string> lines;
    if (!artist.empty() && !title.empty()) {
        const Text info = u"#EXTINF:" + runtime::ToText(int64_t{entry.TrackLength()}) + u"," + artist + u" - " + title;
        lines.push_back(runtime::ToSystemText(info));
    }
    lines.push_back(runtime::ToSystemText(entry.Filename()));
    return lines;
}

}  // namespace corvane::playlist

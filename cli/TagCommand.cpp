// cvmp3 tag: writes fields of a file's ID3 version 1 tag through a play-list
// entry, then shows the tag as the file now holds it.
#include <cstdio>
#include <optional>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "common/ErrorCatalogue.h"
#include "common/GenreTable.h"
#include "playlist/PlayListEntry.h"
#include "runtime/AutomationError.h"

namespace corvane::cli {

namespace {

constexpr int32_t kUnknownGenre = 30103;

struct TextField {
    const char *option;
    size_t capacity;  // characters the tag block holds
    void (playlist::PlayListEntry::*write)(runtime::Text &);
};

const TextField kTextFields[] = {
    {"title", 30, &playlist::PlayListEntry::SetID3Title},
    {"artist", 30, &playlist::PlayListEntry::SetID3Artist},
    {"album", 30, &playlist::PlayListEntry::SetID3Album},
    {"year", 4, &playlist::PlayListEntry::SetID3Year},
    {"comment", 30, &playlist::PlayListEntry::SetID3Comment},
};

// A genre number 0-255, or a genre name in any letter case.
std::optional<int16_t> ParseGenre(const std::string &text) {
    if (auto number = ParseInt(text)) {
        if (*number < 0 || *number > 255) return std::nullopt;
        return static_cast<int16_t>(*number);
    }
    runtime::Text wanted = runtime::FoldCase(ToText(text));
    for (int16_t genre = 0; genre < common::kGenreCount; ++genre)
        if (runtime::FoldCase(common::GetGenreName(genre)) == wanted) return genre;
    return std::nullopt;
}

void PrintTag(playlist::PlayListEntry &entry) {
    std::printf("Title:   %s\n", ToUtf8(entry.ID3Title()).c_str());
    std::printf("Artist:  %s\n", ToUtf8(entry.ID3Artist()).c_str());
    std::printf("Album:   %s\n", ToUtf8(entry.ID3Album()).c_str());
    std::printf("Year:    %s\n", ToUtf8(entry.ID3Year()).c_str());
    std::printf("Comment: %s\n", ToUtf8(entry.ID3Comment()).c_str());
    int16_t genre = entry.ID3Genre();
    std::string name = ToUtf8(common::GetGenreName(genre));
    std::printf("Genre:   %d%s\n", genre, name.empty() ? "" : (" (" + name + ")").c_str());
}

}  // namespace

const char *TagHelp() {
    return "Usage: cvmp3 tag FILE [--title T] [--artist A] [--album A] [--year Y]\n"
           "                     [--comment C] [--genre N]\n"
           "\n"
           "Writes the given fields into the ID3 version 1 tag at the end of FILE and\n"
           "shows the tag as the file then holds it. Fields that are not given keep\n"
           "their value; a file without a tag gets one. The audio data is not touched.\n"
           "With no field option the tag is only shown.\n"
           "\n"
           "Options:\n"
           "  --title T     title, at most 30 characters (longer text is cut)\n"
           "  --artist A    artist, at most 30 characters\n"
           "  --album A     album, at most 30 characters\n"
           "  --year Y      year, at most 4 characters\n"
           "  --comment C   comment, at most 30 characters\n"
           "  --genre N     genre number 0-255 or a genre name such as Rock\n"
           "  -h, --help    this text\n"
           "\n"
           "Tag text is stored as Latin-1; other characters become '?'.\n"
           "Errors are reported as 'cvmp3: FILE: error N: DESCRIPTION', exit status 1.\n";
}

int RunTagCommand(const std::vector<std::string> &words) {
    Arguments args;
    const std::vector<OptionRule> options = {{"title", true}, {"artist", true}, {"album", true}, {"year", true},
                                             {"comment", true}, {"genre", true}, {"help"}};
    if (auto answered = ParseCommandLine("tag", words, options, TagHelp(), args))
        return *answered;
    if (args.Positional().size() != 1) return ReportUsage("tag", "give exactly one FILE");
    const std::string &file = args.Positional()[0];

    std::optional<int16_t> genre;
    if (auto text = args.Value("genre")) {
        genre = ParseGenre(*text);
        if (!genre) {
            ReportError(file, runtime::AutomationError(kUnknownGenre, common::GetErrorDescription(kUnknownGenre)));
            return kExitFailed;
        }
    }

    try {
        playlist::PlayListEntry entry;
        runtime::Text name = ToText(file);
        if (int32_t result = entry.SetFileName(name); result != 0) common::RaiseCatalogued(result);
        for (const auto &field : kTextFields) {
            auto value = args.Value(field.option);
            if (!value) continue;
            runtime::Text text = ToText(*value);
            if (text.size() > field.capacity)
                std::fprintf(stderr, "cvmp3: note: %s cut to %zu characters\n", field.option, field.capacity);
            (entry.*field.write)(text);
        }
        if (genre) entry.SetID3Genre(*genre);
        PrintTag(entry);
    } catch (const runtime::AutomationError &error) {
        ReportError(file, error);
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace corvane::cli

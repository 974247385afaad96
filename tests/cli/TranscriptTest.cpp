// cvmp3 as a user runs it: one transcript of command lines, each with what it
// must print and its exit status, run in order in a scratch folder. What the
// play list, the tag and the player do with a file is their own tests'; here
// each command only shows that it hands its words over and reports back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "CliRunner.h"
#include "CorvaneVersion.h"
#include "support/Paths.h"
#include "support/WavFile.h"

namespace corvane::testing {
namespace {

namespace fs = std::filesystem;

struct Row {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> out;  // found in standard output, in this order
    std::string err;               // found in standard error; empty: nothing is written there
    std::string order;             // the files the list (args[2]) names afterwards, when given
    std::string sh;                // shell words run before cvmp3 ("$0" is cvmp3)
};

// '@' stands for the scratch folder.
std::string Expand(std::string text, const std::string &folder) {
    for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, folder);
    return text;
}

// The files a list names, by name without ".mp3", in order.
std::string Order(const std::string &list) {
    std::string order, text = ReadFileBytes(list);
    for (size_t end; (end = text.find(".mp3")) != std::string::npos; text.erase(0, end + 4))
        order += (order.empty() ? "" : " ") + text.substr(text.rfind('/', end) + 1, end - text.rfind('/', end) - 1);
    return order;
}

TEST(Transcript, EachCommandLineGivesItsOutputAndExitStatus) {
    const std::string folder = MakeScratchDir("cvmp3-transcript");
    for (const auto &[name, fixture] : std::map<std::string, std::string>{
             {"a.mp3", "l3_mpeg1_cbr128_joint_v1.mp3"}, {"b.mp3", "l3_mpeg1_cbr192_stereo.mp3"},
             {"c.mp3", "l2_mpeg1_192_stereo_v1.mp3"}, {"d.mp3", "l3_mpeg1_crc_flags.mp3"},
             {"mono.mp3", "l3_mpeg25_cbr32_mono.mp3"}, {"t.mp3", "l3_mpeg1_cbr128_joint_v1.mp3"},
             {"u.mp3", "l3_mpeg1_cbr192_stereo.mp3"}, {"big.mp3", "l3_mpeg1_cbr128_joint_v1.mp3"}})
        fs::copy_file(FixturePath(fixture), folder + "/" + name);
    fs::resize_file(folder + "/big.mp3", int64_t{3} << 30);  // sparse: the audio, then zeros
    std::ofstream(folder + "/binary.m3u") << std::string("\0\x01\x02#EXTM3U", 10);
    std::ofstream(folder + "/plain.txt") << "x";
    std::ofstream(folder + "/two.m3u") << "#EXTM3U\r\n" + folder + "/d.mp3\r\n" + folder + "/a.mp3\r\n";
    std::ofstream(folder + "/old.m3u") << "\xEF\xBB\xBF#EXTM3U\n" + folder + "/a.mp3\n" + folder + "/gone.mp3\n";

    const std::string ver = CORVANE_VERSION_TEXT;
    std::vector<Row> rows = {
        {{}, 2, {}, "Usage: cvmp3 COMMAND"},
        {{"dance"}, 2, {}, "cvmp3: no command 'dance'\nTry 'cvmp3 --help'.\n"},
        {{"--help"}, 0, {"Usage: cvmp3 COMMAND"}},
        {{"help", "list"}, 0, {"Usage: cvmp3 list show LIST\n"}},
        {{"info", "-h"}, 0, {"Usage: cvmp3 info"}},
        {{"--version"}, 0, {"CorvaneMP3 Version " + ver + "\n"}},
        // Options: unknown ones, missing and unwanted values; "--" ends them, a negative number is a word.
        {{"tag", "t.mp3", "--tilte", "x"}, 2, {}, "cvmp3 tag: unknown option '--tilte'\nTry 'cvmp3 tag --help'.\n"},
        {{"play", "--output"}, 2, {}, "cvmp3 play: option --output needs a value\nTry 'cvmp3 play --help'.\n"},
        {{"info", "--json=yes", "a.mp3"}, 2, {}, "cvmp3 info: option --json takes no value\n"},
        {{"info", "--", "--json"}, 1, {}, "cvmp3: --json: error 53: "},
        {{"info"}, 2, {}, "cvmp3 info: no FILE given\nTry 'cvmp3 info --help'.\n"},
        // info: the stream and the tag as JSON (an array for several files) or as text.
        {{"info", "--json", "a.mp3"}, 0, {"{\n  \"file\": \"a.mp3\",\n  \"mpeg_version\": 1,\n  \"layer\": 3,\n  \"bitrate\": "
                                         "128000,\n  \"sample_rate\": 44100,\n  \"channel_mode\": \"Joint Stereo\",\n  \"channels\": 2,\n",
                                         "\"genre\": 8,\n  \"genre_name\": \"Jazz\",\n  \"crc\": false,\n  \"copyrighted\": false,\n"
                                         "  \"original\": true\n}\n"}},
        {{"info", "--json", "a.mp3", "missing.mp3", "c.mp3"}, 1, {"[\n  {\n    \"file\": \"a.mp3\",", "\"original\": true\n  },\n"
                                         "  {\n    \"file\": \"c.mp3\",\n    \"mpeg_version\": 1,\n    \"layer\": 2,", "}\n]\n"},
         "cvmp3: missing.mp3: error 53: Can't find specified file. (File not found)\n"},
        {{"info", "--json", "big.mp3"}, 0, {"\"size\": 3221225472,\n  \"length\": 3,"}},
        {{"info", "mono.mp3"}, 0, {"File:         mono.mp3\nStream:       MPEG 2.5 Layer 3\nBitrate:      32 kbit/s\n"
                                   "Sample rate:  11025 Hz\nChannel mode: Single Channel (1 channel)\n"}},
        {{"info", "d.mp3", "a.mp3"}, 0, {"Length:       0:02 (2 s)\nFlags:        CRC, copyrighted\n", "\n\nFile:         a.mp3\n",
                                         "Comment:      Fixture-Comment\nGenre:        8 (Jazz)\n"}},
        // tag: the fields given are written, the others kept; the tag is shown as the file now holds it.
        {{"tag", "t.mp3", "--title", "New Title", "--year", "1987", "--genre", "rock"}, 0,
         {"Title:   New Title\nArtist:  Fixture-Artist\nAlbum:   Fixture-Album\nYear:    1987\nComment: Fixture-Comment\n"
          "Genre:   17 (Rock)\n"}},
        {{"tag", "u.mp3", "--artist", std::string(40, 'a'), "--comment", "q\"b\\s\n\tz", "--genre", "52"}, 0,
         {"Artist:  " + std::string(30, 'a') + "\n", "Genre:   52 (Electronic)\n"}, "cvmp3: note: artist cut to 30 characters\n"},
        {{"info", "--json", "u.mp3"}, 0, {"\"comment\": \"q\\\"b\\\\s\\n\\tz\",\n"}},
        {{"tag", "t.mp3", "--genre", "No Such Genre"}, 1, {}, "cvmp3: t.mp3: error 30103: Unknown genre.\n"},
        {{"tag", "t.mp3", "--genre", "256"}, 1, {}, "cvmp3: t.mp3: error 30103: Unknown genre.\n"},
        {{"tag", "missing.mp3", "--title", "x"}, 1, {}, "cvmp3: missing.mp3: error 53: "},
        {{"tag"}, 2, {}, "cvmp3 tag: give exactly one FILE\n"},
        // list: each action with its words; several files keep their order around the place given.
        {{"list", "add", "my.m3u", "a.mp3", "b.mp3"}, 0, {"Saved @/my.m3u: 2 entries, 0:06\n"}, "", "a b"},
        {{"list", "add", "my.m3u", "c.mp3", "d.mp3", "--before", "2"}, 0, {"Saved @/my.m3u: 4 entries, 0:11\n"}, "", "a c d b"},
        {{"list", "add", "my.m3u", "b.mp3", "--after=1"}, 0, {"5 entries"}, "", "a b c d b"},
        {{"list", "remove", "my.m3u", "5"}, 0, {"Saved @/my.m3u: 4 entries"}, "", "a b c d"},
        {{"list", "move", "my.m3u", "1", "bottom"}, 0, {"4 entries"}, "", "b c d a"},
        {{"list", "move", "my.m3u", "4", "top"}, 0, {}, "", "a b c d"},
        {{"list", "move", "my.m3u", "2", "down"}, 0, {}, "", "a c b d"},
        {{"list", "move", "my.m3u", "2", "up"}, 0, {}, "", "c a b d"},
        {{"list", "move", "my.m3u", "1", "after", "3"}, 0, {}, "", "a b c d"},
        {{"list", "move", "my.m3u", "4", "before", "2"}, 0, {}, "", "a d b c"},
        {{"list", "sort", "my.m3u", "file", "descending"}, 0, {"   1.     0:02  @/d.mp3\n"}, "", "d c b a"},
        {{"list", "sort", "my.m3u", "artist"}, 0, {}, "", "b d a c"},
        {{"list", "sort", "my.m3u", "title", "descending"}, 0, {}, "", "c a d b"},
        {{"list", "sort", "my.m3u", "time"}, 0, {}, "", "d c a b"},
        {{"list", "show", "my.m3u"}, 0, {"   3.     0:03  Fixture-Artist - Fixture-Title\n   4.     0:03  @/b.mp3\nTotal: 4 entries, 0:11\n"}},
        // What list refuses; a refused command changes no file.
        {{"list", "show", "missing.m3u"}, 1, {}, "cvmp3: missing.m3u: error 53: "},
        {{"list", "show", "binary.m3u"}, 1, {}, "cvmp3: @/binary.m3u: is not a play list: it holds binary data\n"},
        {{"list", "add", "my.m3u", "plain.txt"}, 1, {}, "cvmp3: plain.txt: error 30075: "},
        {{"list", "add", "my.m3u", "c.mp3", "--before", "7"}, 1, {}, "cvmp3: @/my.m3u: there is no entry 7 to add c.mp3 before\n"},
        {{"list", "add", "my.m3u", "line\nbreak.mp3"}, 1, {}, "cvmp3: line\\nbreak.mp3: a name with a line break cannot be stored"},
        {{"list", "remove", "my.m3u", "-1"}, 1, {}, "cvmp3: my.m3u: error 30078: "},
        {{"list", "move", "my.m3u", "5", "up"}, 1, {}, "cvmp3: @/my.m3u: there is no entry 5 (the list has 4)\n"},
        {{"list", "move", "my.m3u", "0", "down"}, 1, {}, "there is no entry 0 (the list has 4)\n"},
        {{"list", "move", "my.m3u", "1", "sideways"}, 2, {}, "cvmp3 list: unknown movement 'sideways'\nTry 'cvmp3 list --help'.\n"},
        {{"list", "move", "my.m3u", "1", "after"}, 2, {}, "cvmp3 list: after needs N\n"},
        {{"list", "move", "my.m3u", "x", "up"}, 2, {}, "cvmp3 list: FROM must be a whole number, not 'x'\n"},
        {{"list", "sort", "my.m3u", "colour"}, 2, {}, "cvmp3 list: unknown sort key 'colour'\n"},
        {{"list", "sort", "my.m3u", "file", "upwards"}, 2, {}, "cvmp3 list: unknown sort order 'upwards'\n"},
        {{"list", "remove", "my.m3u", "99999999999"}, 2, {}, "cvmp3 list: INDEX must be a whole number, not '99999999999'\n"},
        {{"list", "remove", "my.m3u"}, 2, {}, "cvmp3 list: remove needs one INDEX\n"},
        {{"list", "remove", "my.m3u", "1", "--after", "1"}, 2, {}, "cvmp3 list: --before and --after belong to add\n"},
        {{"list", "add", "my.m3u", "a.mp3", "--before", "0"}, 2, {}, "cvmp3 list: positions count from 1\n"},
        {{"list", "add", "my.m3u", "a.mp3", "--before", "1", "--after", "1"}, 2, {}, "give --before or --after, not both\n"},
        {{"list", "add", "my.m3u", "a.mp3", "--after", "1.5"}, 2, {}, "option --after needs a whole number, not '1.5'\n"},
        {{"list", "add", "my.m3u"}, 2, {}, "cvmp3 list: add needs at least one FILE\n"},
        {{"list", "show", "my.m3u", "x"}, 2, {}, "cvmp3 list: show takes only LIST\n"},
        {{"list", "jump", "my.m3u"}, 2, {}, "cvmp3 list: unknown action 'jump'\n"},
        {{"list", "show"}, 2, {}, "cvmp3 list: give an action and LIST\n"},
        // A list as people write it is read (and said so); one naming a lost file is only changed with --prune.
        {{"list", "show", "old.m3u"}, 0, {"Total: 1 entry, 0:03\n(1 line of the file names no readable audio file; it is left out)\n"},
         "cvmp3: @/old.m3u: read although it has a byte-order mark and line feeds for line ends; a save writes"},
        {{"list", "add", "old.m3u", "b.mp3"}, 1, {}, "1 entry names a file that cannot be read", "a gone"},
        {{"list", "add", "old.m3u", "b.mp3", "--prune"}, 0, {"Saved @/old.m3u: 2 entries"}, "old.m3u: read although", "a b"},
        // Writers side by side wait for each other; a save that fails leaves the old list.
        {{"list", "show", "par.m3u"}, 0, {"Total: 16 entries"}, "", "",
         "for i in $(seq 16); do cp b.mp3 f$i.mp3; \"$0\" list add par.m3u f$i.mp3 >/dev/null 2>&1 & done; wait; "},
        {{"list", "add", "my.m3u"}, 1, {}, "cvmp3: @/my.m3u: the list could not be saved; the file is as it was\n", "d c a b",
         "ulimit -f 2; set -- \"$@\" $(yes a.mp3 | head -n 60); "},
        // play: plain status lines on a pipe; failures are reported and the rest plays.
        {{"play", "a.mp3"}, 0, {"Playing 1/1: Fixture-Artist - Fixture-Title  (MPEG 1 Layer 3, 44100 Hz, Joint Stereo, 0:03)\n[Playing] ",
                               " / 0:03  track 1/1  VU L ", "Finished.\n"}},
        {{"play", "--output", "out.wav", "--fast", "two.m3u", "d.mp3"}, 0,
         {"Playing 1/3: d.mp3  (", "Playing 2/3: Fixture-Artist - Fixture-Title", "Playing 3/3: d.mp3", "Finished.\n"}},
        {{"play", "--output", "demo.wav", "--fast"}, 0, {"Demo track: " + FixtureDir() + "/demo.mp3\n", "Finished.\n"}},
        {{"play", "--output", "out.wav", "--fast", "missing.mp3", "d.mp3"}, 1, {"Playing 1/1: d.mp3", "Finished.\n"},
         "cvmp3: missing.mp3: error 53: Can't find specified file. (File not found)\n"},
        {{"play", "missing.mp3"}, 1, {}, "cvmp3: missing.mp3: error 53: Can't find specified file. (File not found)\ncvmp3: nothing to play\n"},
        {{"play", "none.m3u"}, 1, {}, "cvmp3: none.m3u: error 53: "},
        {{"play", "binary.m3u"}, 1, {}, "cvmp3: @/binary.m3u: is not a play list: it holds binary data\n"},
        {{"play", "--fast", "a.mp3"}, 2, {}, "cvmp3 play: --fast needs --output FILE.wav\nTry 'cvmp3 play --help'.\n"},
        {{"play", "--output="}, 2, {}, "cvmp3 play: --output needs a file name\n"},
    };
    // Without an audio device (and no output chosen) it says so once and plays to the null output.
    if (const std::string cards = ReadFileBytes("/proc/asound/cards"); cards.empty() || cards.find("no soundcards") != std::string::npos)
        rows.push_back({{"play", "d.mp3"}, 0, {"Finished.\n"}, "cvmp3: no audio device found; playing to the null output "
                        "(set CORVANEMP3_OUTPUT to choose another)\n", "",
                        "unset CORVANEMP3_OUTPUT; export ASAN_OPTIONS=$ASAN_OPTIONS:detect_leaks=0; "});
    for (const Row &row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.args));
        std::vector<std::string> args = {"-c", row.sh + "exec \"$0\" \"$@\"", CliPath()};
        for (const auto &word : row.args) args.push_back(Expand(word, folder));
        std::map<std::string, std::string> before;  // a command that fails changes no file
        for (const char *name : {"/my.m3u", "/old.m3u", "/t.mp3"}) before[name] = ReadFileBytes(folder + name);
        RunResult run = RunProgram("/bin/sh", args, {.environment = {{"CORVANEMP3_OUTPUT", "null"}}, .folder = folder});
        EXPECT_EQ(run.exitStatus, row.status) << run.out << run.err;
        for (size_t part = 0, at = 0; part < row.out.size(); ++part, ++at)
            EXPECT_NE(at = run.out.find(Expand(row.out[part], folder), at), std::string::npos) << row.out[part] << "\nin\n" << run.out;
        if (row.err.empty()) EXPECT_EQ(run.err, "");
        else EXPECT_NE(run.err.find(Expand(row.err, folder)), std::string::npos) << run.err;
        if (!row.order.empty()) EXPECT_EQ(Order(folder + "/" + row.args[2]), row.order);
        for (const auto &[name, bytes] : before)
            if (row.status != 0) EXPECT_EQ(ReadFileBytes(folder + name), bytes) << name;
    }
    WavAudio audio;
    EXPECT_TRUE(ReadWav(folder + "/out.wav", audio) && ReadWav(folder + "/demo.wav", audio));
    for (const auto &entry : fs::directory_iterator(folder))
        EXPECT_FALSE(entry.path().string().ends_with(".tmp")) << "left behind: " << entry.path();
    if (!HasFailure()) fs::remove_all(folder);
}

}  // namespace
}  // namespace corvane::testing

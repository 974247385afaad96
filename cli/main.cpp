// cvmp3: plays MPEG audio files and play lists, shows and writes their tags,
// and edits M3U play lists, through the CorvaneMP3 controls.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "about/AboutBox.h"
#include "cli/Commands.h"
#include "decoder/DecoderLibrary.h"
#include "runtime/Text.h"

namespace {

using namespace corvane::cli;

const char kGeneralHelp[] =
    "Usage: cvmp3 COMMAND [OPTIONS] [ARGUMENTS]\n"
    "\n"
    "Plays MPEG audio (Layers 1, 2 and 3) and organises play lists with the\n"
    "CorvaneMP3 player and play-list controls.\n"
    "\n"
    "Commands:\n"
    "  play [--output FILE.wav] [FILE | LIST.m3u ...]\n"
    "                  play files and play lists with a live display; with no\n"
    "                  FILE, the bundled demo track\n"
    "  info [--json] FILE...\n"
    "                  stream and tag information\n"
    "  tag FILE [--title T] [--artist A] [--album A] [--year Y] [--comment C]\n"
    "      [--genre N] write the ID3 version 1 tag\n"
    "  list show|add|remove|move|sort LIST ...\n"
    "                  show and edit an extended M3U play list\n"
    "  about           the product: title, version and description\n"
    "  help [COMMAND]  this text, or a command's own help\n"
    "  --version       the version line\n"
    "\n"
    "'cvmp3 COMMAND --help' describes each command in full.\n"
    "\n"
    "Environment:\n"
    "  CORVANEMP3_OUTPUT  where playback goes instead of the audio device:\n"
    "                     null (discard, in real time), wav:PATH (a WAV file,\n"
    "                     in real time), wav-fast:PATH (a WAV file, at full speed)\n"
    "  CORVANEMP3_LIBRARY the decoder library to load instead of the bundled one\n"
    "\n"
    "Exit status: 0 success, 1 a file, list or device problem, 2 a command line\n"
    "that cannot be used.\n";

struct Command {
    const char *name;
    int (*run)(const std::vector<std::string> &);
    const char *(*help)();
};

const Command kCommands[] = {
    {"play", RunPlayCommand, PlayHelp},
    {"info", RunInfoCommand, InfoHelp},
    {"tag", RunTagCommand, TagHelp},
    {"list", RunListCommand, ListHelp},
};

const Command *FindCommand(const std::string &name) {
    for (const auto &command : kCommands)
        if (name == command.name) return &command;
    return nullptr;
}

int ShowHelp(const std::vector<std::string> &topics) {
    if (topics.empty()) {
        std::fputs(kGeneralHelp, stdout);
        return kExitOk;
    }
    const Command *command = FindCommand(topics[0]);
    if (!command) {
        std::fprintf(stderr, "cvmp3: no command '%s'\n", topics[0].c_str());
        return kExitUsage;
    }
    std::fputs(command->help(), stdout);
    return kExitOk;
}

std::string VersionLine() {
    using namespace corvane;
    return runtime::ToUtf8(runtime::Text(about::kLibraryTitle) + u" " + about::VersionText(about::ServerVersion()));
}

// The facts the About box shows, as text.
int ShowAbout() {
    using namespace corvane;
    std::printf("%s\n%s\n\n%s\n", runtime::ToUtf8(about::kLibraryTitle).c_str(),
                runtime::ToUtf8(about::VersionText(about::ServerVersion())).c_str(),
                runtime::ToUtf8(about::kDescription).c_str());
    return kExitOk;
}

}  // namespace

int main(int argc, char **argv) {
    // Past a file size limit a write fails with an error the commands report,
    // instead of the signal ending the program in the middle of a save.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty()) {
        std::fputs(kGeneralHelp, stderr);
        return kExitUsage;
    }
    std::string name = words.front();
    words.erase(words.begin());
    if (name == "--help" || name == "-h" || name == "help") return ShowHelp(words);
    if (name == "--version") return std::puts(VersionLine().c_str()) >= 0 ? kExitOk : kExitFailed;
    if (name == "about") return ShowAbout();
    const Command *command = FindCommand(name);
    if (!command) {
        std::fprintf(stderr, "cvmp3: no command '%s'\nTry 'cvmp3 --help'.\n", name.c_str());
        return kExitUsage;
    }
    try {
        return command->run(words);
    } catch (const corvane::decoder::DecoderLoadError &error) {
        ReportProblem(std::string("cannot load the decoder library: ") + error.what());
    } catch (const std::exception &error) {
        ReportProblem(error.what());
    }
    return kExitFailed;
}

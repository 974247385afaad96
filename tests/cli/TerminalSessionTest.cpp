// cvmp3 play driven as a person drives it: in a tmux pane (its own server on
// a socket of its own), keys sent, the screen read back. Playback goes to the
// null output. Waits poll the screen up to a generous limit; nothing asserts
// how fast anything happens.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <string>
#include <thread>

#include "CliRunner.h"
#include "support/Fixtures.h"
#include "support/Paths.h"

namespace corvane::testing {
namespace {

constexpr auto kPatience = std::chrono::seconds(20);

class TmuxPane {
public:
    // Runs `command` through sh in a detached 100 x 40 session; the pane
    // stays when the command ends, so that its last screen can be read.
    explicit TmuxPane(const std::string &command) {
        static int serial = 0;
        socket_ = "cvmp3-test-" + std::to_string(getpid()) + "-" + std::to_string(++serial);
        RunResult started = Tmux({"-f", "/dev/null", "new-session", "-d", "-x", "100", "-y", "40", "-e",
                                  "CORVANEMP3_OUTPUT=null", command, ";", "set-option", "-g", "remain-on-exit", "on"});
        started_ = started.exitStatus == 0;
        startError_ = started.err;
    }
    ~TmuxPane() { Tmux({"kill-server"}); }

    bool Started() const { return started_; }
    const std::string &StartError() const { return startError_; }

    RunResult Tmux(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"-L", socket_});
        RunOptions options;
        options.timeoutSeconds = 10;
        return RunProgram("tmux", arguments, options);
    }

    // The visible lines and, once the program is gone, the lines scrolled off.
    std::string Screen() const { return Tmux({"capture-pane", "-p", "-S", "-", "-t", "0"}).out; }
    std::string Format(const std::string &format) const {
        std::string text = Tmux({"display-message", "-p", "-t", "0", format}).out;
        while (!text.empty() && text.back() == '\n') text.pop_back();
        return text;
    }
    void Keys(const std::vector<std::string> &keys) const {
        std::vector<std::string> arguments = {"send-keys", "-t", "0"};
        arguments.insert(arguments.end(), keys.begin(), keys.end());
        Tmux(arguments);
    }

    // Polls the screen until `holds` is true of it; returns the last screen.
    bool WaitFor(const std::function<bool(const std::string &)> &holds, std::string &screen) const {
        auto deadline = std::chrono::steady_clock::now() + kPatience;
        do {
            screen = Screen();
            if (holds(screen)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }
    bool WaitForText(const std::string &text, std::string &screen) const {
        return WaitFor([&](const std::string &s) { return s.find(text) != std::string::npos; }, screen);
    }
    bool WaitUntilEnded() const {
        std::string ignored;
        return WaitFor([&](const std::string &) { return Format("#{pane_dead}") == "1"; }, ignored);
    }

private:
    std::string socket_;
    bool started_ = false;
    std::string startError_;
};

// "m:ss" of the position line ("0:12 [###---] 0:45").
std::string PositionOn(const std::string &screen) {
    std::smatch match;
    if (std::regex_search(screen, match, std::regex("\n(\\d+:\\d\\d) \\[[#-]+\\] \\d+:\\d\\d"))) return match[1];
    return "";
}

int Seconds(const std::string &time) {
    auto colon = time.find(':');
    return colon == std::string::npos ? -1 : std::stoi(time.substr(0, colon)) * 60 + std::stoi(time.substr(colon + 1));
}

std::string Quote(const std::string &text) { return "'" + text + "'"; }

// After cvmp3 ends, the shell reports its status and whether the terminal
// reads lines with echo again.
std::string ThenReport(const std::string &command) {
    return command + "; s=$?; stty -a | grep -o -- '-\\?icanon' | sed 's/^/mode=/'; echo exit=$s";
}

TEST(TerminalSession, PlaysTheDemoPausesSeeksChangesGainAndQuits) {
    const AudioFixture &demo = AudioFixtureNamed("demo.mp3");
    TmuxPane pane(ThenReport(Quote(CliPath()) + " play"));
    ASSERT_TRUE(pane.Started()) << pane.StartError();
    std::string screen;

    ASSERT_TRUE(pane.WaitForText("[Playing]", screen)) << screen;
    EXPECT_NE(screen.find(std::string("Title : ") + demo.tag.title), std::string::npos) << screen;
    EXPECT_NE(screen.find(std::string("Artist: ") + demo.tag.artist), std::string::npos) << screen;
    EXPECT_NE(screen.find(std::string("Album : ") + demo.tag.album), std::string::npos) << screen;
    EXPECT_NE(screen.find("MPEG 1 Layer 3 | 44100 Hz"), std::string::npos) << screen;
    EXPECT_NE(screen.find("Output: null output"), std::string::npos) << screen;
    // The meters and the spectrum move once sound is heard; the spectrum's
    // bands reach over the right half of the 100 columns.
    auto spectrumSpreads = [](const std::string &s) {
        return std::regex_search(s, std::regex("\n #[ #.]{50,}#"));
    };
    ASSERT_TRUE(pane.WaitFor([&](const std::string &s) { return s.find("L [||") != std::string::npos && spectrumSpreads(s); },
                             screen))
        << screen;

    pane.Keys({"Space"});
    ASSERT_TRUE(pane.WaitForText("[Paused]", screen)) << screen;
    std::string paused = PositionOn(screen);
    ASSERT_FALSE(paused.empty()) << screen;

    pane.Keys({"Right"});  // a seek while paused stays paused
    ASSERT_TRUE(pane.WaitForText("Seek forward 0:05", screen)) << screen;
    EXPECT_NE(screen.find("[Paused]"), std::string::npos) << screen;
    EXPECT_EQ(Seconds(PositionOn(screen)), Seconds(paused) + 5) << screen;

    pane.Keys({"Up", "Up"});
    ASSERT_TRUE(pane.WaitForText("Gain +4 dB | Equalizer off", screen)) << screen;
    pane.Keys({"e"});
    ASSERT_TRUE(pane.WaitForText("Gain +4 dB | Equalizer on", screen)) << screen;

    pane.Keys({"Space"});
    ASSERT_TRUE(pane.WaitForText("[Playing]", screen)) << screen;
    pane.Keys({"s"});  // stopped, the meters fall to nothing
    ASSERT_TRUE(pane.WaitForText("[Stopped]", screen)) << screen;
    size_t meter = screen.find("\nL [");
    ASSERT_NE(meter, std::string::npos) << screen;
    EXPECT_EQ(screen.substr(meter, screen.find(']', meter) - meter).find('|'), std::string::npos) << screen;
    pane.Keys({"q"});
    ASSERT_TRUE(pane.WaitUntilEnded());
    screen = pane.Screen();
    EXPECT_EQ(pane.Format("#{alternate_on}"), "0");
    EXPECT_NE(screen.find("mode=icanon"), std::string::npos) << screen;
    EXPECT_NE(screen.find("exit=0"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("[Playing]"), std::string::npos) << "the display is gone: " << screen;
}

// The pid of the first process whose parent is `parent`, or 0.
pid_t ChildOf(pid_t parent) {
    for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state;
        pid_t ppid = 0;
        if (stat >> pid >> name >> state >> ppid && ppid == parent) return std::stoi(pid);
    }
    return 0;
}

// The tracks follow each other on n and p; a termination signal ends the
// program as if it had been killed, with the terminal restored.
TEST(TerminalSession, NextPreviousAndATerminationSignal) {
    std::string command = Quote(CliPath()) + " play " + Quote(FixturePath("l3_mpeg1_crc_flags.mp3")) + " " +
                          Quote(FixturePath("l3_mpeg1_cbr128_joint_v1.mp3"));
    TmuxPane pane(ThenReport(command));
    ASSERT_TRUE(pane.Started()) << pane.StartError();
    std::string screen;
    ASSERT_TRUE(pane.WaitForText("track 1/2", screen)) << screen;
    EXPECT_NE(screen.find("Title : l3_mpeg1_crc_flags.mp3"), std::string::npos) << screen;
    pane.Keys({"n"});
    ASSERT_TRUE(pane.WaitForText("track 2/2", screen)) << screen;
    EXPECT_NE(screen.find("Title : Fixture-Title"), std::string::npos) << screen;
    pane.Keys({"p"});
    ASSERT_TRUE(pane.WaitForText("track 1/2", screen)) << screen;

    pid_t player = ChildOf(std::stoi(pane.Format("#{pane_pid}")));
    ASSERT_GT(player, 0);
    ASSERT_EQ(kill(player, SIGTERM), 0);
    ASSERT_TRUE(pane.WaitUntilEnded());
    screen = pane.Screen();
    EXPECT_EQ(pane.Format("#{alternate_on}"), "0");
    EXPECT_NE(screen.find("mode=icanon"), std::string::npos) << screen;
    EXPECT_NE(screen.find("exit=143"), std::string::npos) << screen;
}

}  // namespace
}  // namespace corvane::testing

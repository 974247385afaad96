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

class TmuxPane {
public:
    // Runs `command` through sh in a detached 100 x 40 session, then has the
    // shell report cvmp3's status and whether the terminal reads lines again.
    // The pane stays when the command ends, so that its last screen can be read.
    explicit TmuxPane(const std::string &command) : socket_("cvmp3-test-" + std::to_string(getpid())) {
        started_ = Tmux({"-f", "/dev/null", "new-session", "-d", "-x", "100", "-y", "40", "-e", "CORVANEMP3_OUTPUT=null",
                         command + "; s=$?; stty -a | grep -o -- '-\\?icanon' | sed 's/^/mode=/'; echo exit=$s", ";",
                         "set-option", "-g", "remain-on-exit", "on"});
    }
    ~TmuxPane() { Tmux({"kill-server"}); }

    RunResult Tmux(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"-L", socket_});
        return RunProgram("tmux", arguments, {.timeoutSeconds = 10});
    }
    // The visible lines and, once the program is gone, the lines scrolled off.
    std::string Screen() const { return Tmux({"capture-pane", "-p", "-S", "-", "-t", "0"}).out; }
    std::string Format(const std::string &format) const {
        std::string text = Tmux({"display-message", "-p", "-t", "0", format}).out;
        return text.substr(0, text.find('\n'));
    }
    void Keys(std::vector<std::string> keys) const {
        keys.insert(keys.begin(), {"send-keys", "-t", "0"});
        Tmux(keys);
    }
    // Polls the screen until `holds` is true of it, leaving the last screen in screen_.
    bool WaitFor(const std::function<bool(const std::string &)> &holds) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        do {
            screen_ = Screen();
            if (holds(screen_)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }
    bool WaitForText(const std::string &text) {
        return WaitFor([&](const std::string &s) { return s.find(text) != std::string::npos; });
    }
    // Once cvmp3 has ended: the terminal is back in line mode, off the alternate screen.
    void ExpectEndedWith(const std::string &exit) {
        ASSERT_TRUE(WaitFor([&](const std::string &) { return Format("#{pane_dead}") == "1"; }));
        screen_ = Screen();
        EXPECT_EQ(Format("#{alternate_on}"), "0");
        EXPECT_NE(screen_.find("mode=icanon"), std::string::npos) << screen_;
        EXPECT_NE(screen_.find("exit=" + exit), std::string::npos) << screen_;
    }

    RunResult started_;
    std::string screen_;

private:
    std::string socket_;
};

std::string Quote(const std::string &text) { return "'" + text + "'"; }

// Seconds of the position line ("0:12 [###---] 0:45").
int PositionOn(const std::string &screen) {
    std::smatch match;
    if (!std::regex_search(screen, match, std::regex("\n(\\d+):(\\d\\d) \\[[#-]+\\] \\d+:\\d\\d"))) return -1;
    return std::stoi(match[1]) * 60 + std::stoi(match[2]);
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

TEST(TerminalSession, PausesSeeksChangesGainAndTracksAndEndsOnATerminationSignal) {
    const AudioFixture &demo = AudioFixtureNamed("demo.mp3");
    TmuxPane pane(Quote(CliPath()) + " play " + Quote(FixturePath("demo.mp3")) + " " +
                  Quote(FixturePath("l3_mpeg1_cbr128_joint_v1.mp3")));
    ASSERT_EQ(pane.started_.exitStatus, 0) << pane.started_.err;
    const std::string &screen = pane.screen_;

    ASSERT_TRUE(pane.WaitForText("[Playing]")) << screen;
    for (const std::string text : {std::string("Title : ") + demo.tag.title, std::string("Artist: ") + demo.tag.artist,
                                   std::string("Album : ") + demo.tag.album, std::string("MPEG 1 Layer 3 | 44100 Hz"),
                                   std::string("Output: null output"), std::string("track 1/2")})
        EXPECT_NE(screen.find(text), std::string::npos) << text << screen;
    // The meters and the spectrum move once sound is heard; the spectrum's
    // bands reach over the right half of the 100 columns.
    ASSERT_TRUE(pane.WaitFor([](const std::string &s) {
        return s.find("L [||") != std::string::npos && std::regex_search(s, std::regex("\n #[ #.]{50,}#"));
    })) << screen;

    pane.Keys({"Space"});
    ASSERT_TRUE(pane.WaitForText("[Paused]")) << screen;
    const int paused = PositionOn(screen);
    pane.Keys({"Right"});  // a seek while paused stays paused
    ASSERT_TRUE(pane.WaitForText("Seek forward 0:05")) << screen;
    EXPECT_NE(screen.find("[Paused]"), std::string::npos) << screen;
    EXPECT_EQ(PositionOn(screen), paused + 5) << screen;

    pane.Keys({"Up", "Up"});
    ASSERT_TRUE(pane.WaitForText("Gain +4 dB | Equalizer off")) << screen;
    pane.Keys({"e"});
    ASSERT_TRUE(pane.WaitForText("Gain +4 dB | Equalizer on")) << screen;
    pane.Keys({"Space"});
    ASSERT_TRUE(pane.WaitForText("[Playing]")) << screen;
    pane.Keys({"n"});
    ASSERT_TRUE(pane.WaitForText("track 2/2")) << screen;
    EXPECT_NE(screen.find("Title : Fixture-Title"), std::string::npos) << screen;
    pane.Keys({"p"});
    ASSERT_TRUE(pane.WaitForText("track 1/2")) << screen;

    pane.Keys({"s"});  // stopped, the meters fall to nothing
    ASSERT_TRUE(pane.WaitForText("[Stopped]")) << screen;
    const size_t meter = screen.find("\nL [");
    ASSERT_NE(meter, std::string::npos) << screen;
    EXPECT_EQ(screen.substr(meter, screen.find(']', meter) - meter).find('|'), std::string::npos) << screen;

    const pid_t player = ChildOf(std::stoi(pane.Format("#{pane_pid}")));
    ASSERT_GT(player, 0);
    ASSERT_EQ(kill(player, SIGTERM), 0);
    pane.ExpectEndedWith("143");
}

TEST(TerminalSession, PlaysTheDemoWithoutAFileAndQuitsOnQ) {
    TmuxPane pane(Quote(CliPath()) + " play");
    ASSERT_EQ(pane.started_.exitStatus, 0) << pane.started_.err;
    ASSERT_TRUE(pane.WaitForText(std::string("Title : ") + AudioFixtureNamed("demo.mp3").tag.title)) << pane.screen_;
    pane.Keys({"q"});
    pane.ExpectEndedWith("0");
    EXPECT_EQ(pane.screen_.find("[Playing]"), std::string::npos) << "the display is gone: " << pane.screen_;
}

}  // namespace
}  // namespace corvane::testing

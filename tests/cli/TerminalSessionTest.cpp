// cvmp3 play driven as a person drives it: in a tmux pane (its own server on
// a socket of its own), keys sent, the screen read back. Playback goes to the
// null output. Waits poll the screen up to a generous limit; nothing asserts
// how fast anything happens.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
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
    // Runs cvmp3 play `files` in a detached 100 x 40 pane; once it ends, the
    // shell says whether the terminal reads lines again and cvmp3's status.
    explicit TmuxPane(const std::string &files) : socket_("cvmp3-test-" + std::to_string(getpid())) {
        const std::string command = "'" + CliPath() + "' play " + files +
                                    "; s=$?; stty -a | grep -o -- '-\\?icanon' | sed 's/^/mode=/'; echo exit=$s";
        Tmux({"-f", "/dev/null", "new-session", "-d", "-x", "100", "-y", "40", "-e", "CORVANEMP3_OUTPUT=null", command,
              ";", "set-option", "-g", "remain-on-exit", "on"});
    }
    ~TmuxPane() { Tmux({"kill-server"}); }

    std::string Tmux(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"-L", socket_});
        return RunProgram("tmux", arguments, {.timeoutSeconds = 10}).out;
    }
    // Polls the screen (with the lines scrolled off) until `pattern` is on it.
    bool WaitFor(const std::string &pattern) {
        for (int poll = 0; poll < 200; ++poll, std::this_thread::sleep_for(std::chrono::milliseconds(100)))
            if (std::regex_search(screen = Tmux({"capture-pane", "-p", "-S", "-", "-t", "0"}), std::regex(pattern)))
                return true;
        return false;
    }
    // cvmp3 has ended: the terminal is back in line mode, off the alternate screen.
    void ExpectEndedWith(const std::string &exit) {
        ASSERT_TRUE(WaitFor("exit=\\d+")) << screen;
        EXPECT_EQ(Tmux({"display-message", "-p", "-t", "0", "#{alternate_on}"}), "0\n");
        EXPECT_NE(screen.find("mode=icanon\nexit=" + exit + "\n"), std::string::npos) << screen;
    }

    std::string screen;

private:
    std::string socket_;
};

// Seconds of the position line ("0:12 [###---] 0:45").
int PositionOn(const std::string &screen) {
    std::smatch match;
    if (!std::regex_search(screen, match, std::regex("\n(\\d+):(\\d\\d) \\[[#-]+\\] \\d+:\\d\\d"))) return -1;
    return std::stoi(match[1]) * 60 + std::stoi(match[2]);
}

TEST(TerminalSession, PausesSeeksChangesGainAndTracksAndEndsOnATerminationSignal) {
    const AudioFixture &demo = AudioFixtureNamed("demo.mp3");
    TmuxPane pane("'" + FixturePath("demo.mp3") + "' '" + FixturePath("l3_mpeg1_cbr128_joint_v1.mp3") + "'");
    const std::string &screen = pane.screen;
    // The tag and the stream are shown; the meters and the spectrum move once
    // sound is heard, the spectrum's bands reaching over the right half of the 100 columns.
    ASSERT_TRUE(pane.WaitFor(std::string("\\[Playing\\]  track 1/2\n\nTitle : ") + demo.tag.title + "\nArtist: " + demo.tag.artist +
                             "\nAlbum : " + demo.tag.album + "\n[\\s\\S]*\nL \\[\\|\\|[\\s\\S]*\n #[ #.]{50,}#[\\s\\S]*"
                             "\nMPEG 1 Layer 3 \\| 44100 Hz[\\s\\S]*Output: null output\n")) << screen;

    pane.Tmux({"send-keys", "-t", "0", "Space"});
    ASSERT_TRUE(pane.WaitFor("\\[Paused\\]")) << screen;
    const int paused = PositionOn(screen);
    pane.Tmux({"send-keys", "-t", "0", "Right"});  // a seek while paused stays paused
    ASSERT_TRUE(pane.WaitFor("\\[Paused\\][\\s\\S]*Seek forward 0:05")) << screen;
    EXPECT_EQ(PositionOn(screen), paused + 5) << screen;

    pane.Tmux({"send-keys", "-t", "0", "Up", "Up", "e"});
    ASSERT_TRUE(pane.WaitFor("Gain \\+4 dB \\| Equalizer on")) << screen;
    pane.Tmux({"send-keys", "-t", "0", "Space", "n"});
    ASSERT_TRUE(pane.WaitFor("\\[Playing\\]  track 2/2\n\nTitle : Fixture-Title\n")) << screen;
    pane.Tmux({"send-keys", "-t", "0", "p"});
    ASSERT_TRUE(pane.WaitFor("track 1/2")) << screen;

    pane.Tmux({"send-keys", "-t", "0", "s"});  // stopped, the meters fall to nothing
    ASSERT_TRUE(pane.WaitFor("\\[Stopped\\][\\s\\S]*\nL \\[ +\\]\nR \\[ +\\]")) << screen;

    const std::string shell = pane.Tmux({"display-message", "-p", "-t", "0", "#{pane_pid}"});
    ASSERT_EQ(kill(std::stoi(RunProgram("pgrep", {"-P", shell.substr(0, shell.find('\n'))}).out), SIGTERM), 0);
    pane.ExpectEndedWith("143");
}

TEST(TerminalSession, QuitsOnQ) {
    TmuxPane pane("'" + FixturePath("demo.mp3") + "'");
    ASSERT_TRUE(pane.WaitFor("\\[Playing\\]")) << pane.screen;
    pane.Tmux({"send-keys", "-t", "0", "q"});
    pane.ExpectEndedWith("0");
    EXPECT_EQ(pane.screen.find("[Playing]"), std::string::npos) << "the display is gone: " << pane.screen;
}

}  // namespace
}  // namespace corvane::testing

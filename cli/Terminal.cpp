#include "cli/Terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

namespace corvane::cli {

namespace {

constexpr char kEscape = '\x1b';
constexpr char kEnterScreen[] = "\x1b[?1049h\x1b[?25l\x1b[H\x1b[2J";
constexpr char kLeaveScreen[] = "\x1b[?25h\x1b[?1049l";

// What the signal handler needs to put the terminal back; written only on the
// main thread before the handlers are installed or while they are blocked.
struct termios g_savedInput;
volatile sig_atomic_t g_inputRaw = 0;
volatile sig_atomic_t g_screenEntered = 0;
volatile sig_atomic_t g_stopRequests = 0;
volatile sig_atomic_t g_stopSignal = 0;
int g_stopPipe[2] = {-1, -1};  // made before the handlers are installed

// Async-signal-safe: only write() and tcsetattr().
void RestoreTerminalState() {
    if (g_screenEntered) {
        ssize_t ignored = write(STDOUT_FILENO, kLeaveScreen, sizeof kLeaveScreen - 1);
        (void)ignored;
        g_screenEntered = 0;
    }
    if (g_inputRaw) {
        tcsetattr(STDIN_FILENO, TCSANOW, &g_savedInput);
        g_inputRaw = 0;
    }
}

void OnStopSignal(int signalNumber) {
    g_stopSignal = signalNumber;
    g_stopRequests = g_stopRequests + 1;
    if (g_stopPipe[1] >= 0) {
        ssize_t ignored = write(g_stopPipe[1], "!", 1);
        (void)ignored;
    }
    if (g_stopRequests < 2) return;
    // The program did not stop after the first request: end it now.
    RestoreTerminalState();
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

void InstallStopHandlers() {
    if (g_stopPipe[0] < 0 && pipe(g_stopPipe) == 0)
        for (int end : g_stopPipe) fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) sigaction(signalNumber, &action, nullptr);
}

bool IsFinalByte(char c) { return c >= 0x40 && c <= 0x7e; }

Key ArrowKey(char final) {
    switch (final) {
        case 'A': return {KeyCode::Up, 0};
        case 'B': return {KeyCode::Down, 0};
        case 'C': return {KeyCode::Right, 0};
        case 'D': return {KeyCode::Left, 0};
        default: return {KeyCode::Escape, 0};
    }
}

bool IsArrowFinal(char c) { return c >= 'A' && c <= 'D'; }

}  // namespace

std::vector<Key> KeyDecoder::Feed(const std::string &bytes) {
    pending_ += bytes;
    std::vector<Key> keys;
    size_t i = 0;
    while (i < pending_.size()) {
        char c = pending_[i];
        if (c != kEscape) {
            keys.push_back(c == '\x03' ? Key{KeyCode::Interrupt, 0} : Key{KeyCode::Character, c});
            ++i;
            continue;
        }
        if (i + 1 >= pending_.size()) break;  // wait: a sequence may follow
        char introducer = pending_[i + 1];
        if (introducer == 'O') {  // SS3, the application cursor mode
            if (i + 2 >= pending_.size()) break;
            char final = pending_[i + 2];
            if (IsArrowFinal(final)) keys.push_back(ArrowKey(final));
            i += 3;
        } else if (introducer == '[') {  // CSI: parameters, then a final byte
            size_t end = i + 2;
            while (end < pending_.size() && !IsFinalByte(pending_[end])) ++end;
            if (end >= pending_.size()) break;
            if (IsArrowFinal(pending_[end])) keys.push_back(ArrowKey(pending_[end]));
            i = end + 1;  // other sequences (function keys, ...) are dropped
        } else {
            keys.push_back({KeyCode::Escape, 0});
            ++i;
        }
    }
    pending_.erase(0, i);
    return keys;
}

std::vector<Key> KeyDecoder::Flush() {
    std::vector<Key> keys;
    if (!pending_.empty() && pending_[0] == kEscape && pending_.size() == 1) keys.push_back({KeyCode::Escape, 0});
    pending_.clear();
    return keys;
}

Terminal::Terminal()
    : inputIsTerminal_(isatty(STDIN_FILENO) == 1), outputIsTerminal_(isatty(STDOUT_FILENO) == 1) {
    InstallStopHandlers();
}

Terminal::~Terminal() { Restore(); }

void Terminal::Enter() {
    if (entered_) return;
    entered_ = true;
    if (inputIsTerminal_ && tcgetattr(STDIN_FILENO, &g_savedInput) == 0) {
        struct termios raw = g_savedInput;
        raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG | IEXTEN));
        raw.c_iflag &= static_cast<tcflag_t>(~(IXON | ICRNL));
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        g_inputRaw = 1;
        tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    }
    if (outputIsTerminal_) {
        g_screenEntered = 1;
        ssize_t ignored = write(STDOUT_FILENO, kEnterScreen, sizeof kEnterScreen - 1);
        (void)ignored;
    }
}

void Terminal::Restore() {
    if (!entered_) return;
    entered_ = false;
    RestoreTerminalState();
}

std::vector<Key> Terminal::ReadKeys() {
    if (!inputIsTerminal_ || inputEnded_) return {};
    std::string bytes;
    char buffer[64];
    for (;;) {
        struct pollfd ready = {STDIN_FILENO, POLLIN, 0};
        if (poll(&ready, 1, 0) <= 0 || !(ready.revents & (POLLIN | POLLHUP))) break;
        ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            if (count == 0 || ready.revents & POLLHUP) inputEnded_ = true;
            break;
        }
        bytes.append(buffer, static_cast<size_t>(count));
    }
    if (bytes.empty()) return decoder_.Flush();
    return decoder_.Feed(bytes);
}

int Terminal::Columns() const {
    struct winsize size;
    if (outputIsTerminal_ && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

int Terminal::Rows() const {
    struct winsize size;
    if (outputIsTerminal_ && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0) return size.ws_row;
    return 24;
}

bool Terminal::StopRequested() { return g_stopRequests > 0; }
int Terminal::StopSignal() { return g_stopSignal; }

int Terminal::StopDescriptor() { return g_stopPipe[0]; }

}  // namespace corvane::cli

#pragma once
// The program's terminal: raw key input without echo, arrow keys decoded from
// their escape sequences, the screen's size, and the terminal put back as it
// was on every way out (normal exit, q, SIGINT, SIGTERM, SIGHUP).
#include <string>
#include <vector>

namespace corvane::cli {

enum class KeyCode { Character, Up, Down, Left, Right, Escape, Interrupt };

struct Key {
    KeyCode code = KeyCode::Character;
    char character = 0;  // for KeyCode::Character

    bool Is(char c) const { return code == KeyCode::Character && character == c; }
    bool operator==(const Key &other) const { return code == other.code && character == other.character; }
};

// Turns the bytes read from a terminal into keys. Escape sequences may arrive
// split over several reads: an incomplete one waits for the next bytes, and a
// lone escape counts as the Escape key only when Flush is called.
class KeyDecoder {
public:
    std::vector<Key> Feed(const std::string &bytes);
    // Ends a pending sequence: a lone escape becomes the Escape key.
    std::vector<Key> Flush();

private:
    std::string pending_;
};

class Terminal {
public:
    Terminal();
    ~Terminal();  // restores the terminal
    Terminal(const Terminal &) = delete;
    Terminal &operator=(const Terminal &) = delete;

    // Whether standard input and output are terminals.
    bool InputIsTerminal() const { return inputIsTerminal_; }
    bool OutputIsTerminal() const { return outputIsTerminal_; }

    // Raw, non-blocking key input on standard input, the alternate screen and
    // a hidden cursor on standard output. Only what is a terminal is changed.
    void Enter();
    void Restore();

    // The keys typed since the last call; never blocks.
    std::vector<Key> ReadKeys();
    // Whether keys may still come: input is a terminal that has not ended.
    bool KeysMayCome() const { return inputIsTerminal_ && !inputEnded_; }

    // Columns and rows of the output terminal (80 x 24 when unknown).
    int Columns() const;
    int Rows() const;

    // Set once SIGINT, SIGTERM or SIGHUP arrived; a second signal restores
    // the terminal and ends the program at once.
    static bool StopRequested();
    // The signal that asked for the stop, 0 when none came.
    static int StopSignal();
    // A descriptor that becomes readable when a stop signal arrives (a byte
    // per signal), for a thread that sleeps until something happens.
    static int StopDescriptor();

private:
    bool inputIsTerminal_;
    bool outputIsTerminal_;
    bool entered_ = false;
    bool inputEnded_ = false;
    KeyDecoder decoder_;
};

}  // namespace corvane::cli

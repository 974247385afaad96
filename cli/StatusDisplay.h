#pragma once
// What the player shows: a snapshot of the playback state, rendered as lines
// of plain text (the full-screen display of a terminal, or the one status line
// per second written to a pipe). Rendering is pure: no terminal, no control.
#include <string>
#include <vector>

namespace corvane::cli {

enum class PlaybackState { Stopped, Playing, Paused };

struct StatusSnapshot {
    std::string file;  // the file name as given
    std::string title, artist, album;
    PlaybackState state = PlaybackState::Stopped;
    double position = 0;  // seconds
    double length = 0;    // seconds
    int trackNumber = 0;  // 1-based; 0 when there is no list
    int trackCount = 0;

    double vuLeft = 0, vuRight = 0;  // 0 (silence) to 1 (full scale)
    std::vector<double> spectrum;    // bar heights, 0 to 1, low to high frequency

    std::string mpegVersion, layer, channelMode;
    int sampleRate = 0;  // Hz
    int bitrate = 0;     // bits per second

    double gainDb = 0;
    bool equalizerOn = false;
    std::string output;   // where the sound goes ("null output", a WAV file); empty: the audio device
    std::string message;  // the last thing that happened, shown until replaced
};

// Time as m:ss, or h:mm:ss from one hour on; negative times count as 0.
std::string FormatTime(double seconds);

// A bar of `width` cells: filled '#' for `fraction` of it, '-' for the rest.
std::string ProgressBar(double fraction, int width);

// The level of a peak value in 0 to 1 on a decibel scale: full scale is 1,
// `floorDb` below full scale (and silence) is 0.
double LevelFromPeak(double value, double fullScale, double floorDb = 48);

// Groups `bins` linear-frequency magnitudes (bin k centred on k * binHz, full
// scale 1) into `bars` bands log-spaced from 40 Hz to 16 kHz (or the highest
// bin), each the decibel level of its loudest bin. A band narrower than the
// bin spacing reads the magnitude interpolated at its centre. Levels are
// tilted by 3 dB per octave around 1 kHz, so that music, whose energy falls
// with frequency, shows across the whole range.
std::vector<double> SpectrumBandsDb(const std::vector<float> &bins, int bars, double binHz);

// Band levels as bar heights: 1 at or above `referenceDb`, 0 at `rangeDb`
// below it.
std::vector<double> SpectrumBars(const std::vector<double> &bandsDb, double referenceDb, double rangeDb = 50);

// The full-screen display, at most `columns` characters wide and `rows` lines
// high (the spectrum shrinks to fit).
std::vector<std::string> RenderScreen(const StatusSnapshot &snapshot, int columns, int rows);

// One line with no escape codes, for output that is not a terminal.
std::string RenderStatusLine(const StatusSnapshot &snapshot);

// The name to show for a track: "artist - title", the title alone, or the
// file name without its folders when the tag has no title.
std::string DisplayName(const StatusSnapshot &snapshot);

// Cuts UTF-8 text to at most `columns` characters without splitting one.
std::string FitToWidth(const std::string &text, int columns);

}  // namespace corvane::cli

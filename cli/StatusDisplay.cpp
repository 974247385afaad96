#include "cli/StatusDisplay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace corvane::cli {

namespace {

constexpr int kMinSpectrumRows = 3;
constexpr int kMaxSpectrumRows = 10;
constexpr double kSpectrumLowHz = 40;
constexpr double kSpectrumHighHz = 16000;
constexpr double kSpectrumTiltDbPerOctave = 3;

const char *StateWord(PlaybackState state) {
    switch (state) {
        case PlaybackState::Playing: return "Playing";
        case PlaybackState::Paused: return "Paused";
        default: return "Stopped";
    }
}

std::string FileNamePart(const std::string &path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Printf(const char *format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string StreamLine(const StatusSnapshot &s) {
    if (s.mpegVersion.empty() && s.layer.empty()) return "";
    std::string line = "MPEG " + s.mpegVersion + " Layer " + s.layer;
    if (s.sampleRate > 0) line += " | " + std::to_string(s.sampleRate) + " Hz";
    if (s.bitrate > 0) line += " | " + std::to_string((s.bitrate + 500) / 1000) + " kbit/s";
    if (!s.channelMode.empty()) line += " | " + s.channelMode;
    return line;
}

std::string SettingsLine(const StatusSnapshot &s) {
    std::string line = "Gain " + Printf("%+.0f dB", s.gainDb) + " | Equalizer " + (s.equalizerOn ? "on" : "off");
    line += " | Output: " + (s.output.empty() ? std::string("audio device") : s.output);
    return line;
}

std::string HeaderLine(const StatusSnapshot &s) {
    std::string line = std::string("CorvaneMP3  [") + StateWord(s.state) + "]";
    if (s.trackCount > 0) line += "  track " + std::to_string(s.trackNumber) + "/" + std::to_string(s.trackCount);
    return line;
}

std::string TimeLine(const StatusSnapshot &s, int columns) {
    std::string start = FormatTime(s.position);
    std::string end = FormatTime(s.length);
    int barWidth = std::max(10, columns - static_cast<int>(start.size() + end.size()) - 5);
    double fraction = s.length > 0 ? s.position / s.length : 0;
    return start + " [" + ProgressBar(fraction, barWidth) + "] " + end;
}

std::string MeterLine(const char *label, double level, int columns) {
    int width = std::max(10, columns - 6);
    std::string bar(static_cast<size_t>(width), ' ');
    int filled = static_cast<int>(std::lround(std::clamp(level, 0.0, 1.0) * width));
    std::fill_n(bar.begin(), filled, '|');
    return std::string(label) + " [" + bar + "]";
}

// Rows of bars, top row first; a bar's top cell shows '.' when it is at least
// half filled.
std::vector<std::string> SpectrumRows(const std::vector<double> &bars, int columns, int rows) {
    size_t count = std::min(bars.size(), static_cast<size_t>(std::max(0, (columns - 1) / 2)));
    std::vector<std::string> lines;
    for (int row = rows - 1; row >= 0; --row) {
        std::string line = " ";
        for (size_t i = 0; i < count; ++i) {
            double height = std::clamp(bars[i], 0.0, 1.0) * rows;
            char cell = height >= row + 1 ? '#' : (height >= row + 0.5 ? '.' : ' ');
            line += cell;
            line += ' ';
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

std::string FormatTime(double seconds) {
    long total = std::isfinite(seconds) && seconds > 0 ? static_cast<long>(seconds) : 0;
    char buffer[32];
    if (total >= 3600)
        std::snprintf(buffer, sizeof buffer, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    else
        std::snprintf(buffer, sizeof buffer, "%ld:%02ld", total / 60, total % 60);
    return buffer;
}

std::string ProgressBar(double fraction, int width) {
    if (width <= 0) return "";
    if (!std::isfinite(fraction)) fraction = 0;
    int filled = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * width);
    return std::string(static_cast<size_t>(filled), '#') + std::string(static_cast<size_t>(width - filled), '-');
}

double LevelFromPeak(double value, double fullScale, double floorDb) {
    if (!(value > 0) || !(fullScale > 0) || !(floorDb > 0)) return 0;
    double db = 20 * std::log10(value / fullScale);
    return std::clamp(1 + db / floorDb, 0.0, 1.0);
}

std::vector<double> SpectrumBandsDb(const std::vector<float> &bins, int bars, double binHz) {
    std::vector<double> bands;
    if (bars <= 0 || bins.size() < 2 || !(binHz > 0)) return bands;
    double last = static_cast<double>(bins.size() - 1);
    double low = std::min(kSpectrumLowHz, last * binHz / 2);
    double high = std::clamp(kSpectrumHighHz, low * 2, last * binHz);
    double octaves = std::log2(high / low);
    auto magnitudeAt = [&](double position) {  // linear between the two nearest bins
        position = std::clamp(position, 0.0, last);
        size_t below = static_cast<size_t>(position);
        size_t above = std::min(below + 1, bins.size() - 1);
        double share = position - static_cast<double>(below);
        return bins[below] * (1 - share) + bins[above] * share;
    };
    for (int bar = 0; bar < bars; ++bar) {
        double from = low * std::exp2(octaves * bar / bars) / binHz;
        double to = low * std::exp2(octaves * (bar + 1) / bars) / binHz;
        double peak = magnitudeAt(std::sqrt(from * to));
        for (size_t k = static_cast<size_t>(std::ceil(from)); k < to && k < bins.size(); ++k)
            peak = std::max(peak, static_cast<double>(bins[k]));
        double centreHz = std::sqrt(from * to) * binHz;
        double db = peak > 0 ? 20 * std::log10(peak) : -std::numeric_limits<double>::infinity();
        bands.push_back(db + kSpectrumTiltDbPerOctave * std::log2(centreHz / 1000));
    }
    return bands;
}

std::vector<double> SpectrumBars(const std::vector<double> &bandsDb, double referenceDb, double rangeDb) {
    std::vector<double> heights;
    for (double db : bandsDb) {
        double height = rangeDb > 0 ? 1 + (db - referenceDb) / rangeDb : 0;
        heights.push_back(std::isfinite(height) ? std::clamp(height, 0.0, 1.0) : 0);
    }
    return heights;
}

std::string DisplayName(const StatusSnapshot &s) {
    if (!s.title.empty() && !s.artist.empty()) return s.artist + " - " + s.title;
    if (!s.title.empty()) return s.title;
    return FileNamePart(s.file);
}

std::string FitToWidth(const std::string &text, int columns) {
    if (columns <= 0) return "";
    int characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        bool startsCharacter = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (startsCharacter && ++characters > columns) return text.substr(0, i);
    }
    return text;
}

std::vector<std::string> RenderScreen(const StatusSnapshot &s, int columns, int rows) {
    columns = std::max(columns, 20);
    std::vector<std::string> lines;
    lines.push_back(HeaderLine(s));
    lines.push_back("");
    lines.push_back("Title : " + (s.title.empty() ? FileNamePart(s.file) : s.title));
    lines.push_back("Artist: " + s.artist);
    lines.push_back("Album : " + s.album);
    lines.push_back("");
    lines.push_back(TimeLine(s, columns));
    lines.push_back("");
    lines.push_back(MeterLine("L", s.vuLeft, columns));
    lines.push_back(MeterLine("R", s.vuRight, columns));
    lines.push_back("");
    std::vector<std::string> footer = {"", StreamLine(s), SettingsLine(s), s.message, "",
                                       "space pause/resume  s stop  <-/-> seek 5 s  up/down gain",
                                       "n/p next/previous  f fade out  e equalizer  q quit"};
    int spectrumRows = std::clamp(rows - static_cast<int>(lines.size() + footer.size()), kMinSpectrumRows,
                                  kMaxSpectrumRows);
    for (auto &line : SpectrumRows(s.spectrum, columns, spectrumRows)) lines.push_back(line);
    lines.insert(lines.end(), footer.begin(), footer.end());
    if (static_cast<int>(lines.size()) > rows && rows > 0) lines.resize(static_cast<size_t>(rows));
    for (auto &line : lines) line = FitToWidth(line, columns);
    return lines;
}

std::string RenderStatusLine(const StatusSnapshot &s) {
    std::string line = std::string("[") + StateWord(s.state) + "] " + FormatTime(s.position) + " / " +
                       FormatTime(s.length);
    if (s.trackCount > 0) line += "  track " + std::to_string(s.trackNumber) + "/" + std::to_string(s.trackCount);
    line += "  VU L " + Printf("%3.0f%%", 100 * std::clamp(s.vuLeft, 0.0, 1.0)) + " R " +
            Printf("%3.0f%%", 100 * std::clamp(s.vuRight, 0.0, 1.0));
    line += "  " + DisplayName(s);
    return line;
}

}  // namespace corvane::cli

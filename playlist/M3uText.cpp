#include "playlist/M3uText.h"

namespace corvane::playlist {

std::vector<std::string_view> SplitM3uLines(std::string_view content) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < content.size()) {
        const size_t cr = content.find('\r', start);
        if (cr == std::string_view::npos) {
            lines.push_back(content.substr(start));
            break;
        }
        lines.push_back(content.substr(start, cr - start));
        start = cr + 1;
        if (start < content.size() && content[start] == '\n') ++start;
    }
    return lines;
}

std::vector<std::string_view> M3uPathLines(const std::vector<std::string_view> &lines) {
    std::vector<std::string_view> paths;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].starts_with(kM3uInfoMarker)) {
            if (++i < lines.size()) paths.push_back(lines[i]);
        } else if (!lines[i].empty() && lines[i].front() != '#') {
            paths.push_back(lines[i]);
        }
    }
    return paths;
}

std::string NormalisedM3u(std::string_view content, std::string &changes) {
    std::vector<std::string> what;
    if (content.starts_with("\xEF\xBB\xBF")) {
        content.remove_prefix(3);
        what.push_back("a byte-order mark");
    }
    std::string text;
    text.reserve(content.size() + content.size() / 16);
    bool lineFeeds = false;
    for (size_t i = 0; i < content.size(); ++i) {
        const bool alone = content[i] == '\n' && (i == 0 || content[i - 1] != '\r');
        if (alone) text += '\r', lineFeeds = true;
        text += content[i];
    }
    if (lineFeeds) what.push_back("line feeds for line ends");
    if (!text.starts_with(std::string(kM3uHeader) + std::string(kM3uLineEnd)) && text != kM3uHeader) {
        text = std::string(kM3uHeader) + std::string(kM3uLineEnd) + text;
        what.push_back("no #EXTM3U header");
    }
    changes.clear();
    for (size_t i = 0; i < what.size(); ++i) changes += (i ? (i + 1 == what.size() ? " and " : ", ") : "") + what[i];
    return text;
}

}  // namespace corvane::playlist

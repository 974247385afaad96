#pragma once
// The text of extended M3U play-list files, as the play list reads and writes
// them: lines end with CR LF (or CR alone), the first line is "#EXTM3U", a
// "#EXTINF:" line describes the path line after it, and any other line that
// is neither blank nor a comment is a path.
#include <string>
#include <string_view>
#include <vector>

namespace corvane::playlist {

inline constexpr std::string_view kM3uHeader = "#EXTM3U";
inline constexpr std::string_view kM3uLineEnd = "\r\n";
inline constexpr std::string_view kM3uInfoMarker = "#EXTINF:";

std::vector<std::string_view> SplitM3uLines(std::string_view content);

// The path lines, in order (a "#EXTINF:" line with no line after it names none).
std::vector<std::string_view> M3uPathLines(const std::vector<std::string_view> &lines);

// The lists people have, in the form above: a UTF-8 byte-order mark removed,
// a line feed alone taken as a line end, the header added when it is
// missing. `changes` says what was changed ("" when nothing was).
std::string NormalisedM3u(std::string_view content, std::string &changes);

}  // namespace corvane::playlist

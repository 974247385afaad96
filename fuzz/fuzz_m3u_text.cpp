// Arbitrary play-list text through the M3U reader: normalising what people
// write must give text that begins with the header and whose lines all end
// with CR LF, and normalising that again must change nothing.
#include "playlist/M3uText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string_view content(reinterpret_cast<const char *>(data), size);
    using namespace corvane::playlist;
    std::string changes;
    const std::string normalised = NormalisedM3u(content, changes);
    if (!normalised.starts_with(kM3uHeader)) std::abort();
    std::string again;
    if (NormalisedM3u(normalised, again) != normalised || !again.empty()) std::abort();
    const auto lines = SplitM3uLines(normalised);
    if (lines.empty() || lines.front() != kM3uHeader) std::abort();
    for (std::string_view path : M3uPathLines(lines))
        if (path.find('\r') != std::string_view::npos) std::abort();
    return 0;
}

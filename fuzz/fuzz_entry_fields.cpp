// Arbitrary frame-information text and tag blocks as the decoder library
// might hand them over, taken by a play-list entry: every property reads
// without a crash, and a tag written back never exceeds its 128 bytes (the
// recording library keeps it as a C string, so a NUL ends it early).
#include "support/RecordingDecoderLibrary.h"
#include "playlist/PlayListEntry.h"
#include "runtime/AutomationError.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace corvane;
    const std::string input(reinterpret_cast<const char *>(data), size);
    const size_t split = input.find('\n');
    auto library = std::make_shared<decoder::RecordingDecoderLibrary>();
    library->AddFile("/f.mp3", input.substr(0, std::min<size_t>(split, 200)),
                     split == std::string::npos ? std::string() : input.substr(split + 1, 128));
    playlist::PlayListEntry entry(library);
    runtime::Text name = u"/f.mp3";
    if (entry.SetFileName(name) != 0) return 0;
    entry.MPEGVersion(), entry.Layer(), entry.DataRate(), entry.SampleRate(), entry.CRCExists(), entry.ChannelMode();
    entry.Copyrighted(), entry.Original(), entry.FileSize(), entry.FileSizeInBytes(), entry.Frames(), entry.TrackLength();
    try {
        entry.ID3Title(), entry.ID3Artist(), entry.ID3Album(), entry.ID3Year(), entry.ID3Comment(), entry.ID3Genre();
        runtime::Text title = runtime::FromUtf8(input);
        entry.SetID3Title(title);
        const size_t written = library->writtenTags.back().size();
        if (written > 128) std::abort();
    } catch (const runtime::AutomationError &) {
    }
    return 0;
}

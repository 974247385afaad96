#pragma once
// The audio fixtures (build/fixtures, made by tests/fixtures; the demo track
// by cli/demo) and what each encoder was told, for any test that needs real
// files: the frame information a file must report, its tag, and how long its
// decode is.
//
//   for (const AudioFixture &f : AudioFixtures()) { FixturePath(f.name) ... }
//   const AudioFixture &demo = AudioFixtureNamed("demo.mp3");
//
// Lengths: a Layer III file whose LAME Info/Xing frame declares encoder
// delay and padding decodes to exactly the samples of its source signal
// (gapless); every other file decodes to frames * samples-per-frame, a
// little more than its source.
#include <cstdint>
#include <string>
#include <vector>

namespace corvane::testing {

enum class FixtureTags { None, V1, V2, Both };

struct FixtureTag {
    const char *title = "";
    const char *artist = "";
    const char *album = "";
    const char *year = "";
    const char *comment = "";
    int genre = 0;
};

struct AudioFixture {
    const char *name;
    const char *version;        // frame information field 0: "1", "2" or "2.5"
    int layer;
    int sampleRate;
    int channels;
    const char *channelMode;    // "Stereo", "Joint Stereo", "Dual Channel", "Single Channel"
    int bitrate;                // bits/s of a constant-bitrate file; 0 for VBR
    bool crc, copyright, original;
    int emphasis;               // 0 none, 1 50/15 us
    double sourceSeconds;       // the signal the encoder was given
    bool gapless;               // decodes to exactly the source's samples
    const char *lengthSource;   // frame information field 18
    int64_t exactFrames;        // the frame count when the writer fixes it, else 0
    FixtureTags tags;
    FixtureTag tag;             // the fields of the ID3v1 (or only ID3v2) tag

    int SamplesPerFrame() const;
    int64_t SourceSamples() const;
};

const std::vector<AudioFixture> &AudioFixtures();
// Throws std::out_of_range for an unknown name.
const AudioFixture &AudioFixtureNamed(const std::string &name);

// A 128-byte tag block as files hold it: the marker, every field filled to
// its width with `fill`, and the genre byte.
std::string TagBlock(const FixtureTag &tag, char fill = '\0', const std::string &marker = "TAG");

// Files that are not audio, or damaged audio, and the results they give.
struct BadFixture {
    const char *name;
    int16_t frameInfoResult;    // of get_frame_info
    int16_t tagResult;          // of get_id3_tag
    int decoderResult;          // of opening it for decoding
};
const std::vector<BadFixture> &BadFixtures();

// A file cut in the middle of a frame: the 20000 first bytes of
// l3_mpeg1_cbr128_joint_v1.mp3; it is recognised and holds 46 whole frames.
constexpr const char *kTruncatedFixture = "bad_truncated.mp3";
constexpr int64_t kTruncatedWholeFrames = 46;

}  // namespace corvane::testing

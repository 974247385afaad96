#include "support/Fixtures.h"

#include <cmath>
#include <stdexcept>

namespace corvane::testing {

namespace {

constexpr FixtureTag kLameTag{"Fixture-Title", "Fixture-Artist", "Fixture-Album", "2024", "Fixture-Comment", 8};
constexpr FixtureTag kNoTag{};
constexpr bool Y = true;
constexpr bool N = false;

// Kept in step with tests/fixtures/generate.sh and, for the demo track, cli/demo.
const std::vector<AudioFixture> kFixtures = {
    // name                            ver  L  rate   ch  mode             bitrate  crc cpy org emph secs gapless source  frames tags
    {"l3_mpeg1_cbr128_joint_v1.mp3",   "1", 3, 44100, 2, "Joint Stereo",   128000, N, N, Y, 0, 3, Y, "Info", 0, FixtureTags::V1, kLameTag},
    {"l3_mpeg1_cbr192_stereo.mp3",     "1", 3, 48000, 2, "Stereo",         192000, N, N, Y, 0, 3, Y, "Info", 0, FixtureTags::None, kNoTag},
    {"l3_mpeg1_vbr_xing_v2.mp3",       "1", 3, 44100, 2, "Joint Stereo",   0,      N, N, Y, 0, 4, Y, "Xing", 0, FixtureTags::V2, kLameTag},
    {"l3_mpeg1_vbr_noxing.mp3",        "1", 3, 44100, 2, "Joint Stereo",   0,      N, N, Y, 0, 4, N, "scan", 0, FixtureTags::None, kNoTag},
    {"l3_mpeg1_mono_both.mp3",         "1", 3, 32000, 1, "Single Channel", 64000,  N, N, Y, 0, 3, Y, "Info", 0, FixtureTags::Both, kLameTag},
    {"l3_mpeg1_dual.mp3",              "1", 3, 44100, 2, "Dual Channel",   160000, N, N, Y, 0, 3, Y, "Info", 0, FixtureTags::None, kNoTag},
    {"l3_mpeg1_crc_flags.mp3",         "1", 3, 44100, 2, "Joint Stereo",   96000,  Y, Y, N, 1, 2, Y, "Info", 0, FixtureTags::None, kNoTag},
    {"l3_mpeg2_cbr64_joint_v1.mp3",    "2", 3, 22050, 2, "Joint Stereo",   64000,  N, N, Y, 0, 3, Y, "Info", 0, FixtureTags::V1, kLameTag},
    {"l3_mpeg2_vbr_mono.mp3",          "2", 3, 16000, 1, "Single Channel", 0,      N, N, Y, 0, 3, Y, "Xing", 0, FixtureTags::None, kNoTag},
    {"l3_mpeg2_cbr48_noinfo.mp3",      "2", 3, 24000, 2, "Stereo",         48000,  N, N, Y, 0, 3, N, "scan", 0, FixtureTags::None, kNoTag},
    {"l3_mpeg25_cbr32_mono.mp3",       "2.5", 3, 11025, 1, "Single Channel", 32000, N, N, Y, 0, 3, Y, "Info", 0, FixtureTags::None, kNoTag},
    {"l3_mpeg25_vbr_noxing.mp3",       "2.5", 3, 8000, 1, "Single Channel", 0,     N, N, Y, 0, 3, N, "scan", 0, FixtureTags::None, kNoTag},
    // Its 144-byte frames are too small for lame's Info frame.
    {"l3_mpeg25_cbr24_joint.mp3",      "2.5", 3, 12000, 2, "Joint Stereo", 24000,  N, N, Y, 0, 3, N, "scan", 0, FixtureTags::None, kNoTag},
    {"tag_v2_utf16.mp3",               "1", 3, 44100, 2, "Joint Stereo",   64000,  N, N, Y, 0, 2, Y, "Info", 0, FixtureTags::V2,
     {"Caf\xE9 Cr\xE8me", "Zo\xEB \xD8rsted", "Album v2", "2023", "v2 comment", 26}},
    {"junk_prefix.mp3",                "1", 3, 48000, 2, "Stereo",         192000, N, N, Y, 0, 3, Y, "Info", 0, FixtureTags::None, kNoTag},
    {"l2_mpeg1_192_stereo_v1.mp3",     "1", 2, 44100, 2, "Stereo",         192000, N, N, Y, 0, 3, N, "scan", 0, FixtureTags::V1,
     {"Layer Two", "Fixture-Artist", "Fixture-Album", "1999", "twolame", 17}},
    {"l2_mpeg1_256_dual.mp3",          "1", 2, 48000, 2, "Dual Channel",   256000, N, N, Y, 0, 3, N, "scan", 0, FixtureTags::None, kNoTag},
    {"l2_mpeg1_128_stereo_crc.mp3",    "1", 2, 32000, 2, "Stereo",         128000, Y, Y, N, 0, 3, N, "scan", 0, FixtureTags::None, kNoTag},
    {"l2_mpeg2_64_mono.mp3",           "2", 2, 24000, 1, "Single Channel", 64000,  N, N, Y, 0, 3, N, "scan", 0, FixtureTags::None, kNoTag},
    {"l2_mpeg2_48_stereo.mp3",         "2", 2, 16000, 2, "Stereo",         48000,  N, N, Y, 0, 3, N, "scan", 0, FixtureTags::None, kNoTag},
    {"l1_mpeg1_384_stereo.mp3",        "1", 1, 44100, 2, "Stereo",         384000, N, N, Y, 0, 2, N, "scan", 230, FixtureTags::None, kNoTag},
    {"l1_mpeg1_128_mono_crc.mp3",      "1", 1, 32000, 1, "Single Channel", 128000, Y, Y, Y, 0, 2, N, "scan", 167, FixtureTags::None, kNoTag},
    {"l1_mpeg1_256_joint.mp3",         "1", 1, 48000, 2, "Joint Stereo",   256000, N, N, N, 0, 2, N, "scan", 250, FixtureTags::None, kNoTag},
    {"l1_mpeg1_320_dual_v1.mp3",       "1", 1, 44100, 2, "Dual Channel",   320000, N, N, Y, 0, 2, N, "scan", 230, FixtureTags::V1,
     {"Layer One", "Fixture-Artist", "Fixture-Album", "2001", "fixture_generator", 52}},
    {"l1_mpeg2_192_stereo.mp3",        "2", 1, 22050, 2, "Stereo",         192000, N, N, Y, 0, 2, N, "scan", 115, FixtureTags::None, kNoTag},
    {"demo.mp3",                       "1", 3, 44100, 2, "Joint Stereo",   0,      N, N, Y, 0, 45, Y, "Xing", 0, FixtureTags::V1,
     {"Evening Over Corvane", "CorvaneMP3 Synth", "CorvaneMP3 Demo", "2024", "synthesised by the build", 26}},
};

const std::vector<BadFixture> kBadFixtures = {
    {"bad_empty.mp3", 0, 0, 30075},
    {"bad_random.mp3", 0, 0, 30075},
    {"bad_text.mp3", 0, 0, 30075},
    {"bad_folder.mp3", 53, 75, 75},
    {"no_such_file.mp3", 53, 53, 53},
};

}  // namespace

int AudioFixture::SamplesPerFrame() const { return layer == 1 ? 384 : layer == 2 || version == std::string("1") ? 1152 : 576; }

int64_t AudioFixture::SourceSamples() const { return std::llround(sourceSeconds * sampleRate); }

const std::vector<AudioFixture> &AudioFixtures() { return kFixtures; }

const AudioFixture &AudioFixtureNamed(const std::string &name) {
    for (const AudioFixture &fixture : kFixtures) {
        if (name == fixture.name) return fixture;
    }
    throw std::out_of_range("no audio fixture named " + name);
}

const std::vector<BadFixture> &BadFixtures() { return kBadFixtures; }

std::string TagBlock(const FixtureTag &tag, char fill, const std::string &marker) {
    std::string block = marker;
    for (auto [text, width] : {std::pair{tag.title, 30}, {tag.artist, 30}, {tag.album, 30}, {tag.year, 4}, {tag.comment, 30}})
        block += std::string(text).append(30, fill).substr(0, static_cast<size_t>(width));
    return block + static_cast<char>(tag.genre);
}

}  // namespace corvane::testing

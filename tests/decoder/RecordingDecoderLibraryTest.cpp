#include <gtest/gtest.h>

#include <cstring>

#include "decoder/RecordingDecoderLibrary.h"

namespace corvane::decoder {
namespace {

TEST(RecordingDecoderLibrary, RecordsEveryCallInItsFormat) {
    RecordingDecoderLibrary library;
    CorvaneNotifyTarget target{nullptr};
    int16_t frequencies[] = {1000, 60, 14000};
    float gains[32] = {1.5f, -3.25f};
    float left = -20, right = 20;
    int16_t interval = 50;
    library.PlayMp3(0, &target);
    library.PlayMp3(0, nullptr);
    library.Play("/a.mp3");
    library.FadeIn("/a.mp3", 2.5f);
    library.FadeOut(0.1f);
    library.SeekPlaying(12.125);
    library.PausePlaying();
    library.ContinuePlaying();
    library.StopPlaying();
    library.IsFinished();
    library.SetVuInterval(&interval);
    library.CreateEq(frequencies, 3);
    library.SetEq(gains);
    library.SetGain(&left, &right);
    library.EqState(1);
    std::string setEq = "set_eq(1.5,-3.25";
    for (int k = 2; k < 32; ++k) setEq += ",0";
    setEq += ")";
    const std::vector<std::string> expected = {
        "play_mp3(0,handle)", "play_mp3(0,null)",     "play(/a.mp3)",        "fade_in(/a.mp3,2.5)",
        "fade_out(0.1)",      "seek_playing(12.125)", "pause_playing()",     "continue_playing()",
        "stop_playing()",     "is_finished()",        "set_vu_interval(50)", "create_eq(1000,60,14000;3)",
        setEq,                "set_gain(-20,20)",     "eq_state(1)",
    };
    EXPECT_EQ(library.calls, expected);
    EXPECT_EQ(library.lastHandle, nullptr);
    EXPECT_EQ(library.CallsNamed("play").size(), 1u);  // not play_mp3
}

TEST(RecordingDecoderLibrary, ScriptedResultsAndStatus) {
    RecordingDecoderLibrary library;
    library.results["play"] = 30101;
    library.results["is_finished"] = 1;
    EXPECT_EQ(library.Play("/a.mp3"), 30101);
    EXPECT_EQ(library.FadeIn("/a.mp3", 1), 0);
    EXPECT_EQ(library.IsFinished(), 1);

    library.status.status = CORVANE_STATUS_PLAYING;
    library.status.position = 3.5;
    library.status.vu = {1, 2, 3};
    library.status.wave[767] = -7;
    library.status.spectrum[383] = 0.5f;
    std::string seen;
    library.onCall = [&](const std::string &name) {
        seen = name;
        library.status.position = 4.0;  // a hook scripts what this call reports
    };
    int16_t status = 0, vu[3] = {}, wave[768] = {};
    float spectrum[384] = {};
    double position = 0;
    library.GetStatus(&status, &position, vu, wave, spectrum);
    EXPECT_EQ(seen, "get_status");
    EXPECT_EQ(status, CORVANE_STATUS_PLAYING);
    EXPECT_EQ(position, 4.0);
    EXPECT_EQ(vu[2], 3);
    EXPECT_EQ(wave[767], -7);
    EXPECT_EQ(spectrum[383], 0.5f);
}

TEST(RecordingDecoderLibrary, ServesFramesAndTagsOfMadeUpFiles) {
    RecordingDecoderLibrary library;
    library.AddFile("/a.mp3", std::string(250, 'f'), "TAGTitle");
    char info[201];
    std::memset(info, 'x', sizeof info);
    EXPECT_EQ(library.GetFrameInfo("/a.mp3", info), 1);
    EXPECT_EQ(std::strlen(info), 200u);
    EXPECT_EQ(library.GetFrameInfo("/missing.mp3", info), 53);
    EXPECT_EQ(library.GetId3Tag("/missing.mp3", info), 53);

    char tag[129];
    std::memset(tag, 'x', sizeof tag);
    EXPECT_EQ(library.GetId3Tag("/a.mp3", tag), 0);
    EXPECT_EQ(std::string(tag, 8), "TAGTitle");
    for (int i = 8; i < 129; ++i) EXPECT_EQ(tag[i], '\0') << i;
}

TEST(RecordingDecoderLibrary, WrittenBlocksAreStoredUnlessTheWriteFails) {
    RecordingDecoderLibrary library;
    library.AddFile("/a.mp3", "1|3");
    std::string block = "TAG" + std::string(124, ' ') + "\x11";  // 128 bytes, genre 17
    EXPECT_EQ(library.SetId3Tag("/a.mp3", block.c_str()), 0);
    EXPECT_EQ(library.files["/a.mp3"].tag, block);

    std::string noGenre = "TAG" + std::string(124, 'n');  // 127 bytes: genre 0 ends the text
    EXPECT_EQ(library.SetId3Tag("/a.mp3", noGenre.c_str()), 0);
    EXPECT_EQ(library.files["/a.mp3"].tag, noGenre + '\0');
    ASSERT_EQ(library.writtenTags.size(), 2u);
    EXPECT_EQ(library.writtenTags[0].size(), 128u);
    EXPECT_EQ(library.writtenTags[1].size(), 127u);

    library.files["/a.mp3"].writeResult = 30074;
    EXPECT_EQ(library.SetId3Tag("/a.mp3", block.c_str()), 30074);
    EXPECT_EQ(library.files["/a.mp3"].tag, noGenre + '\0');
    EXPECT_EQ(library.SetId3Tag("/missing.mp3", block.c_str()), 53);
}

}  // namespace
}  // namespace corvane::decoder

// The play list over the real decoder library and generated audio files: a
// saved list loads back with the files' true lengths and tags.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "decoder/DynamicDecoderLibrary.h"
#include "playlist/CVMP3PlayList.h"
#include "runtime/AutomationError.h"
#include "runtime/ControlSite.h"
#include "runtime/MessageLoop.h"
#include "support/Fixtures.h"
#include "support/Paths.h"

namespace {

using corvane::playlist::CVMP3PlayList;
using corvane::runtime::Text;
using corvane::runtime::Variant;
using namespace corvane;
namespace fs = std::filesystem;

TEST(PlayListEngineTest, ASavedListLoadsBackWithTrueLengths) {
    auto engine = std::make_shared<decoder::DynamicDecoderLibrary>(corvane::testing::EnginePath());
    const std::string scratch = corvane::testing::MakeScratchDir("playlist-engine");
    // A copy under a name that is not plain ASCII.
    const std::string copied = scratch + "/Grüße – ü.mp3";
    fs::copy_file(corvane::testing::FixturePath("l3_mpeg1_cbr192_stereo.mp3"), copied);

    std::vector<std::string> paths;
    std::vector<double> seconds;
    for (const std::string &name : {"l3_mpeg1_cbr128_joint_v1.mp3", "demo.mp3", "l2_mpeg1_192_stereo_v1.mp3",
                                    "l3_mpeg1_cbr192_stereo.mp3"}) {
        paths.push_back(corvane::testing::FixturePath(name));
        seconds.push_back(corvane::testing::AudioFixtureNamed(name).sourceSeconds);
    }
    paths.back() = copied;

    runtime::MessageLoop loop;
    runtime::RecordingControlSite site(loop);
    Variant listFile(runtime::FromSystemText(scratch + "/list.m3u"));
    {
        CVMP3PlayList list(site, engine);
        for (const std::string &path : paths) {
            Text name = runtime::FromSystemText(path);
            ASSERT_TRUE(list.AddEntry(name)) << path;
        }
        Text bad = runtime::FromSystemText(corvane::testing::FixturePath("bad_random.mp3"));
        EXPECT_THROW(list.AddEntry(bad), runtime::AutomationError);
        list.SavePlayList(listFile);
    }
    std::ifstream in(scratch + "/list.m3u", std::ios::binary);
    const std::string saved{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(saved.find("\r\n#EXTINF:3,Fixture-Artist - Fixture-Title\r\n" + paths[0] + "\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\n" + copied + "\r\n"), std::string::npos);

    // The file also names a damaged file, which the load skips.
    std::ofstream(scratch + "/list.m3u", std::ios::binary | std::ios::app)
        << corvane::testing::FixturePath("bad_random.mp3") << "\r\n";
    CVMP3PlayList reloaded(site, engine);
    reloaded.LoadPlayList(listFile);
    ASSERT_EQ(reloaded.Count(), static_cast<int32_t>(paths.size()));
    double total = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        auto entry = reloaded.PlayListEntries(static_cast<int32_t>(i + 1));
        EXPECT_EQ(entry->Filename(), runtime::FromSystemText(paths[i]));
        EXPECT_NEAR(entry->TrackLength(), std::floor(seconds[i]), 1.0) << paths[i];
        total += entry->TrackLength();
    }
    EXPECT_EQ(reloaded.TotalPlayListTime(), total);
    EXPECT_GT(total, 45);
    fs::remove_all(scratch);
}

}  // namespace

// The play-list control as its container drives it: persistence of its file
// name, painting, sizing and termination.
#include <stdexcept>

#include "runtime/BitmapResource.h"
#include "runtime/PropertyBag.h"
#include "tests/playlist/PlayListTestSupport.h"

namespace corvane::testing {
namespace {

using playlist::CVMP3PlayList;
using PlayListLifecycleTest = PlayListTest;

TEST_F(PlayListLifecycleTest, TheFileNameIsTheOnlyPersistedProperty) {
    runtime::MemoryPropertyBag fresh, saved;
    list.WriteProperties(fresh);
    EXPECT_EQ(fresh.Size(), 0u);
    Text name = u"C:\\Lists\\party.m3u";
    list.SetFilename(name);
    list.WriteProperties(saved);
    EXPECT_EQ(saved.Size(), 1u);
    CVMP3PlayList reloaded(site, library);
    reloaded.ReadProperties(saved);
    EXPECT_EQ(reloaded.Filename(), u"C:\\Lists\\party.m3u");
    EXPECT_EQ(site.changedProperties, std::vector<Text>{u"FileName"});  // the set tells, a read does not
    struct RefusingBag : runtime::PropertyBag {
        Variant ReadProperty(const Text &, const Variant &) override { throw std::runtime_error("refused"); }
        void WriteProperty(const Text &, const Variant &, const Variant &) override { throw std::runtime_error("no"); }
    } refusing;
    EXPECT_NO_THROW(reloaded.ReadProperties(refusing));
    EXPECT_NO_THROW(reloaded.WriteProperties(refusing));
}

TEST_F(PlayListLifecycleTest, PaintsItsBitmapAtTheCornerAndStaysThirtyTwoPixelsSquare) {
    struct DenseSite : runtime::RecordingControlSite {
        using RecordingControlSite::RecordingControlSite;
        int32_t TwipsPerPixelX() const override { return 12; }
        int32_t TwipsPerPixelY() const override { return 9; }
    } dense(loop);
    CVMP3PlayList control(dense, library);
    control.Resize(9000, 15);  // wider and lower than the bitmap
    EXPECT_EQ(std::pair(dense.ExtentWidth(), dense.ExtentHeight()), std::pair(32 * 12, 32 * 9));
    list.Paint();
    ASSERT_EQ(site.drawn.size(), 1u);
    EXPECT_EQ(site.drawn[0].bitmap, runtime::FindBitmapResource(u"PLAYLIST_CONTROL"));
    EXPECT_EQ(std::pair(site.drawn[0].x, site.drawn[0].y), std::pair(0, 0));
}

// Termination empties the list but leaves the total as it was; entries the
// host holds stay whole.
TEST_F(PlayListLifecycleTest, TerminationEmptiesTheListAndKeepsTheTotal) {
    AddFile("kept.mp3", 77);
    AddAll({"kept.mp3"});
    auto kept = list.PlayListEntries(int32_t{1});
    list.Terminate();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.TotalPlayListTime(), 77);
    EXPECT_EQ(kept->TrackLength(), 77);
}

}  // namespace
}  // namespace corvane::testing

// The play-list control as its container drives it: persistence of its file
// name, painting, sizing and termination.
#include <set>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "runtime/BitmapResource.h"
#include "runtime/PropertyBag.h"
#include "tests/playlist/PlayListTestSupport.h"

namespace corvane::testing {
namespace {

using playlist::CVMP3PlayList;

class RefusingBag : public runtime::PropertyBag {
public:
    Variant ReadProperty(const Text &, const Variant &) override { throw std::runtime_error("refused"); }
    void WriteProperty(const Text &, const Variant &, const Variant &) override { throw std::runtime_error("refused"); }
};

using PlayListLifecycleTest = PlayListTest;

TEST_F(PlayListLifecycleTest, TheFileNameIsTheOnlyPersistedProperty) {
    runtime::MemoryPropertyBag fresh, saved;
    list.WriteProperties(fresh);
    EXPECT_EQ(fresh.Size(), 0u);
    Text name = u"C:\\Lists\\party.m3u";
    list.SetFilename(name);
    AddFile("a.mp3", 5);
    AddAll({"a.mp3"});
    list.WriteProperties(saved);
    EXPECT_EQ(saved.Size(), 1u);
    site.changedProperties.clear();

    auto bag = runtime::MemoryPropertyBag::FromText(saved.ToText());
    CVMP3PlayList reloaded(site, library);
    reloaded.ReadProperties(bag);
    EXPECT_EQ(reloaded.Filename(), u"C:\\Lists\\party.m3u");
    EXPECT_EQ(reloaded.Count(), 0);
    EXPECT_TRUE(site.changedProperties.empty());
    RefusingBag refusing;
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
    for (auto [width, height] : {std::pair{9000, 15}, {1, 1}}) {
        control.Resize(width, height);
        EXPECT_EQ(std::pair(dense.ExtentWidth(), dense.ExtentHeight()), std::pair(32 * 12, 32 * 9));
    }

    list.Paint();
    ASSERT_EQ(site.drawn.size(), 1u);
    const runtime::Bitmap &bitmap = *site.drawn[0].bitmap;
    EXPECT_EQ(&bitmap, runtime::FindBitmapResource(u"PLAYLIST_CONTROL"));
    EXPECT_EQ(std::pair(site.drawn[0].x, site.drawn[0].y), std::pair(0, 0));
    ASSERT_EQ(std::tuple(bitmap.width, bitmap.height, bitmap.pixels.size()), std::tuple(32, 32, 32u * 32u));
    // Raised: light top-left edge, dark bottom-right edge, grey face; blue
    // letters in the upper half and a white page below them.
    EXPECT_EQ(std::tuple(bitmap.ColorAt(0, 0), bitmap.ColorAt(31, 31), bitmap.ColorAt(2, 2)),
              std::tuple(0xFFFFFFu, 0x000000u, 0xC0C0C0u));
    std::set<uint32_t> upper, lower;
    for (int y = 2; y < 29; ++y)
        for (int x = 2; x < 29; ++x) (y < 11 ? upper : lower).insert(bitmap.ColorAt(x, y));
    EXPECT_TRUE(upper.count(0x0000FF) && !upper.count(0xFFFFFF) && lower.count(0xFFFFFF));
    const runtime::Bitmap *toolbox = runtime::FindBitmapResource(u"30000");
    ASSERT_NE(toolbox, nullptr);
    EXPECT_EQ(std::tuple(toolbox->width, toolbox->height, toolbox->pixels.size()), std::tuple(16, 15, 16u * 15u));
}

TEST_F(PlayListLifecycleTest, EntriesTheHostHoldsOutliveTheControl) {
    AddFile("kept.mp3", 77);
    std::shared_ptr<playlist::PlayListEntry> kept;
    {
        CVMP3PlayList control(site, library);
        Text name = u"kept.mp3";
        ASSERT_TRUE(control.AddEntry(name));
        kept = control.PlayListEntries(int32_t{1});
        control.Terminate();
        EXPECT_EQ(control.Count(), 0);
        EXPECT_EQ(control.TotalPlayListTime(), 77);  // termination leaves the total as it was
    }
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->TrackLength(), 77);
}

}  // namespace
}  // namespace corvane::testing

// embed-player: the smallest useful host of the CorvaneMP3 controls. It puts
// the files given into a play list, shows the list's total time, then plays
// each file with the player control, starting the next one when the player
// raises FinishedPlaying, and prints the loudest VU level it saw per track.
//
//   embed-player FILE...
//
// Set CORVANEMP3_OUTPUT=null (or wav:PATH, wav-fast:PATH) on a machine
// without an audio device.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/Enumerations.h"
#include "player/CVMP3Player.h"
#include "playlist/CVMP3PlayList.h"
#include "runtime/AutomationError.h"
#include "runtime/ControlSite.h"
#include "runtime/MessageLoop.h"

using namespace corvane;

namespace {

std::string Utf8(const runtime::Text &text) { return runtime::ToUtf8(text); }

struct Host {
    runtime::MessageLoop loop;
    runtime::NativeControlSite site{loop};
    player::CVMP3Player player{site};
    playlist::CVMP3PlayList list{site};
    int32_t next = 1;
    int16_t loudest = 0;
    int updates = 0;
    int failures = 0;

    // Starts the entry at `next`, skipping files that do not start.
    void PlayNext() {
        while (next <= list.Count()) {
            auto entry = list.PlayListEntries(runtime::Variant(next++));
            player.SetFilename(entry->Filename());
            loudest = 0;
            updates = 0;
            try {
                player.PlayStart();
                std::printf("playing %s: MPEG %s layer %s, %d Hz, %s, %d s\n", Utf8(player.Filename()).c_str(),
                            Utf8(player.MPEGVersion()).c_str(), Utf8(player.Layer()).c_str(), player.SampleRate(),
                            Utf8(player.ChannelMode()).c_str(), player.TrackLength());
                return;
            } catch (const runtime::AutomationError &error) {
                std::fprintf(stderr, "cannot play %s: error %d: %s\n", Utf8(entry->Filename()).c_str(),
                             error.Number(), Utf8(error.Description()).c_str());
                ++failures;
            }
        }
        loop.Quit();
    }

    void OnEvent(int32_t id) {
        if (id == player::kVisualizationUpdateId) {
            CorvaneMP3Channels both = corMP3AllChannels;
            loudest = std::max(loudest, player.VUMeter(both));
            ++updates;
        } else if (id == player::kFinishedPlayingId) {
            std::printf("finished: %d analysis updates, loudest VU level %d\n", updates, loudest);
            PlayNext();
        }
    }
};

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: embed-player FILE...\n");
        return 2;
    }
    try {
        Host host;
        host.site.Connect([&host](int32_t id, const runtime::Text &) { host.OnEvent(id); });
        for (int i = 1; i < argc; ++i) {
            runtime::Text name = runtime::FromUtf8(argv[i]);
            try {
                host.list.AddEntry(name);
            } catch (const runtime::AutomationError &error) {
                std::fprintf(stderr, "%s: error %d: %s\n", argv[i], error.Number(), Utf8(error.Description()).c_str());
                ++host.failures;
            }
        }
        std::printf("%d file(s) in the list, %.0f s in all\n", host.list.Count(), host.list.TotalPlayListTime());
        host.PlayNext();
        if (host.list.Count() > 0) host.loop.Run();
        return host.failures == 0 && host.list.Count() > 0 ? 0 : 1;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "embed-player: %s\n", error.what());
        return 1;
    }
}

#pragma once
// Shared setup of the play-list control tests: a control over the recording
// decoder library, made-up audio files for it, and helpers that add entries
// and read the order back.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "playlist/CVMP3PlayList.h"
#include "runtime/MessageLoop.h"
#include "support/Fixtures.h"
#include "support/Raises.h"
#include "support/RecordingControlSite.h"
#include "support/RecordingDecoderLibrary.h"

namespace corvane::testing {

using runtime::Text;
using runtime::Variant;
using Names = std::vector<std::string>;

class PlayListTest : public ::testing::Test {
protected:
    // A made-up audio file of `seconds`, with an ID3v1 tag when a title or an
    // artist is given. The library sees names as the system spells them.
    void AddFile(const std::string &name, int seconds, const std::string &title = {}, const std::string &artist = {}) {
        library->AddFile(runtime::ToSystemText(runtime::FromUtf8(name)),
                         "1|3|0|128000|44100|0|2|Stereo|0|0|1|CBR|4000000|9000|" + std::to_string(seconds),
                         title.empty() && artist.empty() ? std::string() : TagBlock({title.c_str(), artist.c_str()}));
    }
    bool Add(const std::string &name, const Variant &before = Variant::Missing(),
             const Variant &after = Variant::Missing(), const Variant &key = Variant::Missing()) {
        Text filename = runtime::FromUtf8(name);
        return list.AddEntry(filename, before, after, key);
    }
    void AddAll(const Names &names) { for (const std::string &name : names) ASSERT_TRUE(Add(name)) << name; }
    // The file names of the entries, in list order, and joined: "VWX" for the entries V, W and X.
    Names Listed() const {
        Names names;
        for (const auto &entry : list.NewEnum()) names.push_back(runtime::ToUtf8(entry->Filename()));
        return names;
    }
    std::string Order() const { std::string order; for (const auto &name : Listed()) order += name; return order; }

    runtime::MessageLoop loop;
    runtime::RecordingControlSite site{loop};
    std::shared_ptr<decoder::RecordingDecoderLibrary> library = std::make_shared<decoder::RecordingDecoderLibrary>();
    playlist::CVMP3PlayList list{site, library};
};

}  // namespace corvane::testing

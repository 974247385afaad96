#pragma once
// Shared setup of the play-list control tests: a control over the recording
// decoder library, made-up audio files for it, and helpers that add entries,
// read the order back and catch the error a call raises.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/RecordingDecoderLibrary.h"
#include "playlist/CVMP3PlayList.h"
#include "runtime/AutomationError.h"
#include "support/RecordingControlSite.h"
#include "runtime/MessageLoop.h"
#include "support/Raises.h"

namespace corvane::testing {

using runtime::Text;
using runtime::Variant;

// The file names of the entries, in list order.
std::vector<std::string> NamesOf(const playlist::CVMP3PlayList &list);

class PlayListTest : public ::testing::Test {
protected:
    // A made-up audio file of `seconds`, with an ID3v1 tag when a title or an artist is given.
    void AddFile(const std::string &name, int seconds, const std::string &title = {}, const std::string &artist = {});
    bool Add(const std::string &name, const Variant &before = Variant::Missing(),
             const Variant &after = Variant::Missing(), const Variant &key = Variant::Missing());
    void AddAll(const std::vector<std::string> &names);
    std::vector<std::string> Listed() const { return NamesOf(list); }
    // The names joined without a separator: "VWX" for the entries V, W and X.
    std::string Order() const;
    double SumOfLengths() const;

    runtime::MessageLoop loop;
    runtime::RecordingControlSite site{loop};
    std::shared_ptr<decoder::RecordingDecoderLibrary> library = std::make_shared<decoder::RecordingDecoderLibrary>();
    playlist::CVMP3PlayList list{site, library};
};

}  // namespace corvane::testing

#include "tests/playlist/PlayListTestSupport.h"

#include "support/Fixtures.h"

#include <utility>

namespace corvane::testing {

namespace {

std::string FrameInfo(int seconds) {
    return "1|3|0|128000|44100|0|2|Stereo|0|0|1|CBR|4000000|9000|" + std::to_string(seconds);
}

}  // namespace

std::vector<std::string> NamesOf(const playlist::CVMP3PlayList &list) {
    std::vector<std::string> names;
    for (const auto &entry : list.NewEnum()) names.push_back(runtime::ToUtf8(entry->Filename()));
    return names;
}

void PlayListTest::AddFile(const std::string &name, int seconds, const std::string &title, const std::string &artist) {
    // The library sees names as the system spells them.
    library->AddFile(runtime::ToSystemText(runtime::FromUtf8(name)), FrameInfo(seconds),
                     title.empty() && artist.empty() ? std::string() : TagBlock({title.c_str(), artist.c_str()}));
}

bool PlayListTest::Add(const std::string &name, const Variant &before, const Variant &after, const Variant &key) {
    Text filename = runtime::FromUtf8(name);
    return list.AddEntry(filename, before, after, key);
}

void PlayListTest::AddAll(const std::vector<std::string> &names) {
    for (const std::string &name : names) ASSERT_TRUE(Add(name)) << name;
}

std::string PlayListTest::Order() const {
    std::string order;
    for (const std::string &name : Listed()) order += name;
    return order;
}

double PlayListTest::SumOfLengths() const {
    double sum = 0;
    for (const auto &entry : list.NewEnum()) sum += entry->TrackLength();
    return sum;
}

}  // namespace corvane::testing

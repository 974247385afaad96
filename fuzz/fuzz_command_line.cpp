// Arbitrary command lines (words split at NUL bytes) through the host's
// parser: each either gives a usage error or parses, and what it parsed
// holds together.
#include "cli/Arguments.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace corvane::cli;
    std::vector<std::string> words(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            words.emplace_back();
        else
            words.back().push_back(static_cast<char>(data[i]));
    }
    static const std::vector<OptionRule> known = {{"json"}, {"output", true}, {"before", true}, {"after", true},
                                                  {"fast"}, {"prune"}, {"help"}};
    try {
        const Arguments args = Arguments::Parse(words, known);
        if (args.Positional().size() > words.size()) std::abort();
        if (args.Has("output") && !args.Value("output")) std::abort();
        ParseInt(words.front());
    } catch (const UsageError &) {
    }
    return 0;
}

#include "cli/Arguments.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace corvane::cli {

namespace {

const OptionRule *FindRule(const std::vector<OptionRule> &known, const std::string &name) {
    auto found = std::find_if(known.begin(), known.end(), [&](const OptionRule &rule) { return rule.name == name; });
    return found == known.end() ? nullptr : &*found;
}

}  // namespace

std::optional<int> ParseInt(const std::string &text) {
    size_t digitsFrom = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    if (text.size() == digitsFrom) return std::nullopt;
    if (!std::all_of(text.begin() + static_cast<std::ptrdiff_t>(digitsFrom), text.end(),
                     [](unsigned char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    errno = 0;
    long value = std::strtol(text.c_str(), nullptr, 10);
    if (errno == ERANGE || value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

Arguments Arguments::Parse(const std::vector<std::string> &words, const std::vector<OptionRule> &known) {
    Arguments parsed;
    bool optionsEnded = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string &word = words[i];
        if (optionsEnded || word.size() < 2 || word[0] != '-' || ParseInt(word)) {
            parsed.positional_.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = word == "-h" ? "help" : word.substr(word.rfind("--", 0) == 0 ? 2 : 1);
        std::optional<std::string> inlineValue;
        if (auto equals = name.find('='); equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name.resize(equals);
        }
        const OptionRule *rule = FindRule(known, name);
        if (!rule) throw UsageError("unknown option '" + word + "'");
        if (!rule->takesValue) {
            if (inlineValue) throw UsageError("option --" + name + " takes no value");
            parsed.options_[name] = "";
        } else if (inlineValue) {
            parsed.options_[name] = *inlineValue;
        } else {
            if (i + 1 >= words.size()) throw UsageError("option --" + name + " needs a value");
            parsed.options_[name] = words[++i];
        }
    }
    return parsed;
}

std::optional<std::string> Arguments::Value(const std::string &option) const {
    auto found = options_.find(option);
    if (found == options_.end()) return std::nullopt;
    return found->second;
}

std::optional<int> Arguments::IntValue(const std::string &option) const {
    auto text = Value(option);
    if (!text) return std::nullopt;
    auto number = ParseInt(*text);
    if (!number) throw UsageError("option --" + option + " needs a whole number, not '" + *text + "'");
    return number;
}

}  // namespace corvane::cli

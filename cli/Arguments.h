#pragma once
// The command line of one sub-command: its options (named --x, with or without
// a value) and its positional words, parsed against a list of the options the
// sub-command knows. "--" ends the options; "-h" is a short form of "--help".
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvane::cli {

// A command line the program cannot act on; the message says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct OptionRule {
    std::string name;  // without the leading "--"
    bool takesValue = false;
};

class Arguments {
public:
    // Throws UsageError for an unknown option or a value that is missing.
    static Arguments Parse(const std::vector<std::string> &words, const std::vector<OptionRule> &known);

    bool Has(const std::string &option) const { return options_.count(option) != 0; }
    std::optional<std::string> Value(const std::string &option) const;
    const std::vector<std::string> &Positional() const { return positional_; }

    // The option's value as a whole number; UsageError when it is not one.
    std::optional<int> IntValue(const std::string &option) const;

private:
    std::map<std::string, std::string> options_;
    std::vector<std::string> positional_;
};

// A whole decimal number (an optional sign, digits only); nullopt otherwise.
std::optional<int> ParseInt(const std::string &text);

}  // namespace corvane::cli

#pragma once
// A small JSON writer for the program's machine-readable output: objects keep
// the order in which their members were added.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace corvane::cli {

// Text as a JSON string literal, quotes included. Control characters are
// escaped; bytes of UTF-8 text pass through unchanged.
std::string JsonQuote(const std::string &text);

// A number in JSON form: the shortest text that reads back as the value;
// NaN and infinities (which JSON cannot hold) become null.
std::string JsonNumber(double value);

class JsonObject {
public:
    JsonObject &Add(const std::string &key, const std::string &text);
    JsonObject &Add(const std::string &key, const char *text) { return Add(key, std::string(text)); }
    JsonObject &Add(const std::string &key, int64_t number);
    JsonObject &Add(const std::string &key, int number) { return Add(key, static_cast<int64_t>(number)); }
    JsonObject &Add(const std::string &key, double number);
    JsonObject &Add(const std::string &key, bool flag);

    // Written over several lines, members indented by `indent` + 2 spaces.
    std::string ToString(int indent = 0) const;

private:
    std::vector<std::pair<std::string, std::string>> members_;  // key, JSON value
};

// Several objects as a JSON array, one member per line.
std::string JsonArray(const std::vector<JsonObject> &objects);

}  // namespace corvane::cli

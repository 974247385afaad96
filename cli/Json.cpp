#include "cli/Json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace corvane::cli {

std::string JsonQuote(const std::string &text) {
    std::string quoted = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"': quoted += "\\\""; break;
            case '\\': quoted += "\\\\"; break;
            case '\n': quoted += "\\n"; break;
            case '\r': quoted += "\\r"; break;
            case '\t': quoted += "\\t"; break;
            case '\b': quoted += "\\b"; break;
            case '\f': quoted += "\\f"; break;
            default:
                if (c < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", c);
                    quoted += escape;
                } else {
                    quoted += static_cast<char>(c);
                }
        }
    }
    return quoted + "\"";
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

JsonObject &JsonObject::Add(const std::string &key, const std::string &text) {
    members_.emplace_back(key, JsonQuote(text));
    return *this;
}

JsonObject &JsonObject::Add(const std::string &key, int64_t number) {
    members_.emplace_back(key, std::to_string(number));
    return *this;
}

JsonObject &JsonObject::Add(const std::string &key, double number) {
    members_.emplace_back(key, JsonNumber(number));
    return *this;
}

JsonObject &JsonObject::Add(const std::string &key, bool flag) {
    members_.emplace_back(key, flag ? "true" : "false");
    return *this;
}

std::string JsonObject::ToString(int indent) const {
    if (members_.empty()) return "{}";
    std::string outer(static_cast<size_t>(indent), ' ');
    std::string inner = outer + "  ";
    std::string json = "{\n";
    for (size_t i = 0; i < members_.size(); ++i) {
        json += inner + JsonQuote(members_[i].first) + ": " + members_[i].second;
        json += i + 1 < members_.size() ? ",\n" : "\n";
    }
    return json + outer + "}";
}

std::string JsonArray(const std::vector<JsonObject> &objects) {
    if (objects.empty()) return "[]";
    std::string json = "[\n";
    for (size_t i = 0; i < objects.size(); ++i) {
        json += "  " + objects[i].ToString(2);
        json += i + 1 < objects.size() ? ",\n" : "\n";
    }
    return json + "]";
}

}  // namespace corvane::cli

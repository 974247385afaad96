#include "runtime/PropertyBag.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

#include "runtime/AutomationError.h"

namespace corvane::runtime {

namespace {

[[noreturn]] void RaiseMalformed() { Raise(13, u"Type mismatch."); }

// Backslash, tab, line feed and carriage return are written as \\ \t \n \r
// so that every value stays on its line.
std::string Escape(const Text &text) {
    std::string out;
    for (char c : ToUtf8(text)) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out.push_back(c);
        }
    }
    return out;
}

Text Unescape(std::string_view escaped) {
    std::string out;
    for (size_t i = 0; i < escaped.size(); ++i) {
        char c = escaped[i];
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (++i == escaped.size()) RaiseMalformed();
        switch (escaped[i]) {
            case '\\': out.push_back('\\'); break;
            case 't': out.push_back('\t'); break;
            case 'n': out.push_back('\n'); break;
            case 'r': out.push_back('\r'); break;
            default: RaiseMalformed();
        }
    }
    return FromUtf8(out);
}

template <class Number>
std::string NumberText(Number number) {
    char buffer[40];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, static_cast<size_t>(result.ptr - buffer));
}

template <class Number>
Number ParseExactly(std::string_view text) {
    Number number{};
    auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) RaiseMalformed();
    return number;
}

// The type letter and value text of a storable value; false for values
// that have no text form (object references, missing arguments).
bool Encode(const Variant &value, char &letter, std::string &text) {
    switch (value.Type()) {
        case VariantType::Empty: letter = 'E'; text.clear(); return true;
        case VariantType::Boolean: letter = 'B'; text.assign(1, value.ToBoolean() ? '1' : '0'); return true;
        case VariantType::Integer: letter = 'I'; text = NumberText(value.ToInteger()); return true;
        case VariantType::Long: letter = 'L'; text = NumberText(value.ToLong()); return true;
        case VariantType::Single: letter = 'S'; text = NumberText(value.ToSingle()); return true;
        case VariantType::Double: letter = 'D'; text = NumberText(value.ToDouble()); return true;
        case VariantType::String: letter = 'T'; text = Escape(value.ToText()); return true;
        default: return false;
    }
}

Variant Decode(char letter, std::string_view text) {
    switch (letter) {
        case 'E':
            if (!text.empty()) RaiseMalformed();
            return Variant();
        case 'B':
            if (text != "0" && text != "1") RaiseMalformed();
            return Variant(text == "1");
        case 'I': return Variant(ParseExactly<int16_t>(text));
        case 'L': return Variant(ParseExactly<int32_t>(text));
        case 'S': return Variant(ParseExactly<float>(text));
        case 'D': return Variant(ParseExactly<double>(text));
        case 'T': return Variant(Unescape(text));
        default: RaiseMalformed();
    }
}

}  // namespace

Variant MemoryPropertyBag::ReadProperty(const Text &name, const Variant &defaultValue) {
    Text folded = FoldCase(name);
    for (const auto &[stored, value] : values_)
        if (FoldCase(stored) == folded) return value;
    return defaultValue;
}

void MemoryPropertyBag::WriteProperty(const Text &name, const Variant &value, const Variant &defaultValue) {
    Text folded = FoldCase(name);
    auto found = std::find_if(values_.begin(), values_.end(),
                              [&](const auto &entry) { return FoldCase(entry.first) == folded; });
    if (value == defaultValue) {
        if (found != values_.end()) values_.erase(found);
        return;
    }
    if (found != values_.end())
        found->second = value;
    else
        values_.emplace_back(name, value);
}

bool MemoryPropertyBag::Contains(const Text &name) const {
    Text folded = FoldCase(name);
    return std::any_of(values_.begin(), values_.end(),
                       [&](const auto &entry) { return FoldCase(entry.first) == folded; });
}

std::string MemoryPropertyBag::ToText() const {
    std::string out;
    for (const auto &[name, value] : values_) {
        char letter = 0;
        std::string text;
        if (!Encode(value, letter, text)) continue;
        out += Escape(name);
        out += '\t';
        out += letter;
        out += ':';
        out += text;
        out += '\n';
    }
    return out;
}

MemoryPropertyBag MemoryPropertyBag::FromText(const std::string &text) {
    MemoryPropertyBag bag;
    std::string_view rest(text);
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        size_t tab = line.find('\t');
        if (tab == std::string_view::npos || tab == 0 || line.size() < tab + 3 || line[tab + 2] != ':')
            RaiseMalformed();
        Text name = Unescape(line.substr(0, tab));
        Variant value = Decode(line[tab + 1], line.substr(tab + 3));
        if (bag.Contains(name)) RaiseMalformed();
        bag.values_.emplace_back(std::move(name), std::move(value));
    }
    return bag;
}

}  // namespace corvane::runtime

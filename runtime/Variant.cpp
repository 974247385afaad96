#include "runtime/Variant.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>

#include "runtime/AutomationError.h"

namespace corvane::runtime {

namespace {

constexpr int32_t kOverflow = 6;
constexpr int32_t kTypeMismatch = 13;

[[noreturn]] void RaiseTypeMismatch() { Raise(kTypeMismatch, u"Type mismatch."); }
[[noreturn]] void RaiseOverflow() { Raise(kOverflow, u"Overflow."); }

// Rounds to the nearest whole number, halves to the even neighbour.
double RoundHalfEven(double value) {
    double floor = std::floor(value);
    double fraction = value - floor;
    if (fraction < 0.5) return floor;
    if (fraction > 0.5) return floor + 1;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

template <class Integer>
Integer ToWhole(double value) {
    if (std::isnan(value)) RaiseOverflow();
    double rounded = RoundHalfEven(value);
    if (rounded < static_cast<double>(std::numeric_limits<Integer>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Integer>::max()))
        RaiseOverflow();
    return static_cast<Integer>(rounded);
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

bool EqualsNoCase(TextView text, std::u16string_view word) { return FoldCase(text) == FoldCase(word); }

// "&H1F" and "&O17" as the runtime reads them.
bool ParseRadix(std::string_view digits, double &out) {
    if (digits.size() < 3 || digits[0] != '&') return false;
    int base = (digits[1] == 'H' || digits[1] == 'h') ? 16 : (digits[1] == 'O' || digits[1] == 'o') ? 8 : 0;
    if (base == 0) return false;
    uint64_t value = 0;
    auto result = std::from_chars(digits.data() + 2, digits.data() + digits.size(), value, base);
    if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) return false;
    out = static_cast<double>(value);
    return true;
}

// A number written in text: blanks around it allowed, an optional sign,
// digits with an optional decimal point and exponent.
bool ParseNumber(TextView text, double &out) {
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    std::string ascii;
    for (size_t i = first; i < last; ++i) {
        if (text[i] > 0x7F) return false;
        ascii.push_back(static_cast<char>(text[i]));
    }
    if (ParseRadix(ascii, out)) return true;
    std::string_view body(ascii);
    bool negative = false;
    if (!body.empty() && (body[0] == '+' || body[0] == '-')) {
        negative = body[0] == '-';
        body.remove_prefix(1);
    }
    if (body.empty() || !(std::isdigit(static_cast<unsigned char>(body[0])) || body[0] == '.')) return false;
    double value = 0;
    auto result = std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) RaiseOverflow();
    if (result.ec != std::errc() || result.ptr != body.data() + body.size()) return false;
    out = negative ? -value : value;
    return true;
}

double TextToNumber(const Text &text) {
    double value = 0;
    if (!ParseNumber(text, value)) RaiseTypeMismatch();
    return value;
}

Text FloatToText(float number) {
    if (number == 0) return u"0";
    if (!std::isfinite(number)) return runtime::ToText(static_cast<double>(number));
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    std::string text(buffer, static_cast<size_t>(result.ptr - buffer));
    for (char &c : text)
        if (c == 'e') c = 'E';
    return FromAscii(text);
}

}  // namespace

Variant Variant::Missing() { return Variant(Value(MissingTag{})); }

Variant::Variant(bool value) : value_(value) {}
Variant::Variant(int16_t value) : value_(value) {}
Variant::Variant(int32_t value) : value_(value) {}
Variant::Variant(float value) : value_(value) {}
Variant::Variant(double value) : value_(value) {}
Variant::Variant(Text value) : value_(std::move(value)) {}
Variant::Variant(const char16_t *value) : value_(Text(value ? value : u"")) {}
Variant::Variant(ObjectRef value) : value_(std::move(value)) {}

VariantType Variant::Type() const { return static_cast<VariantType>(value_.index()); }

bool Variant::IsNumeric() const {
    switch (Type()) {
        case VariantType::Boolean:
        case VariantType::Integer:
        case VariantType::Long:
        case VariantType::Single:
        case VariantType::Double:
            return true;
        default:
            return false;
    }
}

double Variant::ToDouble() const {
    switch (Type()) {
        case VariantType::Empty:
            return 0;
        case VariantType::Boolean:
            return std::get<bool>(value_) ? -1 : 0;
        case VariantType::Integer:
            return std::get<int16_t>(value_);
        case VariantType::Long:
            return std::get<int32_t>(value_);
        case VariantType::Single:
            return std::get<float>(value_);
        case VariantType::Double:
            return std::get<double>(value_);
        case VariantType::String:
            return TextToNumber(std::get<Text>(value_));
        default:
            RaiseTypeMismatch();
    }
}

bool Variant::ToBoolean() const {
    if (Type() == VariantType::Boolean) return std::get<bool>(value_);
    if (IsText()) {
        const Text &text = std::get<Text>(value_);
        Text trimmed = TrimSpaces(text);
        if (EqualsNoCase(trimmed, u"True")) return true;
        if (EqualsNoCase(trimmed, u"False")) return false;
    }
    return ToDouble() != 0;
}

int16_t Variant::ToInteger() const {
    if (Type() == VariantType::Integer) return std::get<int16_t>(value_);
    return ToWhole<int16_t>(ToDouble());
}

int32_t Variant::ToLong() const {
    if (Type() == VariantType::Long) return std::get<int32_t>(value_);
    return ToWhole<int32_t>(ToDouble());
}

float Variant::ToSingle() const {
    if (Type() == VariantType::Single) return std::get<float>(value_);
    double value = ToDouble();
    if (std::isfinite(value) && std::fabs(value) > FLT_MAX) RaiseOverflow();
    return static_cast<float>(value);
}

Text Variant::ToText() const {
    switch (Type()) {
        case VariantType::Empty:
            return {};
        case VariantType::Boolean:
            return std::get<bool>(value_) ? u"True" : u"False";
        case VariantType::Integer:
            return runtime::ToText(static_cast<int64_t>(std::get<int16_t>(value_)));
        case VariantType::Long:
            return runtime::ToText(static_cast<int64_t>(std::get<int32_t>(value_)));
        case VariantType::Single:
            return FloatToText(std::get<float>(value_));
        case VariantType::Double:
            return runtime::ToText(std::get<double>(value_));
        case VariantType::String:
            return std::get<Text>(value_);
        default:
            RaiseTypeMismatch();
    }
}

ObjectRef Variant::ToObject() const {
    if (IsObject()) return std::get<ObjectRef>(value_);
    if (IsEmpty()) return nullptr;
    RaiseTypeMismatch();
}

bool Variant::operator==(const Variant &other) const {
    if (IsNumeric() && other.IsNumeric()) return ToDouble() == other.ToDouble();
    return value_ == other.value_;
}

}  // namespace corvane::runtime

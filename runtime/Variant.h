#pragma once
// The automation variant: empty, "missing" (an omitted optional argument),
// Boolean, 16/32-bit integers, Single, Double, String or an object reference.
#include <cstdint>
#include <variant>

#include "runtime/Object.h"
#include "runtime/Text.h"

namespace corvane::runtime {

enum class VariantType { Empty, Missing, Boolean, Integer, Long, Single, Double, String, Object };

class Variant {
public:
    Variant() = default;
    static Variant Missing();

    Variant(bool value);
    Variant(int16_t value);
    Variant(int32_t value);
    Variant(float value);
    Variant(double value);
    Variant(Text value);
    Variant(const char16_t *value);
    Variant(ObjectRef value);

    VariantType Type() const;
    bool IsEmpty() const { return Type() == VariantType::Empty; }
    bool IsMissing() const { return Type() == VariantType::Missing; }
    bool IsNumeric() const;  // Boolean, Integer, Long, Single or Double
    bool IsText() const { return Type() == VariantType::String; }
    bool IsObject() const { return Type() == VariantType::Object; }

    // Conversions as the automation runtime makes them. An impossible one
    // raises 13 "Type mismatch."; a value out of range raises 6 "Overflow.".
    // Empty converts to 0, false or empty text; numbers round half to even.
    bool ToBoolean() const;
    int16_t ToInteger() const;
    int32_t ToLong() const;
    float ToSingle() const;
    double ToDouble() const;
    Text ToText() const;  // Booleans give "True"/"False"
    ObjectRef ToObject() const;

    // Same type and value, or two numbers of equal value.
    bool operator==(const Variant &other) const;

private:
    struct MissingTag {
        bool operator==(const MissingTag &) const { return true; }
    };
    using Value = std::variant<std::monostate, MissingTag, bool, int16_t, int32_t, float, double, Text, ObjectRef>;
    explicit Variant(Value value) : value_(std::move(value)) {}
    Value value_;
};

}  // namespace corvane::runtime

#pragma once
// The container's property bag, where a control keeps its design-time state.
// Each value is read and written together with its default: reading a name the
// bag does not hold yields the default, and writing a value equal to its
// default stores nothing (and drops what was stored under that name).
#include <string>
#include <utility>
#include <vector>

#include "runtime/Text.h"
#include "runtime/Variant.h"

namespace corvane::runtime {

class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    virtual Variant ReadProperty(const Text &name, const Variant &defaultValue) = 0;
    virtual void WriteProperty(const Text &name, const Variant &value, const Variant &defaultValue) = 0;
};

// A property bag in memory, with a text form so that a native host can save a
// control's state to a file and load it again. Names keep the order of their
// first write; names compare without regard to letter case.
class MemoryPropertyBag : public PropertyBag {
public:
    Variant ReadProperty(const Text &name, const Variant &defaultValue) override;
    void WriteProperty(const Text &name, const Variant &value, const Variant &defaultValue) override;

    bool Contains(const Text &name) const;
    size_t Size() const { return values_.size(); }
    const std::vector<std::pair<Text, Variant>> &Values() const { return values_; }

    // One line per value: name, a tab, a type letter, a colon and the value
    // (B Boolean, I Integer, L Long, S Single, D Double, T text; text escaped).
    std::string ToText() const;
    // Raises 13 "Type mismatch." on a malformed line.
    static MemoryPropertyBag FromText(const std::string &text);

private:
    std::vector<std::pair<Text, Variant>> values_;
};

}  // namespace corvane::runtime

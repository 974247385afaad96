#pragma once
// A keyed ordered collection of object references, as the automation runtime
// offers it: 1-based positions; optional keys, unique, stored as given and
// compared without regard to letter case; a numeric index is a position and a
// text index a key (the text "3" is a key). Every failing change leaves the
// collection as it was.
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "runtime/Text.h"
#include "runtime/Variant.h"

namespace corvane::runtime {

template <class T>
class KeyedCollection {
public:
    using Item = std::shared_ptr<T>;

    int32_t Count() const { return static_cast<int32_t>(elements_.size()); }

    // Inserts before position `before`, else after position `after`, else at
    // the end (a value below 1 counts as not given). An empty key means none.
    // Fails when the key is in use or the position names no element.
    bool Add(Item item, const Text &key = {}, int32_t before = 0, int32_t after = 0) {
        size_t place = elements_.size();
        if (before >= 1) {
            if (before > Count()) return false;
            place = static_cast<size_t>(before - 1);
        } else if (after >= 1) {
            if (after > Count()) return false;
            place = static_cast<size_t>(after);
        }
        Text folded = FoldCase(key);
        if (!key.empty() && keys_.count(folded)) return false;
        elements_.insert(elements_.begin() + static_cast<std::ptrdiff_t>(place), Element{std::move(item), key});
        if (!key.empty()) keys_.emplace(std::move(folded), elements_[place].item.get());
        return true;
    }

    Item ItemAt(int32_t position) const {
        if (position < 1 || position > Count()) return nullptr;
        return elements_[static_cast<size_t>(position - 1)].item;
    }

    Item ItemByKey(const Text &key) const {
        int32_t position = PositionOfKey(key);
        return position ? ItemAt(position) : nullptr;
    }

    // Position for a numeric index, key for a text index; null otherwise.
    Item Find(const Variant &index) const {
        int32_t position = PositionOf(index);
        return position ? ItemAt(position) : nullptr;
    }

    // The position that an index names, or 0 when it names none.
    int32_t PositionOf(const Variant &index) const {
        if (index.IsText()) return PositionOfKey(index.ToText());
        if (!index.IsNumeric()) return 0;
        double value = index.ToDouble();
        if (!(value >= 1 && value < static_cast<double>(Count()) + 1)) return 0;
        int32_t position = index.ToLong();
        return position >= 1 && position <= Count() ? position : 0;
    }

    int32_t PositionOfKey(const Text &key) const {
        if (key.empty()) return 0;
        auto found = keys_.find(FoldCase(key));
        if (found == keys_.end()) return 0;
        for (size_t i = 0; i < elements_.size(); ++i)
            if (elements_[i].item.get() == found->second && FoldCase(elements_[i].key) == found->first)
                return static_cast<int32_t>(i + 1);
        return 0;
    }

    const Text &KeyAt(int32_t position) const { return elements_.at(static_cast<size_t>(position - 1)).key; }

    bool RemoveAt(int32_t position) {
        if (position < 1 || position > Count()) return false;
        auto element = elements_.begin() + (position - 1);
        if (!element->key.empty()) keys_.erase(FoldCase(element->key));
        elements_.erase(element);
        return true;
    }

    bool Remove(const Variant &index) {
        int32_t position = PositionOf(index);
        return position && RemoveAt(position);
    }

    void Clear() {
        elements_.clear();
        keys_.clear();
    }

    // The items in order, for enumeration (a snapshot: changing the collection
    // while enumerating is safe).
    std::vector<Item> Items() const {
        std::vector<Item> items;
        items.reserve(elements_.size());
        for (const auto &element : elements_) items.push_back(element.item);
        return items;
    }

private:
    struct Element {
        Item item;
        Text key;
    };
    std::vector<Element> elements_;
    std::unordered_map<Text, const T *> keys_;  // folded key -> item
};

}  // namespace corvane::runtime

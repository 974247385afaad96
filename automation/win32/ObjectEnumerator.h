#pragma once
// Enumerators over a snapshot: the items are copied (with their references)
// when the enumerator is made, so a for-each that removes entries from the
// collection it walks stays safe and visits what was there when it began.
#include <windows.h>
#include <ocidl.h>

#include <memory>
#include <new>
#include <vector>

namespace corvane::automation {

// Each item is a variant holding an object (or any value); null when out of
// memory.
IEnumVARIANT *NewVariantEnumerator(const std::vector<VARIANT> &items);
IEnumConnectionPoints *NewConnectionPointEnumerator(const std::vector<IUnknown *> &points);

// An enumerator over core objects, each handed out as its automation object
// (`wrap` gives a new reference); raises out-of-memory when it cannot be made.
template <class Core, class Wrap>
IUnknown *ObjectEnumerator(const std::vector<std::shared_ptr<Core>> &objects, Wrap wrap) {
    std::vector<VARIANT> items;
    for (const auto &object : objects) {
        VARIANT item;
        V_VT(&item) = VT_DISPATCH;
        V_DISPATCH(&item) = wrap(object);
        items.push_back(item);
    }
    IEnumVARIANT *enumerator = NewVariantEnumerator(items);
    for (VARIANT &item : items) VariantClear(&item);
    if (enumerator == nullptr) throw std::bad_alloc();
    return enumerator;
}

}  // namespace corvane::automation

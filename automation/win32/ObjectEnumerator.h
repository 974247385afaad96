#pragma once
// Enumerators over a snapshot: the items are copied (with their references)
// when the enumerator is made, so a for-each that removes entries from the
// collection it walks stays safe and visits what was there when it began.
#include <windows.h>
#include <ocidl.h>

#include <vector>

namespace corvane::automation {

// Each item is a variant holding an object (or any value); null when out of
// memory.
IEnumVARIANT *NewVariantEnumerator(const std::vector<VARIANT> &items);
IEnumConnectionPoints *NewConnectionPointEnumerator(const std::vector<IUnknown *> &points);

}  // namespace corvane::automation

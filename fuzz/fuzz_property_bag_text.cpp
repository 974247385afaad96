// Arbitrary text as a saved property bag: it either raises the automation
// error of malformed text or reads, and what it reads writes back to text
// that reads the same again.
#include "runtime/AutomationError.h"
#include "runtime/PropertyBag.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace corvane::runtime;
    const std::string text(reinterpret_cast<const char *>(data), size);
    try {
        const MemoryPropertyBag bag = MemoryPropertyBag::FromText(text);
        const std::string again = bag.ToText();
        if (MemoryPropertyBag::FromText(again).ToText() != again) std::abort();
    } catch (const AutomationError &) {
    }
    return 0;
}

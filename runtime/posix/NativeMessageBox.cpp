#include "runtime/ControlSite.h"

namespace corvane::runtime {

// A host without a desktop shows no boxes; the answer is OK.
int32_t NativeControlSite::MessageBox(const Text &, const Text &, int32_t) { return 1; }

}  // namespace corvane::runtime

#include "engine/output/QuietAudioBackends.h"

namespace corvane::engine {

// The Windows host APIs print nothing.
void QuietAudioBackends() {}

}  // namespace corvane::engine

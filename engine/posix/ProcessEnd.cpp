#include "engine/ProcessEnd.h"

namespace corvane::engine {

// Static destructors run before the threads go: stopping playback is safe.
bool ProcessIsEnding() { return false; }

}  // namespace corvane::engine

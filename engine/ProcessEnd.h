#pragma once
// Whether the process is ending. On Windows the library's detach at process
// end runs after every other thread was killed: there is no playback left to
// stop, and waiting for a worker to acknowledge would wait forever.
namespace corvane::engine {

bool ProcessIsEnding();

}  // namespace corvane::engine

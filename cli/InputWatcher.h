#pragma once
// Sleeps until a key is waiting on the terminal or a stop signal arrives,
// then runs `onReady` on the message loop, so that a host waiting for keys
// wakes only when something happened instead of asking every few
// milliseconds. After `onReady` has read what was waiting, the host calls
// Resume to watch again.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "runtime/MessageLoop.h"

namespace corvane::cli {

class Terminal;

class InputWatcher {
public:
    InputWatcher(runtime::MessageLoop &loop, const Terminal &terminal, std::function<void()> onReady);
    ~InputWatcher();
    InputWatcher(const InputWatcher &) = delete;
    InputWatcher &operator=(const InputWatcher &) = delete;

    void Resume();

private:
    void Watch();
    bool WaitForResume();

    runtime::MessageLoop &loop_;
    const Terminal &terminal_;
    std::function<void()> onReady_;
    int quitPipe_[2] = {-1, -1};
    std::mutex mutex_;
    std::condition_variable resumed_;
    bool waiting_ = false;  // onReady_ posted and not yet resumed
    bool quitting_ = false;
    std::thread thread_;
};

}  // namespace corvane::cli

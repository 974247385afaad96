#include "cli/InputWatcher.h"

#include <poll.h>
#include <unistd.h>

#include "cli/Terminal.h"

namespace corvane::cli {

InputWatcher::InputWatcher(runtime::MessageLoop &loop, const Terminal &terminal, std::function<void()> onReady)
    : loop_(loop), terminal_(terminal), onReady_(std::move(onReady)) {
    if (pipe(quitPipe_) != 0) quitPipe_[0] = quitPipe_[1] = -1;
    thread_ = std::thread([this] { Watch(); });
}

InputWatcher::~InputWatcher() {
    {
        std::lock_guard lock(mutex_);
        quitting_ = true;
    }
    resumed_.notify_all();
    if (quitPipe_[1] >= 0) {
        ssize_t ignored = write(quitPipe_[1], "q", 1);
        (void)ignored;
    }
    thread_.join();
    for (int end : quitPipe_)
        if (end >= 0) close(end);
}

void InputWatcher::Resume() {
    {
        std::lock_guard lock(mutex_);
        waiting_ = false;
    }
    resumed_.notify_all();
}

bool InputWatcher::WaitForResume() {
    std::unique_lock lock(mutex_);
    resumed_.wait(lock, [this] { return !waiting_ || quitting_; });
    return !quitting_;
}

void InputWatcher::Watch() {
    while (WaitForResume()) {
        struct pollfd watched[3] = {{quitPipe_[0], POLLIN, 0}, {Terminal::StopDescriptor(), POLLIN, 0},
                                    {terminal_.KeysMayCome() ? STDIN_FILENO : -1, POLLIN, 0}};
        if (poll(watched, 3, -1) <= 0) continue;
        if (watched[0].revents) return;
        if (watched[1].revents & POLLIN) {
            char drained[16];
            ssize_t ignored = read(watched[1].fd, drained, sizeof drained);
            (void)ignored;
        }
        {
            std::lock_guard lock(mutex_);
            waiting_ = true;
        }
        loop_.Post([this] { onReady_(); });
    }
}

}  // namespace corvane::cli

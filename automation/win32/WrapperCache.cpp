#include "automation/win32/WrapperCache.h"

#include <map>
#include <mutex>

namespace corvane::automation {

namespace {

std::mutex mutex;
std::map<const void *, IUnknown *> &Wrappers() {
    static std::map<const void *, IUnknown *> wrappers;
    return wrappers;
}

}  // namespace

IUnknown *FindWrapper(const void *core) {
    std::lock_guard lock(mutex);
    auto found = Wrappers().find(core);
    if (found == Wrappers().end()) return nullptr;
    found->second->AddRef();
    return found->second;
}

void RememberWrapper(const void *core, IUnknown *wrapper) {
    std::lock_guard lock(mutex);
    Wrappers()[core] = wrapper;
}

void ForgetWrapper(const void *core) {
    std::lock_guard lock(mutex);
    Wrappers().erase(core);
}

}  // namespace corvane::automation

#pragma once
// One automation object per core object: a client that asks twice for the
// same entry, band or equalizer gets the same object back, so `Is` compares
// as it should. The wrapper registers itself when made and leaves when it
// goes; it holds the core object, so the address stays valid meanwhile.
#include <windows.h>

#include <memory>
#include <new>

namespace corvane::automation {

IUnknown *FindWrapper(const void *core);  // with a reference added, or null
void RememberWrapper(const void *core, IUnknown *wrapper);
void ForgetWrapper(const void *core);

// The wrapper of `core` as the interface `Interface` (a new reference), made
// when there is none yet; null for a null core.
template <class Wrapper, class Interface, class Core>
Interface *WrapperOf(const std::shared_ptr<Core> &core) {
    if (!core) return nullptr;
    if (IUnknown *known = FindWrapper(core.get())) return static_cast<Interface *>(known);
    auto *made = new Wrapper(core);  // starts with the one reference handed out
    RememberWrapper(core.get(), static_cast<Interface *>(made));
    return made;
}

}  // namespace corvane::automation

// The in-process server's entry points. The loader's entry routine only
// notes the module; everything else is made on first use.
#include <windows.h>
#include <unknwn.h>

#include "automation/win32/ClassFactory.h"
#include "automation/win32/ComSupport.h"
#include "automation/win32/Registration.h"

using namespace corvane::automation;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        SetServerModule(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

HRESULT WINAPI DllCanUnloadNow() { return ServerInUse() ? S_FALSE : S_OK; }

HRESULT WINAPI DllGetClassObject(REFCLSID classId, REFIID iid, void **out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    IClassFactory *factory = ClassFactoryFor(classId);
    if (factory == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
    return factory->QueryInterface(iid, out);
}

HRESULT WINAPI DllRegisterServer() { return RegisterServer(); }

HRESULT WINAPI DllUnregisterServer() { return UnregisterServer(); }

}  // extern "C"

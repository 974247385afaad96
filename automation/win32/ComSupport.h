#pragma once
// What every automation object of the server shares: the count of live
// objects and locks that decides whether the server may unload, the type
// library carried as resource 1, text and variant conversion between the
// core's types and the automation types, and the guard that turns the core's
// raised errors into error objects.
#include <windows.h>
#include <oaidl.h>

#include <exception>
#include <new>
#include <thread>

#include "runtime/AutomationError.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"

namespace corvane::automation {

using runtime::Text;

// --- the server module ------------------------------------------------------
void SetServerModule(HMODULE module);
HMODULE ServerModule();
std::wstring ServerPath();
void AddServerReference();
void ReleaseServerReference();
bool ServerInUse();

// The library of the server's own resource, loaded once; the type information
// of one of its types by GUID (null when missing). Neither adds a reference
// for the caller.
ITypeLib *ServerTypeLibrary();
ITypeInfo *ServerTypeInfo(REFGUID guid);
// Of a dual interface, the type information of its vtable side, which
// ITypeInfo::Invoke needs to call members directly.
ITypeInfo *ServerVtableTypeInfo(REFIID iid);
// The identifier a type of the library carries, found by name (the earlier
// interface identifiers live only there); GUID_NULL when missing.
GUID LibraryTypeId(const wchar_t *name);

// --- conversions ------------------------------------------------------------
Text FromBstr(BSTR text);
BSTR ToBstr(const Text &text);  // raises "Out of memory" (7) when it cannot
VARIANT_BOOL ToVariantBool(bool value);
// An omitted optional argument (or an error value) reads as Missing; numbers
// and texts as themselves; anything else through the automation runtime's
// conversion to text, or a type mismatch (13).
runtime::Variant FromVariant(const VARIANT &value);
void ToVariant(const runtime::Variant &value, VARIANT *out);
void ReplaceVariant(VARIANT *target, const runtime::Variant &value);

// --- errors -----------------------------------------------------------------
// The status a member returns for a raised error: an error object with the
// number, the source (the fallback when the error names none) and the
// description, and MAKE_HRESULT(1, FACILITY_CONTROL, number).
HRESULT ReportError(const runtime::AutomationError &error, const wchar_t *fallbackSource, REFIID iid);

// Runs a member's body on the thread that created the object: raised errors
// become error objects, other failures their standard status codes.
template <class Body>
HRESULT Guarded(std::thread::id owner, const wchar_t *source, REFIID iid, Body &&body) noexcept {
    if (std::this_thread::get_id() != owner) return RPC_E_WRONG_THREAD;
    try {
        body();
        return S_OK;
    } catch (const runtime::AutomationError &error) {
        return ReportError(error, source, iid);
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    } catch (const std::exception &error) {
        return ReportError(runtime::AutomationError(51, runtime::FromUtf8(error.what())), source, iid);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace corvane::automation

namespace corvane::automation {

// A core member that takes text by reference, run on the caller's string;
// what the member made of it goes back to the caller.
template <class Member>
void WithText(BSTR *text, Member &&member) {
    Text value = FromBstr(*text);
    member(value);
    if (value == FromBstr(*text)) return;
    BSTR changed = ToBstr(value);
    SysFreeString(*text);
    *text = changed;
}

// The same for a 32-bit enumeration of the surface and the core's own type.
template <class Core, class Surface, class Member>
void WithEnum(Surface *value, Member &&member) {
    Core converted = static_cast<Core>(*value);
    member(converted);
    *value = static_cast<Surface>(converted);
}

}  // namespace corvane::automation

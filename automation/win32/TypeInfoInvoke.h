#pragma once
// IDispatch::Invoke through a dual interface's type information, with the
// argument handling script hosts need and Wine's ITypeInfo::Invoke lacks:
// every argument is coerced here to the parameter's type (also arguments that
// a script passes by reference as variants), omitted optional arguments are
// filled in (an omitted Variant stays "missing", anything else starts at
// zero or empty), and after the call the values a member wrote through its
// by-reference parameters go back to the caller's variables. A property get
// called as a method (a for-each asking for the enumerator, a default member
// called with an argument list) is served as the get.
#include <windows.h>
#include <oaidl.h>

namespace corvane::automation {

HRESULT InvokeThroughTypeInfo(ITypeInfo *info, IUnknown *instance, DISPID member, WORD flags, DISPPARAMS *params,
                              VARIANT *result, EXCEPINFO *exception, UINT *argumentError);

}  // namespace corvane::automation

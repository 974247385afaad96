#pragma once
// The class factories of the two controls. Locks count towards the server's
// live objects, so that the server stays loaded while a client holds one.
#include <windows.h>
#include <unknwn.h>

namespace corvane::automation {

// The factory for a class identifier (a new reference), or null for a class
// the server does not make.
IClassFactory *ClassFactoryFor(REFCLSID classId);

}  // namespace corvane::automation

// The identifiers of the type library, defined once for the whole server.
#include <initguid.h>

#include "CorvaneMP3TypeLibrary.h"

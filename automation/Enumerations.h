#pragma once
// The enumerations of the object model live in common/, where the components
// include them; this name stays for host programs written against it.
#include "common/Enumerations.h"

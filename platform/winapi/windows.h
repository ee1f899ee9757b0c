#pragma once

// The Windows API as far as Ondeline calls it, for the builds where Qt stands in for the system.
// This folder is on the include path only there: on Windows the same includes find the SDK's
// own headers, and the code above compiles against either unchanged.

#include "winbase.h"
#include "windef.h"
#include "wingdi.h"
#include "winuser.h"

#pragma once
#include <windows.h>

// The current time in Unix seconds (UTC) for everything that compares dates with now. Tests
// replace it to pin the moment.
namespace UnixClock {

using Function = __int64 (*)();

__int64 Now();
// Installs function (null restores the system clock) and returns the one it replaces.
Function Replace(Function function);

} // namespace UnixClock

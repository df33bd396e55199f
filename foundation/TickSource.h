#pragma once
#include <windows.h>

// The millisecond tick count (GetTickCount) behind every timer of the system. Tests replace it to
// move time on without waiting.
namespace TickSource {

using Function = DWORD(WINAPI*)();

DWORD Now();
// Installs function (null restores GetTickCount) and returns the one it replaces.
Function Replace(Function function);

} // namespace TickSource

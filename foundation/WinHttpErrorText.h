#pragma once
#include <windows.h>

// The text of a WinHTTP error code (12001..12190), or null for any other code. Kept here because
// many systems carry no message text for these codes.
const wchar_t* WinHttpErrorText(DWORD code);

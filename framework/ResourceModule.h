#pragma once
#include <windows.h>

// Interim: the executable holds every resource until the application object is merged in.
inline HMODULE ResourceModuleFor(LPCWSTR /*type*/, LPCWSTR /*name*/) { return GetModuleHandleW(nullptr); }

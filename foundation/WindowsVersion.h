#pragma once
#include <windows.h>

// The running Windows packed into one value, from the high byte down: service pack, platform
// code (1 Win32s, 2 the 95 family, 3 NT), native processor architecture, OS index (1 + the bit
// number of the WindowsVersionFlag, 0 when not recognised).
bool GetWindowsVersionCode(unsigned* out);

// The flag of an NT-family Windows (0x40000 Windows 10, ...); 0 for NT 0..2, 0x80000000 when unknown.
unsigned WindowsVersionFlag(DWORD major, DWORD minor, DWORD build, BYTE productType);

// Service pack number from the "CSDVersion" value: 0 for 0, ceil(low word / 256) up to 8, 0 above.
unsigned ServicePackFromCSDVersion(DWORD csdVersion);

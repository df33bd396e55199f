#include "foundation/WindowsVersion.h"

unsigned WindowsVersionFlag(DWORD major, DWORD minor, DWORD build, BYTE productType)
{
    const bool workstation = productType == VER_NT_WORKSTATION;
    // Server and domain controller.
    const bool server = productType == VER_NT_SERVER || productType == VER_NT_DOMAIN_CONTROLLER;
    switch (major) {
    case 0: case 1: case 2:
        return 0;
    case 3:
        return 0x10;
    case 4:
        return 0x20;
    case 5:
        if (minor == 0) return 0x40;
        if (minor == 1) return 0x80;
        if (minor == 2) return 0x100;
        break;
    case 6:
        if (minor == 0) return workstation ? 0x400 : 0x800;
        if (minor == 1) return workstation ? 0x2000 : 0x1000;
        if (minor == 2) return workstation ? 0x4000 : 0x8000;
        if (minor == 3) return workstation ? 0x10000 : 0x20000;
        break;
    case 10:
        if (minor != 0)
            break;
        if (!server) {
            if (build <= 21999) return 0x40000;
            if (build < 30000) return 0x200000;
            break;
        }
        if (build <= 14393) return 0x80000;
        if (build <= 20000) return 0x100000;
        if (build <= 30000) return 0x400000;
        break;
    }
    return 0x80000000;
}

unsigned ServicePackFromCSDVersion(DWORD csdVersion)
{
    unsigned v = csdVersion & 0xFFFF;
    if (v == 0 || v > 2048)
        return 0;
    return (v + 255) / 256;
}

static unsigned ReadServicePack()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Windows", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD value = 0, type = 0, size = sizeof(value);
    LONG rc = RegQueryValueExW(key, L"CSDVersion", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value))
        return 0;
    return ServicePackFromCSDVersion(value);
}

static unsigned ReadArchitecture()
{
    SYSTEM_INFO info{};
    typedef BOOL (WINAPI *IsWow64ProcessFn)(HANDLE, PBOOL);
    typedef void (WINAPI *GetNativeSystemInfoFn)(LPSYSTEM_INFO);
    HMODULE kernel = GetModuleHandleW(L"kernel32");
    auto isWow64 = reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
    auto nativeInfo = reinterpret_cast<GetNativeSystemInfoFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetNativeSystemInfo")));
    BOOL wow64 = FALSE;
    if (isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64 && nativeInfo)
        nativeInfo(&info);
    else
        GetSystemInfo(&info);
    return info.wProcessorArchitecture & 0xFF;
}

bool GetWindowsVersionCode(unsigned* out)
{
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    bool ok = GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)) != FALSE;

    unsigned flag = 0, platform = 0, servicePack = 0;
    if (ok) {
        switch (version.dwPlatformId) {
        case VER_PLATFORM_WIN32s:
            flag = 0x1;
            platform = 1;
            break;
        case VER_PLATFORM_WIN32_WINDOWS:
            flag = version.dwMinorVersion != 0 ? 0x4 : 0x2;
            platform = 2;
            break;
        case VER_PLATFORM_WIN32_NT:
            flag = WindowsVersionFlag(version.dwMajorVersion, version.dwMinorVersion,
                                      version.dwBuildNumber, version.wProductType);
            platform = 3;
            servicePack = ReadServicePack();
            break;
        }
    }

    unsigned index = 0;
    if (flag != 0 && !(flag & 0x80000000)) {
        index = 1;
        while (!(flag & (1u << (index - 1))))
            ++index;
    }
    if (out)
        *out = servicePack << 24 | platform << 16 | ReadArchitecture() << 8 | index;
    return ok;
}

// Entry point of every test program: turns crashes and hangs into clear failures.
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>

namespace {

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info)
{
    std::fprintf(stderr, "\nFATAL: unhandled exception 0x%08lX at %p\n",
                 info->ExceptionRecord->ExceptionCode, info->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Ends the program with a clear message when it stops answering, before ctest's own limit.
DWORD WINAPI Watchdog(void* param)
{
    DWORD seconds = static_cast<DWORD>(reinterpret_cast<uintptr_t>(param));
    Sleep(seconds * 1000);
    std::fprintf(stderr, "\nFATAL: test program still running after %lu seconds; ended.\n", seconds);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 124);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(ReportCrash);

    DWORD limit = 240;
    wchar_t value[32] = {};
    if (GetEnvironmentVariableW(L"QEL_TEST_TIMEOUT", value, 32) > 0) {
        DWORD total = wcstoul(value, nullptr, 10);
        if (total > 20) limit = total - 15;
    }
    HANDLE watchdog = CreateThread(nullptr, 0, Watchdog, reinterpret_cast<void*>(uintptr_t(limit)), 0, nullptr);
    if (watchdog) CloseHandle(watchdog);

    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#pragma once
#include <windows.h>

// Owner of one Win32 critical section. It can be entered again by the thread that holds it.
class CCriticalSection {
public:
    CCriticalSection();
    virtual ~CCriticalSection();
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Enter();
    void Leave();

    CRITICAL_SECTION m_section{};
};

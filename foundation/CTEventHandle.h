#pragma once
#include <windows.h>

// Owner of one Win32 event, shared between a worker thread and its owner.
class CTEventHandle {
public:
    CTEventHandle() = default;
    ~CTEventHandle();
    CTEventHandle(const CTEventHandle&) = delete;
    CTEventHandle& operator=(const CTEventHandle&) = delete;

    // Manual reset, not signalled.
    CTEventHandle* Create();
    bool RecreateAutoReset();
    bool Set();
    bool Reset();
    HANDLE GetHandle() const { return m_event; }
    bool Close();

private:
    HANDLE m_event = nullptr;
};

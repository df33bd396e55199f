#include "foundation/CThread.h"
#include <process.h>

void SetThreadDebugName()
{
    // GCC has no SEH to swallow the debugger-naming exception, so the thread is named through
    // its description instead, looked up at run time because older systems lack the call.
    typedef HRESULT (WINAPI *SetThreadDescriptionFn)(HANDLE, PCWSTR);
    static const auto setDescription = reinterpret_cast<SetThreadDescriptionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    if (setDescription)
        setDescription(GetCurrentThread(), L"tavikThread");
}

DWORD WaitThreadHandle(HANDLE thread, DWORD milliseconds)
{
    WaitForSingleObject(thread, milliseconds);
    DWORD code = 0;
    if (!GetExitCodeThread(thread, &code))
        code = 0;
    return code;
}

CThread::~CThread()
{
    if (!m_deleteWhenFinished && IsRunning()) {
        if (GetCurrentThreadId() == m_threadId) {
            // Destroyed on its own thread: end its loop, but never wait for itself.
            if (m_hasMessageQueue)
                PostQuitMessage(0);
        } else {
            if (m_hasMessageQueue && IsRunning())
                PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
            Wait(INFINITE);
        }
    }
    CloseThreadHandle();
}

bool CThread::Start(unsigned long long param, bool suspended)
{
    if (m_thread)
        return false;
    m_startParam = param;
    return StartThread(&CThread::EntryPoint, this, suspended);
}

bool CThread::StartThread(ThreadProc proc, void* arg, bool suspended)
{
    if (m_thread)
        return false;
    // Always created suspended: a self-deleting object may be gone as soon as its thread runs,
    // so handle and id must be stored before the thread is let go.
    unsigned id = 0;
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, proc, arg, CREATE_SUSPENDED, &id));
    if (!thread)
        return false;
    m_thread = thread;
    m_threadId = id;
    if (!suspended)
        ResumeThread(thread);   // `this` may be deleted from here on
    return true;
}

bool CThread::OnInit()
{
    return false;
}

DWORD CThread::OnExit()
{
    return 0;
}

bool CThread::PreTranslateMessage(MSG*)
{
    return false;
}

DWORD CThread::Run()
{
    MSG msg;
    // Makes the system create this thread's message queue, so posted messages are not lost.
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    m_hasMessageQueue = true;

    if (!OnInit())
        return OnExit();

    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || msg.message == WM_QUIT) {
            quit = true;
            quitCode = msg.wParam;
            break;
        }
        if (got == -1)
            break;
        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    DWORD code = OnExit();
    if (quit)
        PostQuitMessage(static_cast<int>(quitCode));   // so that an enclosing loop ends as well
    return code;
}

unsigned __stdcall CThread::EntryPoint(void* arg)
{
    CThread* thread = static_cast<CThread*>(arg);
    SetThreadDebugName();
    DWORD code = thread->Run();
    if (thread->m_deleteWhenFinished)
        delete thread;
    return code;
}

bool CThread::IsRunning()
{
    if (!m_thread)
        return false;
    DWORD code = 0;
    if (!GetExitCodeThread(m_thread, &code))
        return false;
    if (code == STILL_ACTIVE) {
        m_exitCode = 0;
        return true;
    }
    m_exitCode = code;
    CloseThreadHandle();
    return false;
}

DWORD CThread::Wait(DWORD milliseconds)
{
    if (!m_thread)
        return m_exitCode;
    WaitForSingleObject(m_thread, milliseconds);
    DWORD code = STILL_ACTIVE;
    if (!GetExitCodeThread(m_thread, &code)) {
        // Not a thread handle any more: nothing left to wait for.
        CloseThreadHandle();
        return m_exitCode;
    }
    m_exitCode = code;
    if (code != STILL_ACTIVE)
        CloseThreadHandle();
    return code;
}

bool CThread::Terminate()
{
    if (!IsRunning())
        return false;
    return TerminateThread(m_thread, 1) != FALSE;
}

bool CThread::PostQuit()
{
    if (!IsRunning())
        return false;
    return PostThreadMessageW(m_threadId, WM_QUIT, 0, 0) != FALSE;
}

void CThread::CloseThreadHandle()
{
    if (m_thread)
        CloseHandle(m_thread);
    m_thread = nullptr;
    m_threadId = 0;
}

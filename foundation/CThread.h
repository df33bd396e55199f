#pragma once
#include <windows.h>
#include <atomic>
#include "foundation/CLinkedList.h"

// A worker thread. Run() executes on the new thread; by default it is a message loop with
// OnInit/PreTranslateMessage/OnExit hooks. Derived classes either override Run with their work
// or override OnInit (returning true) to get the loop.
class CThread : public CLinkedListObject {
public:
    typedef unsigned (__stdcall *ThreadProc)(void*);

    CThread() = default;
    virtual ~CThread();

    virtual bool Start(unsigned long long param = 0, bool suspended = false);
    virtual bool StartThread(ThreadProc proc, void* arg, bool suspended);
    virtual bool OnInit();
    virtual DWORD OnExit();
    virtual DWORD Run();
    virtual bool PreTranslateMessage(MSG* msg);

    static unsigned __stdcall EntryPoint(void* arg);

    bool IsRunning();
    DWORD Wait(DWORD milliseconds);
    bool Terminate();
    bool PostQuit();

    HANDLE GetHandle() const { return m_thread; }
    DWORD GetThreadId() const { return m_threadId; }
    DWORD GetExitCode() const { return m_exitCode; }
    unsigned long long GetStartParam() const { return m_startParam; }
    // The object deletes itself when its thread ends; the owner must not touch it after Start.
    void SetDeleteWhenFinished(bool on) { m_deleteWhenFinished = on; }
    bool HasMessageQueue() const { return m_hasMessageQueue; }

protected:
    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
    DWORD m_exitCode = 0;
    unsigned long long m_startParam = 0;
    bool m_deleteWhenFinished = false;
    // Written by the worker, read by the owner's destructor.
    std::atomic<bool> m_hasMessageQueue{false};

private:
    void CloseThreadHandle();
};

// Names the calling thread "tavikThread" for an attached debugger.
void SetThreadDebugName();

// Waits on a thread handle and answers its exit code (0 when it cannot be read); the handle stays open.
DWORD WaitThreadHandle(HANDLE thread, DWORD milliseconds);

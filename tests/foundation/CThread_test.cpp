// Worker thread lifecycle: start, message loop, quit, wait, restart, terminate and self-deletion.
#include <windows.h>
#include <process.h>
#include <gtest/gtest.h>
#include <atomic>
#include <string>
#include "foundation/CThread.h"
#include "foundation/CTEventHandle.h"

namespace {

// A thread with a message loop that reports when its queue is ready and what it saw.
class LoopThread : public CThread {
public:
    LoopThread() { ready.Create(); }
    bool OnInit() override
    {
        ready.Set();
        return true;
    }
    DWORD OnExit() override
    {
        exited = true;
        return 42;
    }
    bool PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_APP)
            appMessages += static_cast<int>(msg->wParam);
        return msg->message == WM_APP;
    }
    DWORD Run() override
    {
        DWORD code = CThread::Run();
        // The loop's quit is posted again for an enclosing loop.
        MSG msg;
        if (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
            repostedQuit = static_cast<int>(msg.wParam);
        return code;
    }
    CTEventHandle ready;
    std::atomic<int> appMessages{0};
    std::atomic<bool> exited{false};
    std::atomic<int> repostedQuit{-1};
};

// Runs until released; returns a chosen code.
class BlockingThread : public CThread {
public:
    BlockingThread() { release.Create(); }
    DWORD Run() override
    {
        WaitForSingleObject(release.GetHandle(), INFINITE);
        return code;
    }
    CTEventHandle release;
    DWORD code = 7;
};

} // namespace

TEST(CThread, BaseThreadEndsAtOnceWithZeroAndCanStartAgain)
{
    CThread thread;
    ASSERT_TRUE(thread.Start(99));
    EXPECT_EQ(99u, thread.GetStartParam());
    EXPECT_EQ(0u, thread.Wait(INFINITE));
    EXPECT_EQ(nullptr, thread.GetHandle());
    EXPECT_EQ(0u, thread.GetThreadId());
    EXPECT_TRUE(thread.HasMessageQueue());
    // Back to "not started": a second run is allowed.
    ASSERT_TRUE(thread.Start());
    EXPECT_EQ(0u, thread.Wait(INFINITE));
}

TEST(CThread, MessageLoopDispatchesAndEndsOnQuitWithOnExitCode)
{
    LoopThread thread;
    ASSERT_TRUE(thread.Start());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.ready.GetHandle(), 10000));
    EXPECT_FALSE(thread.Start()) << "a running thread must not be started twice";

    ASSERT_TRUE(PostThreadMessageW(thread.GetThreadId(), WM_APP, 3, 0));
    ASSERT_TRUE(PostThreadMessageW(thread.GetThreadId(), WM_APP, 4, 0));
    ASSERT_TRUE(PostThreadMessageW(thread.GetThreadId(), WM_QUIT, 5, 0));
    EXPECT_EQ(42u, thread.Wait(INFINITE));
    EXPECT_TRUE(thread.exited);
    EXPECT_EQ(7, thread.appMessages.load());
    EXPECT_EQ(5, thread.repostedQuit.load());
    EXPECT_EQ(42u, thread.GetExitCode());
}

TEST(CThread, PostQuitEndsTheLoopAndIsRefusedWhenNotRunning)
{
    LoopThread thread;
    EXPECT_FALSE(thread.PostQuit());
    ASSERT_TRUE(thread.Start());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.ready.GetHandle(), 10000));
    EXPECT_TRUE(thread.PostQuit());
    EXPECT_EQ(42u, thread.Wait(INFINITE));
    EXPECT_EQ(0, thread.repostedQuit.load());
    EXPECT_FALSE(thread.PostQuit());
}

TEST(CThread, WaitZeroOnRunningThreadAnswersStillActiveAndKeepsHandle)
{
    BlockingThread thread;
    ASSERT_TRUE(thread.Start());
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), thread.Wait(0));
    EXPECT_NE(nullptr, thread.GetHandle());
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_EQ(0u, thread.GetExitCode());
    thread.release.Set();
    EXPECT_EQ(7u, thread.Wait(INFINITE));
}

TEST(CThread, FinishedButUnpolledThreadRefusesStartUntilIsRunningClearsIt)
{
    BlockingThread thread;
    thread.release.Set();
    ASSERT_TRUE(thread.Start());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.GetHandle(), 10000));
    EXPECT_FALSE(thread.Start());
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(7u, thread.GetExitCode());
    EXPECT_EQ(nullptr, thread.GetHandle());
    thread.code = 8;
    ASSERT_TRUE(thread.Start());
    EXPECT_EQ(8u, thread.Wait(INFINITE));
}

TEST(CThread, SuspendedStartRunsOnlyWhenResumed)
{
    BlockingThread thread;
    thread.release.Set();
    ASSERT_TRUE(thread.Start(0, true));
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), thread.Wait(50));
    ASSERT_NE(static_cast<DWORD>(-1), ResumeThread(thread.GetHandle()));
    EXPECT_EQ(7u, thread.Wait(INFINITE));
}

TEST(CThread, TerminateEndsARunningThreadWithCodeOne)
{
    BlockingThread thread;
    EXPECT_FALSE(thread.Terminate());
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.Terminate());
    EXPECT_EQ(1u, thread.Wait(INFINITE));
    EXPECT_FALSE(thread.Terminate());
}

TEST(CThread, NamesItsThreadForDebuggers)
{
    struct NameThread : CThread {
        DWORD Run() override
        {
            typedef HRESULT (WINAPI *GetThreadDescriptionFn)(HANDLE, PWSTR*);
            auto get = reinterpret_cast<GetThreadDescriptionFn>(reinterpret_cast<void*>(
                GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
            PWSTR text = nullptr;
            if (get && SUCCEEDED(get(GetCurrentThread(), &text)) && text) {
                name = text;
                LocalFree(text);
            }
            return 0;
        }
        std::wstring name;
    } thread;
    ASSERT_TRUE(thread.Start());
    thread.Wait(INFINITE);
    EXPECT_EQ(L"tavikThread", thread.name);
}

namespace {
std::atomic<int> g_selfDeleted{0};
struct SelfDeletingThread : CThread {
    explicit SelfDeletingThread(HANDLE done) : done(done) { SetDeleteWhenFinished(true); }
    ~SelfDeletingThread() override
    {
        ++g_selfDeleted;
        SetEvent(done);
    }
    DWORD Run() override { return 3; }
    HANDLE done;
};
} // namespace

TEST(CThread, SelfDeletingThreadDeletesItselfEvenWhenItEndsAtOnce)
{
    // A thread that ends before Start returns must not have its object written after deletion.
    g_selfDeleted = 0;
    const int count = 40;
    for (int i = 0; i < count; ++i) {
        CTEventHandle done;
        done.Create();
        auto* thread = new SelfDeletingThread(done.GetHandle());
        ASSERT_TRUE(thread->Start());
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done.GetHandle(), 10000));
    }
    EXPECT_EQ(count, g_selfDeleted.load());
}

namespace {
HANDLE g_loopReady = CreateEventW(nullptr, FALSE, FALSE, nullptr);
HANDLE g_release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
// Touch no members of their own: the base destructor stops them after the derived part is gone.
struct PlainLoopThread : CThread {
    bool OnInit() override
    {
        SetEvent(g_loopReady);
        return true;
    }
};
struct WaitingThread : CThread {
    DWORD Run() override
    {
        WaitForSingleObject(g_release, INFINITE);
        return 0;
    }
};
HANDLE CopyOf(HANDLE handle)
{
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return copy;
}
} // namespace

TEST(CThread, DestroyingARunningThreadStopsALoopAndWaitsForAWorker)
{
    auto* loop = new PlainLoopThread;
    ASSERT_TRUE(loop->Start());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_loopReady, 10000));
    HANDLE loopHandle = CopyOf(loop->GetHandle());
    delete loop;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(loopHandle, 0)) << "the loop still runs";
    CloseHandle(loopHandle);

    // A worker without a loop is waited for until it ends by itself.
    auto* worker = new WaitingThread;
    ASSERT_TRUE(worker->Start());
    HANDLE workerHandle = CopyOf(worker->GetHandle());
    HANDLE releaser = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, [](void*) -> unsigned {
        Sleep(50);
        SetEvent(g_release);
        return 0;
    }, nullptr, 0, nullptr));
    delete worker;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(workerHandle, 0)) << "the destructor returned before the worker ended";
    WaitForSingleObject(releaser, INFINITE);
    CloseHandle(releaser);
    CloseHandle(workerHandle);
}

TEST(CThread, WaitThreadHandleLeavesTheHandleOpen)
{
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, [](void*) -> unsigned { return 11; }, nullptr, 0, nullptr));
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(11u, WaitThreadHandle(thread, INFINITE));
    EXPECT_EQ(11u, WaitThreadHandle(thread, 0));
    EXPECT_TRUE(CloseHandle(thread));
}

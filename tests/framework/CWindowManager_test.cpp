#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>
#include "framework/CTWnd2.h"
#include "framework/CWindowManager.h"

namespace {

using Log = std::vector<std::string>;

std::string Name(int type, UINT64 key)
{
    return std::to_string(type) + "/" + std::to_string(key);
}

struct FakeWindow : CWindowManager::CWindow {
    Log* log = nullptr;
    int* deleted = nullptr;
    bool openResult = true;
    std::function<void(FakeWindow&)> onClose;
    std::function<void(FakeWindow&, void*)> onNotify;

    std::string Id() const { return Name(m_type, m_key); }
    void Activate() override { log->push_back("activate " + Id()); }
    bool Open() override
    {
        log->push_back("open " + Id());
        return openResult;
    }
    void Close() override
    {
        log->push_back("close " + Id());
        if (onClose) onClose(*this);
        Unregister();
    }
    void Notify(void* param) override
    {
        log->push_back("notify " + Id());
        if (onNotify) onNotify(*this, param);
    }
    ~FakeWindow() override { ++*deleted; }
};

// A stand-in for the application: builds fake windows and records the manager's events.
class WindowManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        CWindowManager::Callbacks callbacks;
        callbacks.factory = &WindowManagerTest::Factory;
        callbacks.event = &WindowManagerTest::Event;
        callbacks.user = this;
        manager.SetCallbacks(callbacks);
        DrainThreadMessages(false);
    }

    static CWindowManager::CWindow* Factory(void* user, int type, UINT64 key)
    {
        auto* self = static_cast<WindowManagerTest*>(user);
        self->log.push_back("create " + Name(type, key));
        if (type == 99) return nullptr;
        auto* window = new FakeWindow();
        window->log = &self->log;
        window->deleted = &self->deleted;
        if (self->prepare) self->prepare(*window, type, key);
        return window;
    }

    static void Event(void* user, CWindowManager::CWindow* window, int code, void* param)
    {
        auto* self = static_cast<WindowManagerTest*>(user);
        self->log.push_back("event " + std::to_string(code) + " " + Name(window->m_type, window->m_key));
        if (code == CWindowManager::kEventClosed && self->requestsPending) *static_cast<BYTE*>(param) = 0;
    }

    // Runs the message-loop step of the manager over the thread's queue; returns the deletion messages seen.
    int DrainThreadMessages(bool translate = true)
    {
        int deletions = 0;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!msg.hwnd && msg.message == WM_USER) ++deletions;
            if (translate) manager.PreTranslateMessage(&msg);
        }
        return deletions;
    }

    FakeWindow* Find(int type, UINT64 key) { return static_cast<FakeWindow*>(manager.FindWindow(type, key)); }

    Log log;
    int deleted = 0;
    bool requestsPending = false;
    std::function<void(FakeWindow&, int, UINT64)> prepare;
    CWindowManager manager;
};

TEST_F(WindowManagerTest, OpeningTheSameTypeAndKeyTwiceActivatesTheFirstWindow)
{
    manager.OpenWindow(1, 5, 1234);
    manager.OpenWindow(1, 5, 999);
    EXPECT_EQ(log, (Log{"create 1/5", "open 1/5", "event 2 1/5", "activate 1/5"}));
    FakeWindow* window = Find(1, 5);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->m_param, 1234);
    EXPECT_EQ(window->m_manager, &manager);
    EXPECT_EQ(window->m_activeDialog, &manager.m_activeDialog);
    EXPECT_EQ(Find(1, 0), nullptr); // exact match only
    EXPECT_EQ(Find(0, 5), nullptr);

    log.clear();
    manager.OpenWindow(99, 1, 0); // the factory knows no such type
    EXPECT_EQ(log, (Log{"create 99/1"}));
    EXPECT_EQ(manager.m_registry.GetCount(), 1u);
}

TEST_F(WindowManagerTest, NotificationsReachTheMatchingWindowsInOpeningOrder)
{
    for (auto [type, key] : std::vector<std::pair<int, UINT64>>{{1, 10}, {2, 10}, {1, 20}, {3, 0}})
        manager.OpenWindow(type, key, 0);
    struct Case {
        int type;
        UINT64 key;
        Log expected;
    } cases[] = {
        {0, 0, {"event 1 1/10", "notify 1/10", "event 1 2/10", "notify 2/10", "event 1 1/20", "notify 1/20",
                "event 1 3/0", "notify 3/0"}},
        {1, 0, {"event 1 1/10", "notify 1/10", "event 1 1/20", "notify 1/20"}},
        {0, 10, {"event 1 1/10", "notify 1/10", "event 1 2/10", "notify 2/10"}},
        {2, 10, {"event 1 2/10", "notify 2/10"}},
        {2, 20, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Name(c.type, c.key));
        log.clear();
        EXPECT_TRUE(manager.NotifyWindows(c.type, c.key, nullptr));
        EXPECT_EQ(log, c.expected);
    }
}

TEST_F(WindowManagerTest, ClosePatterns)
{
    struct Case {
        int type;
        UINT64 key;
        Log closed;
    } cases[] = {
        {1, 0, {"close 1/10", "close 1/20"}},
        {1, 20, {"close 1/20"}},
        {0, 77, {"close 1/10", "close 2/10", "close 1/20", "close 3/0"}}, // type 0: every window
        {3, 0, {"close 3/0"}},
        {2, 20, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Name(c.type, c.key));
        manager.CloseAllWindows();
        for (auto [type, key] : std::vector<std::pair<int, UINT64>>{{1, 10}, {2, 10}, {1, 20}, {3, 0}})
            manager.OpenWindow(type, key, 0);
        log.clear();
        manager.CloseWindows(c.type, c.key);
        Log closes;
        for (const std::string& line : log)
            if (line.rfind("close ", 0) == 0) closes.push_back(line);
        EXPECT_EQ(closes, c.closed);
        EXPECT_EQ(manager.m_registry.GetCount(), 4u - c.closed.size());
    }
}

TEST_F(WindowManagerTest, AClosedWindowIsDeletedLaterByTheMessageLoop)
{
    manager.OpenWindow(1, 1, 0);
    FakeWindow* window = Find(1, 1);
    manager.CloseWindows(1, 1);
    EXPECT_EQ(log.back(), "event 3 1/1");
    EXPECT_EQ(Find(1, 1), nullptr);
    EXPECT_EQ(deleted, 0); // never inside the code that closed it
    EXPECT_TRUE(manager.m_deletion.Contains(window));

    EXPECT_EQ(DrainThreadMessages(), 1);
    EXPECT_EQ(deleted, 1);
    EXPECT_TRUE(manager.m_deletion.IsEmpty());

    // A deletion message naming a window no longer waiting is ignored.
    PostThreadMessageW(GetCurrentThreadId(), WM_USER, 0, reinterpret_cast<LPARAM>(window));
    EXPECT_EQ(DrainThreadMessages(), 1);
    EXPECT_EQ(deleted, 1);
}

TEST_F(WindowManagerTest, WhileRequestsArePendingClosedWindowsWaitForTheMainWindow)
{
    requestsPending = true;
    manager.OpenWindow(1, 1, 0);
    manager.OpenWindow(1, 2, 0);
    manager.CloseWindows(1, 0);
    EXPECT_EQ(DrainThreadMessages(), 0); // no deletion message was posted
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(manager.m_deletion.GetCount(), 2u);
    manager.DeleteClosedWindows(); // what the main window does on its message 1057
    EXPECT_EQ(deleted, 2);
}

TEST_F(WindowManagerTest, AWindowClosingTheWindowsItOwnsIsReleasedOnce)
{
    // The form closes the picker it owns, which was registered right after it.
    prepare = [this](FakeWindow& window, int type, UINT64) {
        if (type == 1) window.onClose = [this](FakeWindow&) { manager.CloseWindows(2, 7); };
    };
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        deleted = 0;
        manager.OpenWindow(1, 7, 0);
        manager.OpenWindow(2, 7, 0);
        manager.OpenWindow(3, 7, 0);
        log.clear();
        if (round == 0) manager.CloseWindows(0, 7);
        else manager.CloseAllWindows();
        EXPECT_TRUE(manager.m_registry.IsEmpty());
        EXPECT_EQ(manager.m_deletion.GetCount(), 3u);
        EXPECT_EQ(std::count(log.begin(), log.end(), "close 2/7"), 1);
        EXPECT_EQ(std::count(log.begin(), log.end(), "event 3 2/7"), 1);
        DrainThreadMessages();
        EXPECT_EQ(deleted, 3);
    }
}

TEST_F(WindowManagerTest, ReleasingAWindowThatIsNoLongerRegisteredDoesNothing)
{
    manager.OpenWindow(1, 1, 0);
    FakeWindow* window = Find(1, 1);
    window->Unregister();
    window->Unregister();
    manager.ReleaseWindow(window);
    EXPECT_EQ(std::count(log.begin(), log.end(), "event 3 1/1"), 1);
    EXPECT_EQ(manager.m_deletion.GetCount(), 1u);
    EXPECT_EQ(DrainThreadMessages(), 1);
    EXPECT_EQ(deleted, 1);
}

TEST_F(WindowManagerTest, AWindowWhoseOpenFailsIsNotKeptAndTheNextOpenCreatesItAnew)
{
    int attempt = 0;
    prepare = [&attempt](FakeWindow& window, int, UINT64) { window.openResult = ++attempt > 1; };
    manager.OpenWindow(4, 9, 0);
    EXPECT_EQ(Find(4, 9), nullptr);
    EXPECT_EQ(log, (Log{"create 4/9", "open 4/9", "event 3 4/9"})); // no "opened" event
    DrainThreadMessages();
    EXPECT_EQ(deleted, 1);

    log.clear();
    manager.OpenWindow(4, 9, 0);
    EXPECT_EQ(log, (Log{"create 4/9", "open 4/9", "event 2 4/9"}));
    EXPECT_NE(Find(4, 9), nullptr);
}

TEST_F(WindowManagerTest, DeliveryStaysValidWhenWindowsCloseOrOpenDuringIt)
{
    // The first window closes itself and the second while handling the notification, and opens a new one.
    prepare = [this](FakeWindow& window, int type, UINT64) {
        if (type == 1)
            window.onNotify = [this](FakeWindow& self, void*) {
                manager.CloseWindows(2, 0);
                self.Close();
                manager.OpenWindow(5, 0, 0);
            };
    };
    manager.OpenWindow(1, 0, 0);
    manager.OpenWindow(2, 0, 0);
    manager.OpenWindow(3, 0, 0);
    log.clear();
    manager.NotifyWindows(0, 0, nullptr);
    EXPECT_EQ(log, (Log{"event 1 1/0", "notify 1/0", "close 2/0", "event 3 2/0", "close 1/0", "event 3 1/0",
                        "create 5/0", "open 5/0", "event 2 5/0", "event 1 3/0", "notify 3/0"}));
    EXPECT_EQ(deleted, 0);
    DrainThreadMessages();
    EXPECT_EQ(deleted, 2);
}

TEST_F(WindowManagerTest, MessageLoopStepRoutesKeysToTheActiveDialog)
{
    MSG msg = {nullptr, WM_KEYDOWN, VK_TAB, 0};
    EXPECT_FALSE(manager.PreTranslateMessage(&msg)); // no active dialog: nothing consumed

    // A modeless dialog with two edits: Tab is the dialog's.
    struct {
        DLGTEMPLATE dlg;
        WORD menu, cls, title;
    } tmpl = {};
    tmpl.dlg.style = WS_POPUP | WS_VISIBLE | WS_CAPTION;
    tmpl.dlg.cx = 100;
    tmpl.dlg.cy = 60;
    CTWnd2 dialog;
    HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &tmpl.dlg, nullptr, CTWnd2::DialogProc,
                                           reinterpret_cast<LPARAM>(&dialog));
    ASSERT_NE(hwnd, nullptr);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 50, 20, hwnd, nullptr,
                                nullptr, nullptr);
    manager.m_activeDialog = hwnd;
    msg = {edit, WM_KEYDOWN, VK_TAB, 0};
    EXPECT_TRUE(manager.PreTranslateMessage(&msg));
    manager.m_activeDialog = nullptr;
    DestroyWindow(hwnd);
}

TEST_F(WindowManagerTest, DestroyingTheManagerClosesAndDeletesWhatIsLeft)
{
    int gone = 0;
    {
        CWindowManager local;
        CWindowManager::Callbacks callbacks;
        callbacks.factory = [](void* user, int, UINT64) -> CWindowManager::CWindow* {
            auto* window = new FakeWindow();
            static Log sink;
            window->log = &sink;
            window->deleted = static_cast<int*>(user);
            return window;
        };
        callbacks.user = &gone;
        local.SetCallbacks(callbacks);
        local.OpenWindow(1, 1, 0);
        local.OpenWindow(1, 2, 0);
        local.CloseWindows(1, 1);
        EXPECT_EQ(gone, 0);
        EXPECT_EQ(CWindowManager::Instance(), &local);
    }
    EXPECT_EQ(gone, 2);
    DrainThreadMessages(false); // the deletion messages name windows that are gone: never followed
}

} // namespace

#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "framework/CTWnd2.h"
#include "tests/framework/FakeSeams.h"

namespace {

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

// Records what reaches it and handles the messages it is told to.
struct Recorder : CTWnd2 {
    std::string name;
    std::vector<std::string>* log = nullptr;
    std::vector<UINT> handles; // messages it handles (WM_COMMAND and WM_NOTIFY included)
    std::vector<UINT> seen;

    bool Take(UINT msg, LRESULT* result, LRESULT value)
    {
        seen.push_back(msg);
        if (std::find(handles.begin(), handles.end(), msg) == handles.end()) return false;
        if (log) log->push_back(name + " " + std::to_string(msg));
        *result = value;
        return true;
    }
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT* result) override { return Take(msg, result, 1000 + msg); }
    bool OnCommand(WPARAM wParam, LPARAM, LRESULT* result) override { return Take(WM_COMMAND, result, wParam); }
    bool OnNotify(WPARAM, NMHDR* hdr, LRESULT* result) override { return Take(WM_NOTIFY, result, hdr ? hdr->code : 0); }
};

bool Create(CTWnd2& wnd, DWORD style = WS_OVERLAPPEDWINDOW)
{
    return wnd.Create(L"CTWnd2Test", true, nullptr, style, 0, Module(), nullptr);
}

TEST(CTWnd2, TheSharedProcedureSplitsMessagesIntoThreeHandlers)
{
    Recorder wnd;
    wnd.handles = {WM_USER + 5, WM_COMMAND, WM_NOTIFY};
    ASSERT_TRUE(Create(wnd));
    EXPECT_EQ(CTWnd2::FromHandle(wnd.m_hWnd), &wnd);
    EXPECT_TRUE(wnd.m_createWithThis);
    EXPECT_NE(std::find(wnd.seen.begin(), wnd.seen.end(), UINT(WM_CREATE)), wnd.seen.end());

    EXPECT_EQ(SendMessageW(wnd.m_hWnd, WM_USER + 5, 0, 0), 1000 + WM_USER + 5);
    EXPECT_EQ(SendMessageW(wnd.m_hWnd, WM_COMMAND, 42, 0), 42);
    NMHDR hdr = {wnd.m_hWnd, 7, 12345u};
    EXPECT_EQ(SendMessageW(wnd.m_hWnd, WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&hdr)), 12345);
    // Unhandled messages reach the default procedure.
    SetWindowTextW(wnd.m_hWnd, L"title");
    CTString text;
    EXPECT_EQ(GetWindowTextString(wnd.m_hWnd, text), 5);
    EXPECT_STREQ(text.GetBuffer(), L"title");

    HWND hwnd = wnd.m_hWnd;
    wnd.Destroy();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(wnd.m_hWnd, nullptr);
}

TEST(CTWnd2, HooksSeeMessagesFirstInTheOrderTheyJoined)
{
    std::vector<std::string> log;
    Recorder owner, first, second;
    owner.name = "owner";
    first.name = "first";
    second.name = "second";
    for (Recorder* r : {&owner, &first, &second}) r->log = &log;
    owner.handles = {WM_USER + 1, WM_USER + 2, WM_USER + 3};
    first.handles = {WM_USER + 1};
    second.handles = {WM_USER + 1, WM_USER + 2};
    ASSERT_TRUE(Create(owner));
    ASSERT_TRUE(first.Attach(owner.m_hWnd, true));
    ASSERT_TRUE(second.Attach(owner.m_hWnd, true));
    EXPECT_EQ(owner.m_hooks.GetCount(), 2u);
    EXPECT_TRUE(first.m_subclassed);
    EXPECT_EQ(first.m_prevProc, nullptr);
    EXPECT_EQ(CTWnd2::FromHandle(owner.m_hWnd), &owner); // joining the chain keeps the owner's property

    SendMessageW(owner.m_hWnd, WM_USER + 1, 0, 0);
    SendMessageW(owner.m_hWnd, WM_USER + 2, 0, 0);
    SendMessageW(owner.m_hWnd, WM_USER + 3, 0, 0);
    std::string m1 = std::to_string(WM_USER + 1), m2 = std::to_string(WM_USER + 2), m3 = std::to_string(WM_USER + 3);
    EXPECT_EQ(log, (std::vector<std::string>{"first " + m1, "second " + m2, "owner " + m3}));
    EXPECT_EQ(std::count(second.seen.begin(), second.seen.end(), UINT(WM_USER + 1)), 0);

    // Leaving the chain.
    first.Detach();
    EXPECT_EQ(owner.m_hooks.GetCount(), 1u);
    EXPECT_EQ(CTWnd2::FromHandle(owner.m_hWnd), &owner);
    log.clear();
    SendMessageW(owner.m_hWnd, WM_USER + 1, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"second " + m1}));
    second.Detach();
    owner.Destroy();
}

TEST(CTWnd2, AHookOnADialogReceivesNothing)
{
    Recorder dialog, hook;
    dialog.handles = {WM_USER + 1};
    hook.handles = {WM_USER + 1};
    ASSERT_TRUE(dialog.CreateDialogFromTemplate(Module(), MAKEINTRESOURCEW(200), nullptr));
    EXPECT_TRUE(dialog.m_isDialog);
    EXPECT_EQ(CTWnd2::FromHandle(dialog.m_hWnd), &dialog);
    EXPECT_NE(std::find(dialog.seen.begin(), dialog.seen.end(), UINT(WM_INITDIALOG)), dialog.seen.end());
    ASSERT_TRUE(hook.Attach(dialog.m_hWnd, true));
    EXPECT_EQ(dialog.m_hooks.GetCount(), 1u);
    hook.seen.clear();
    SendMessageW(dialog.m_hWnd, WM_USER + 1, 0, 0);
    EXPECT_TRUE(hook.seen.empty());
    EXPECT_EQ(std::count(dialog.seen.begin(), dialog.seen.end(), UINT(WM_USER + 1)), 1);
    hook.Detach();

    Recorder fromResource;
    ASSERT_TRUE(fromResource.CreateDialogFromResource(Module(), MAKEINTRESOURCEW(200), nullptr));
    EXPECT_EQ(CTWnd2::FromHandle(fromResource.m_hWnd), &fromResource);
    Recorder missing;
    EXPECT_FALSE(missing.CreateDialogFromResource(Module(), MAKEINTRESOURCEW(999), nullptr));
    EXPECT_EQ(missing.m_hWnd, nullptr);
    fromResource.Destroy();
    dialog.Destroy();
}

TEST(CTWnd2, SubclassingAControlAndReleasingItLeavesTheControlAlive)
{
    HWND edit = CreateWindowExW(0, L"EDIT", L"abc", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    LONG_PTR original = GetWindowLongPtrW(edit, GWLP_WNDPROC);

    Recorder wnd;
    wnd.handles = {WM_USER + 9};
    ASSERT_TRUE(wnd.Attach(edit, true));
    EXPECT_TRUE(wnd.m_attached);
    EXPECT_TRUE(wnd.m_subclassed);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(wnd.m_prevProc), original);
    EXPECT_EQ(SendMessageW(edit, WM_USER + 9, 0, 0), 1000 + WM_USER + 9);
    wchar_t text[16] = {};
    GetWindowTextW(edit, text, 16); // unhandled: the edit's own procedure answers
    EXPECT_STREQ(text, L"abc");
    EXPECT_EQ(wnd.DefaultProc(WM_GETTEXTLENGTH, 0, 0), 3);

    wnd.Destroy();
    EXPECT_TRUE(IsWindow(edit));
    EXPECT_EQ(GetWindowLongPtrW(edit, GWLP_WNDPROC), original);
    EXPECT_EQ(CTWnd2::FromHandle(edit), nullptr);
    EXPECT_EQ(wnd.m_hWnd, nullptr);

    // Attached without subclassing: found from the handle, but no messages reach it.
    Recorder quiet;
    quiet.handles = {WM_USER + 9};
    ASSERT_TRUE(quiet.Attach(edit, false));
    EXPECT_EQ(CTWnd2::FromHandle(edit), &quiet);
    quiet.seen.clear();
    EXPECT_EQ(SendMessageW(edit, WM_USER + 9, 0, 0), 0);
    EXPECT_TRUE(quiet.seen.empty());
    quiet.Detach();
    EXPECT_EQ(CTWnd2::FromHandle(edit), nullptr);
    EXPECT_TRUE(IsWindow(edit));
    DestroyWindow(edit);
}

TEST(CTWnd2, FocusIsRestoredToTheChildThatHadItBeforeDeactivation)
{
    CTWnd2 wnd;
    wnd.m_restoreFocus = true;
    ASSERT_TRUE(Create(wnd, WS_OVERLAPPEDWINDOW | WS_VISIBLE));
    HWND first = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 80, 20, wnd.m_hWnd,
                                 nullptr, nullptr, nullptr);
    HWND second = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 30, 80, 20, wnd.m_hWnd,
                                  nullptr, nullptr, nullptr);
    SetForegroundWindow(wnd.m_hWnd);
    SetFocus(second);
    ASSERT_EQ(GetFocus(), second);

    SendMessageW(wnd.m_hWnd, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(wnd.m_focus, second);
    SetFocus(first);
    SendMessageW(wnd.m_hWnd, WM_ACTIVATE, WA_INACTIVE, 0); // a second deactivation keeps the first saved window
    EXPECT_EQ(wnd.m_focus, second);
    EXPECT_EQ(SendMessageW(wnd.m_hWnd, WM_ACTIVATE, WA_ACTIVE, 0), 0);
    EXPECT_EQ(GetFocus(), second);
    EXPECT_EQ(wnd.m_focus, nullptr);

    // Nothing saved: WM_SETFOCUS gives the focus to the first tab stop.
    SendMessageW(wnd.m_hWnd, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(GetFocus(), first);

    // Hiding saves the focus too.
    SetFocus(second);
    SendMessageW(wnd.m_hWnd, WM_SHOWWINDOW, FALSE, 0);
    EXPECT_EQ(wnd.m_focus, second);
    wnd.Destroy();
}

TEST(CTWnd2, SetItemTextWritesOnlyAChangedText)
{
    CTWnd2 wnd;
    ASSERT_TRUE(Create(wnd));
    HWND item = CreateWindowExW(0, L"STATIC", L"same", WS_CHILD, 0, 0, 80, 20, wnd.m_hWnd,
                                reinterpret_cast<HMENU>(5), nullptr, nullptr);
    Recorder counter;
    ASSERT_TRUE(counter.Attach(item, true));
    counter.seen.clear();
    wnd.SetItemText(5, L"same");
    EXPECT_EQ(std::count(counter.seen.begin(), counter.seen.end(), UINT(WM_SETTEXT)), 0);
    wnd.SetItemText(5, L"sama");
    EXPECT_EQ(std::count(counter.seen.begin(), counter.seen.end(), UINT(WM_SETTEXT)), 1);
    CTString text;
    EXPECT_EQ(wnd.GetItemText(5, text), 4);
    EXPECT_STREQ(text.GetBuffer(), L"sama");
    wnd.SetItemText(5, L"");
    EXPECT_EQ(wnd.GetItemText(5, text), 0);
    EXPECT_TRUE(text.IsEmpty());
    counter.Destroy();
    wnd.Destroy();
}

TEST(CTWnd2, CentringNeedsAVisibleReferenceOtherThanTheWindowItself)
{
    CTWnd2 alone;
    ASSERT_TRUE(Create(alone, WS_POPUP));
    EXPECT_FALSE(alone.CenterOnWindow(nullptr)); // no parent, no owner: the reference is the window itself

    CTWnd2 owner, owned;
    RECT ownerRect = {200, 200, 400, 200}; // x, y, width, height
    ASSERT_TRUE(owner.Create(L"CTWnd2Test", true, nullptr, WS_POPUP | WS_VISIBLE, 0, Module(), &ownerRect));
    ASSERT_TRUE(owned.Create(L"CTWnd2Test", true, owner.m_hWnd, WS_POPUP, 0, Module(), nullptr));
    owned.Move(0, 0, 100, 50);
    EXPECT_TRUE(owned.CenterOnWindow(nullptr));
    RECT rc;
    GetWindowRect(owned.m_hWnd, &rc);
    EXPECT_EQ(rc.left, 400 - 50);
    EXPECT_EQ(rc.top, 300 - 25);

    ShowWindow(owner.m_hWnd, SW_HIDE);
    EXPECT_FALSE(owned.CenterOnWindow(nullptr)); // an invisible reference
    owned.Destroy();
    owner.Destroy();
    alone.Destroy();
}

TEST(CTWnd2, StyleHelpersReportWhetherAnythingChanged)
{
    CTWnd2 wnd;
    EXPECT_FALSE(wnd.ModifyStyle(0, WS_BORDER, 0)); // no window
    ASSERT_TRUE(Create(wnd, WS_POPUP));
    EXPECT_TRUE(wnd.ModifyStyle(0, WS_BORDER, SWP_FRAMECHANGED));
    EXPECT_FALSE(wnd.ModifyStyle(0, WS_BORDER, SWP_FRAMECHANGED));
    EXPECT_TRUE(GetWindowLongPtrW(wnd.m_hWnd, GWL_STYLE) & WS_BORDER);
    EXPECT_TRUE(wnd.ModifyExStyle(0, WS_EX_TOOLWINDOW));
    EXPECT_FALSE(wnd.ModifyExStyle(0, WS_EX_TOOLWINDOW));
    wnd.Destroy();
}

TEST(CTWnd2, EndDialogActsOnModalDialogsOnly)
{
    Recorder dialog;
    ASSERT_TRUE(dialog.CreateDialogFromTemplate(Module(), MAKEINTRESOURCEW(200), nullptr));
    HWND hwnd = dialog.m_hWnd;
    dialog.EndDialog(IDOK); // modeless: nothing happens
    EXPECT_EQ(dialog.m_hWnd, hwnd);
    dialog.Destroy();

    // A modal dialog is driven by the test's driver, never by a person.
    ScriptedModalDialogDriver driver;
    Recorder modal;
    modal.m_isModal = true;
    HWND seen = nullptr;
    driver.Expect([&seen](CTWnd2& wnd, HWND dlg) {
        seen = dlg;
        wchar_t caption[32] = {};
        GetWindowTextW(dlg, caption, 32);
        EXPECT_STREQ(caption, L"Test dialog");
        wnd.EndDialog(7);
    });
    INT_PTR result = DialogBoxParamW(Module(), MAKEINTRESOURCEW(200), nullptr, CTWnd2::DialogProc,
                                     reinterpret_cast<LPARAM>(&modal));
    EXPECT_EQ(result, 7);
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(modal.m_hWnd, nullptr);
}

TEST(CTWnd2, PopupMenusAreAnsweredByTheInstalledDriver)
{
    CTWnd2 owner;
    ASSERT_TRUE(Create(owner));
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 301, L"One");
    AppendMenuW(menu, MF_STRING, 302, L"Two");
    {
        FakePopupMenuDriver driver(302);
        EXPECT_EQ(PopupMenuDriver::Track(menu, TPM_RETURNCMD, 10, 10, owner.m_hWnd), 302u);
        EXPECT_EQ(driver.m_menu, menu);
        EXPECT_EQ(PopupMenuDriver::Track(menu, 0, 10, 10, owner.m_hWnd), static_cast<UINT>(TRUE));
        MSG msg;
        ASSERT_TRUE(PeekMessageW(&msg, owner.m_hWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE));
        EXPECT_EQ(LOWORD(msg.wParam), 302);
        driver.m_command = 0; // dismissed
        EXPECT_EQ(PopupMenuDriver::Track(menu, 0, 10, 10, owner.m_hWnd), static_cast<UINT>(FALSE));
        EXPECT_FALSE(PeekMessageW(&msg, owner.m_hWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE));
        EXPECT_EQ(driver.m_calls, 3);
    }
    DestroyMenu(menu);
    owner.Destroy();
}

} // namespace

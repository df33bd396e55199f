#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "framework/CTRegKey.h"
#include "framework/CWMForm.h"
#include "tests/framework/FakeSeams.h"

namespace {

using Form = CWindowManager::CWMForm;
using FormPage = CWindowManager::CWMFormPage;

struct TestPage : FormPage {
    UINT templateId = 0;
    bool enabled = true;
    bool accept = true;
    int loads = 0, saves = 0;
    explicit TestPage(UINT id) : templateId(id) {}
    bool Load() override { ++loads; return true; }
    bool Save() override { ++saves; return accept; }
    UINT GetTemplateId() override { return templateId; }
    bool IsEnabled() override { return enabled; }
};

struct TestForm : Form {
    TestPage* general = nullptr;
    TestPage* members = nullptr;
    bool serverAccepts = true;
    int saves = 0;
    TestForm(UINT64 key)
    {
        m_key = key;
        m_templateId = 170;
        m_tabId = 1187;
        m_headerId = 105;
        m_confirmCloseId = 112;
    }
    bool Save() override
    {
        ++saves;
        return SavePages() && serverAccepts;
    }
    bool Open(const wchar_t* placement = L"TestForm")
    {
        if (!Create(nullptr, nullptr, 0, placement)) return false;
        general = static_cast<TestPage*>(AddPage(new TestPage(501)));
        members = static_cast<TestPage*>(AddPage(new TestPage(502)));
        return ShowPages();
    }
};

HWND Item(Form& form, int id) { return GetDlgItem(form.m_hWnd, id); }

RECT ClientRectOf(HWND parent, HWND item)
{
    RECT rc;
    GetWindowRect(item, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

TEST(CWMForm, PagesBecomeChildTabsTitledByTheirCaptions)
{
    TestForm form(7);
    ASSERT_TRUE(form.Open());
    HWND tab = Item(form, 1187);
    ASSERT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 2);
    // The template's band item is adopted as the header band, which paints itself.
    EXPECT_EQ(form.m_header.m_hWnd, Item(form, 105));
    EXPECT_EQ(CTWnd2::FromHandle(Item(form, 105)), static_cast<CTWnd2*>(&form.m_header));
    EXPECT_STREQ(form.general->GetTitle(), L"General");
    EXPECT_STREQ(form.members->GetTitle(), L"Members");
    for (FormPage* page : {static_cast<FormPage*>(form.general), static_cast<FormPage*>(form.members)}) {
        LONG style = GetWindowLongW(page->m_hWnd, GWL_STYLE);
        LONG ex = GetWindowLongW(page->m_hWnd, GWL_EXSTYLE);
        EXPECT_TRUE(style & WS_CHILD);
        EXPECT_FALSE(style & (WS_POPUP | WS_CAPTION | WS_DISABLED | WS_THICKFRAME));
        EXPECT_TRUE(ex & WS_EX_CONTROLPARENT);
        EXPECT_FALSE(ex & WS_EX_DLGMODALFRAME);
        EXPECT_EQ(GetParent(page->m_hWnd), form.m_hWnd);
    }
    // The first page is shown inside the tab's display area; a tab change swaps the pages.
    EXPECT_TRUE(IsWindowVisible(form.general->m_hWnd) || !IsWindowVisible(form.m_hWnd));
    RECT tabRc = ClientRectOf(form.m_hWnd, tab), pageRc = ClientRectOf(form.m_hWnd, form.general->m_hWnd);
    EXPECT_GT(pageRc.left, tabRc.left);
    EXPECT_GT(pageRc.top, tabRc.top);
    NMHDR hdr = {tab, 1187, static_cast<UINT>(TCN_SELCHANGING)};
    SendMessageW(form.m_hWnd, WM_NOTIFY, 1187, reinterpret_cast<LPARAM>(&hdr));
    SendMessageW(tab, TCM_SETCURSEL, 1, 0);
    hdr.code = TCN_SELCHANGE;
    SendMessageW(form.m_hWnd, WM_NOTIFY, 1187, reinterpret_cast<LPARAM>(&hdr));
    EXPECT_FALSE(GetWindowLongW(form.general->m_hWnd, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongW(form.members->m_hWnd, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(form.LoadPages());
    EXPECT_EQ(form.general->loads + form.members->loads, 2);
    form.Destroy();
}

TEST(CWMForm, ModifiedAndReadOnlyRulesForAnExistingObject)
{
    TestForm form(7);
    ASSERT_TRUE(form.Open());
    HWND ok = Item(form, IDOK), apply = Item(form, Form::kApplyId);
    struct Row { int op; bool value; bool okEnabled; bool applyEnabled; } rows[] = {
        {0, true, true, true},    // modified
        {0, false, true, false},  // saved
        {1, true, false, false},  // read-only
        {0, true, false, false},  // modified while read-only: Apply stays off
        {1, false, true, true},   // leaving read-only with changes
        {1, false, true, true},   // unchanged: nothing
    };
    for (const Row& r : rows) {
        if (r.op == 0) form.SetModified(r.value);
        else form.SetReadOnly(r.value);
        EXPECT_EQ(IsWindowEnabled(ok) != FALSE, r.okEnabled) << r.op << r.value;
        EXPECT_EQ(IsWindowEnabled(apply) != FALSE, r.applyEnabled) << r.op << r.value;
    }
    // Apply saves and keeps the form; OK saves and closes only when the save succeeds.
    SendMessageW(form.m_hWnd, WM_COMMAND, Form::kApplyId, 0);
    EXPECT_EQ(form.saves, 1);
    EXPECT_TRUE(form.IsWindow());
    form.members->accept = false;
    SendMessageW(form.m_hWnd, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(form.saves, 2);
    EXPECT_TRUE(form.IsWindow());
    form.members->accept = true;
    SendMessageW(form.m_hWnd, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(::IsWindow(form.m_hWnd));
}

TEST(CWMForm, NewObjectShowsOnlyOkAndCancelAtTheRightEdge)
{
    TestForm existing(7), fresh(0);
    ASSERT_TRUE(existing.Open());
    ASSERT_TRUE(fresh.Open());
    RECT cancelWas = ClientRectOf(existing.m_hWnd, Item(existing, IDCANCEL));
    RECT applyWas = ClientRectOf(existing.m_hWnd, Item(existing, Form::kApplyId));
    HWND apply = Item(fresh, Form::kApplyId);
    EXPECT_FALSE(GetWindowLongW(apply, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(IsWindowEnabled(apply));
    RECT ok = ClientRectOf(fresh.m_hWnd, Item(fresh, IDOK));
    RECT cancel = ClientRectOf(fresh.m_hWnd, Item(fresh, IDCANCEL));
    EXPECT_TRUE(EqualRect(&cancel, &applyWas));
    EXPECT_TRUE(EqualRect(&ok, &cancelWas));
    fresh.SetModified(true);
    EXPECT_FALSE(IsWindowEnabled(apply));
    existing.Destroy();
    fresh.Destroy();
}

TEST(CWMForm, ClosePromptOfAModifiedForm)
{
    struct Row { int answer; bool serverAccepts; bool stays; int saves; } rows[] = {
        {IDCANCEL, true, true, 0},
        {IDYES, false, true, 1}, // a refused save keeps the form and the edits
        {IDYES, true, false, 1},
        {IDNO, true, false, 0},
    };
    for (const Row& r : rows) {
        TestForm form(7);
        ASSERT_TRUE(form.Open());
        form.SetWindowText(L"Group");
        form.serverAccepts = r.serverAccepts;
        form.SetModified(true);
        {
            ScriptedMessageBoxAnswerer answers;
            answers.Expect([&](CTWndMessageBox& box, HWND) {
                EXPECT_STREQ(box.m_text, L"This form has been modified.\r\nSave changes before closing?");
                EXPECT_STREQ(box.m_caption, L"Group");
                box.Press(r.answer);
            });
            SendMessageW(form.m_hWnd, WM_CLOSE, 0, 0);
        }
        EXPECT_EQ(::IsWindow(form.m_hWnd) != FALSE, r.stays) << r.answer;
        EXPECT_EQ(form.saves, r.saves) << r.answer;
        if (r.stays) {
            EXPECT_TRUE(form.IsModified());
            form.Destroy();
        }
    }
}

TEST(CWMForm, CancelAndUnmodifiedCloseWithoutAPrompt)
{
    TestForm form(7);
    ASSERT_TRUE(form.Open());
    form.SetModified(true);
    SendMessageW(form.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    Pump();
    EXPECT_FALSE(::IsWindow(form.m_hWnd));
    EXPECT_EQ(form.saves, 0);
    // The window manager closes a modified form at once.
    TestForm other(8);
    ASSERT_TRUE(other.Open());
    other.SetModified(true);
    other.Close();
    EXPECT_FALSE(::IsWindow(other.m_hWnd));
}

TEST(CWMForm, RefreshPagesDropsADisabledSelectedPage)
{
    TestForm form(7);
    EXPECT_FALSE(form.RefreshPages());
    ASSERT_TRUE(form.Open());
    HWND tab = Item(form, 1187);
    SendMessageW(tab, TCM_SETCURSEL, 1, 0);
    form.members->enabled = false;
    EXPECT_TRUE(form.RefreshPages());
    EXPECT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 0);
    EXPECT_FALSE(form.members->IsWindow());
    EXPECT_TRUE(GetWindowLongW(form.general->m_hWnd, GWL_STYLE) & WS_VISIBLE);
    // Enabled again: created, given its tab back and loaded.
    form.members->enabled = true;
    EXPECT_TRUE(form.RefreshPages());
    EXPECT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_TRUE(form.members->IsWindow());
    EXPECT_EQ(form.members->loads, 1);
    // Saving stops at the first refusal.
    form.general->accept = false;
    EXPECT_FALSE(form.SavePages());
    EXPECT_EQ(form.members->saves, 0);
    form.Destroy();
}

TEST(CWMForm, PlacementIsStoredAndRestored)
{
    const wchar_t* name = L"TestFormPlacement";
    {
        TestForm form(7);
        ASSERT_TRUE(form.Open(name));
        MoveWindow(form.m_hWnd, 111, 77, 600, 650, TRUE);
        form.Destroy(); // stores the placement
    }
    {
        TestForm form(7);
        ASSERT_TRUE(form.Open(name));
        RECT rc;
        GetWindowRect(form.m_hWnd, &rc);
        EXPECT_EQ(rc.left, 111);
        EXPECT_EQ(rc.top, 77);
        EXPECT_EQ(rc.right - rc.left, 600);
        EXPECT_EQ(rc.bottom - rc.top, 650);
        form.Destroy();
    }
    // With a window to centre on, only the size is taken and the form is centred over it.
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 200, 200, 800, 700, nullptr, nullptr,
                                 nullptr, nullptr);
    TestForm form(7);
    form.m_param = reinterpret_cast<INT_PTR>(owner);
    ASSERT_TRUE(form.Open(name));
    RECT rc;
    GetWindowRect(form.m_hWnd, &rc);
    EXPECT_EQ(rc.right - rc.left, 600);
    EXPECT_EQ(rc.bottom - rc.top, 650);
    EXPECT_EQ(rc.left, 200 + (800 - 600) / 2);
    EXPECT_TRUE(IsWindowVisible(form.m_hWnd));
    form.Destroy();
    DestroyWindow(owner);
}

} // namespace

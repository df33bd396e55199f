#include <gtest/gtest.h>

#include "framework/CTWndWiz.h"
#include "tests/framework/FakeSeams.h"

struct WizTestPage : CTWndWizPage {
    bool skip = false;
    bool allowFinish = true;
    int finishes = 0;
    bool OnWizardFinish() override
    {
        ++finishes;
        return allowFinish;
    }
    int activations = 0;
    WizTestPage(UINT id, CTWndWizPage** state)
    {
        m_psp.hInstance = GetModuleHandleW(nullptr);
        m_psp.pszTemplate = MAKEINTRESOURCEW(id);
        m_state = state;
    }
    bool OnSetActive() override
    {
        ++activations;
        return !skip;
    }
};

struct DlgWizTest : CTWndWiz {
    CTWndWizPage* current = nullptr;
    WizTestPage* pages[3] = {};
    HPROPSHEETPAGE handles[3] = {};
    int cancels = 0;
    int finishes = 0;
    void OnFinish() override { ++finishes; }
    DlgWizTest()
    {
        for (int i = 0; i < 3; ++i) {
            pages[i] = new WizTestPage(601 + i, &current);
            m_pages.AddTail(pages[i]);
        }
        pages[0]->m_first = true;
        pages[2]->m_last = true;
        pages[2]->m_finishAllowed = true;
        pages[2]->m_finishText = L"Create";
        pages[1]->skip = true;
        for (int i = 0; i < 3; ++i) handles[i] = pages[i]->CreateSheetPage(this);
        m_header.nPages = 3;
        m_header.phpage = handles;
        m_header.hInstance = GetModuleHandleW(nullptr);
    }
    void OnCancel() override { ++cancels; }
};

namespace {

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

TEST(CTWndWiz, ButtonFlagsFollowThePagesPlaceAndPermissions)
{
    struct Row { bool first, last, finish, forward, back; DWORD flags; } rows[] = {
        {true, false, false, true, true, PSWIZB_NEXT},
        {false, false, false, true, true, PSWIZB_BACK | PSWIZB_NEXT},
        {false, false, false, false, false, 0},
        {false, true, true, true, true, PSWIZB_BACK | PSWIZB_FINISH},
        {false, true, true, false, true, PSWIZB_BACK | PSWIZB_DISABLEDFINISH},
        {false, true, false, true, true, PSWIZB_BACK | PSWIZB_DISABLEDFINISH},
    };
    for (const Row& r : rows) {
        CTWndWizPage page;
        page.m_first = r.first;
        page.m_last = r.last;
        page.m_finishAllowed = r.finish;
        page.m_forwardAllowed = r.forward;
        page.m_backAllowed = r.back;
        EXPECT_EQ(page.ButtonFlags(), r.flags);
    }
}

TEST(CTWndWiz, RunsModelesslySkipsPagesAndCancelsFromTheCloseBox)
{
    DlgWizTest wiz;
    EXPECT_EQ(wiz.m_header.dwSize, 96u);
    EXPECT_EQ(wiz.m_header.dwFlags, 0x805A0u);
    EXPECT_STREQ(wiz.PlacementName().GetBuffer(), L"class DlgWizTest");
    EXPECT_TRUE(wiz.pages[0]->m_psp.dwFlags & PSP_HIDEHEADER);
    EXPECT_FALSE(wiz.pages[1]->m_psp.dwFlags & PSP_HIDEHEADER);
    ASSERT_NE(wiz.Run(), -1);
    ASSERT_TRUE(::IsWindow(wiz.m_hWnd));
    Pump();
    EXPECT_EQ(wiz.current, wiz.pages[0]);
    // Next skips the page that refuses activation.
    SendMessageW(wiz.m_hWnd, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    Pump();
    EXPECT_EQ(wiz.pages[1]->activations, 1);
    EXPECT_EQ(wiz.current, wiz.pages[2]);
    wchar_t text[32] = {};
    GetDlgItemTextW(wiz.m_hWnd, 12325, text, 32);
    EXPECT_STREQ(text, L"Create");
    // The close box acts as Cancel and ends the modeless sheet.
    SendMessageW(wiz.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    EXPECT_EQ(wiz.cancels, 1);
    EXPECT_FALSE(wiz.IsWindow());
}

TEST(CTWndWiz, FinishRefusedByThePageKeepsTheWizardOpen)
{
    DlgWizTest wiz;
    wiz.pages[1]->skip = false;
    wiz.pages[2]->allowFinish = false;
    ASSERT_NE(wiz.Run(), -1);
    Pump();
    SendMessageW(wiz.m_hWnd, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    Pump();
    EXPECT_EQ(wiz.current, wiz.pages[1]);
    SendMessageW(wiz.m_hWnd, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    Pump();
    ASSERT_EQ(wiz.current, wiz.pages[2]);
    HWND finish = GetDlgItem(wiz.m_hWnd, 12325);
    SendMessageW(finish, BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(wiz.pages[2]->finishes, 1);
    EXPECT_EQ(wiz.pages[2]->m_navigation, CTWndWizPage::kFinish);
    EXPECT_EQ(wiz.finishes, 0);
    ASSERT_TRUE(wiz.IsWindow());
    wiz.pages[2]->allowFinish = true;
    SendMessageW(finish, BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(wiz.finishes, 1);
    EXPECT_FALSE(wiz.IsWindow());
}

} // namespace

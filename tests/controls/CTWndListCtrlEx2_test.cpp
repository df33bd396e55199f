#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "controls/CTWndListCtrlEx2.h"
#include "framework/CTREngine.h"
#include "tests/framework/FakeSeams.h"
#include "tests/framework/MemoryBitmap.h"

namespace {
struct Forwarded {
    HWND from;
    UINT_PTR id;
    UINT code;
    UINT keyFlags; // NM_CLICK
};
std::vector<Forwarded> g_forwarded;
std::vector<WPARAM> g_commands;

// A dialog holding the frame: it sees the frame's forwarded notifications and commands.
LRESULT CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND) g_commands.push_back(wParam);
    if (msg == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        UINT flags = hdr->code == static_cast<UINT>(NM_CLICK) ? reinterpret_cast<NMITEMACTIVATE*>(hdr)->uKeyFlags : 0;
        g_forwarded.push_back({hdr->hwndFrom, hdr->idFrom, hdr->code, flags});
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreateDialogHost()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DialogProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"FrameTestDialog";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        RegisterClassW(&wc);
        registered = true;
    }
    return CreateWindowExW(0, L"FrameTestDialog", L"dialog", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 420,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

const CTListCtrlReportEx::ToolbarButton kButtons[] = {
    {CTListCtrlReportEx::CmdNew, CTListCtrlReportEx::kStandardImage, 0, BTNS_BUTTON},
    {CTListCtrlReportEx::CmdDelete, CTListCtrlReportEx::kStandardImage, 0, BTNS_BUTTON},
};

RECT ChildRect(HWND child, HWND parent)
{
    RECT rc = {};
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_forwarded.clear();
        g_commands.clear();
        dialog = CreateDialogHost();
        ASSERT_NE(nullptr, dialog);
    }
    void TearDown() override
    {
        frame.Destroy();
        if (dialog) DestroyWindow(dialog);
        CTREngine::Instance()->m_themeApi.SetModule(LoadLibraryW(L"UxTheme.dll"), true);
    }
    void Make(bool toolbar)
    {
        ASSERT_TRUE(frame.Create(dialog, 1200, false, 0));
        MoveWindow(frame.m_hWnd, 10, 10, 500, 300, TRUE);
        if (toolbar) ASSERT_TRUE(frame.CreateToolbar(nullptr, 0, 2, kButtons));
        frame.SetColumns(L"Name,120;Size,60", 0, nullptr, nullptr);
        SetWindowTextW(frame.m_hWnd, L"Computers");
    }

    HWND dialog = nullptr;
    CTWndListCtrlEx2 frame;
};
} // namespace

TEST_F(FrameTest, PlacesToolbarInTheBandAndTheReportBelow)
{
    Make(true);
    wchar_t name[64] = {};
    GetClassNameW(frame.m_hWnd, name, 64);
    EXPECT_STREQ(L"TWndListCtrlEx2", name);
    EXPECT_EQ(1200, GetDlgCtrlID(frame.m_hWnd));
    EXPECT_TRUE(GetWindowLongPtrW(frame.m_hWnd, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    EXPECT_FALSE(GetWindowLongPtrW(frame.m_report.m_hWnd, GWL_STYLE) & WS_BORDER);
    EXPECT_FALSE(GetWindowLongPtrW(frame.m_report.m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    RECT client = {};
    GetClientRect(frame.m_hWnd, &client);
    SIZE size = {};
    SendMessageW(frame.m_report.m_toolbar.m_hWnd, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    bool themed = CTREngine::ThemeApi()->IsThemeActive();
    RECT toolbar = ChildRect(frame.m_report.m_toolbar.m_hWnd, frame.m_hWnd);
    RECT report = ChildRect(frame.m_report.m_hWnd, frame.m_hWnd);
    EXPECT_EQ(client.right - size.cx - (themed ? 0 : 1), toolbar.left);
    EXPECT_EQ(themed ? 0 : 1, toolbar.top);
    EXPECT_EQ(size.cy + 1 + (themed ? 0 : 2), frame.m_bandHeight);
    EXPECT_EQ(frame.m_bandHeight, report.top);
    EXPECT_EQ(client.bottom, report.bottom);

    // Without visual styles: one pixel lower and further left, the band two pixels taller.
    CTREngine::Instance()->m_themeApi.SetModule(nullptr, false);
    SendMessageW(frame.m_hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    RECT classic = ChildRect(frame.m_report.m_toolbar.m_hWnd, frame.m_hWnd);
    EXPECT_EQ(client.right - size.cx - 1, classic.left);
    EXPECT_EQ(1, classic.top);
    EXPECT_EQ(size.cy + 3, frame.m_bandHeight);
}

TEST_F(FrameTest, CaptionIsPaintedOnlyWithAToolbar)
{
    for (bool toolbar : {true, false}) {
        SCOPED_TRACE(toolbar);
        CTWndListCtrlEx2 other;
        ASSERT_TRUE(other.Create(dialog, 1201, false, 0));
        MoveWindow(other.m_hWnd, 10, 10, 500, 300, TRUE);
        if (toolbar) other.CreateToolbar(nullptr, 0, 2, kButtons);
        other.SetCaption(L"Computers");
        if (!toolbar) {
            EXPECT_EQ(0, other.m_bandHeight);
            EXPECT_EQ(0, ChildRect(other.m_report.m_hWnd, other.m_hWnd).top);
            other.Destroy();
            continue;
        }
        MemoryBitmap bitmap(500, 300, RGB(1, 2, 3));
        HDC dc = bitmap.dc;
        other.PaintCaptionBand(dc, false);
        GdiFlush();
        int ink = 0;
        for (int y = 0; y < other.m_bandHeight; ++y)
            for (int x = 0; x < 200; ++x)
                if (!Near(bitmap.At(x, y), GetSysColor(COLOR_BTNFACE), 8)) ++ink;
        EXPECT_GT(ink, 20);
        other.Destroy();
    }
}

TEST_F(FrameTest, ForwardsClicksAndSortNoticesAsItsOwn)
{
    Make(true);
    CTListCtrlReport::Row row;
    row.AddText(L"a").AddNumber(1);
    frame.m_report.AddRow(-1, row);

    NMITEMACTIVATE click = {};
    click.hdr = {frame.m_report.m_hWnd, 0, static_cast<UINT>(NM_CLICK)};
    click.uKeyFlags = 0xE1;
    g_forwarded.clear();
    SendMessageW(frame.m_hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    ASSERT_EQ(1u, g_forwarded.size());
    EXPECT_EQ(frame.m_hWnd, g_forwarded[0].from);
    EXPECT_EQ(1200u, g_forwarded[0].id);
    EXPECT_EQ(0x31u, g_forwarded[0].keyFlags);

    // The toolbar's shorter record is forwarded as a marked copy.
    NMMOUSE mouse = {};
    mouse.hdr = {frame.m_report.m_toolbar.m_hWnd, 0, static_cast<UINT>(NM_CLICK)};
    mouse.dwItemSpec = CTListCtrlReportEx::CmdNew;
    SendMessageW(frame.m_hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&mouse));
    ASSERT_EQ(2u, g_forwarded.size());
    EXPECT_EQ(frame.m_hWnd, g_forwarded[1].from);
    EXPECT_EQ(0x50u, g_forwarded[1].keyFlags);

    // A header click sorts in the report; the dialog sees -201 and then -202 from the frame.
    g_forwarded.clear();
    frame.m_report.SortBy(0, true);
    Pump();
    std::vector<UINT> codes;
    for (const Forwarded& f : g_forwarded)
        if (f.from == frame.m_hWnd) codes.push_back(f.code);
    EXPECT_EQ((std::vector<UINT>{static_cast<UINT>(-201), static_cast<UINT>(-202)}), codes);

    // Deleting a row: the dialog hears of it once, from the frame.
    g_forwarded.clear();
    frame.m_report.DeleteAllRows();
    int deleted = 0;
    for (const Forwarded& f : g_forwarded) deleted += f.code == static_cast<UINT>(LVN_DELETEITEM) && f.from == frame.m_hWnd;
    EXPECT_EQ(1, deleted);
    EXPECT_TRUE(frame.m_report.m_rows.IsEmpty());

    // Notifications from elsewhere are not the frame's.
    NMHDR stranger = {dialog, 5, static_cast<UINT>(NM_CLICK)};
    LRESULT result = 0;
    EXPECT_FALSE(frame.OnNotify(0, &stranger, &result));
}

TEST_F(FrameTest, ToolbarDeleteWaitsForTheConfirmation)
{
    Make(true);
    frame.m_report.EnableDeleteConfirm(dialog, GetModuleHandleW(nullptr), 0, 900, false);
    CTListCtrlReport::Row row;
    row.AddText(L"PC-1").AddNumber(1);
    int item = frame.m_report.AddRow(-1, row);
    LVITEMW lvi = {};
    lvi.state = lvi.stateMask = LVIS_SELECTED;
    SendMessageW(frame.m_report.m_hWnd, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&lvi));
    HWND toolbar = frame.m_report.m_toolbar.m_hWnd;
    for (int button : {IDCANCEL, CTListCtrlReportEx::kDeleteButton}) {
        SCOPED_TRACE(button);
        ScriptedMessageBoxAnswerer answerer;
        std::wstring text;
        answerer.Expect([&](CTWndMessageBox& box, HWND) {
            text = box.m_text;
            box.Press(button);
        });
        g_commands.clear();
        SendMessageW(frame.m_hWnd, WM_COMMAND, MAKEWPARAM(CTListCtrlReportEx::CmdDelete, BN_CLICKED),
                     reinterpret_cast<LPARAM>(toolbar));
        EXPECT_EQ(L"Are you sure you want to delete Computer 'PC-1'?", text);
        if (button == IDCANCEL) EXPECT_TRUE(g_commands.empty());
        else EXPECT_EQ((std::vector<WPARAM>{MAKEWPARAM(CTListCtrlReportEx::CmdDelete, BN_CLICKED)}), g_commands);
    }
    g_commands.clear();
    SendMessageW(frame.m_hWnd, WM_COMMAND, CTListCtrlReportEx::CmdNew, reinterpret_cast<LPARAM>(toolbar));
    EXPECT_EQ((std::vector<WPARAM>{static_cast<WPARAM>(CTListCtrlReportEx::CmdNew)}), g_commands);
}

TEST_F(FrameTest, EnableSetsEveryToolbarButton)
{
    Make(true);
    HWND toolbar = frame.m_report.m_toolbar.m_hWnd;
    frame.Enable(false);
    EXPECT_FALSE(IsWindowEnabled(frame.m_hWnd));
    EXPECT_EQ(0, SendMessageW(toolbar, TB_GETSTATE, CTListCtrlReportEx::CmdNew, 0));
    frame.Enable(true);
    EXPECT_TRUE(IsWindowEnabled(frame.m_hWnd));
    EXPECT_TRUE(SendMessageW(toolbar, TB_GETSTATE, CTListCtrlReportEx::CmdDelete, 0) & TBSTATE_ENABLED);
    // Disabling the frame from outside reaches the report and the toolbar.
    EnableWindow(frame.m_hWnd, FALSE);
    EXPECT_FALSE(IsWindowEnabled(frame.m_report.m_hWnd));
    EXPECT_EQ(0, SendMessageW(toolbar, TB_GETSTATE, CTListCtrlReportEx::CmdNew, 0));
    EnableWindow(frame.m_hWnd, TRUE);
}

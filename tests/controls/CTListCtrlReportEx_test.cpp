#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "controls/CTListCtrlReportEx.h"
#include "tests/framework/FakeSeams.h"
#include "tests/framework/MemoryBitmap.h"

namespace {
struct Note {
    UINT code;
    int item;         // code 4: iItem; codes 7 and 8: the id asked about
    std::wstring text; // code 5: the text
};
std::vector<Note> g_notes;
std::vector<std::pair<WPARAM, LPARAM>> g_commands;
HMENU g_dropDown = nullptr;   // the answer to code 7
HICON g_itemIcon = nullptr;   // the answer to code 8
const wchar_t* g_checkText = nullptr; // set into the record of code 5

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND) g_commands.emplace_back(wParam, lParam);
    if (msg == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (auto* list = dynamic_cast<CTListCtrlReportEx*>(CTWnd2::FromHandle(hdr->hwndFrom))) {
            LRESULT result = 0;
            if (list->OnParentNotify(hdr, &result)) return result;
            switch (hdr->code) {
            case CTListCtrlReportEx::CodeActivate:
                g_notes.push_back({hdr->code, reinterpret_cast<NMITEMACTIVATE*>(hdr)->iItem, L""});
                return 0;
            case CTListCtrlReportEx::CodeConfirmDelete: {
                auto* info = reinterpret_cast<DeleteConfirmInfo*>(hdr);
                g_notes.push_back({hdr->code, info->count, info->text.GetBuffer() ? info->text.GetBuffer() : L""});
                if (g_checkText) info->checkText = g_checkText;
                return 0;
            }
            case CTListCtrlReportEx::CodeDropDownMenu:
                g_notes.push_back({hdr->code, reinterpret_cast<ReportCommandInfo*>(hdr)->id, L""});
                return reinterpret_cast<LRESULT>(g_dropDown);
            case CTListCtrlReportEx::CodeMenuItemIcon:
                g_notes.push_back({hdr->code, reinterpret_cast<ReportCommandInfo*>(hdr)->id, L""});
                return reinterpret_cast<LRESULT>(g_itemIcon);
            case CTListCtrlReportEx::CodeInsert:
            case CTListCtrlReportEx::CodeDelete:
            case CTListCtrlReportEx::CodeMouseLeft:
                g_notes.push_back({hdr->code, -1, L""});
                return 0;
            default:
                break;
            }
        }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreateHost()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ReportExTestHost";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        RegisterClassW(&wc);
        registered = true;
    }
    return CreateWindowExW(0, L"ReportExTestHost", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 400, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::vector<UINT> Codes()
{
    std::vector<UINT> out;
    for (const Note& n : g_notes) out.push_back(n.code);
    return out;
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class ReportExTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_notes.clear();
        g_commands.clear();
        g_dropDown = nullptr;
        g_itemIcon = nullptr;
        g_checkText = nullptr;
        host = CreateHost();
        ASSERT_NE(nullptr, host);
        ASSERT_TRUE(list.CreateReport(host, 100, 0));
        MoveWindow(list.m_hWnd, 0, 40, 600, 300, TRUE);
        list.SetColumns(L"Name,120;Size,60", 0, nullptr, nullptr);
    }
    void TearDown() override
    {
        list.Destroy();
        if (host) DestroyWindow(host);
    }
    int Add(const wchar_t* name, void* data)
    {
        CTListCtrlReport::Row row(data);
        row.AddText(name).AddNumber(1);
        return list.AddRow(-1, row);
    }
    void Select(int item, bool focus = false)
    {
        LVITEMW lvi = {};
        lvi.state = LVIS_SELECTED | (focus ? LVIS_FOCUSED : 0);
        lvi.stateMask = lvi.state;
        SendMessageW(list.m_hWnd, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&lvi));
    }
    void Key(WPARAM key) { SendMessageW(list.m_hWnd, WM_KEYDOWN, key, 0); }

    HWND host = nullptr;
    CTListCtrlReportEx list;
};

// Ink that is neither the window colour nor the marker colour the bitmap started with.
int Ink(const MemoryBitmap& bitmap, const RECT& rc)
{
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            if (!Near(bitmap.At(x, y), GetSysColor(COLOR_WINDOW), 8)) ++n;
    return n;
}
} // namespace

TEST_F(ReportExTest, EmptyTextShowsUntilTheFirstRow)
{
    list.ModifyOptions(CTListCtrlReport::OptGridLines, 0); // no lines across the empty area
    EXPECT_FALSE(list.IsEmptyTextShown());
    list.SetEmptyText(L"There are no computers in this list.");
    EXPECT_TRUE(list.IsEmptyTextShown());
    RECT header = {};
    GetWindowRect(list.m_header.m_hWnd, &header);
    RECT below = {0, header.bottom - header.top + GetSystemMetrics(SM_CYHSCROLL), 590, 80};

    MemoryBitmap plain(600, 300, RGB(1, 2, 3));
    SendMessageW(list.m_hWnd, WM_PRINT, reinterpret_cast<WPARAM>(plain.dc), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    int text = Ink(plain, below);
    EXPECT_GT(text, 20);
    // Centred: as much ink left of the middle as right of it, roughly.
    RECT left = below, right = below;
    left.right = right.left = 300;
    int l = Ink(plain, left), r = Ink(plain, right);
    EXPECT_GT(l, text / 4);
    EXPECT_GT(r, text / 4);

    ::SetFocus(list.m_hWnd);
    MemoryBitmap focused(600, 300, RGB(1, 2, 3));
    SendMessageW(list.m_hWnd, WM_PRINT, reinterpret_cast<WPARAM>(focused.dc), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    EXPECT_GT(Ink(focused, below), text); // the focus rectangle round the text

    Add(L"first", nullptr);
    EXPECT_FALSE(list.IsEmptyTextShown());
    MemoryBitmap filled(600, 300, RGB(1, 2, 3));
    SendMessageW(list.m_hWnd, WM_PRINT, reinterpret_cast<WPARAM>(filled.dc), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    RECT lower = below;
    lower.top += 30; // below the first row
    EXPECT_EQ(0, Ink(filled, lower));
}

TEST_F(ReportExTest, KeysNotifyActivateInsertAndDelete)
{
    int keys[2];
    Add(L"a", &keys[0]);
    int b = Add(L"b", &keys[1]);
    Key(VK_RETURN); // no focused item: nothing
    EXPECT_TRUE(g_notes.empty());
    Select(b, true);
    Key(VK_RETURN);
    Key(VK_SPACE);
    Key(VK_INSERT);
    ASSERT_EQ((std::vector<UINT>{4, 4, 1}), Codes());
    EXPECT_EQ(b, g_notes[0].item);
    g_notes.clear();
    Key(VK_DELETE); // no confirmation asked for
    EXPECT_EQ((std::vector<UINT>{2}), Codes());

    // With the confirmation on but nothing selected: code 2 without a box (the strict answerer
    // fails the test on any box).
    list.EnableDeleteConfirm(host, GetModuleHandleW(nullptr), 0, 900, false);
    LVITEMW none = {};
    none.stateMask = LVIS_SELECTED;
    SendMessageW(list.m_hWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    g_notes.clear();
    Key(VK_DELETE);
    EXPECT_EQ((std::vector<UINT>{2}), Codes());
}

TEST_F(ReportExTest, SingleDeleteConfirmationNamesTheRow)
{
    list.EnableDeleteConfirm(host, GetModuleHandleW(nullptr), 0, 900, true);
    int item = Add(L"", nullptr); // an empty first column shows as "?"
    Select(item);
    struct Case {
        int button;
        bool confirmed;
    };
    for (Case c : {Case{CTListCtrlReportEx::kDeleteButton, true}, Case{IDCANCEL, false}}) {
        SCOPED_TRACE(c.button);
        ScriptedMessageBoxAnswerer answerer;
        std::wstring caption, text;
        DWORD style = 0;
        answerer.Expect([&](CTWndMessageBox& box, HWND) {
            caption = box.m_caption;
            text = box.m_text;
            style = box.m_style;
            box.Press(c.button);
        });
        g_notes.clear();
        Key(VK_DELETE);
        EXPECT_EQ(L"Delete Computer", caption);
        EXPECT_EQ(L"Are you sure you want to delete Computer '?'?", text);
        EXPECT_EQ(10u, style);
        ASSERT_FALSE(g_notes.empty());
        EXPECT_EQ(5u, g_notes[0].code); // before the box
        EXPECT_EQ(text, g_notes[0].text);
        EXPECT_EQ(c.confirmed ? (std::vector<UINT>{5, 2}) : (std::vector<UINT>{5}), Codes());
    }
}

TEST_F(ReportExTest, MultipleDeleteConfirmationWithTheParentsCheckBox)
{
    list.ModifyStyle(LVS_SINGLESEL, 0, 0);
    list.EnableDeleteConfirm(host, GetModuleHandleW(nullptr), 0, 900, true);
    for (const wchar_t* name : {L"a", L"b", L"c"}) Add(name, nullptr);
    for (int i = 0; i < 3; ++i) Select(i);
    g_checkText = L"Also delete the history";
    ScriptedMessageBoxAnswerer answerer;
    std::wstring caption, text, check;
    DWORD style = 0;
    answerer.Expect([&](CTWndMessageBox& box, HWND) {
        caption = box.m_caption;
        text = box.m_text;
        check = box.GetCheckText();
        style = box.m_style;
        box.SetChecked(true);
        box.Press(CTListCtrlReportEx::kDeleteButton);
    });
    int result = 0;
    EXPECT_TRUE(list.ConfirmDelete(&result));
    EXPECT_EQ(L"Confirm Multiple Computer Delete", caption);
    EXPECT_EQ(L"Are you sure you want to delete these 3 items?", text);
    EXPECT_EQ(L"Also delete the history", check);
    EXPECT_EQ(0x100000Au, style);
    EXPECT_EQ(CTListCtrlReportEx::kDeleteButton | static_cast<int>(CTWndMessageBox::kChecked), result);
}

TEST_F(ReportExTest, KeyboardContextMenuMirrorsTheToolbar)
{
    const CTListCtrlReportEx::ToolbarButton buttons[] = {
        {257, CTListCtrlReportEx::kStandardImage, 0, BTNS_BUTTON},
        {0, 0, 0, BTNS_SEP},
        {300, 0, 0, BTNS_CHECK},
        {301, 0, 0, BTNS_DROPDOWN},
        {258, CTListCtrlReportEx::kStandardImage, 0, BTNS_BUTTON},
    };
    ASSERT_TRUE(list.CreateToolbar(host, nullptr, 0, 5, buttons));
    EXPECT_EQ(STD_FILENEW, list.m_toolbar.GetButtonImage(257));
    EXPECT_EQ(STD_DELETE, list.m_toolbar.GetButtonImage(258));
    list.m_toolbar.SetButtonState(258, 0); // disabled
    g_dropDown = CreatePopupMenu();
    AppendMenuW(g_dropDown, MF_STRING, 700, L"first");
    AppendMenuW(g_dropDown, MF_STRING, 701, L"second");
    g_itemIcon = LoadIconW(nullptr, IDI_APPLICATION);

    int item = Add(L"a", nullptr);
    Select(item);

    struct Driver : PopupMenuDriver {
        Driver() { PopupMenuDriver::Install(this); }
        ~Driver() override { PopupMenuDriver::Install(nullptr); }
        UINT ChooseCommand(HMENU menu, UINT, int x, int y, HWND) override
        {
            at = {x, y};
            count = GetMenuItemCount(menu);
            for (int i = 0; i < count; ++i) states.push_back(GetMenuState(menu, i, MF_BYPOSITION));
            subItems = GetSubMenu(menu, 3) ? GetMenuItemCount(GetSubMenu(menu, 3)) : -1;
            return command;
        }
        UINT command = 0;
        POINT at = {};
        int count = 0;
        int subItems = 0;
        std::vector<UINT> states;
    } driver;

    // Shift+F10: half an item height right of and below the selected item's position.
    SendMessageW(list.m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list.m_hWnd), -1);
    POINT position = {};
    SendMessageW(list.m_hWnd, LVM_GETITEMPOSITION, item, reinterpret_cast<LPARAM>(&position));
    RECT icon = {LVIR_ICON, 0, 0, 0};
    SendMessageW(list.m_hWnd, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&icon));
    POINT expected = {position.x + (icon.bottom - icon.top) / 2, position.y + (icon.bottom - icon.top) / 2};
    ClientToScreen(list.m_hWnd, &expected);
    EXPECT_EQ(expected.x, driver.at.x);
    EXPECT_EQ(expected.y, driver.at.y);
    ASSERT_EQ(5, driver.count);
    EXPECT_TRUE(driver.states[1] & MF_SEPARATOR);
    EXPECT_TRUE(driver.states[4] & MF_DISABLED);
    EXPECT_EQ(2, driver.subItems);
    EXPECT_EQ((std::vector<UINT>{7, 8, 8}), Codes());
    EXPECT_EQ(301, g_notes[0].item);
    EXPECT_EQ(700, g_notes[1].item);
    // Nothing chosen: command 0 still goes to the parent, from the toolbar.
    ASSERT_EQ(1u, g_commands.size());
    EXPECT_EQ(0u, LOWORD(g_commands[0].first));
    EXPECT_EQ(reinterpret_cast<LPARAM>(list.m_toolbar.m_hWnd), g_commands[0].second);
    EXPECT_FALSE(IsMenu(g_dropDown)); // destroyed after tracking

    // Choosing the check button toggles it.
    g_dropDown = nullptr; // the parent offers no menu now: the drop-down item is disabled
    driver.command = 300;
    driver.states.clear();
    g_commands.clear();
    SendMessageW(list.m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list.m_hWnd), -1);
    EXPECT_TRUE(driver.states[3] & MF_DISABLED);
    EXPECT_TRUE(SendMessageW(list.m_toolbar.m_hWnd, TB_ISBUTTONCHECKED, 300, 0));
    ASSERT_EQ(1u, g_commands.size());
    EXPECT_EQ(300u, LOWORD(g_commands[0].first));

    // Without a toolbar, or while disabled, the menu is not the report's.
    EnableWindow(list.m_hWnd, FALSE);
    EXPECT_FALSE(list.ShowToolbarMenu(static_cast<LPARAM>(-1)));
}

TEST_F(ReportExTest, MouseLeavingTheListNotifiesWithTheOption)
{
    list.ModifyOptions(0, CTListCtrlReport::OptMouseLeave);
    SendMessageW(list.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(10, 40));
    EXPECT_TRUE(list.m_trackingLeave);
    SendMessageW(list.m_hWnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(list.m_trackingLeave);
    EXPECT_EQ((std::vector<UINT>{6}), Codes());
    list.ModifyOptions(CTListCtrlReport::OptMouseLeave, 0);
    SendMessageW(list.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(10, 40));
    SendMessageW(list.m_hWnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(1u, g_notes.size());
    Pump();
}

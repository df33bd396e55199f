// The data point pane on a main window signed in to the fixture server under Xvfb: the items of
// the data point, its linked objects, and copying an item cell through the pane's context menu.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <string>
#include <vector>
#include "app/App.h"
#include "app/CTWndConsole.h"
#include "app/DlgDataPoint.h"
#include "app/MainWindow.h"
#include "framework/CTApp.h"
#include "framework/CTREngineDraw.h"
#include "framework/MemoryBitmap.h"
#include "controls/CDrawDiv.h"
#include "controls/CDrawText.h"
#include "framework/PopupMenuDriver.h"
#include "session/FixtureServer.h"

#include "SignedInSession.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;

constexpr __int64 kDataPoint = 120;   // the fixture's data point, linked from PC-001 twice and Ada once

std::wstring Cell(HWND list, int item, int column)
{
    wchar_t text[1024] = {};
    ListView_GetItemText(list, item, column, text, 1023);
    return text;
}

std::vector<std::wstring> Column(HWND list, int column)
{
    std::vector<std::wstring> out;
    int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        out.push_back(Cell(list, i, column));
    return out;
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return L"<no clipboard>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void SetClipboardText(const wchar_t* text)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(block), text, bytes);
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
}

// Picks a fixed command and keeps the texts of the menu it was shown.
class MenuPicker : public PopupMenuDriver {
public:
    UINT answer = 0;
    UINT flags = 0;
    std::vector<UINT> commands;
    UINT ChooseCommand(HMENU menu, UINT trackFlags, int, int, HWND) override
    {
        flags = trackFlags;
        commands.clear();
        for (int i = 0; i < GetMenuItemCount(menu); ++i)
            commands.push_back(GetMenuItemID(menu, i));
        return answer;
    }
};

// A right click on an item cell, as the item list reports it to the pane.
void RightClick(DlgDataPoint& pane, int item, int subItem)
{
    NMITEMACTIVATE click = {};
    click.hdr.hwndFrom = pane.m_items.m_hWnd;
    click.hdr.idFrom = DlgDataPoint::kIdItems;
    click.hdr.code = NM_RCLICK;
    click.iItem = item;
    click.iSubItem = subItem;
    click.ptAction = POINT{10, 10};
    SendMessageW(pane.m_hWnd, WM_NOTIFY, DlgDataPoint::kIdItems, reinterpret_cast<LPARAM>(&click));
}

class DataPointPane : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_app = signedin::SignIn(); }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }
    void SetUp() override
    {
        ASSERT_NE(nullptr, s_app);
        main = s_app->m_mainWindow;
    }

    DlgDataPoint* Show(__int64 id)
    {
        if (!main->ShowConsole(DlgDataPoint::kConsoleType, id, false))
            return nullptr;
        auto* pane = dynamic_cast<DlgDataPoint*>(main->FindConsole(DlgDataPoint::kConsoleType, id));
        if (pane)
            PumpUntil(*s_app, [&] { return pane->m_links.m_report.GetItemCount() >= 3; }, 10000);
        Settle(*s_app);
        return pane;
    }

    static App* s_app;
    MainWindow* main = nullptr;
};

App* DataPointPane::s_app = nullptr;

} // namespace

TEST_F(DataPointPane, ShowsTheItemsAndEveryLinkedObject)
{
    DlgDataPoint* pane = Show(kDataPoint);
    ASSERT_NE(nullptr, pane);
    EXPECT_EQ(pane, dynamic_cast<DlgDataPoint*>(main->m_current));
    // The band's icon is the pane's own picture, which the program carries.
    HICON picture = LoadEmfIcon(DlgDataPoint::kPicture, 32, 32);
    EXPECT_NE(nullptr, picture);
    if (picture)
        DestroyIcon(picture);
    EXPECT_NE(nullptr, pane->m_icon.icon);

    // The heading (name, type, created, updated) fits inside its band: no line is cut off.
    RECT band = {};
    GetClientRect(pane->m_header.m_hWnd, &band);
    MemoryBitmap canvas(band.right, band.bottom);
    pane->m_header.Render(canvas.dc, true);
    auto* heading = dynamic_cast<const CDraw::CDrawDiv*>(pane->m_header.doc.root.FirstChild());
    ASSERT_NE(nullptr, heading);
    int lines = 0;
    for (const CDraw::CDrawBase* line = heading->FirstChild(); line;
         line = static_cast<const CDraw::CDrawBase*>(line->GetNext())) {
        if (!dynamic_cast<const CDraw::CDrawText*>(line))
            continue;
        ++lines;
        EXPECT_GE(line->bounds.top, 0) << lines;
        EXPECT_LE(line->bounds.bottom, band.bottom) << lines;
    }
    EXPECT_EQ(4, lines);

    // Category rows, then their items with the values from the document.
    HWND items = pane->m_items.m_hWnd;
    std::vector<std::wstring> labels = Column(items, 0), values = Column(items, 1);
    ASSERT_EQ(5u, labels.size());
    EXPECT_EQ((std::vector<std::wstring>{L"Hardware", L"Processor", L"Memory", L"Notes", L"Remark"}), labels);
    EXPECT_EQ(L"Fast CPU", values[1]);
    EXPECT_EQ(L"8 GB", values[2]);

    // Three links, oldest first; the two from PC-001 keep their own times.
    HWND links = pane->m_links.m_report.m_hWnd;
    std::vector<std::wstring> times = Column(links, 0), names = Column(links, 1), types = Column(links, 2);
    EXPECT_EQ((std::vector<std::wstring>{L"Ada Lovelace", L"PC-001", L"PC-001"}), names);
    EXPECT_EQ((std::vector<std::wstring>{L"Schedule User", L"Computer", L"Computer"}), types);
    ASSERT_EQ(3u, times.size());
    EXPECT_FALSE(times[0].empty());
    EXPECT_NE(times[1], times[2]);
    EXPECT_EQ(3u, pane->m_linkObjects.size());

    // A second refresh replaces the rows instead of adding to them.
    pane->Refresh();
    Settle(*s_app);
    EXPECT_EQ(3, pane->m_links.m_report.GetItemCount());
    EXPECT_EQ(5, pane->m_items.GetItemCount());
}

TEST_F(DataPointPane, CopyPutsTheClickedCellOnTheClipboard)
{
    DlgDataPoint* pane = Show(kDataPoint);
    ASSERT_NE(nullptr, pane);
    ASSERT_EQ(5, pane->m_items.GetItemCount());
    MenuPicker picker;
    PopupMenuDriver::Install(&picker);

    // Dismissing the menu leaves the clipboard alone.
    SetClipboardText(L"before");
    picker.answer = 0;
    RightClick(*pane, 1, 1);
    EXPECT_EQ((std::vector<UINT>{DlgDataPoint::kCmdCopy}), picker.commands);
    EXPECT_EQ(static_cast<UINT>(TPM_RETURNCMD | TPM_NONOTIFY), picker.flags & (TPM_RETURNCMD | TPM_NONOTIFY));
    EXPECT_EQ(L"before", ClipboardText());

    struct Case {
        int item, subItem;
        std::wstring expected;
    } cases[] = {
        {1, 1, L"Fast CPU"},
        {2, 0, L"Memory"},
        {4, 1, std::wstring(259, L'x')},   // a longer cell gives its first 259 characters
    };
    picker.answer = DlgDataPoint::kCmdCopy;
    for (const Case& c : cases) {
        RightClick(*pane, c.item, c.subItem);
        EXPECT_EQ(c.expected, ClipboardText()) << c.item << "," << c.subItem;
    }
    PopupMenuDriver::Install(nullptr);
}

TEST_F(DataPointPane, ClosingThePaneBeforeItsFetchesArriveIsSafe)
{
    // An id the cache has never seen: its fetches are still out when the pane goes. Closing cancels
    // them, so no completion is left to run on the deleted pane.
    Settle(*s_app);
    ASSERT_TRUE(main->ShowConsole(DlgDataPoint::kConsoleType, 9999, false));
    EXPECT_GT(s_app->m_dir.GetPendingCount(), 0u);
    main->CloseConsole(DlgDataPoint::kConsoleType, 9999);
    EXPECT_EQ(0u, s_app->m_dir.GetPendingCount());
    Settle(*s_app);
    EXPECT_EQ(nullptr, main->FindConsole(DlgDataPoint::kConsoleType, 9999));
}

TEST_F(DataPointPane, DoubleClickOpensTheLinkedObject)
{
    DlgDataPoint* pane = Show(kDataPoint);
    ASSERT_NE(nullptr, pane);
    ASSERT_EQ(3, pane->m_links.m_report.GetItemCount());
    int row = -1;
    for (int i = 0; i < 3; ++i)
        if (Cell(pane->m_links.m_report.m_hWnd, i, 1) == L"PC-001")
            row = i;
    ASSERT_GE(row, 0);
    auto doubleClick = [&](int item) {
        NMITEMACTIVATE click = {};
        click.hdr.hwndFrom = pane->m_links.m_hWnd;
        click.hdr.idFrom = DlgDataPoint::kIdLinks;
        click.hdr.code = NM_DBLCLK;
        click.iItem = item;
        SendMessageW(pane->m_hWnd, WM_NOTIFY, DlgDataPoint::kIdLinks, reinterpret_cast<LPARAM>(&click));
    };
    // Beside the rows: nothing opens.
    doubleClick(-1);
    EXPECT_EQ(pane, dynamic_cast<DlgDataPoint*>(main->m_current));
    // A computer opens in its own console, keyed by the computer, not by the link.
    doubleClick(row);
    ASSERT_NE(nullptr, main->m_current);
    EXPECT_EQ(1013, main->m_current->GetConsoleType());
    EXPECT_EQ(40, main->m_current->m_key);
}

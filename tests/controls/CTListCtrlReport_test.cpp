#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "controls/CTListCtrlReport.h"
#include "foundation/TickSource.h"
#include "framework/CTRegKey.h"
#include "tests/framework/MemoryBitmap.h"

namespace {
const wchar_t* kBase = L"Software\\TAVIK\\QEL\\";

DWORD g_now = 100000;
DWORD WINAPI FakeNow() { return g_now; }

// The window that receives the list's notifications offers them to the list first, as the
// system's dialogs do.
LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (auto* list = dynamic_cast<CTListCtrlReport*>(CTWnd2::FromHandle(hdr->hwndFrom))) {
            LRESULT result = 0;
            if (list->OnParentNotify(hdr, &result)) return result;
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
        wc.lpszClassName = L"ReportListTestHost";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        RegisterClassW(&wc);
        registered = true;
    }
    return CreateWindowExW(0, L"ReportListTestHost", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 400,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::wstring Text(const CTString& s) { return s.GetBuffer() ? std::wstring(s.GetBuffer(), s.GetLength()) : L""; }

class ReportListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t name[64];
        _snwprintf(name, 64, L"ReportListTest-%lu-%lu", GetCurrentProcessId(), GetTickCount());
        name[63] = 0;
        sub = name;
        host = CreateHost();
        ASSERT_NE(nullptr, host);
        g_now = 100000;
        previousClock = TickSource::Replace(FakeNow);
    }
    void TearDown() override
    {
        TickSource::Replace(previousClock);
        if (host) DestroyWindow(host);
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kBase) + sub).c_str());
    }

    void Make(CTListCtrlReport& list, DWORD clear = 0, DWORD set = 0)
    {
        list.ModifyOptions(clear, set);
        ASSERT_TRUE(list.CreateReport(host, 100, 0));
        MoveWindow(list.m_hWnd, 0, 0, 600, 360, TRUE);
    }
    int HeaderWidth(CTListCtrlReport& list, int item)
    {
        HDITEMW hdi = {};
        hdi.mask = HDI_WIDTH;
        SendMessageW(list.m_header.m_hWnd, HDM_GETITEMW, item, reinterpret_cast<LPARAM>(&hdi));
        return hdi.cxy;
    }
    std::vector<int> Order(CTListCtrlReport& list)
    {
        std::vector<int> order(list.m_shownCount);
        SendMessageW(list.m_hWnd, LVM_GETCOLUMNORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data()));
        return order;
    }
    void WriteLayout(const std::vector<int>& values)
    {
        CTRegKey key(104, GetModuleHandleW(nullptr), sub.c_str());
        for (int v : values) key.WriteNextInt(v);
    }
    static std::wstring SubText(CTListCtrlReport& list, int item, int subItem)
    {
        wchar_t buffer[256] = {};
        LVITEMW lvi = {};
        lvi.iSubItem = subItem;
        lvi.pszText = buffer;
        lvi.cchTextMax = 256;
        SendMessageW(list.m_hWnd, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lvi));
        return buffer;
    }

    std::wstring sub;
    HWND host = nullptr;
    TickSource::Function previousClock = nullptr;
};

const wchar_t* kFourColumns = L"Name,120;Size,60;Type,80;Owner,90";
} // namespace

// ---- Columns and the saved layout ----

TEST_F(ReportListTest, HiddenColumnsFollowTheShownOnes)
{
    CTListCtrlReport list;
    Make(list);
    ASSERT_TRUE(list.SetColumns(L"First,100,0;Second", 0, nullptr, nullptr));
    EXPECT_EQ(1, list.m_shownCount);
    EXPECT_EQ(-1, list.GetColumnPosition(0));
    EXPECT_EQ(0, list.GetColumnPosition(1));
    EXPECT_EQ(1, static_cast<int>(SendMessageW(list.m_header.m_hWnd, HDM_GETITEMCOUNT, 0, 0)));
    auto* first = static_cast<CTListCtrlReport::Column*>(list.m_columns.GetHead());
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(1, first->m_dataColumn);
    EXPECT_EQ(50, HeaderWidth(list, 0));
    EXPECT_GT(first->m_captionWidth, 7 * GetSystemMetrics(SM_CXEDGE));
}

TEST_F(ReportListTest, NewListWithoutSavedLayoutKeepsDefaults)
{
    CTListCtrlReport list;
    Make(list, 0, CTListCtrlReport::OptStretch);
    ASSERT_TRUE(list.SetColumns(kFourColumns, 104, GetModuleHandleW(nullptr), sub.c_str()));
    EXPECT_EQ(4, list.m_shownCount);
    EXPECT_EQ(-1, list.m_sortColumn);
    EXPECT_TRUE(list.m_columnsLocked);
    EXPECT_TRUE(list.m_autoSize);
    // Stretch mode fits the columns to the client width: the last one takes the rest.
    RECT client = {};
    GetClientRect(list.m_hWnd, &client);
    int sum = 0;
    for (int i = 0; i < 4; ++i) sum += HeaderWidth(list, i);
    EXPECT_EQ(client.right, sum);
}

TEST_F(ReportListTest, LayoutRoundTripRestoresOrderWidthsSortAndChoices)
{
    {
        CTListCtrlReport list;
        Make(list);
        ASSERT_TRUE(list.SetColumns(kFourColumns, 104, GetModuleHandleW(nullptr), sub.c_str()));
        int order[4] = {2, 0, 3, 1};
        SendMessageW(list.m_hWnd, LVM_SETCOLUMNORDERARRAY, 4, reinterpret_cast<LPARAM>(order));
        SendMessageW(list.m_hWnd, LVM_SETCOLUMNWIDTH, 1, 77);
        list.SortBy(1, false);
        list.m_columnsLocked = false;
        list.m_autoSize = false;
        list.SaveColumnLayout();
    }
    CTListCtrlReport again;
    Make(again);
    ASSERT_TRUE(again.SetColumns(kFourColumns, 104, GetModuleHandleW(nullptr), sub.c_str()));
    EXPECT_EQ((std::vector<int>{2, 0, 3, 1}), Order(again));
    EXPECT_EQ(77, HeaderWidth(again, 1));
    EXPECT_EQ(77, again.GetShownColumn(1)->m_width);
    EXPECT_EQ(1, again.m_sortColumn);
    EXPECT_FALSE(again.m_ascending);
    EXPECT_FALSE(again.m_columnsLocked);
    EXPECT_FALSE(again.m_autoSize);
    ASSERT_NE(nullptr, again.m_columnOrder);
    EXPECT_EQ(2, again.m_columnOrder[0]);
    EXPECT_EQ(1, again.m_columnPositions[0]);
}

TEST_F(ReportListTest, MatchingLayoutRestoresShownFlagsAndColumnOrder)
{
    // n, then (shown, data) pairs: Type shown first, Name hidden, Size and Owner shown.
    WriteLayout({4, 1, 2, 0, 0, 1, 1, 1, 3, /*sort*/ -1, 1, 1, 1, /*m*/ 3, 0, 1, 2, /*h*/ 0});
    CTListCtrlReport list;
    Make(list);
    ASSERT_TRUE(list.SetColumns(kFourColumns, 104, GetModuleHandleW(nullptr), sub.c_str()));
    EXPECT_EQ(3, list.m_shownCount);
    EXPECT_EQ(0, list.GetColumnPosition(2));
    EXPECT_EQ(1, list.GetColumnPosition(1));
    EXPECT_EQ(2, list.GetColumnPosition(3));
    EXPECT_EQ(-1, list.GetColumnPosition(0));
    // Saved last display position first.
    EXPECT_EQ((std::vector<int>{2, 1, 0}), Order(list));
    // The hidden column sits behind the shown ones.
    auto* last = static_cast<CTListCtrlReport::Column*>(list.m_columns.GetTail());
    EXPECT_EQ(0, last->m_dataColumn);
    EXPECT_FALSE(last->m_shown);
}

TEST_F(ReportListTest, MismatchingLayoutKeepsSpecificationButReadsTheRest)
{
    // Saved for 5 columns; the specification has 6.
    std::vector<int> values = {5};
    for (int i = 0; i < 5; ++i) { values.push_back(i == 2 ? 0 : 1); values.push_back(4 - i); }
    values.insert(values.end(), {/*sort*/ 2, /*asc*/ 0, /*locked*/ 0, /*auto*/ 0, /*m*/ 5, 0, 1, 2, 3, 4,
                                 /*h*/ 6, 61, 62, 63, 64, 1, 66});
    WriteLayout(values);
    CTListCtrlReport list;
    Make(list);
    ASSERT_TRUE(list.SetColumns(L"Name,200;Read,50;Write,50;Perm,50;Priv,50; ;", 104, GetModuleHandleW(nullptr),
                                sub.c_str()));
    EXPECT_EQ(6, list.m_shownCount);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(i, list.GetColumnPosition(i));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5}), Order(list));
    EXPECT_EQ(2, list.m_sortColumn);
    EXPECT_FALSE(list.m_ascending);
    EXPECT_FALSE(list.m_columnsLocked);
    EXPECT_FALSE(list.m_autoSize);
    EXPECT_EQ(61, HeaderWidth(list, 0));
    EXPECT_EQ(64, HeaderWidth(list, 3));
    EXPECT_EQ(50, HeaderWidth(list, 4)); // a width of 1 is not applied
    EXPECT_EQ(66, HeaderWidth(list, 5));
}

TEST_F(ReportListTest, CorruptLayoutCountsAreClamped)
{
    struct Corrupt {
        const char* name;
        std::vector<int> values;
    };
    const Corrupt cases[] = {
        {"huge column count", {0x7FFFFFFF, 1, 0}},
        {"negative column count", {-5, 1, 0, 1, 1}},
        {"huge order and header counts", {3, 1, 0, 1, 1, 1, 2, -1, 1, 1, 1, 0x7FFFFFF0, 0, 1}},
        {"order that is no arrangement", {3, 1, 0, 1, 1, 1, 2, -1, 1, 1, 1, 3, 7, 7, -3, 0x7FFFFFFF}},
        {"unknown and repeated data columns", {3, 1, 9, 1, 0, 1, 0, -1, 1, 1, 1, 0, 0}},
        {"sort column beyond the columns", {3, 1, 0, 1, 1, 1, 2, 99, 1, 1, 1, 0, 0}},
    };
    for (const Corrupt& c : cases) {
        SCOPED_TRACE(c.name);
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kBase) + sub).c_str());
        WriteLayout(c.values);
        CTListCtrlReport list;
        Make(list);
        ASSERT_TRUE(list.SetColumns(L"A,40;B,41;C,42", 104, GetModuleHandleW(nullptr), sub.c_str()));
        EXPECT_EQ(3, list.m_shownCount);
        EXPECT_EQ(3u, list.m_columns.GetCount());
        EXPECT_EQ(0, list.GetColumnPosition(0));
        std::vector<int> order = Order(list);
        std::vector<int> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ((std::vector<int>{0, 1, 2}), sorted);
        EXPECT_LT(list.m_sortColumn, 3);
    }
}

TEST_F(ReportListTest, DestroyingTheWindowSavesTheLayout)
{
    {
        CTListCtrlReport list;
        Make(list);
        ASSERT_TRUE(list.SetColumns(kFourColumns, 104, GetModuleHandleW(nullptr), sub.c_str()));
        SendMessageW(list.m_hWnd, LVM_SETCOLUMNWIDTH, 2, 33);
        CTListCtrlReport::Row row;
        row.AddText(L"x");
        list.AddRow(-1, row);
        DestroyWindow(host);
        host = nullptr;
        EXPECT_TRUE(list.m_rows.IsEmpty());
    }
    CTRegKey key(104, GetModuleHandleW(nullptr), sub.c_str());
    int n = 0;
    key.ReadNextParam(n);
    EXPECT_EQ(4, n);
    host = CreateHost();
    CTListCtrlReport again;
    Make(again);
    ASSERT_TRUE(again.SetColumns(kFourColumns, 104, GetModuleHandleW(nullptr), sub.c_str()));
    EXPECT_EQ(33, HeaderWidth(again, 2));
}

// ---- Rows and cells ----

TEST_F(ReportListTest, RowsAreCopiedWithTextsAndLookups)
{
    CTListCtrlReport list;
    Make(list);
    list.SetColumns(L"Name;Size;Type", 0, nullptr, nullptr);
    int data1 = 0, data2 = 0;
    CTListCtrlReport::Row row(&data1);
    row.AddText(L"first line\r\nsecond").AddNumber(42).AddText(L"T");
    int item = list.AddRow(-1, row);
    ASSERT_GE(item, 0);
    ASSERT_NE(nullptr, row.m_stored);
    EXPECT_EQ(row.m_stored, list.GetRow(item));
    EXPECT_EQ(L"first line", SubText(list, item, 0));
    EXPECT_EQ(L"42", SubText(list, item, 1));
    EXPECT_EQ(&data1, list.GetRowData(item));

    CTListCtrlReport::Row shortRow(&data2);
    shortRow.AddText(L"only");
    int second = list.AddRow(-1, shortRow);
    EXPECT_EQ(L"", SubText(list, second, 2));
    EXPECT_EQ(second, list.FindRowByData(&data2));
    EXPECT_EQ(-1, list.FindRowByData(&list));

    CAttribute value;
    EXPECT_TRUE(list.GetCell(list.FindRowByData(&data1), 1, value));
    EXPECT_EQ(42, value.GetValue());
    EXPECT_FALSE(list.GetCell(second, 2, value));

    CTString text;
    int image = 0;
    void* data = nullptr;
    EXPECT_TRUE(list.GetRowDetails(second, text, image, data));
    EXPECT_EQ(L"only", Text(text));
    EXPECT_EQ(&data2, data);

    EXPECT_TRUE(list.DeleteRow(second));
    EXPECT_EQ(1, list.GetItemCount());
    EXPECT_EQ(1u, list.m_rows.GetCount());
    EXPECT_FALSE(list.DeleteRow(-1));
    EXPECT_TRUE(list.DeleteAllRows());
    EXPECT_TRUE(list.m_rows.IsEmpty());
}

TEST_F(ReportListTest, UpdateRowAndSetCellChangeOnlyWhatDiffers)
{
    CTListCtrlReport list;
    Make(list, 0, CTListCtrlReport::OptHighlight);
    list.SetColumns(L"Name;Size", 0, nullptr, nullptr);
    int data = 0;
    CTListCtrlReport::Row row(&data);
    row.AddText(L"a").AddNumber(1);
    int item = list.AddRow(-1, row);
    CTListCtrlReport::Row* stored = list.GetRow(item);
    g_now += 5000;
    list.OnHighlightTimer();
    ASSERT_EQ(CTListCtrlReport::HighlightNone, stored->m_highlight);

    CTListCtrlReport::Row same;
    same.AddText(L"a").AddNumber(1);
    EXPECT_TRUE(list.UpdateRow(item, -1, same));
    EXPECT_EQ(CTListCtrlReport::HighlightNone, stored->m_highlight);
    EXPECT_EQ(&data, stored->m_data); // no data given: the old one stays

    CTListCtrlReport::Cell colourOnly(CAttribute::Text, CTString(L"a"));
    colourOnly.m_textColour = 3;
    EXPECT_FALSE(list.SetCell(item, 0, colourOnly));
    EXPECT_EQ(0, stored->GetCell(0)->m_textColour);

    CTListCtrlReport::Row changed;
    changed.AddText(L"b").AddNumber(1);
    EXPECT_TRUE(list.UpdateRow(item, -1, changed));
    EXPECT_EQ(L"b", SubText(list, item, 0));
    EXPECT_EQ(CTListCtrlReport::HighlightChanged, stored->m_highlight);

    EXPECT_TRUE(list.SetCellAttribute(item, 1, CAttribute(CAttribute::Percentage, 50)));
    EXPECT_EQ(CTListCtrlReport::RowOwnCells, stored->m_flags & CTListCtrlReport::RowOwnCells);
    EXPECT_FALSE(list.SetCell(item, 5, CTListCtrlReport::Cell()));
    EXPECT_FALSE(list.UpdateRow(-1, -1, changed));

    list.SetCellBackColour(item, 1, 7);
    EXPECT_TRUE(stored->m_flags & CTListCtrlReport::RowCellColours);
    list.SetCellBackColour(item, 1, 0);
    EXPECT_FALSE(stored->m_flags & CTListCtrlReport::RowCellColours);
    list.SetRowColour(item, 4);
    EXPECT_TRUE(stored->m_flags & CTListCtrlReport::RowColour);
    list.SetRowColour(item, 0);
    EXPECT_FALSE(stored->m_flags & CTListCtrlReport::RowColour);
}

TEST_F(ReportListTest, InsertIntoSortedListAnswersIndexAfterSort)
{
    CTListCtrlReport list;
    Make(list);
    list.SetColumns(L"Name;Size", 0, nullptr, nullptr);
    for (int v : {30, 10, 20}) {
        CTListCtrlReport::Row row;
        row.AddText(L"x").AddNumber(v);
        list.AddRow(-1, row);
    }
    list.SortBy(1, true);
    CTListCtrlReport::Row row;
    row.AddText(L"y").AddNumber(15);
    int item = list.AddRow(-1, row);
    EXPECT_EQ(1, item);
    EXPECT_EQ(row.m_stored, list.GetRow(item));
    EXPECT_EQ(L"10", SubText(list, 0, 1));
    EXPECT_EQ(L"30", SubText(list, 3, 1));
}

TEST_F(ReportListTest, ContentWidthsOnlyGrow)
{
    CTListCtrlReport list;
    Make(list);
    list.SetColumns(L"Name;Size", 0, nullptr, nullptr);
    CTListCtrlReport::Row wide;
    wide.AddText(L"a rather long text for the first column").AddNumber(1);
    int item = list.AddRow(-1, wide);
    auto* column = list.GetShownColumn(0);
    int width = column->m_contentWidth;
    EXPECT_GT(width, 0);
    CTListCtrlReport::Row narrow;
    narrow.AddText(L"a").AddNumber(1);
    list.UpdateRow(item, -1, narrow);
    EXPECT_EQ(width, column->m_contentWidth);
}

TEST_F(ReportListTest, ImagesAndImageKeys)
{
    CTListCtrlReport list;
    Make(list);
    list.SetColumns(L"Name", 0, nullptr, nullptr);
    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
    list.AddImageForKey(icon, 7);
    EXPECT_EQ(0, list.GetImageForKey(7));
    int second = list.AddImage(nullptr);
    EXPECT_EQ(1, second);
    EXPECT_EQ(1, list.GetImageForKey(7) + 1);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list.m_imageList, &cx, &cy));
    EXPECT_EQ(list.ImageSize(false), cx);
    EXPECT_EQ(list.ImageSize(true), cy);
    EXPECT_EQ(list.m_imageList,
              reinterpret_cast<HIMAGELIST>(SendMessageW(list.m_hWnd, LVM_GETIMAGELIST, LVSIL_SMALL, 0)));
    EXPECT_FALSE(list.HasImageForKey(99));
    EXPECT_EQ(0, list.GetImageForKey(99));
    EXPECT_TRUE(list.HasImageForKey(99));
    EXPECT_TRUE(list.ReplaceImage(icon, 1));
    CTListCtrlReport::Row row;
    row.AddText(L"x");
    int item = list.AddRow(1, row);
    CTString text;
    int image = -1;
    void* data = nullptr;
    list.GetRowDetails(item, text, image, data);
    EXPECT_EQ(1, image);
    EXPECT_TRUE(list.RemoveAllImages());
    EXPECT_EQ(0, ImageList_GetImageCount(list.m_imageList));
    EXPECT_FALSE(list.HasImageForKey(7));
}

// ---- Change highlighting ----

TEST_F(ReportListTest, HighlightStatesFollowTheClock)
{
    CTListCtrlReport list;
    Make(list, 0, CTListCtrlReport::OptHighlight);
    list.SetColumns(L"Name;Size", 0, nullptr, nullptr);
    CTListCtrlReport::Row row;
    row.AddText(L"a").AddNumber(1);
    g_now += 100; // built 100 ms before the insert: the highlight keeps the build time as start
    int item = list.AddRow(-1, row);
    CTListCtrlReport::Row* stored = list.GetRow(item);
    EXPECT_EQ(CTListCtrlReport::HighlightAdded, stored->m_highlight);
    EXPECT_EQ(1500u, stored->m_highlightDuration);
    EXPECT_EQ(100000u, stored->m_highlightStart);
    g_now = 100000 + 1500;
    list.OnHighlightTimer();
    EXPECT_EQ(CTListCtrlReport::HighlightAdded, stored->m_highlight);
    g_now = 100000 + 1501;
    list.OnHighlightTimer();
    EXPECT_EQ(CTListCtrlReport::HighlightNone, stored->m_highlight);
}

TEST_F(ReportListTest, RowFadingOutForDeletionIsNotBroughtBackByUpdates)
{
    CTListCtrlReport list;
    Make(list, 0, CTListCtrlReport::OptHighlight);
    list.SetColumns(L"Name;Size", 0, nullptr, nullptr);
    for (int i = 0; i < 4; ++i) {
        CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(i + 1)));
        row.AddText(L"r").AddNumber(i);
        list.AddRow(-1, row);
    }
    g_now += 5000;
    list.OnHighlightTimer();

    int a = list.FindRowByData(reinterpret_cast<void*>(1));
    LVITEMW select = {};
    select.state = select.stateMask = LVIS_SELECTED;
    SendMessageW(list.m_hWnd, LVM_SETITEMSTATE, a, reinterpret_cast<LPARAM>(&select));
    EXPECT_TRUE(list.DeleteRow(a));
    EXPECT_EQ(0u, SendMessageW(list.m_hWnd, LVM_GETITEMSTATE, a, LVIS_SELECTED));
    int b = list.FindRowByData(reinterpret_cast<void*>(3));
    EXPECT_TRUE(list.DeleteRow(b));
    EXPECT_EQ(4, list.GetItemCount());

    // Realtime updates of the objects being deleted.
    CTListCtrlReport::Row update;
    update.AddText(L"changed").AddNumber(99);
    EXPECT_TRUE(list.UpdateRow(a, -1, update));
    EXPECT_TRUE(list.SetCell(b, 0, CTListCtrlReport::Cell(CAttribute::Text, CTString(L"other"))));
    list.SetRowBold(a);
    list.SetRowStrikeOut(b);
    EXPECT_EQ(CTListCtrlReport::HighlightDeleting, list.GetRow(a)->m_highlight);
    EXPECT_EQ(CTListCtrlReport::HighlightDeleting, list.GetRow(b)->m_highlight);

    g_now += 1000;
    list.OnHighlightTimer();
    EXPECT_EQ(4, list.GetItemCount());
    g_now += 600;
    list.OnHighlightTimer(); // both go at the same tick
    EXPECT_EQ(2, list.GetItemCount());
    EXPECT_EQ(2u, list.m_rows.GetCount());
    EXPECT_EQ(-1, list.FindRowByData(reinterpret_cast<void*>(1)));
    EXPECT_EQ(-1, list.FindRowByData(reinterpret_cast<void*>(3)));
    EXPECT_NE(-1, list.FindRowByData(reinterpret_cast<void*>(2)));
}

// ---- Painting ----

namespace {
struct Painted {
    MemoryBitmap bitmap;
    explicit Painted(CTListCtrlReport& list) : bitmap(600, 360, RGB(1, 2, 3))
    {
        SendMessageW(list.m_hWnd, WM_PRINT, reinterpret_cast<WPARAM>(bitmap.dc), PRF_CLIENT | PRF_ERASEBKGND);
        GdiFlush();
        if (const char* dump = getenv("QEL_DUMP")) {
            static int n = 0;
            char name[260];
            _snprintf(name, 260, "%s-%d.raw", dump, n++);
            FILE* f = fopen(name, "wb");
            fwrite(bitmap.bits, 4, bitmap.width * bitmap.height, f);
            fclose(f);
        }
    }
    int Count(const RECT& rc, COLORREF colour, int tolerance = 12) const
    {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                if (x >= 0 && y >= 0 && x < bitmap.width && y < bitmap.height && Near(bitmap.At(x, y), colour, tolerance)) ++n;
        return n;
    }
    int CountNot(const RECT& rc, COLORREF colour, int tolerance = 12) const
    {
        return (rc.right - rc.left) * (rc.bottom - rc.top) - Count(rc, colour, tolerance);
    }
};

RECT CellRect(CTListCtrlReport& list, int item, int subItem)
{
    RECT rc = {};
    rc.top = subItem;
    rc.left = LVIR_LABEL;
    SendMessageW(list.m_hWnd, LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(&rc));
    return rc;
}

COLORREF DarkHighlight()
{
    COLORREF c = GetSysColor(COLOR_HIGHLIGHT);
    return RGB(GetRValue(c) * 8 / 10, GetGValue(c) * 8 / 10, GetBValue(c) * 8 / 10);
}
} // namespace

TEST_F(ReportListTest, ProgressBarsFillByValue)
{
    CTListCtrlReport list;
    Make(list, CTListCtrlReport::OptGridLines);
    list.SetColumns(L"Name,80;Done,200", 0, nullptr, nullptr);
    int items[3];
    const int values[3] = {0, 50, 100};
    for (int i = 0; i < 3; ++i) {
        CTListCtrlReport::Row row(&items[i]);
        row.AddText(L"n").AddCell(CTListCtrlReport::Cell(CAttribute::Percentage, values[i]));
        list.AddRow(-1, row);
    }
    // Inserting may move the items added before; find them afterwards.
    for (int i = 0; i < 3; ++i) items[i] = list.FindRowByData(&items[i]);
    Painted painted(list);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(values[i]);
        RECT rc = CellRect(list, items[i], 1);
        RECT inner = {rc.left + 2, rc.top + 2, rc.right - 1, rc.bottom - 2};
        int half = (inner.right - inner.left) / 2;
        RECT left = {inner.left + 2, inner.top, inner.left + half - 2, inner.bottom};
        RECT right = {inner.left + half + 2, inner.top, inner.right - 2, inner.bottom};
        int area = (left.right - left.left) * (left.bottom - left.top);
        int inLeft = painted.Count(left, DarkHighlight());
        int inRight = painted.Count(right, DarkHighlight());
        if (values[i] == 0) {
            EXPECT_EQ(0, inLeft + inRight);
            EXPECT_GT(painted.Count(right, GetSysColor(COLOR_BTNHIGHLIGHT)), area / 2);
        } else if (values[i] == 50) {
            EXPECT_GT(inLeft, area / 2);
            EXPECT_LT(inRight, area / 10);
        } else {
            EXPECT_GT(inLeft, area / 2);
            EXPECT_GT(inRight, area / 2);
        }
    }
}

TEST_F(ReportListTest, SymbolCellsPlaceIconsByAlignment)
{
    CTListCtrlReport list;
    Make(list, CTListCtrlReport::OptGridLines);
    list.SetColumns(L"Name,80;State,120", 0, nullptr, nullptr);
    const DWORD codes[4] = {0x2004, 0x1006, 5, 0};
    int items[4];
    for (int i = 0; i < 4; ++i) {
        CTListCtrlReport::Row row(&items[i]);
        row.AddText(L"n").AddCell(CTListCtrlReport::Cell(CAttribute::Integer2, static_cast<__int64>(codes[i])));
        list.AddRow(-1, row);
    }
    for (int i = 0; i < 4; ++i) items[i] = list.FindRowByData(&items[i]);
    Painted painted(list);
    COLORREF back = static_cast<COLORREF>(SendMessageW(list.m_hWnd, LVM_GETBKCOLOR, 0, 0));
    int icon = GetSystemMetrics(SM_CXSMICON);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(codes[i]);
        RECT rc = CellRect(list, items[i], 1);
        InflateRect(&rc, 0, -2); // the rows' edges may carry the list-view's own lines
        int third = (rc.right - rc.left) / 3;
        RECT left = {rc.left, rc.top, rc.left + third, rc.bottom};
        RECT middle = {rc.left + third, rc.top, rc.right - third, rc.bottom};
        RECT right = {rc.right - third, rc.top, rc.right, rc.bottom};
        ASSERT_GT(third, icon);
        int l = painted.CountNot(left, back, 4), m = painted.CountNot(middle, back, 4), r = painted.CountNot(right, back, 4);
        if (codes[i] == 0x2004) { EXPECT_GT(r, 20); EXPECT_EQ(0, l + m); }
        if (codes[i] == 0x1006) { EXPECT_GT(l, 20); EXPECT_EQ(0, m + r); }
        if (codes[i] == 5) { EXPECT_GT(m, 20); EXPECT_EQ(0, l + r); }
        if (codes[i] == 0) EXPECT_EQ(0, l + m + r);
    }
}

TEST_F(ReportListTest, MaskedTextShowsPasswordCharactersOnly)
{
    CTListCtrlReport list;
    Make(list, CTListCtrlReport::OptGridLines);
    list.SetColumns(L"Name,80;Secret,120;Plain,120", 0, nullptr, nullptr);
    int keys[2];
    CTListCtrlReport::Row row(&keys[0]);
    row.AddText(L"n").AddCell(CTListCtrlReport::Cell(CAttribute::Text2, CTString(L"abc"))).AddText(L"abc");
    list.AddRow(-1, row);
    CTListCtrlReport::Row empty(&keys[1]);
    empty.AddText(L"n").AddCell(CTListCtrlReport::Cell(CAttribute::Text2, CTString(L""))).AddText(L"");
    list.AddRow(-1, empty);
    int item = list.FindRowByData(&keys[0]);
    int emptyItem = list.FindRowByData(&keys[1]);
    Painted painted(list);
    COLORREF back = static_cast<COLORREF>(SendMessageW(list.m_hWnd, LVM_GETBKCOLOR, 0, 0));
    RECT masked = CellRect(list, item, 1);
    RECT plain = CellRect(list, item, 2);
    int maskedInk = painted.CountNot(masked, back, 40);
    EXPECT_GT(maskedInk, 0);
    EXPECT_EQ(0, painted.CountNot(CellRect(list, emptyItem, 1), back, 40));
    // Three password characters are not the plain text "abc".
    int plainInk = painted.CountNot(plain, back, 40);
    EXPECT_GT(plainInk, 0);
    EXPECT_NE(maskedInk, plainInk);
}

TEST_F(ReportListTest, RowWithFewerCellsPaintsMissingCellsEmpty)
{
    CTListCtrlReport list;
    Make(list, CTListCtrlReport::OptGridLines, CTListCtrlReport::OptCellFocus | CTListCtrlReport::OptOwnFirstColumn);
    list.SetColumns(L"Name,80;Done,100;Extra,100;More,100", 0, nullptr, nullptr);
    list.SetColour(1, RGB(200, 0, 0));
    CTListCtrlReport::Row row;
    row.AddText(L"n").AddCell(CTListCtrlReport::Cell(CAttribute::Percentage, 100));
    int item = list.AddRow(-1, row);
    list.SetRowColour(item, 1);
    LVITEMW state = {};
    state.stateMask = state.state = LVIS_SELECTED;
    SendMessageW(list.m_hWnd, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
    list.m_focusedColumn = 1;
    Painted painted(list);
    RECT missing = CellRect(list, item, 2);
    RECT inner = {missing.left + 2, missing.top + 2, missing.right - 2, missing.bottom - 2};
    int area = (inner.right - inner.left) * (inner.bottom - inner.top);
    // Not selected in cell-focus mode: the missing cell shows the row colour and nothing else.
    EXPECT_GT(painted.Count(inner, RGB(200, 0, 0)), area * 9 / 10);
}

TEST_F(ReportListTest, ItemStageAnswersAndTints)
{
    CTListCtrlReport list;
    Make(list, 0, CTListCtrlReport::OptAlternate);
    list.SetColumns(L"Name;Size", 0, nullptr, nullptr);
    CTListCtrlReport::Row row;
    row.AddText(L"a").AddNumber(1);
    int item = list.AddRow(-1, row);
    CTListCtrlReport::Row* stored = list.GetRow(item);
    MemoryBitmap bitmap(10, 10);

    NMLVCUSTOMDRAW cd = {};
    cd.nmcd.hdr.hwndFrom = list.m_hWnd;
    cd.nmcd.hdr.code = NM_CUSTOMDRAW;
    cd.nmcd.hdc = bitmap.dc;
    LRESULT result = 0;
    cd.nmcd.dwDrawStage = CDDS_PREPAINT;
    ASSERT_TRUE(list.OnParentNotify(&cd.nmcd.hdr, &result));
    EXPECT_EQ(CDRF_NOTIFYITEMDRAW, result);

    cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    cd.nmcd.lItemlParam = reinterpret_cast<LPARAM>(stored);
    cd.nmcd.dwItemSpec = item;
    stored->m_flags |= CTListCtrlReport::RowBold;
    ASSERT_TRUE(list.OnParentNotify(&cd.nmcd.hdr, &result));
    EXPECT_EQ(CDRF_NEWFONT | CDRF_NOTIFYPOSTPAINT, result);
    list.SetColour(2, RGB(1, 2, 3));
    list.SetCellTextColour(item, 1, 2);
    ASSERT_TRUE(list.OnParentNotify(&cd.nmcd.hdr, &result));
    EXPECT_EQ(CDRF_NOTIFYSUBITEMDRAW, result);
    EXPECT_EQ(list.m_boldFont, GetCurrentObject(bitmap.dc, OBJ_FONT));

    // Alternate shading does not jump while the item above is being removed.
    COLORREF back = static_cast<COLORREF>(SendMessageW(list.m_hWnd, LVM_GETBKCOLOR, 0, 0));
    cd.nmcd.dwItemSpec = 3;
    cd.nmcd.lItemlParam = 0;
    ASSERT_TRUE(list.OnParentNotify(&cd.nmcd.hdr, &result));
    EXPECT_EQ(list.m_alternateColour, cd.clrTextBk);
    cd.nmcd.dwItemSpec = 4;
    list.m_deletingItem = 3;
    ASSERT_TRUE(list.OnParentNotify(&cd.nmcd.hdr, &result));
    EXPECT_EQ(list.m_alternateColour, cd.clrTextBk);
    list.m_deletingItem = -1;
    ASSERT_TRUE(list.OnParentNotify(&cd.nmcd.hdr, &result));
    EXPECT_EQ(back, cd.clrTextBk);

    // The change tint: 80 % background, 20 % highlight colour.
    EXPECT_EQ(RGB(204, 255, 204), CTListCtrlReport::Tint(RGB(255, 255, 255), 0x00FF00));
    EXPECT_EQ(RGB(229, 229, 229), CTListCtrlReport::Lighten(RGB(0, 0, 0)));

    cd.nmcd.dwDrawStage = CDDS_POSTPAINT;
    EXPECT_FALSE(list.OnParentNotify(&cd.nmcd.hdr, &result));
}

TEST_F(ReportListTest, HotCellMovesAndRepeatsNothing)
{
    CTListCtrlReport list;
    Make(list, 0, CTListCtrlReport::OptHotCell);
    list.SetColumns(L"Name;Size;Type", 0, nullptr, nullptr);
    CTListCtrlReport::Row row;
    row.AddText(L"a").AddNumber(1).AddText(L"t");
    int item = list.AddRow(-1, row);
    list.SetHotCell(item, 1);
    EXPECT_EQ(1, list.m_focusedColumn);
    EXPECT_TRUE(list.GetRow(item)->m_flags & CTListCtrlReport::RowOwnCells);
    list.SetHotCell(item, 2);
    EXPECT_EQ(2, list.m_hotColumn);
    list.SetHotCell(item, 2);
    EXPECT_EQ(2, list.m_focusedColumn);
    list.SetHotCell(-1, -1);
    EXPECT_EQ(-1, list.m_hotItem);
}

TEST_F(ReportListTest, OwnerDrawnHeaderItemShowsTextAndSortArrow)
{
    CTListCtrlReport list;
    Make(list);
    list.SetColumns(L"Name,100;Size,100", 0, nullptr, nullptr);
    for (bool descending : {true, false}) {
        SCOPED_TRACE(descending);
        MemoryBitmap bitmap(100, 24, RGB(1, 2, 3));
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_HEADER;
        dis.hwndItem = list.m_header.m_hWnd;
        dis.hDC = bitmap.dc;
        dis.rcItem = {0, 0, 100, 24};
        dis.itemID = 0;
        list.m_header.m_sortColumn = 0;
        list.m_header.m_descending = descending;
        list.DrawHeaderItem(&dis);
        GdiFlush();
        int y = 24 / 4;
        int shadow = 0, face = 0, other = 0;
        for (int py = 0; py < 24; ++py)
            for (int px = 0; px < 100; ++px) {
                COLORREF c = bitmap.At(px, py);
                if (Near(c, GetSysColor(COLOR_BTNFACE), 2)) ++face;
                else if (px >= 100 - 3 * y - 2 && Near(c, GetSysColor(COLOR_BTNSHADOW), 2)) ++shadow;
                else ++other;
            }
        EXPECT_GT(face, 100 * 24 / 2);
        EXPECT_GT(shadow, 3);   // the arrow's shaded edge at the right
        EXPECT_GT(other, 10);   // the caption's text and the arrow's lit edge
        EXPECT_TRUE(Near(bitmap.At(2, 2), GetSysColor(COLOR_BTNFACE), 2));
    }
}

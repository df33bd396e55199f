#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "controls/CTListCtrlReport.h"
#include "foundation/TickSource.h"
#include "framework/CTRegKey.h"
#include "tests/framework/FakeSeams.h"
#include "tests/framework/MemoryBitmap.h"

namespace {
const wchar_t* kBase = L"Software\\TAVIK\\QEL\\";

DWORD g_now = 100000;
DWORD WINAPI FakeNow() { return g_now; }

// What the host saw of the notifications the list did not handle itself.
struct Seen {
    int code;
    LPARAM rowParam;   // LVN_DELETEITEM: the row, still alive
    void* rowData;
};
std::vector<Seen> g_seen;

// The window that receives the list's notifications offers them to the list first, as the
// system's dialogs do.
LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (auto* list = dynamic_cast<CTListCtrlReport*>(CTWnd2::FromHandle(hdr->hwndFrom))) {
            LRESULT result = 0;
            if (list->OnParentNotify(hdr, &result)) return result;
            int code = static_cast<int>(hdr->code);
            if (code == CTListCtrlReport::NotifySorted || code == CTListCtrlReport::NotifyLayout) {
                g_seen.push_back({code, 0, nullptr});
            } else if (hdr->code == LVN_DELETEITEM) {
                auto* row = reinterpret_cast<CTListCtrlReport::Row*>(reinterpret_cast<NMLISTVIEW*>(hdr)->lParam);
                g_seen.push_back({code, reinterpret_cast<LPARAM>(row), row ? row->m_data : nullptr});
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

TEST_F(ReportListTest, MismatchingLayoutKeepsTheDefinitionButReadsTheRest)
{
    // Saved for 5 columns; the definition has 6.
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

// ---- Sorting, sizing, header and column menu ----

namespace {
void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::vector<int> SeenCodes()
{
    std::vector<int> codes;
    for (const Seen& s : g_seen) codes.push_back(s.code);
    return codes;
}

// A left click on a header item, as the user makes it.
void ClickHeader(CTListCtrlReport& list, int item)
{
    RECT rc = {};
    SendMessageW(list.m_header.m_hWnd, HDM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rc));
    LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    SendMessageW(list.m_header.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list.m_header.m_hWnd, WM_LBUTTONUP, 0, at);
}

int HeaderFormat(CTListCtrlReport& list, int item)
{
    HDITEMW hdi = {};
    hdi.mask = HDI_FORMAT;
    SendMessageW(list.m_header.m_hWnd, HDM_GETITEMW, item, reinterpret_cast<LPARAM>(&hdi));
    return hdi.fmt & (HDF_SORTUP | HDF_SORTDOWN);
}

int ColumnWidth(CTListCtrlReport& list, int column)
{
    return static_cast<int>(SendMessageW(list.m_hWnd, LVM_GETCOLUMNWIDTH, column, 0));
}

// The screen point over the middle of a header item.
POINT OverItem(CTListCtrlReport& list, int item)
{
    RECT rc = {};
    SendMessageW(list.m_header.m_hWnd, HDM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rc));
    POINT pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ClientToScreen(list.m_header.m_hWnd, &pt);
    return pt;
}

// What the column menu held while it was shown (it is destroyed afterwards).
struct MenuSnapshot {
    std::vector<UINT> states;       // by position
    std::vector<UINT> ids;          // by position
    std::vector<std::wstring> add;  // the Add sub-menu's captions
    bool hasSubMenu = false;
};

class SnapshotMenuDriver : public PopupMenuDriver {
public:
    SnapshotMenuDriver() { PopupMenuDriver::Install(this); }
    ~SnapshotMenuDriver() override { PopupMenuDriver::Install(nullptr); }
    UINT ChooseCommand(HMENU menu, UINT, int, int, HWND) override
    {
        snapshot = MenuSnapshot();
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            snapshot.states.push_back(GetMenuState(menu, i, MF_BYPOSITION));
            snapshot.ids.push_back(GetMenuItemID(menu, i));
        }
        if (HMENU add = GetSubMenu(menu, 0)) {
            snapshot.hasSubMenu = true;
            for (int i = 0; i < GetMenuItemCount(add); ++i) {
                wchar_t text[64] = {};
                GetMenuStringW(add, i, text, 64, MF_BYPOSITION);
                snapshot.add.push_back(text);
            }
        }
        return command;
    }
    UINT command = 0;
    MenuSnapshot snapshot;
};

// The header's right click over an item: the column menu, answered by the menu driver. (The
// pointer itself is not moved: other test programs share the display.)
MenuSnapshot RightClickHeader(CTListCtrlReport& list, int item, UINT command, SnapshotMenuDriver& driver)
{
    driver.command = command;
    list.ShowColumnMenuAt(OverItem(list, item));
    return driver.snapshot;
}

std::vector<std::wstring> ColumnTexts(CTListCtrlReport& list, int subItem)
{
    std::vector<std::wstring> out;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        wchar_t buffer[64] = {};
        LVITEMW lvi = {};
        lvi.iSubItem = subItem;
        lvi.pszText = buffer;
        lvi.cchTextMax = 64;
        SendMessageW(list.m_hWnd, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&lvi));
        out.push_back(buffer);
    }
    return out;
}
} // namespace

TEST_F(ReportListTest, HeaderClicksSortByEachCellTypeAndNotify)
{
    CTListCtrlReport list;
    Make(list);
    list.SetColumns(L"Name,80;Size,60;Changed,120", 0, nullptr, nullptr);
    struct R { const wchar_t* name; __int64 size; __int64 date; };
    const R rows[] = {{L"delta", 30, 1700000300}, {L"alpha", 10, 1700000100}, {L"charlie", 40, 1600000000},
                      {L"bravo", 20, 1800000000}};
    for (const R& r : rows) {
        CTListCtrlReport::Row row;
        row.AddText(r.name).AddNumber(r.size).AddAttribute(CAttribute(CAttribute::DateTime, r.date));
        list.AddRow(-1, row);
    }
    auto dates = [&] {
        std::vector<__int64> out;
        for (int i = 0; i < list.GetItemCount(); ++i) out.push_back(list.GetRow(i)->GetCell(2)->m_value.GetValue());
        return out;
    };
    g_seen.clear();
    ClickHeader(list, 2);
    EXPECT_EQ((std::vector<int>{CTListCtrlReport::NotifySorted}), SeenCodes());
    Pump();
    EXPECT_EQ((std::vector<int>{CTListCtrlReport::NotifySorted, CTListCtrlReport::NotifyLayout}), SeenCodes());
    EXPECT_EQ((std::vector<__int64>{1600000000, 1700000100, 1700000300, 1800000000}), dates());
    EXPECT_EQ(HDF_SORTDOWN, HeaderFormat(list, 2)); // ascending shows the arrow pointing down
    EXPECT_EQ(2, list.m_sortColumn);
    EXPECT_TRUE(list.m_ascending);

    ClickHeader(list, 2);
    Pump();
    EXPECT_EQ((std::vector<__int64>{1800000000, 1700000300, 1700000100, 1600000000}), dates());
    EXPECT_EQ(HDF_SORTUP, HeaderFormat(list, 2));
    EXPECT_FALSE(list.m_ascending);

    ClickHeader(list, 0);
    Pump();
    EXPECT_EQ((std::vector<std::wstring>{L"alpha", L"bravo", L"charlie", L"delta"}), ColumnTexts(list, 0));
    EXPECT_EQ(HDF_SORTDOWN, HeaderFormat(list, 0));
    EXPECT_EQ(0, HeaderFormat(list, 2));
    EXPECT_EQ(6u, g_seen.size());

    ClickHeader(list, 1);
    EXPECT_EQ((std::vector<std::wstring>{L"10", L"20", L"30", L"40"}), ColumnTexts(list, 1));
    ClickHeader(list, 1);
    EXPECT_EQ((std::vector<std::wstring>{L"40", L"30", L"20", L"10"}), ColumnTexts(list, 1));

    // Rows lacking the sort cell go first in ascending order and last in descending order.
    CTListCtrlReport::Row shortRow;
    shortRow.AddText(L"short");
    int item = list.AddRow(-1, shortRow); // auto sort: descending by size
    EXPECT_EQ(4, item);
    list.SortBy(1, true);
    EXPECT_EQ(L"short", ColumnTexts(list, 0)[0]);
    Pump();
}

TEST_F(ReportListTest, EnablingAutoSortSortsAtOnce)
{
    CTListCtrlReport list;
    Make(list);
    list.SetColumns(L"Name;Size", 0, nullptr, nullptr);
    list.SortBy(1, true);
    list.EnableAutoSort(false);
    for (int v : {3, 1, 2}) {
        CTListCtrlReport::Row row;
        row.AddText(L"x").AddNumber(v);
        list.AddRow(-1, row);
    }
    Pump();
    g_seen.clear();
    list.EnableAutoSort(true);
    EXPECT_EQ((std::vector<std::wstring>{L"1", L"2", L"3"}), ColumnTexts(list, 1));
    EXPECT_TRUE(g_seen.empty()); // no notification for the re-sort
}

TEST_F(ReportListTest, DeletedRowReachesTheParentBeforeItIsFreed)
{
    CTListCtrlReport list;
    Make(list, 0, CTListCtrlReport::OptAlternate);
    list.SetColumns(L"Name", 0, nullptr, nullptr);
    int keys[3];
    for (int& k : keys) {
        CTListCtrlReport::Row row(&k);
        row.AddText(L"r");
        list.AddRow(-1, row);
    }
    g_seen.clear();
    int item = list.FindRowByData(&keys[1]);
    CTListCtrlReport::Row* stored = list.GetRow(item);
    ASSERT_TRUE(list.DeleteRow(item));
    ASSERT_EQ(1u, g_seen.size());
    EXPECT_EQ(static_cast<int>(LVN_DELETEITEM), g_seen[0].code);
    EXPECT_EQ(reinterpret_cast<LPARAM>(stored), g_seen[0].rowParam);
    EXPECT_EQ(&keys[1], g_seen[0].rowData);
    EXPECT_EQ(-1, list.m_deletingItem);
    EXPECT_EQ(2u, list.m_rows.GetCount());
    list.DeleteAllRows();
    EXPECT_EQ(3u, g_seen.size());
    EXPECT_TRUE(list.m_rows.IsEmpty());
}

namespace {
// A stretch-mode list whose client area is exactly the given width, with one column per width
// given, each of that shown width.
void MakeStretch(CTListCtrlReport& list, HWND host, int clientWidth, const std::vector<int>& widths)
{
    list.ModifyOptions(0, CTListCtrlReport::OptStretch);
    ASSERT_TRUE(list.CreateReport(host, 100, 0));
    MoveWindow(list.m_hWnd, 0, 0, 400, 300, TRUE);
    RECT window = {}, client = {};
    GetWindowRect(list.m_hWnd, &window);
    GetClientRect(list.m_hWnd, &client);
    int frame = (window.right - window.left) - client.right;
    MoveWindow(list.m_hWnd, 0, 0, clientWidth + frame, 300, TRUE);
    std::wstring spec;
    for (size_t i = 0; i < widths.size(); ++i) spec += L" ;"; // empty captions: caption width 7 edges
    spec = spec.substr(0, spec.size() - 1);
    list.SetColumns(spec.c_str(), 0, nullptr, nullptr);
    int i = 0;
    for (auto* p = list.m_columns.GetHead(); p; p = p->GetNext(), ++i)
        static_cast<CTListCtrlReport::Column*>(p)->m_contentWidth = widths[i];
}
} // namespace

TEST_F(ReportListTest, StretchModeFitsColumnsToTheClientWidth)
{
    struct Case {
        int client;
        bool fixedLast;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {300, false, {50, 60, 190}},
        {100, false, {28, 60, 12}},
        {300, true, {50, 210, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.client);
        CTListCtrlReport list;
        MakeStretch(list, host, c.client, {50, 60, 70});
        RECT client = {};
        GetClientRect(list.m_hWnd, &client);
        ASSERT_EQ(c.client, client.right);
        if (c.fixedLast) list.SetColumnFixedWidth(2, 40);
        else ASSERT_TRUE(list.FitColumnsToWidth(false));
        for (int i = 0; i < 3; ++i) EXPECT_EQ(c.expected[i], ColumnWidth(list, i)) << i;
        if (c.client != 300 || c.fixedLast) continue;
        // Resizing the window refits at once; the list-view still learns its new size.
        RECT window = {};
        GetWindowRect(list.m_hWnd, &window);
        MoveWindow(list.m_hWnd, 0, 0, window.right - window.left + 40, 300, TRUE);
        EXPECT_EQ(230, ColumnWidth(list, 2));
        RECT header = {};
        GetClientRect(list.m_header.m_hWnd, &header);
        EXPECT_GE(header.right, 340);
    }
    // Outside stretch mode nothing is fitted.
    CTListCtrlReport plain;
    Make(plain);
    plain.SetColumns(L"A,70;B,80", 0, nullptr, nullptr);
    EXPECT_FALSE(plain.FitColumnsToWidth(false));
    EXPECT_FALSE(plain.RefitColumns());
    EXPECT_EQ(70, ColumnWidth(plain, 0));
}

TEST_F(ReportListTest, SlowFitsAreDeferredToTheFitTimer)
{
    CTListCtrlReport list;
    MakeStretch(list, host, 300, {50, 60, 70});
    struct Slow {
        static DWORD WINAPI Now() { return g_now += 150; }
    };
    TickSource::Replace(Slow::Now);
    EXPECT_TRUE(list.FitColumnsToWidth(false));
    EXPECT_TRUE(list.m_fitDeferred);
    TickSource::Replace(FakeNow);
    list.GetShownColumn(0)->m_contentWidth = 80;
    EXPECT_TRUE(list.FitColumnsToWidth(false)); // waits for the timer
    EXPECT_EQ(50, ColumnWidth(list, 0));
    SendMessageW(list.m_hWnd, WM_TIMER, CTListCtrlReport::kFitTimer, 0);
    EXPECT_FALSE(list.m_fitDeferred);
    EXPECT_EQ(80, ColumnWidth(list, 0));
    EXPECT_EQ(160, ColumnWidth(list, 2));
}

TEST_F(ReportListTest, HeaderTrackingKeepsColumnsToTheRightVisible)
{
    CTListCtrlReport list;
    MakeStretch(list, host, 300, {50, 60, 70});
    list.RefitColumns();
    ASSERT_GT(list.m_resizableTotal, 0);
    auto notify = [&](UINT code, int item, int width, bool withWidth) {
        HDITEMW hdi = {};
        hdi.mask = withWidth ? HDI_WIDTH : 0;
        hdi.cxy = width;
        NMHEADERW nm = {};
        nm.hdr.hwndFrom = list.m_header.m_hWnd;
        nm.hdr.code = code;
        nm.iItem = item;
        nm.pitem = &hdi;
        LRESULT r = SendMessageW(list.m_hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm));
        return std::make_pair(r, hdi.cxy);
    };
    // The column at the last display position cannot be resized.
    EXPECT_EQ(1, notify(HDN_BEGINTRACKW, 2, 0, false).first);
    // Column 0 may grow until the two columns right of it keep 12 pixels each.
    EXPECT_EQ(0, notify(HDN_BEGINTRACKW, 0, 0, false).first);
    RECT header = {};
    GetClientRect(list.m_header.m_hWnd, &header);
    EXPECT_EQ(header.right - 24, list.m_trackLimit);
    EXPECT_EQ(1, notify(HDN_ITEMCHANGINGW, 0, list.m_trackLimit + 1, true).first);
    EXPECT_EQ(1, notify(HDN_ITEMCHANGINGW, 0, 11, true).first);
    EXPECT_EQ(0, notify(HDN_ITEMCHANGINGW, 0, 100, true).first);
    g_seen.clear();
    auto end = notify(HDN_ENDTRACKW, 0, 200, true);
    EXPECT_EQ(200, end.second);
    EXPECT_EQ(0, list.m_trackLimit);
    // The columns to the right give up what column 0 took, the last one first, none below 12.
    EXPECT_EQ(60, ColumnWidth(list, 1));
    EXPECT_EQ(40, ColumnWidth(list, 2));
    notify(HDN_BEGINTRACKW, 0, 0, false);
    notify(HDN_ENDTRACKW, 0, 290, true);
    EXPECT_EQ(12, ColumnWidth(list, 1));
    EXPECT_EQ(12, ColumnWidth(list, 2));
    Pump();
    std::vector<int> codes = SeenCodes();
    EXPECT_EQ(2, std::count(codes.begin(), codes.end(), static_cast<int>(CTListCtrlReport::NotifyLayout)));

    // A fixed-width column cannot be tracked either.
    list.SetColumnFixedWidth(1, 30);
    EXPECT_EQ(1, notify(HDN_BEGINTRACKW, 1, 0, false).first);
}

TEST_F(ReportListTest, CellFocusAndHotCellKeys)
{
    CTListCtrlReport list;
    Make(list, 0, CTListCtrlReport::OptCellFocus | CTListCtrlReport::OptHotCell);
    list.SetColumns(L"A;B;C", 0, nullptr, nullptr);
    CTListCtrlReport::Row row;
    row.AddText(L"a").AddText(L"b").AddText(L"c");
    list.AddRow(-1, row);
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) {
        SendMessageW(list.m_hWnd, WM_KEYDOWN, VK_RIGHT, 0);
        seen.push_back(list.m_focusedColumn);
    }
    EXPECT_EQ((std::vector<int>{0, 1, 2, 2}), seen);
    list.m_focusedColumn = 0;
    SendMessageW(list.m_hWnd, WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(-1, list.m_focusedColumn);
    SendMessageW(list.m_hWnd, WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(-1, list.m_focusedColumn);
    SendMessageW(list.m_hWnd, WM_KEYDOWN, VK_TAB, 0); // Tab without Shift moves right
    EXPECT_EQ(0, list.m_focusedColumn);
    list.SetHotCell(0, 1);
    SendMessageW(list.m_hWnd, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(-1, list.m_hotItem);
    EXPECT_EQ(-1, list.m_hotColumn);
}

TEST_F(ReportListTest, ColumnMenuCommandsAndTheirSavedLayout)
{
    SnapshotMenuDriver driver;
    {
        CTListCtrlReport list;
        Make(list, 0, CTListCtrlReport::OptColumnMenu);
        ASSERT_TRUE(list.SetColumns(L"Name,90;Size,60;Type,70;Owner,80", 104, GetModuleHandleW(nullptr), sub.c_str()));
        for (int i = 0; i < 3; ++i) {
            CTListCtrlReport::Row row;
            row.AddText(L"n").AddNumber(i).AddText(L"t").AddText(L"o");
            list.AddRow(-1, row);
        }
        // Locked (the default): Add and Remove disabled, Lock checked, no Auto Size without stretch mode.
        MenuSnapshot menu = RightClickHeader(list, 1, 0, driver);
        ASSERT_EQ(4u, menu.states.size());
        EXPECT_TRUE(menu.states[0] & MF_GRAYED);
        EXPECT_FALSE(menu.hasSubMenu);
        EXPECT_EQ(CTListCtrlReport::MenuRemove, menu.ids[1]);
        EXPECT_TRUE(menu.states[1] & MF_GRAYED);
        EXPECT_TRUE(menu.states[2] & MF_SEPARATOR);
        EXPECT_EQ(CTListCtrlReport::MenuLock, menu.ids[3]);
        EXPECT_TRUE(menu.states[3] & MF_CHECKED);

        // Lock Columns unlocks and allows dragging.
        RightClickHeader(list, 1, CTListCtrlReport::MenuLock, driver);
        EXPECT_FALSE(list.m_columnsLocked);
        EXPECT_TRUE(SendMessageW(list.m_hWnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_HEADERDRAGDROP);
        Pump();

        // Remove over "Size".
        g_seen.clear();
        menu = RightClickHeader(list, 1, CTListCtrlReport::MenuRemove, driver);
        EXPECT_FALSE(menu.states[1] & MF_GRAYED);
        EXPECT_FALSE(menu.states[3] & MF_CHECKED);
        EXPECT_EQ(3, list.m_shownCount);
        EXPECT_EQ(-1, list.GetColumnPosition(1));
        EXPECT_EQ((std::vector<int>{CTListCtrlReport::NotifyLayout}), SeenCodes());
        EXPECT_EQ((std::vector<std::wstring>{L"t", L"t", L"t"}), ColumnTexts(list, 1));

        // Remove is refused over data column 0.
        menu = RightClickHeader(list, 0, 0, driver);
        EXPECT_TRUE(menu.states[1] & MF_GRAYED);

        // Add it back over "Owner": it shows where the user clicked, with its cells.
        menu = RightClickHeader(list, 2, CTListCtrlReport::MenuFirstColumn, driver);
        EXPECT_EQ((std::vector<std::wstring>{L"Size"}), menu.add);
        EXPECT_EQ(4, list.m_shownCount);
        EXPECT_EQ(2, list.GetColumnPosition(1));
        EXPECT_EQ(60, ColumnWidth(list, 2));
        std::vector<std::wstring> sizes = ColumnTexts(list, 2);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(Text(list.GetRow(i)->GetCell(1)->m_value.GetString()), sizes[i]);
        EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), Order(list));

        // Remove two columns: the Add sub-menu lists them by caption.
        RightClickHeader(list, 3, CTListCtrlReport::MenuRemove, driver);
        RightClickHeader(list, 1, CTListCtrlReport::MenuRemove, driver);
        // Added from over "Name", which cannot give up its place: at the end.
        menu = RightClickHeader(list, 0, CTListCtrlReport::MenuFirstColumn + 1, driver);
        EXPECT_EQ((std::vector<std::wstring>{L"Owner", L"Type"}), menu.add);
        EXPECT_EQ(3, list.m_shownCount);
        EXPECT_EQ(2, list.GetColumnPosition(2));
        Pump();
        list.SaveColumnLayout();
    }
    CTListCtrlReport again;
    Make(again, 0, CTListCtrlReport::OptColumnMenu);
    ASSERT_TRUE(again.SetColumns(L"Name,90;Size,60;Type,70;Owner,80", 104, GetModuleHandleW(nullptr), sub.c_str()));
    EXPECT_FALSE(again.m_columnsLocked);
    EXPECT_EQ(3, again.m_shownCount);
    EXPECT_EQ(0, again.GetColumnPosition(0));
    EXPECT_EQ(1, again.GetColumnPosition(1));
    EXPECT_EQ(2, again.GetColumnPosition(2));
    EXPECT_EQ(-1, again.GetColumnPosition(3));
}

TEST_F(ReportListTest, AutoSizeCommandAndExecuteMenuCommand)
{
    SnapshotMenuDriver driver;
    CTListCtrlReport list;
    MakeStretch(list, host, 300, {50, 60, 70});
    list.ModifyOptions(0, CTListCtrlReport::OptColumnMenu);
    // The header's right click opens the menu and is answered handled.
    driver.snapshot = MenuSnapshot();
    NMHDR rclick = {list.m_header.m_hWnd, 0, static_cast<UINT>(NM_RCLICK)};
    EXPECT_EQ(1, SendMessageW(list.m_hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&rclick)));
    EXPECT_EQ(5u, driver.snapshot.states.size());
    MenuSnapshot menu = RightClickHeader(list, 1, CTListCtrlReport::MenuAutoSize, driver);
    ASSERT_EQ(5u, menu.states.size());
    EXPECT_EQ(CTListCtrlReport::MenuAutoSize, menu.ids[4]);
    EXPECT_TRUE(menu.states[4] & MF_CHECKED);
    EXPECT_FALSE(list.m_autoSize);
    EXPECT_TRUE(list.m_header.m_normalLayout);
    RightClickHeader(list, 1, CTListCtrlReport::MenuAutoSize, driver);
    EXPECT_TRUE(list.m_autoSize);
    EXPECT_FALSE(list.m_header.m_normalLayout);

    // Commands a window built itself from menu entries.
    auto* entry = new CTListCtrlReport::TempMenu();
    entry->m_column = list.GetShownColumn(1);
    entry->m_command = 5001;
    entry->m_action = 1;
    list.m_menuEntries.AddTail(entry);
    auto* lock = new CTListCtrlReport::TempMenu();
    lock->m_command = 5002;
    lock->m_action = 2;
    list.m_menuEntries.AddTail(lock);
    bool locked = list.m_columnsLocked;
    EXPECT_TRUE(list.ExecuteMenuCommand(5002));
    EXPECT_NE(locked, list.m_columnsLocked);
    EXPECT_TRUE(list.ExecuteMenuCommand(5001));
    EXPECT_EQ(2, list.m_shownCount);
    entry->m_action = 0;
    EXPECT_TRUE(list.ExecuteMenuCommand(5001));
    EXPECT_EQ(3, list.m_shownCount);
    EXPECT_TRUE(list.ExecuteMenuCommand(4999)); // no entry: still true
    list.ModifyOptions(CTListCtrlReport::OptColumnMenu, 0);
    EXPECT_FALSE(list.ExecuteMenuCommand(5002));
    Pump();
}

TEST_F(ReportListTest, LongTextSortsOrderAsTheLinguisticComparison)
{
    // Enough rows for the sort to use sort keys; texts that a byte-wise order would get wrong.
    const wchar_t* words[] = {L"co-op", L"coop", L"Coop", L"cote", L"c\u00f4te", L"cot\u00e9", L"C\u00f4te", L"apple",
                              L"Apple", L"\u00c4pfel", L"zebra", L"", L"10", L"9", L"a b", L"ab", L"PC-0010", L"PC-009"};
    CTListCtrlReport list;
    Make(list);
    list.SetColumns(L"Name;Size", 0, nullptr, nullptr);
    list.EnableAutoSort(false);
    int n = 0;
    for (int round = 0; round < 5; ++round)
        for (const wchar_t* w : words) {
            CTListCtrlReport::Row row;
            row.AddText(w).AddNumber(n++);
            list.AddRow(-1, row);
        }
    CTListCtrlReport::Row missing; // no text cell at all: first in ascending order
    list.AddRow(-1, missing);
    for (bool ascending : {true, false}) {
        SCOPED_TRACE(ascending);
        list.SortBy(0, ascending);
        int count = list.GetItemCount();
        ASSERT_EQ(5 * 18 + 1, count);
        EXPECT_EQ(nullptr, list.GetRow(ascending ? 0 : count - 1)->GetCell(0));
        for (int i = ascending ? 1 : 0; i + 1 < count - (ascending ? 0 : 1); ++i) {
            const wchar_t* a = list.GetRow(i)->GetCell(0)->m_value.GetText();
            const wchar_t* b = list.GetRow(i + 1)->GetCell(0)->m_value.GetText();
            int r = lstrcmpW(a, b);
            EXPECT_TRUE(ascending ? r <= 0 : r >= 0) << i;
        }
        for (int i = 0; i < count; ++i) EXPECT_EQ(nullptr, list.GetRow(i)->m_sortKey);
    }
    Pump();
}

TEST_F(ReportListTest, RowBurstsRedrawOnceAndCallersKeepTheirRedrawSwitch)
{
    CTListCtrlReport list;
    Make(list);
    list.SetColumns(L"Name;Size", 0, nullptr, nullptr);
    Pump();
    for (int i = 0; i < 3; ++i) {
        CTListCtrlReport::Row row;
        row.AddText(L"x").AddNumber(i);
        list.AddRow(-1, row);
        EXPECT_FALSE(list.m_redrawEnabled); // stays off for the rest of the burst
    }
    Pump();
    EXPECT_TRUE(list.m_redrawEnabled);
    EXPECT_FALSE(list.m_redrawDeferred);

    // A caller that switched redraw off for a long fill is not overruled.
    SendMessageW(list.m_hWnd, WM_SETREDRAW, FALSE, 0);
    CTListCtrlReport::Row row;
    row.AddText(L"y").AddNumber(9);
    list.AddRow(-1, row);
    list.DeleteRow(0);
    Pump();
    EXPECT_FALSE(list.m_redrawEnabled);
    SendMessageW(list.m_hWnd, WM_SETREDRAW, TRUE, 0);
    EXPECT_TRUE(list.m_redrawEnabled);

    // A caller switching redraw on in the middle of a burst takes over; nothing switches it later.
    list.AddRow(-1, row);
    SendMessageW(list.m_hWnd, WM_SETREDRAW, TRUE, 0);
    SendMessageW(list.m_hWnd, WM_SETREDRAW, FALSE, 0);
    Pump();
    EXPECT_FALSE(list.m_redrawEnabled);
    SendMessageW(list.m_hWnd, WM_SETREDRAW, TRUE, 0);
}

// Report list bulk work: adding rows of 8 columns, sorting them by a text and by a date column,
// updating 5,000 of them and deleting 5,000, at 10,000 and 50,000 rows side by side. Linear work
// shows about 5x for adding, n log n about 5.8x for sorting and about 1x for the fixed-size updates
// and deletions; quadratic work would show 25x and 5x. Each sort is followed by the list-view
// sort alone over a plain list view in the same order (integer keys), the platform's share.
// Run under Wine with a display: wine build/bench/bench_report_list.exe
#include "controls/CTListCtrlReport.h"

#include <commctrl.h>

#include <stdio.h>
#include <stdlib.h>
#include "BenchTimer.h"

namespace {

// Runs what the message loop would run next (the list's posted messages, its repaint).
void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

template <class F> double Time(F work)
{
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    work();
    Pump();
    QueryPerformanceCounter(&b);
    return Seconds(a, b);
}

// The parent offers the list's notifications to it first, so that deletions free the rows.
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

struct Figures {
    double add = 0, sortText = 0, sortDate = 0, update = 0, remove = 0;
    double plainText = 0, plainDate = 0;  // the platform's sort alone, same orders
};

int CALLBACK CompareKeys(LPARAM a, LPARAM b, LPARAM)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

// The list-view sort itself, with the cheapest comparison there is: a plain report list view of
// the same number of items, in the orders the two sorts above meet, each item's key its lParam.
void PlainSorts(HWND host, int rows, Figures& f)
{
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 780, 560, host, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < rows; ++i) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = i;
        item.pszText = LPSTR_TEXTCALLBACKW;
        item.lParam = static_cast<LPARAM>((static_cast<long long>(i) * 7919) % rows);  // the names' order
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    f.plainText = Time([&] { SendMessageW(list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(CompareKeys)); });
    // Sorted by name, the dates run backwards.
    for (int i = 0; i < rows; ++i) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        item.lParam = rows - i;
        SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    f.plainDate = Time([&] { SendMessageW(list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(CompareKeys)); });
    DestroyWindow(list);
}

Figures Run(int rows)
{
    HWND host = CreateWindowExW(0, L"ReportListBenchHost", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 800,
                                600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    Figures f;
    {
        CTListCtrlReport list;
        list.CreateReport(host, 1, 0);
        MoveWindow(list.m_hWnd, 0, 0, 780, 560, TRUE);
        list.SetColumns(L"Name,150;Size,60;Type,80;Owner,90;Changed,120;State,60;Done,80;Note,150", 0, nullptr,
                        nullptr);
        static int keys[50000];
        f.add = Time([&] {
            for (int i = 0; i < rows; ++i) {
                // Names and dates in no particular order, so that the sorts have work to do.
                int scrambled = static_cast<int>((static_cast<long long>(i) * 7919) % rows);
                wchar_t name[32];
                _snwprintf(name, 32, L"COMPUTER-%05d", scrambled);
                name[31] = 0;
                CTListCtrlReport::Row row(&keys[i]);
                row.AddText(name).AddNumber(i * 1024).AddText(L"Workstation").AddText(L"DOMAIN\\admin");
                row.AddAttribute(CAttribute(CAttribute::DateTime, 1700000000 + (rows - scrambled) * 37)).AddCell(
                    CTListCtrlReport::Cell(CAttribute::Integer2, static_cast<__int64>(4)));
                row.AddCell(CTListCtrlReport::Cell(CAttribute::Percentage, i % 101)).AddText(L"note");
                list.AddRow(-1, row);
            }
        });
        f.sortText = Time([&] { list.SortBy(0, true); });
        f.sortDate = Time([&] { list.SortBy(4, true); });
        f.update = Time([&] {
            for (int i = 0; i < 5000 && i < rows; ++i) {
                int item = (i * 7919) % rows;
                CTListCtrlReport::Row* stored = list.GetRow(item);
                CTListCtrlReport::Row row(*stored);
                row.SetCell(1, CTListCtrlReport::Cell(CAttribute::Integer, static_cast<__int64>(i) + 7));
                row.SetCell(7, CTListCtrlReport::Cell(CAttribute::Text, CTString(L"updated")));
                list.UpdateRow(item, -1, row);
            }
        });
        f.remove = Time([&] {
            for (int i = 0; i < 5000 && i < rows; ++i) list.DeleteRow((i * 7919) % (rows - i));
        });
    }
    PlainSorts(host, rows, f);
    DestroyWindow(host);
    return f;
}

} // namespace

int wmain()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ReportListBenchHost";
    RegisterClassW(&wc);

    if (const char* quick = getenv("REPORT_LIST_BENCH_ROWS")) {
        // A short look at one size, for finding where the time goes.
        Figures f = Run(atoi(quick));
        printf("%s rows: add %.3f s, sort by text %.3f s, sort by date %.3f s, update %.3f s, delete %.3f s\n", quick,
               f.add, f.sortText, f.sortDate, f.update, f.remove);
        return 0;
    }
    Figures small = Run(10000);
    Figures large = Run(50000);
    printf("report list          10000 rows   50000 rows   ratio\n");
    printf("add all rows        %9.3f s  %9.3f s  %6.2f\n", small.add, large.add, large.add / small.add);
    printf("sort by text        %9.3f s  %9.3f s  %6.2f\n", small.sortText, large.sortText, large.sortText / small.sortText);
    printf("  plain list view   %9.3f s  %9.3f s  %6.2f\n", small.plainText, large.plainText,
           large.plainText / small.plainText);
    printf("sort by date        %9.3f s  %9.3f s  %6.2f\n", small.sortDate, large.sortDate, large.sortDate / small.sortDate);
    printf("  plain list view   %9.3f s  %9.3f s  %6.2f\n", small.plainDate, large.plainDate,
           large.plainDate / small.plainDate);
    printf("update 5000 rows    %9.3f s  %9.3f s  %6.2f\n", small.update, large.update, large.update / small.update);
    printf("delete 5000 rows    %9.3f s  %9.3f s  %6.2f\n", small.remove, large.remove, large.remove / small.remove);
    return 0;
}

// The search pane filling its list from a search answer of 20,000 objects, next to parsing that
// answer alone. The answer is the fixture server's, for the search "WS-0" limited to 20,000 in the
// sample directory grown to 50,000 people and computers: workstations of 20 offices, five
// attributes each. The fill reads every object and adds its row, so it should stay within a small
// multiple of the parse: the printed ratio below 3.
// Run with scripts/bench.sh (it writes the answer and runs this under Wine with a display).
#include "app/DlgSearch.h"

#include <stdio.h>
#include <string>
#include "foundation/TiXmlDocument.h"
#include "session/RequestResult.h"

#include "SampleReply.h"
#include "BenchTimer.h"

namespace {

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

} // namespace

int wmain()
{
    std::wstring text = LoadSampleReply("search_fill.xml");
    const int kObjects = CountElements(text, L"<object ");
    if (kObjects == 0)
        return 1;
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SearchFillBenchHost";
    RegisterClassExW(&wc);
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                wc.hInstance, nullptr);

    // The parse alone (best of three).
    double parse = 1e9;
    for (int run = 0; run < 3; ++run) {
        TiXmlDocument document;
        double t = Time([&] { document.Parse(text.c_str(), nullptr, 0); });
        if (t < parse) parse = t;
    }

    // Parse and fill, as the pane gets its answer (best of three).
    double fill = 1e9, clear = 1e9;
    int rows = 0;
    for (int run = 0; run < 3; ++run) {
        DlgSearch pane;
        pane.m_list.CreateReport(host, DlgSearch::kIdList, 0);
        MoveWindow(pane.m_list.m_hWnd, 0, 0, 780, 560, TRUE);
        pane.m_list.SetColumns(CTString(L"Path;Name;Type"), 0, nullptr, nullptr);
        pane.m_list.SortBy(0, true);
        RequestResult reply;
        reply.route.requestId = DlgSearch::kReqSearch;
        reply.route.param2 = pane.m_searchSerial;
        double t = Time([&] {
            reply.document.Parse(text.c_str(), nullptr, 0);
            pane.OnReply(reply);
        });
        rows = pane.m_list.GetItemCount();
        if (t < fill) fill = t;
        // A new search or closing the pane empties the list.
        double c = Time([&] { pane.m_list.DeleteAllRows(); });
        if (c < clear) clear = c;
        pane.m_list.Destroy();
    }
    if (rows != kObjects) {
        printf("the list holds %d rows, not %d: no window could be made (is there a display?)\n", rows, kObjects);
        return 1;
    }
    printf("search answer of %d objects: parse %.3f s, parse and fill %.3f s (%d rows), ratio %.2f (should be < 3)\n",
           kObjects, parse, fill, rows, fill / parse);
    printf("emptying the list of %d rows: %.3f s, ratio %.2f to the parse\n", rows, clear, clear / parse);
    DestroyWindow(host);
    return 0;
}

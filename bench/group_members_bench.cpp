// The group form's member list filled with 500 and 5,000 members (no application: every member
// is listed by its id, as the cache had none of them). Times side by side and their ratio (ten
// times the rows): a duplicate check that walks the member list shows up as a ratio far above
// 10; the goal is below 12.
// Run under Wine with a display: wine build/bench/bench_group_members.exe
#include "structure/DlgGroup.h"

#include <stdio.h>
#include <vector>
#include "BenchTimer.h"

int wmain()
{
    HWND host = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    const int sizes[] = {500, 5000};
    double best[2] = {};
    for (int s = 0; s < 2; ++s) {
        best[s] = 1e9;
        std::vector<__int64> ids;
        for (int i = 0; i < sizes[s]; ++i) ids.push_back(200000 + i);
        for (int run = 0; run < 3; ++run) {
            DlgGroup group;
            DlgGroup::CGeneralPage page(&group);
            if (!page.CreatePage(host)) {
                printf("the page's window could not be made (is there a display?)\n");
                return 1;
            }
            double t = Time([&] { page.FillMembers(ids); });
            if (page.m_list.m_report.GetItemCount() != sizes[s]) {
                printf("the list holds %d rows, not %d\n", page.m_list.m_report.GetItemCount(), sizes[s]);
                return 1;
            }
            if (t < best[s]) best[s] = t;
            page.Destroy();
        }
    }
    printf("Fill: %d members %.1f ms, %d members %.1f ms, ratio %.2f (goal < 12)\n", sizes[0], best[0] * 1e3, sizes[1],
           best[1] * 1e3, best[1] / best[0]);
    DestroyWindow(host);
    return 0;
}

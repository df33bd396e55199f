// The Logon page of the user pane filling its history from an event query reply of 2,000 and of
// 20,000 events (every fifth a repeat of an earlier id, as a reply may list an event twice). Rows
// are found by id without walking the list and the list sorts once, so ten times the events should
// cost well under twelve times as much: the printed ratio below 12.
// Run with scripts/bench.sh (under Wine with a display).
#include <stdio.h>
#include <windows.h>
#include <commctrl.h>
#include <string>

#include "app/App.h"
#include "app/AppWindows.h"
#include "app/CWMFormHost.h"
#include "app/MainWindow.h"
#include "foundation/TiXmlDocument.h"
#include "framework/CTApp.h"
#include "people/DlgUserPageLogon.h"

#include "BenchTimer.h"

namespace {

class BenchHost : public CWMFormHost, public RecordPageHost {
public:
    Object person;
    void SetModified(bool) override {}
    Object& GetShownObject() override { return person; }
    RequestRoute GetPageRoute(int requestId, __int64 param2) override
    {
        RequestRoute route;
        route.requestId = requestId;
        route.param2 = param2;
        return route;
    }
};

std::wstring Reply(int events)
{
    std::wstring xml = L"<result><RC id=\"0\" text=\"\"/>";
    const long long base = static_cast<long long>(time(nullptr)) - 40LL * 86400;
    for (int i = 0; i < events; ++i) {
        const int id = i % 5 == 4 ? 100000 + i / 2 : 100000 + i;
        const long long created = base + (i * 7919LL) % (40LL * 86400);
        xml += L"<object id=\"" + std::to_wstring(id) + L"\" type=\"25\" parent=\"7\" serial=\"1\" name=\"Logon\" created=\"" +
               std::to_wstring(created) + L"\" updated=\"" + std::to_wstring(created + 600) +
               L"\"><attrib id=\"421\" name=\"logon_event\" edit=\"\" default=\"0\" inherit=\"0\" type=\"value_int\">" +
               std::to_wstring(i % 3) + L"</attrib></object>";
    }
    return xml + L"</result>";
}

} // namespace

int wmain()
{
    CTApp::Instance()->Init(GetModuleHandleW(nullptr), L"", SW_HIDE, L"bench");
    App app;
    RegisterAppWindows(app.m_catalogue);
    app.Init();
    MainWindow* main = app.m_mainWindow;
    if (!main)
        return 1;
    Object logon;
    logon.id = logon.type = 25;
    logon.name = L"Logon";
    main->m_cache.types.push_back(logon);
    main->m_cache.loaded |= MainWindowCache::LoadTypes;

    HWND pane = CreateWindowExW(0, L"STATIC", L"pane", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 800, 600, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    BenchHost host;
    host.person.id = 7;
    host.m_tab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 780, 560, pane, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    auto* page = new DlgUser::CPageLogon();
    host.AddPage(pane, page);
    if (!page->m_hWnd || !page->m_list.m_report.m_hWnd)
        return 1;

    const int sizes[] = {2000, 20000};
    double times[2] = {};
    for (int s = 0; s < 2; ++s) {
        std::wstring text = Reply(sizes[s]);
        double best = 1e9;
        for (int run = 0; run < 3; ++run) {
            TiXmlDocument document;
            document.Parse(text.c_str(), nullptr, 0);
            double t = Time([&] { page->FillEvents(document); });
            if (t < best)
                best = t;
        }
        times[s] = best;
        printf("logon history fill, %d events: %.4f s (%d rows)\n", sizes[s], best, page->m_list.m_report.GetItemCount());
    }
    printf("ratio 20,000 / 2,000: %.2f (goal below 12)\n", times[0] > 0 ? times[1] / times[0] : 0.0);
    host.m_pages.DeleteAll();
    DestroyWindow(pane);
    app.Exit();
    return 0;
}

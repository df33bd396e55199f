// The deployments page of the schedule-group view filled from view caches of 2,000 and 20,000
// deployments with their users and computers. A fill costs per row, so the time per 1,000 rows
// should stay about the same: the printed ratio (20,000 against 2,000) has the goal of at most 1.5.
// Run with scripts/bench.sh (under Wine with a display).
#include <stdio.h>
#include <algorithm>
#include <string>

#include "app/App.h"
#include "app/AppWindows.h"
#include "app/MainWindow.h"
#include "framework/CTApp.h"
#include "schedulegroups/DlgScheduleGroup.h"
#include "schedulegroups/ScheduleGroupPage.h"
#include "schedulegroups/ScheduleGroupPageDeployments.h"
#include "schedulegroups/ScheduleGroupWindows.h"

#include "BenchTimer.h"

namespace {

enum : int { kUserType = 5, kGroupType = 7, kDeploymentType = 8, kComputerType = 9, kGroup = 52 };

Object::Attribute Link(const wchar_t* name, __int64 value)
{
    Object::Attribute attribute;
    attribute.SetValue(CAttribute::Integer, value);
    attribute.name = name;
    attribute.flags |= Object::Attribute::Link;
    return attribute;
}

Object::Attribute Text(const wchar_t* name, const wchar_t* text)
{
    Object::Attribute attribute;
    attribute.SetText(0, CTString(text));
    attribute.name = name;
    return attribute;
}

Object Make(__int64 id, __int64 type, __int64 parent, const std::wstring& name)
{
    Object object;
    object.id = id;
    object.type = type;
    object.parent = parent;
    object.serial = 1;
    object.name = name.c_str();
    return object;
}

// Deployments, one user and two computers for every two deployments.
void Load(DlgScheduleGroup& view, int deployments)
{
    view.m_objects.clear();
    for (int i = 0; i < deployments / 2; ++i) {
        Object user = Make(200000 + i, kUserType, i % 3 ? kGroup : 22, L"User " + std::to_wstring(i));
        user.attributes[102] = Text(L"email_address", L"someone@example.test");
        view.m_objects[user.id] = user;
        for (int c = 0; c < 2; ++c) {
            Object computer = Make(400000 + 2 * i + c, kComputerType, kGroup, L"PC " + std::to_wstring(2 * i + c));
            computer.attributes[120] = Text(L"computer_name", L"PC-0000");
            view.m_objects[computer.id] = computer;
        }
    }
    const wchar_t* statuses[] = {L"1", L"2", L"4"};
    for (int i = 0; i < deployments; ++i) {
        Object d = Make(300000 + i, kDeploymentType, kGroup, L"Deployment " + std::to_wstring(i));
        d.attributes[106] = Text(L"deployment_status", statuses[i % 3]);
        d.attributes[113] = Link(L"link_user", 200000 + i / 2);
        d.attributes[114] = Link(L"link_legacy_computer", 400000 + i);
        d.attributes[178] = Text(L"tag", i % 2 ? L"VIP" : L"");
        view.m_objects[d.id] = d;
    }
}

} // namespace

int wmain()
{
    CTApp::Instance()->Init(GetModuleHandleW(nullptr), L"", SW_HIDE, L"bench");
    App app;
    RegisterAppWindows(app.m_catalogue);
    RegisterScheduleGroupWindows(app.m_catalogue);
    app.Init();
    MainWindow* main = app.m_mainWindow;
    if (!main)
        return 1;
    for (auto [id, name] : {std::pair{5, L"Schedule User"}, std::pair{7, L"Schedule Group"}, std::pair{8, L"Deployment"},
                            std::pair{9, L"Computer"}}) {
        Object definition;
        definition.id = definition.type = id;
        definition.name = name;
        main->m_cache.types.push_back(definition);
    }
    main->m_cache.loaded |= MainWindowCache::LoadTypes;

    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 1000, 700, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    DlgScheduleGroup view;
    view.m_owner = main;
    view.m_key = kGroup;
    view.m_group = Make(kGroup, kGroupType, 2, L"Group");
    view.m_loadedBits = DlgScheduleGroup::LoadedAll;
    auto* page = new DlgScheduleGroup::CPageDeployments();
    page->m_view = &view;
    page->OnLoadState(DlgScheduleGroup::LoadedAll);
    if (!page->Create(host)) {
        delete page;
        return 1;
    }
    view.m_pages.AddTail(page);
    view.m_currentPage = page;
    MoveWindow(page->GetHwnd(), 0, 0, 1000, 700, TRUE);
    ShowWindow(page->GetHwnd(), SW_SHOW);

    const int sizes[] = {2000, 20000};
    double perThousand[2] = {};
    for (int s = 0; s < 2; ++s) {
        Load(view, sizes[s]);
        double best = 1e9;
        for (int run = 0; run < 3; ++run)
            best = std::min(best, Time([&] { page->FillRows(); }));
        perThousand[s] = best / (sizes[s] / 1000.0);
        printf("%d deployments: fill %.4f s, %.4f s per 1,000 rows (%d rows, %d fetches pending)\n", sizes[s], best,
               perThousand[s], page->m_list.GetItemCount(), view.m_pendingObjectRequests);
    }
    printf("per 1,000 rows: 2,000 %.4f s, 20,000 %.4f s, ratio %.2f (goal at most 1.5)\n", perThousand[0],
           perThousand[1], perThousand[0] > 0 ? perThousand[1] / perThousand[0] : 0.0);
    view.m_pages.DeleteAll();
    view.m_currentPage = nullptr;
    DestroyWindow(host);
    app.Exit();
    return 0;
}

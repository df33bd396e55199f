// The deployments view with 2,000 and 20,000 loaded deployments in four ticked groups, with their
// slots and users: a refill that builds every row and rebuilds the panels, a refill that rebuilds
// every cell, and one lookup answer filling its column. Each grows with the rows alone, so ten
// times the deployments should cost well under fifteen times as much: each printed ratio below 15.
// Run with scripts/bench.sh (under Wine with a display).
#include <stdio.h>
#include <string>

#include "app/App.h"
#include "app/AppWindows.h"
#include "app/MainWindow.h"
#include "deployments/DeploymentWindows.h"
#include "deployments/DlgDeployments.h"
#include "deployments/DlgDeploymentsPanels.h"
#include "foundation/TiXmlDocument.h"
#include "framework/CTApp.h"
#include "session/RequestResult.h"

#include "BenchTimer.h"

namespace {

enum : int { kUserType = 5, kDeploymentType = 8, kSlotType = 12 };

Object::Attribute Value(const wchar_t* name, int type, __int64 value, bool link = false)
{
    Object::Attribute attribute;
    attribute.SetValue(type, value);
    attribute.name = name;
    if (link)
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

void Load(DlgDeployments& view, int deployments)
{
    view.Report().DeleteAllRows();
    view.m_loaded.children.clear();
    view.m_loadedIndex.clear();
    view.m_lookupTexts.clear();
    view.m_lookupColumns.clear();
    view.m_groups.clear();
    for (__int64 group = 50; group < 54; ++group) {
        DlgDeployments::GroupEntry& entry = view.Group(group);
        entry.group = Make(group, 7, 2, L"Group " + std::to_wstring(group));
        entry.enabled = entry.loaded = true;
    }
    const __int64 day = 1792281600;
    const wchar_t* tags[] = {L"VIP", L"vip, Floor 2", L"Floor 3", L""};
    for (int i = 0; i < deployments / 10; ++i) {
        Object slot = Make(100000 + i, kSlotType, 50, L"Slot");
        slot.attributes[110] = Value(L"end_date", 10, day + (i % 35) * 86400LL);
        view.AddLoaded(slot);
        Object user = Make(200000 + i, kUserType, 50 + i % 4, L"User " + std::to_wstring(i));
        user.attributes[102] = Text(L"email_address", L"someone@example.test");
        view.AddLoaded(user);
    }
    for (int i = 0; i < deployments; ++i) {
        Object d = Make(300000 + i, kDeploymentType, 50 + i % 4, L"Deployment " + std::to_wstring(i));
        d.attributes[132] = Value(L"link_deployment_slot", 2, 100000 + i / 10, true);
        d.attributes[113] = Value(L"link_user", 2, 200000 + i / 10, true);
        d.attributes[180] = Value(L"link_deploy_model", 2, 400000 + i % 50, true);
        d.attributes[106] = Value(L"deployment_status", 1, 1 + i % 3);
        d.attributes[178] = Text(L"tag", tags[i % 4]);
        view.AddLoaded(d);
    }
}

} // namespace

int wmain()
{
    CTApp::Instance()->Init(GetModuleHandleW(nullptr), L"", SW_HIDE, L"bench");
    App app;
    RegisterAppWindows(app.m_catalogue);
    RegisterDeploymentWindows(app.m_catalogue);
    app.Init();
    MainWindow* main = app.m_mainWindow;
    if (!main)
        return 1;
    for (auto [id, name] : {std::pair{5, L"Schedule User"}, std::pair{7, L"Schedule Group"}, std::pair{8, L"Deployment"},
                            std::pair{12, L"Deployment Slot"}}) {
        Object definition;
        definition.id = definition.type = id;
        definition.name = name;
        main->m_cache.types.push_back(definition);
    }
    main->m_cache.loaded |= MainWindowCache::LoadTypes;
    main->ShowConsole(DlgDeployments::kConsoleType, 0, true);
    auto* view = static_cast<DlgDeployments*>(main->FindConsole(DlgDeployments::kConsoleType, 0));
    if (!view || !view->Report().m_hWnd)
        return 1;
    const int model = 7;   // the "HW Model" column

    // One lookup answer with fifty models.
    std::wstring reply = L"<result><RC id=\"0\" text=\"\"/><parameters PARENT=\"0\" EDIT=\"TYPE='Hardware'\"/>";
    for (int i = 0; i < 50; ++i)
        reply += L"<object id=\"" + std::to_wstring(400000 + i) + L"\" type=\"42\" parent=\"5\" name=\"Model " +
                 std::to_wstring(i) + L"\"/>";
    reply += L"</result>";

    const int sizes[] = {2000, 20000};
    double fill[2] = {}, cells[2] = {}, lookup[2] = {};
    for (int s = 0; s < 2; ++s) {
        double bestFill = 1e9, bestCells = 1e9, bestLookup = 1e9;
        for (int run = 0; run < 3; ++run) {
            Load(*view, sizes[s]);
            bestFill = std::min(bestFill, Time([&] { view->Fill(0, 0); }));
            bestCells = std::min(bestCells, Time([&] { view->Fill(1, 0); }));
            view->m_headings[model].linked = L"TYPE='Hardware'";
            view->m_lookupTexts.clear();
            view->m_lookupColumns[L"TYPE='Hardware'"] = {L"link_deploy_model"};
            RequestResult result;
            result.route = view->Route(DlgDeployments::kReqLookup, DlgDeployments::kLookupColumn);
            result.document.Parse(reply.c_str(), nullptr, 0);
            bestLookup = std::min(bestLookup, Time([&] { view->OnReply(result); }));
        }
        fill[s] = bestFill;
        cells[s] = bestCells;
        lookup[s] = bestLookup;
        printf("%d deployments: refill with panels %.4f s, every cell %.4f s, one lookup answer %.4f s (%d rows)\n",
               sizes[s], bestFill, bestCells, bestLookup, view->Report().GetItemCount());
    }
    auto ratio = [](const double* t) { return t[0] > 0 ? t[1] / t[0] : 0.0; };
    printf("ratio 20,000 / 2,000: refill %.2f, cells %.2f, lookup %.2f (goal below 15)\n", ratio(fill), ratio(cells),
           ratio(lookup));
    app.Exit();
    return 0;
}

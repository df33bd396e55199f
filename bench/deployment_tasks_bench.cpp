// The Tasks page of a deployment pane loading from the directory cache when the deployment has
// 1,000 and 10,000 cached descendants: a few dozen listed tasks among sub-folders, grandchild tasks,
// hidden tasks and other objects. A load walks the deployment's tree once and sorts only the tasks
// it lists, so ten times the descendants should cost well under fifteen times as much: the printed
// ratio below 15.
// Run with scripts/bench.sh (under Wine with a display).
#include <stdio.h>
#include <map>
#include <string>

#include "app/App.h"
#include "app/AppWindows.h"
#include "app/MainWindow.h"
#include "deployments/DeploymentWindows.h"
#include "deployments/DlgDeployment.h"
#include "deployments/DlgDeploymentPages.h"
#include "framework/CTApp.h"

#include "BenchTimer.h"

namespace {

constexpr __int64 kDeployment = 10;

Object::Attribute Value(int id, const wchar_t* name, int type, __int64 value)
{
    Object::Attribute attribute;
    attribute.SetValue(type, value);
    attribute.name = name;
    return attribute;
}

Object MakeTask(__int64 id, __int64 parent, __int64 type, int index, bool shown)
{
    Object task;
    task.id = id;
    task.type = type;
    task.parent = parent;
    task.serial = 1;
    task.name = (L"Task " + std::to_wstring(index)).c_str();
    const __int64 day = static_cast<__int64>(time(nullptr)) / 86400 * 86400;
    task.attributes[110] = Value(110, L"end_date", CAttribute::Date, day + (index % 40 - 10) * 86400LL);
    task.attributes[135] = Value(135, L"amber_days", CAttribute::Integer, 3);
    task.attributes[136] = Value(136, L"dashboard_display", CAttribute::Integer, shown ? 1 : 0);
    task.attributes[104] = Value(104, L"display_order", CAttribute::Integer, index % 7);
    return task;
}

// The deployment's tree: 40 listed tasks, the rest spread over sub-folders holding tasks and notes.
void FillTree(App& app, int descendants)
{
    app.m_dir.Clear();
    std::map<__int64, Object> objects;
    Object deployment;
    deployment.id = kDeployment;
    deployment.type = 8;
    deployment.parent = 1;
    deployment.serial = 1;
    deployment.name = L"Deployment";
    objects[kDeployment] = deployment;
    __int64 next = 1000;
    for (int i = 0; i < 40; ++i, ++next)
        objects[next] = MakeTask(next, kDeployment, i % 2 ? 26 : 28, i, true);
    __int64 folder = 0;
    for (int i = 40; i < descendants; ++i, ++next) {
        if (i % 100 == 40) {
            folder = next;
            Object sub;
            sub.id = folder;
            sub.type = 1;
            sub.parent = kDeployment;
            sub.serial = 1;
            sub.name = L"Folder";
            objects[folder] = sub;
            continue;
        }
        if (i % 3 == 0) {
            Object note;
            note.id = next;
            note.type = 31;
            note.parent = folder;
            note.serial = 1;
            note.name = L"Note";
            objects[next] = note;
        } else {
            objects[next] = MakeTask(next, i % 5 == 0 ? kDeployment : folder, 26, i, i % 5 != 0);
        }
    }
    app.m_dir.MergeObjects(objects);
}

void DefineType(MainWindow& main, __int64 id, const wchar_t* name, __int64 parent)
{
    Object definition;
    definition.id = id;
    definition.type = id;
    definition.parent = parent;
    definition.name = name;
    main.m_cache.types.push_back(definition);
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
    DefineType(*main, 1, L"Folder", 0);
    DefineType(*main, 8, L"Deployment", 0);
    DefineType(*main, 26, L"Task", 0);
    DefineType(*main, 28, L"Email Task", 26);
    DefineType(*main, 31, L"Note", 0);
    main->m_cache.loaded |= MainWindowCache::LoadTypes;
    // A pane that loads nothing by itself: the bench gives it the deployment.
    main->ShowConsole(DlgDeployment::kConsoleNew, 1, true);
    auto* pane = static_cast<DlgDeployment*>(main->FindConsole(DlgDeployment::kConsoleNew, 1));
    if (!pane || !pane->m_tasksPage || !pane->m_tasksPage->m_list.m_report.m_hWnd)
        return 1;

    const int sizes[] = {1000, 10000};
    double times[2] = {};
    for (int s = 0; s < 2; ++s) {
        FillTree(app, sizes[s]);
        pane->SlotRef(DlgDeployment::SlotDeployment) = *app.m_dir.Lookup(kDeployment);
        double best = 1e9;
        for (int run = 0; run < 9; ++run) {
            double t = Time([&] { pane->m_tasksPage->Fill(); });
            if (t < best)
                best = t;
        }
        times[s] = best;
        printf("tasks page load, %d descendants: %.4f s (%d rows)\n", sizes[s], best,
               pane->m_tasksPage->m_list.m_report.GetItemCount());
    }
    printf("ratio 10,000 / 1,000: %.2f (goal below 15)\n", times[0] > 0 ? times[1] / times[0] : 0.0);
    app.Exit();
    return 0;
}

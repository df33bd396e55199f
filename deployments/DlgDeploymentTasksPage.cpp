#include "deployments/DlgDeploymentPages.h"

#include <algorithm>
#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "controls/CGDIManager.h"
#include "deployments/DeploymentLinks.h"
#include "session/DueStatus.h"

namespace {

using Report = CTListCtrlReportEx;

CTString LastPathPart(const CTString& path)
{
    int slash = path.ReverseFindChar(L'\\');
    if (slash < 0)
        return path;
    CTString last;
    path.MidToEnd(last, slash + 1);
    return last;
}

} // namespace

bool DlgDeployment::CPageTasks::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    if (msg == WM_INITDIALOG) {
        CTWndSize::Init(m_hWnd, false, 0, 0, false);
        if (Report* list = CreatePageList(m_list, kIdList, 0)) {
            Report& report = *list;
            report.SetColumns(CTString(L"Task;Due Date;Completed;By"), 104, GetModuleHandleW(nullptr), L"DlgMultiTask::ctrlList_");
            report.SetEmptyText(CTString(L"No Tasks"));
            for (int state : {DueOnTrack, DueCompleted, DueOverdue, DueSoon}) {
                CGDIManager::CObject* entry = CGDIManager::Instance()->Find(state);
                m_dueImages[state] = report.AddImage(entry ? reinterpret_cast<HICON>(entry->Get()) : nullptr);
            }
            const Report::ToolbarButton buttons[] = {{Report::CmdOpen, Report::kStandardImage, 135, BTNS_BUTTON},
                                                     {Report::CmdDelete, Report::kStandardImage, 108, BTNS_BUTTON}};
            m_list.CreateToolbar(this, TBSTYLE_TOOLTIPS, 2, buttons);
        }
        *result = TRUE;
        return true;
    }
    if (handled)
        return true;
    return DeploymentPageBase::OnMessage(msg, wParam, lParam, result);
}

bool DlgDeployment::CPageTasks::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr || static_cast<int>(hdr->idFrom) != kIdList)
        return DeploymentPageBase::OnNotify(wParam, hdr, result);
    *result = 0;
    if (hdr->code == Report::CodeDelete)
        DeleteSelected();
    else if (hdr->code == Report::CodeActivate || hdr->code == static_cast<UINT>(NM_DBLCLK))
        OpenSelected();
    return true;
}

bool DlgDeployment::CPageTasks::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (LOWORD(wParam)) {
    case Report::CmdDelete:
        DeleteSelected();
        break;
    case Report::CmdOpen:
        OpenSelected();
        break;
    default:
        return DeploymentPageBase::OnCommand(wParam, lParam, result);
    }
    *result = 0;
    return true;
}

bool DlgDeployment::CPageTasks::IsListedTask(const Object& task) const
{
    MainWindow* main = GetMain();
    return main && IsListedTask(task, main->GetTypeId(CTString(L"Task")));
}

bool DlgDeployment::CPageTasks::IsListedTask(const Object& task, __int64 taskType) const
{
    MainWindow* main = GetMain();
    if (!main || task.parent != GetDeployment().id || task.id == 0)
        return false;
    if (taskType == 0 || !main->IsTypeOf(task.type, taskType))
        return false;
    CAttribute display;
    task.GetAttribute(display, CTString(L"dashboard_display"));
    return !CAttribute::IsTextType(display.GetType()) && display.GetValue() != 0;
}

void DlgDeployment::CPageTasks::BuildRow(const Object& task, const wchar_t* name, int completedType,
                                         CTListCtrlReport::Row& row, std::vector<__int64>& needPaths)
{
    CAttribute due, completed;
    task.GetAttribute(due, CTString(L"end_date"));
    task.GetAttribute(completed, CTString(L"completed"));
    row.AddText(CTString(name ? name : L""));
    row.AddAttribute(CAttribute(CAttribute::Date, due.GetValue()));
    row.AddAttribute(CAttribute(completedType, completed.GetValue()));
    const __int64 administrator = LinkId(task, L"link_administrator");
    CTString path;
    DlgDeployment* pane = GetPane();
    App* app = pane ? pane->GetApp() : nullptr;
    if (administrator != 0 && app && app->GetCachedPath(administrator, path)) {
        row.AddText(LastPathPart(path));
    } else {
        row.AddAttribute(CAttribute(CAttribute::Integer, administrator));
        if (administrator != 0)
            needPaths.push_back(administrator);
    }
}

void DlgDeployment::CPageTasks::AskPaths(std::vector<__int64>& ids)
{
    DlgDeployment* pane = GetPane();
    App* app = pane ? pane->GetApp() : nullptr;
    if (app && !ids.empty())
        app->IDsToPaths(ids, PaneRoute(DlgDeployment::kReqAdminPaths, kColumnBy));
}

void DlgDeployment::CPageTasks::Fill()
{
    Report& report = m_list.m_report;
    DlgDeployment* pane = GetPane();
    App* app = pane ? pane->GetApp() : nullptr;
    m_dueState = DueOnTrack;
    if (!report.m_hWnd || !app)
        return;
    report.DeleteAllRows();
    // Only direct children are listed: they are picked out before sorting, so a deployment with a
    // large tree below it costs one pass over the tree and a sort of its tasks.
    std::vector<Object> descendants;
    app->m_dir.CollectDescendants(GetDeployment().id, descendants);
    std::vector<Object> tasks;
    const __int64 taskType = GetMain() ? GetMain()->GetTypeId(CTString(L"Task")) : 0;
    for (Object& object : descendants)
        if (IsListedTask(object, taskType))
            tasks.push_back(std::move(object));
    std::sort(tasks.begin(), tasks.end(), ObjectSortsBefore);
    std::vector<__int64> needPaths;
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, FALSE, 0);
    for (auto it = tasks.rbegin(); it != tasks.rend(); ++it) {
        CTStringLocale name(it->name);
        CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(it->id)));
        BuildRow(*it, name.GetUserText(), CAttribute::DateTime, row, needPaths);
        const int due = GetDueStatus(*it);
        report.InsertRow(report.GetItemCount(), m_dueImages.count(due) ? m_dueImages[due] : -1, row);
        if ((due == DueSoon || due == DueOverdue) && due > m_dueState)
            m_dueState = due;
    }
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, TRUE, 0);
    report.FitColumnsToContent();
    AskPaths(needPaths);
    pane->UpdateTabImages();
}

void DlgDeployment::CPageTasks::UpdateTaskRow(const Object& task)
{
    Report& report = m_list.m_report;
    if (!report.m_hWnd)
        return;
    int item = report.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(task.id)));
    if (item < 0 || !IsListedTask(task))
        return;
    // The name in the user's language, as a load shows it.
    CTStringLocale name(task.name);
    std::vector<__int64> needPaths;
    CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(task.id)));
    BuildRow(task, name.GetUserText(), CAttribute::Date, row, needPaths);
    const int due = GetDueStatus(task);
    report.UpdateRow(item, m_dueImages.count(due) ? m_dueImages[due] : -1, row);
    AskPaths(needPaths);
    report.FitColumnsToContent();
}

void DlgDeployment::CPageTasks::SetAdministratorName(int column, __int64 administratorId, const CTString& name)
{
    Report& report = m_list.m_report;
    if (!report.m_hWnd)
        return;
    const int count = report.GetItemCount();
    for (int item = 0; item < count; ++item) {
        CTListCtrlReport::Row* row = report.GetRow(item);
        CTListCtrlReport::Cell* cell = row ? row->GetCell(column) : nullptr;
        if (!row || !row->m_data || !cell)
            break;
        if (!CAttribute::IsTextType(cell->m_value.GetType()) && cell->m_value.GetValue() == administratorId)
            report.SetCell(item, column, CTListCtrlReport::Cell(CAttribute::Text, name));
    }
}

void DlgDeployment::CPageTasks::FitColumns()
{
    if (m_list.m_report.m_hWnd)
        m_list.m_report.FitColumnsToContent();
}

void DlgDeployment::CPageTasks::RemoveRow(__int64 taskId)
{
    Report& report = m_list.m_report;
    if (!report.m_hWnd)
        return;
    int item = report.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(taskId)));
    if (item >= 0)
        report.DeleteRow(item);
}

void DlgDeployment::CPageTasks::OpenSelected()
{
    Report& report = m_list.m_report;
    DlgDeployment* pane = GetPane();
    App* app = pane ? pane->GetApp() : nullptr;
    MainWindow* main = GetMain();
    if (!report.m_hWnd || !app || !main)
        return;
    int item = ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED);
    if (item < 0)
        return;
    auto id = static_cast<__int64>(reinterpret_cast<INT_PTR>(report.GetRowData(item)));
    Object task(*app->m_dir.Lookup(id));
    main->OpenObject(task, false, false);
}

void DlgDeployment::CPageTasks::DeleteSelected()
{
    Report& report = m_list.m_report;
    DlgDeployment* pane = GetPane();
    App* app = pane ? pane->GetApp() : nullptr;
    if (!report.m_hWnd || !app)
        return;
    int item = ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED);
    if (item < 0)
        return;
    auto id = static_cast<__int64>(reinterpret_cast<INT_PTR>(report.GetRowData(item)));
    Object task(*app->m_dir.Lookup(id));
    if (task.id == 0 || GetDueStatus(task) == DueCompleted)
        return;
    app->m_db.ObjDelete(static_cast<unsigned>(task.id), static_cast<unsigned>(task.serial),
                        PaneRoute(DlgDeployment::kReqTasksDeleted, 0));
}

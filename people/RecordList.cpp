#include "people/RecordList.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/TiXmlDocument.h"
#include "foundation/TiXmlElement.h"
#include "framework/CTApp.h"
#include "session/DeploymentWorkflow.h"

namespace {

using Report = CTListCtrlReportEx;

void* DataOf(__int64 id)
{
    return reinterpret_cast<void*>(static_cast<INT_PTR>(id));
}

CTString NameOf(const Object& object)
{
    CTStringLocale name(object.name.GetBuffer() ? object.name.GetBuffer() : L"");
    const wchar_t* text = name.GetUserText();
    return CTString(text ? text : L"");
}

} // namespace

void RecordList::NudgeFrame(HWND frame)
{
    RECT rc;
    if (!frame || !GetWindowRect(frame, &rc))
        return;
    const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    SetWindowPos(frame, nullptr, 0, 0, cx - 1, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(frame, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CTString TextOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return CTString(value.GetText());
}

std::vector<Object>& ReadReplyObjects(TiXmlDocument& document, std::vector<Object>& out)
{
    TiXmlElement* result = document.FirstChildElementNamed(L"result");
    for (TiXmlElement* element = result ? result->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object object;
        object.ReadFromXml(element, true);
        out.push_back(object);
    }
    return out;
}

bool RecordList::Build(HWND dialog, void* ownerData, const Layout& layout)
{
    if (!m_frame.Create(dialog, kIdList, true, 0))
        return false;
    CTListCtrlReportEx& report = m_frame.m_report;
    report.ModifyOptions(CTListCtrlReport::OptGridLines, 0);
    // Rows stay in the order they are added unless the list sorts by a column.
    report.ModifyStyle(LVS_SORTASCENDING, WS_TABSTOP | LVS_SINGLESEL, 0);
    ListView_SetExtendedListViewStyleEx(report.m_hWnd, LVS_EX_GRIDLINES, 0);
    report.SetColumns(CTString(layout.columns), 0, nullptr, nullptr);
    report.SetEmptyText(CTString(layout.emptyText));
    if (report.GetItemCount() == 0)
        InvalidateRect(report.m_hWnd, nullptr, TRUE);
    if (layout.sortColumn >= 0) {
        report.SortBy(layout.sortColumn, false);
        report.EnableAutoSort(true);
    }
    Report::ToolbarButton buttons[3];
    int count = 0;
    if (layout.buttons & ButtonNew)
        buttons[count++] = {Report::CmdNew, Report::kStandardImage, 107, BTNS_BUTTON};
    if (layout.buttons & ButtonOpen)
        buttons[count++] = {Report::CmdOpen, Report::kStandardImage, 135, BTNS_BUTTON};
    if (layout.buttons & ButtonDelete)
        buttons[count++] = {Report::CmdDelete, Report::kStandardImage, 108, BTNS_BUTTON};
    m_frame.CreateToolbar(ownerData, TBSTYLE_TOOLTIPS, count, buttons);
    if (layout.confirmDelete) {
        CTApp* ctapp = CTApp::Instance();
        HMODULE module = ctapp && ctapp->GetResourceModule() ? ctapp->GetResourceModule() : GetModuleHandleW(nullptr);
        report.EnableDeleteConfirm(dialog, module, kIconDelete, kStringDeployment, true);
    }
    NudgeFrame(m_frame.m_hWnd);
    return true;
}

RecordList::Action RecordList::ActionOfNotify(NMHDR* hdr)
{
    if (!hdr || static_cast<int>(hdr->idFrom) != kIdList)
        return ActionNone;
    switch (static_cast<int>(hdr->code)) {
    case Report::CodeInsert:
        return ActionNew;
    case Report::CodeDelete:
        return ActionDelete;
    case Report::CodeActivate:
    case static_cast<int>(NM_DBLCLK):
        return ActionOpen;
    case Report::CodeConfirmDelete:
        return ActionDeleteIcon;
    default:
        return ActionNone;
    }
}

RecordList::Action RecordList::ActionOfCommand(WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case Report::CmdNew:
        return ActionNew;
    case Report::CmdOpen:
        return ActionOpen;
    case Report::CmdDelete:
        return ActionDelete;
    default:
        return ActionNone;
    }
}

__int64 RecordList::SelectedId()
{
    if (!IsReady())
        return 0;
    int item = ListView_GetNextItem(Report().m_hWnd, -1, LVNI_SELECTED);
    if (item < 0)
        return 0;
    return static_cast<__int64>(reinterpret_cast<INT_PTR>(Report().GetRowData(item)));
}

int RecordList::FindRow(__int64 id)
{
    return IsReady() ? Report().FindRowByData(DataOf(id)) : -1;
}

int RecordList::RowCount()
{
    return IsReady() ? Report().GetItemCount() : 0;
}

void RecordList::Clear()
{
    if (IsReady())
        Report().DeleteAllRows();
}

void RecordList::FitColumns()
{
    if (IsReady())
        Report().FitColumnsToContent();
}

bool RecordList::RemoveRow(__int64 id)
{
    int item = FindRow(id);
    return item >= 0 && Report().DeleteRow(item);
}

int RecordList::ImageFor(int iconKey)
{
    if (!IsReady() || iconKey < 0)
        return -1;
    return Report().HasImageForKey(iconKey) ? Report().GetImageForKey(iconKey) : -1;
}

CTString RecordList::DeploymentName(const Object& deployment)
{
    CTString name = NameOf(deployment);
    CTString id = TextOf(deployment, L"deployment_id");
    if (lstrcmpW(id.GetBuffer() ? id.GetBuffer() : L"", name.GetBuffer() ? name.GetBuffer() : L"") == 0)
        return name;
    CTString out;
    out.Format(L"%s (%s)", name.GetBuffer() ? name.GetBuffer() : L"", id.GetBuffer() ? id.GetBuffer() : L"");
    return out;
}

void RecordList::AddDeploymentRow(const Object& deployment, bool withLocked, __int64 lockedId, int image,
                                  int succeededImage, int failedImage)
{
    if (!IsReady())
        return;
    MainWindow* main = App::Instance() ? App::Instance()->m_mainWindow : nullptr;
    CTListCtrlReport::Row row(DataOf(deployment.id));
    row.AddText(DeploymentName(deployment));
    CTString typeName, statusName;
    CAttribute type, status;
    deployment.GetAttribute(type, CTString(L"link_deployment_type"));
    deployment.GetAttribute(status, CTString(L"deployment_status"));
    if (main) {
        main->m_cache.GetDeploymentTypeName(typeName, type.GetValue());
        Object definition;
        main->GetDeploymentStatus(definition, status);
        if (definition.id != 0)
            statusName = NameOf(definition);
    }
    row.AddText(typeName);
    row.AddText(statusName);
    if (withLocked)
        row.AddAttribute(CAttribute(4, deployment.id == lockedId && lockedId != 0 ? 1 : 0));
    CAttribute completed;
    deployment.GetAttribute(completed, CTString(L"completed"));
    row.AddAttribute(CAttribute(CAttribute::Date, completed.GetValue()));
    row.AddAttribute(MakeDeploymentStatusIcon(deployment, succeededImage, failedImage));
    Report().InsertRow(Report().GetItemCount(), image, row);
}

void RecordList::PrefixName(__int64 id, const CTString& path)
{
    int item = FindRow(id);
    if (item < 0)
        return;
    CAttribute name;
    Report().GetCell(item, 0, name);
    CTString text;
    text.Format(L"%s\\%s", path.GetBuffer() ? path.GetBuffer() : L"", name.GetText());
    Report().SetCellAttribute(item, 0, CAttribute(text));
}

void RecordList::AddComputerRow(const Object& computer, int image)
{
    if (!IsReady())
        return;
    CTListCtrlReport::Row row(DataOf(computer.id));
    row.AddText(NameOf(computer));
    Report().InsertRow(Report().GetItemCount(), image, row);
}

void RecordList::AddEmailRow(const Object& email, int image)
{
    if (!IsReady())
        return;
    CTListCtrlReport::Row row(DataOf(email.id));
    row.AddText(TextOf(email, L"reply_email_address"));
    row.AddText(TextOf(email, L"send_email_address"));
    row.AddText(TextOf(email, L"subject"));
    row.AddAttribute(CAttribute(CAttribute::DateTime, email.created.GetValue()));
    row.AddText(TextOf(email, L"error_code"));
    Report().InsertRow(Report().GetItemCount(), image, row);
}

#include "lists/DlgListTab.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "controls/CTListCtrlReportEx.h"
#include "framework/CTApp.h"
#include "lists/ListRowSaver.h"
#include "session/RequestResult.h"

namespace {

HMODULE TabModule()
{
    HMODULE module = CTApp::Instance()->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(DlgListTab::kTemplate));
    return module ? module : GetModuleHandleW(nullptr);
}

} // namespace

const wchar_t* ListTabTypeName(int tabId)
{
    switch (tabId) {
    case 1018: return L"Template";
    case 1046: return L"Attribute Mapping";
    case 1047: return L"Exception";
    case 1048: return L"Deployment Type";
    case 1049: return L"Deployment Status";
    case 1050: return L"User Portal";
    case 1052: return L"Admin Portal Page";
    case 1053: return L"Staging Template";
    case 1058: return L"Sync";
    case 1060: return L"Report";
    case 1065: return L"Request Type";
    default: return L"";
    }
}

DlgListTab::DlgListTab(int tabId) : m_tabId(tabId)
{
    CTWndListCtrlEx2::RegisterClass(TabModule());
    m_typeName = ListTabTypeName(tabId);
    m_newDelete = m_typeName.Compare(L"Report") == 0 ? 0 : 1;
}

DlgListTab::~DlgListTab()
{
    if (m_list.m_report.m_hWnd)
        Report().DeleteAllRows();
    m_editor.RemoveAllRows();
    CTWnd2::Destroy();
    if (m_icon)
        DestroyIcon(m_icon);
}

RequestRoute DlgListTab::TabRoute(int requestId) const
{
    RequestRoute route;
    if (m_host) {
        route.targetType = m_host->GetOwnerWindowType();
        route.consoleType = m_host->GetConsoleType();
    }
    route.consoleKey = m_tabId;
    route.requestId = requestId;
    return route;
}

bool DlgListTab::SetHost(CTWndConsole* host)
{
    m_host = host;
    SetOwner(dynamic_cast<CTWnd2*>(host));
    ownerRoute = TabRoute(0);
    HWND parent = host ? host->GetHwnd() : nullptr;
    if (!CreateDialogFromResource(TabModule(), MAKEINTRESOURCEW(kTemplate), parent))
        return false;
    m_visible = (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
    return true;
}

void DlgListTab::OnWindowPosChanging(WINDOWPOS* pos)
{
    if (pos->flags & SWP_SHOWWINDOW)
        OnShown(true);
    else if (pos->flags & SWP_HIDEWINDOW)
        OnShown(false);
}

void DlgListTab::OnShown(bool shown)
{
    if (shown == m_visible)
        return;
    m_visible = shown;
    if (shown && m_refreshPending) {
        m_refreshPending = false;
        Refresh();
    }
}

void DlgListTab::InitCaption()
{
    m_caption = m_typeName.Compare(L"Report") == 0 ? CTString(L"Reports (v3)") : m_typeName;
}

bool DlgListTab::OnInitTab()
{
    CTWndSize::Init(m_hWnd, false, 100, 100, false);
    AddItem(GetDlgItem(m_hWnd, kIdList), CTWndSize::RightToRight | CTWndSize::BottomToBottom);
    InitCaption();

    if (m_list.Create(m_hWnd, kIdList, true, 0)) {
        SetWindowLongPtrW(m_list.m_hWnd, GWL_STYLE, GetWindowLongPtrW(m_list.m_hWnd, GWL_STYLE) & ~WS_BORDER);
        SetWindowPos(m_list.m_hWnd, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        CTListCtrlReportEx& report = Report();
        report.ModifyOptions(2, 0xE0);
        report.ModifyStyle(LVS_SORTASCENDING, LVS_SINGLESEL | WS_TABSTOP, 0);
        report.ModifyOptions(CTListCtrlReport::OptGridLines, 0);

        std::vector<CTListCtrlReportEx::ToolbarButton> buttons;
        if (m_newDelete) {
            buttons.push_back({kCmdNew, CTListCtrlReportEx::kStandardImage, 107, BTNS_BUTTON});
            buttons.push_back({kCmdDelete, CTListCtrlReportEx::kStandardImage, 108, BTNS_BUTTON});
        }
        AddToolbarButtons(buttons);
        m_list.CreateToolbar(this, TBSTYLE_TOOLTIPS, static_cast<int>(buttons.size()), buttons.data());

        m_editor.Attach(kIdList, &report, &DlgListTab::OnEditValue, &DlgListTab::OnFillChoices, this);
        report.EnableDeleteConfirm(m_hWnd, GetModuleHandleW(nullptr), 2, 0, true);
    }

    if (App* app = GetApp())
        app->m_db.ObjType(m_typeName, TabRoute(kReqType));
    return true;
}

void DlgListTab::Refresh()
{
    if (!m_visible) {
        m_refreshPending = true;
        return;
    }
    m_refreshPending = false;
    if (m_list.m_report.m_hWnd)
        Report().DeleteAllRows();
    m_editor.RemoveAllRows();
    Clear();
    if (App* app = GetApp())
        app->m_db.ObjType(m_typeName, TabRoute(kReqType));
    SetModified(false);
}

bool DlgListTab::Reload()
{
    Refresh();
    return true;
}

void DlgListTab::SetModified(bool modified)
{
    m_modified = modified;
    CTWndTab::SetModified(modified);
}

bool DlgListTab::SaveChanges()
{
    if (GetUnanswered() && ListRowSaver::MayResendUnanswered(GetApp()))
        ResendUnanswered();
    return SaveNext();
}

bool DlgListTab::SaveNext()
{
    App* app = GetApp();
    if (!app)
        return true;
    return !SaveNextRow(app->m_db, static_cast<int>(m_parentId), TabRoute(kReqSave));
}

void DlgListTab::RequestPaths(std::vector<__int64>& ids)
{
    RequestLinkPaths(ids);
    ids.clear();
}

void DlgListTab::AddNew()
{
    std::vector<__int64> ids;
    AddNewRowOfType(Report(), m_editor, ids);
    RequestPaths(ids);
    SetModified(true);
}

void DlgListTab::DeleteSelected()
{
    DeleteSelectedRows(Report(), m_editor, [this] { SetModified(true); });
}

int DlgListTab::FirstSelected()
{
    HWND list = Report().m_hWnd;
    return list ? ListView_GetNextItem(list, -1, LVNI_SELECTED) : -1;
}

__int64 DlgListTab::SelectedId()
{
    int item = FirstSelected();
    return item >= 0 ? GetRowId(Report(), item) : 0;
}

void DlgListTab::NotifyChanged(int operation, Object* object)
{
    // The main window's setting objects follow every change of the tab's rows.
    if (!object || !m_host || !m_host->m_owner)
        return;
    m_host->m_owner->UpdateSettingCache(operation, object);
}

void DlgListTab::FillDeleteConfirm(DeleteConfirmInfo& info)
{
    FillDeleteTexts(Report(), info, m_caption, m_icon);
}

void DlgListTab::OnEditValue(void* context, int item, int column, CAttribute* value)
{
    auto* tab = static_cast<DlgListTab*>(context);
    if (tab->StoreEditedValue(tab->Report(), item, column, value))
        tab->SetModified(true);
}

void DlgListTab::OnFillChoices(void* context, const CTString* listName, CTListCtrlEdit::Choices* entries)
{
    if (listName && entries)
        static_cast<DlgListTab*>(context)->FillChoicesFromSpec(*listName, *entries);
}

bool DlgListTab::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (m_editor.OnMessage(msg, wParam, lParam, result))
        return true;
    // A tab shown while the pane around it is hidden gets no position change, only this.
    if (msg == WM_SHOWWINDOW)
        OnShown(wParam != 0);
    if (msg == kMsgRefresh) {
        Refresh();
        *result = 0;
        return true;
    }
    if (CTWndTab::OnMessage(msg, wParam, lParam, result))
        return true;
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

bool DlgListTab::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    (void)wParam;
    if (!hdr)
        return false;
    m_editor.OnNotify(kIdList, hdr, result);
    if (hdr->idFrom != static_cast<UINT_PTR>(kIdList))
        return false;
    switch (hdr->code) {
    case CTListCtrlReportEx::CodeInsert:
        if (m_newDelete)
            AddNew();
        return true;
    case CTListCtrlReportEx::CodeDelete:
        if (m_newDelete)
            DeleteSelected();
        return true;
    case CTListCtrlReportEx::CodeActivate:
    case static_cast<UINT>(NM_DBLCLK): {
        int item = hdr->code == static_cast<UINT>(NM_DBLCLK) ? reinterpret_cast<NMITEMACTIVATE*>(hdr)->iItem
                                                             : FirstSelected();
        if (item < 0)
            item = FirstSelected();
        if (__int64 id = item >= 0 ? GetRowId(Report(), item) : 0; id > 0)
            OpenItem(id);
        *result = 1;
        return true;
    }
    case CTListCtrlReportEx::CodeConfirmDelete:
        FillDeleteConfirm(*reinterpret_cast<DeleteConfirmInfo*>(hdr));
        return true;
    default:
        return false;
    }
}

bool DlgListTab::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    switch (LOWORD(wParam)) {
    case kCmdNew: AddNew(); return true;
    case kCmdDelete: DeleteSelected(); return true;
    case kCmdProperties:
        if (__int64 id = SelectedId(); id > 0)
            OpenItem(id);
        return true;
    case kCmdCopy:
        if (__int64 id = SelectedId(); id > 0)
            CopyItem(id);
        return true;
    case kCmdPaste: PasteItem(); return true;
    default: return false;
    }
}

void DlgListTab::OnSaveResult(RequestResult& result)
{
    auto* row = reinterpret_cast<Row*>(result.route.param2);
    if (!ListRowSaver::Succeeded(result)) {
        // The chain stops; the row keeps its change and goes again with the next save.
        OnSaveFailed(row);
        SetModified(true);
        return;
    }
    OnSaveReply(result.document, row);
    if (IsRow(row)) {
        std::vector<__int64> ids;
        UpdateRowItem(Report(), m_editor, *row, ids);
        RequestPaths(ids);
    }
    SaveNext();
}

void DlgListTab::OnIcon(int index)
{
    if (HICON icon = ReplaceArrivedIcon(Report(), index)) {
        if (m_icon)
            DestroyIcon(m_icon);
        m_icon = icon;
        ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    }
}

void DlgListTab::OnResult(RequestResult& result)
{
    std::vector<__int64> ids;
    CTListCtrlReportEx& report = Report();
    switch (result.route.requestId) {
    case kReqType:
        if (!SetTypeFromReply(report, result.document))
            break;
        if (m_parentId != 0)
            if (App* app = GetApp())
                app->m_db.ObjSearch(m_typeName, static_cast<unsigned>(m_parentId), CTString(), CTString(), false,
                                    DB::kNoMax, TabRoute(kReqSearch));
        break;
    case kReqSearch:
        if (result.kind != RequestResult::KindServerAnswer || result.returnCode != 0)
            break;
        FillFromSearch(report, m_editor, result.document, ids);
        RequestPaths(ids);
        break;
    case kReqPath:
        ShowPathReply(report, result.document);
        break;
    case kReqSave:
        OnSaveResult(result);
        break;
    case kReqFormSaved:
        if (ListRowSaver::Succeeded(result)) {
            UpdateFromReply(report, m_editor, result.document, ids);
            RequestPaths(ids);
        }
        break;
    case kReqNotice:
        // A form of the tab's kind saved its object: only objects of the tab's own folder belong here.
        UpdateSavedObject(report, m_editor, static_cast<Object*>(result.attached), m_parentId, ids);
        RequestPaths(ids);
        break;
    case kReqIcon:
        OnIcon(static_cast<int>(result.route.param2));
        break;
    case kReqCopied:
        Refresh();
        break;
    default:
        break;
    }
}

#include "people/DlgAdministratorDlgReportsV3Page.h"

#include <commctrl.h>
#include <algorithm>
#include "app/App.h"
#include "app/MainWindow.h"
#include "framework/ScreenDpi.h"
#include "foundation/TiXmlElement.h"

namespace {

void* Key(__int64 id) { return reinterpret_cast<void*>(static_cast<INT_PTR>(id)); }
__int64 IdOf(void* key) { return static_cast<__int64>(reinterpret_cast<INT_PTR>(key)); }

CTString TextOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return CTString(value.GetText());
}

} // namespace

DlgAdministratorDlg::CReportsV3Page::CReportsV3Page(DlgAdministratorDlg* form) : m_admin(form)
{
    m_title = L"Reports (v3)";
}

DlgAdministratorDlg::CReportsV3Page::~CReportsV3Page()
{
    m_editor.RemoveAllRows();
    m_list.Destroy();
}

bool DlgAdministratorDlg::CReportsV3Page::CreatePage(HWND parent)
{
    CTWndListCtrlEx2::RegisterClass(GetTemplateModule());
    CTWndListCtrlEx2::RegisterClass(GetModuleHandleW(nullptr));
    return CWMFormPage::CreatePage(parent);
}

void DlgAdministratorDlg::CReportsV3Page::Init()
{
    CTWndSize::Init(m_hWnd, false, 300, 150, false);
    AddItem(GetDlgItem(m_hWnd, kList), RightToRight | BottomToBottom);
    AddItem(GetDlgItem(m_hWnd, kSelectAll), TopToBottom | BottomToBottom);
    AddItem(GetDlgItem(m_hWnd, kAllReports), TopToBottom | BottomToBottom);
    if (!m_list.Create(m_hWnd, kList, true, 0)) return;
    CTListCtrlReportEx& report = m_list.m_report;
    report.ModifyOptions(2, 0xF0);
    report.ModifyStyle(0, LVS_SINGLESEL | WS_TABSTOP, 0);
    report.ModifyOptions(CTListCtrlReport::OptGridLines, 0);
    report.SetColumns(CTString(L" ;Name;Catagory"), 104, nullptr, L"DlgAdministratorDlg::CReportsPage::ctrlList_");
    if (HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(142), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0))) {
        report.AddImage(icon);
        DestroyIcon(icon);
    }
    m_editor.Attach(kList, &report, &CReportsV3Page::OnValueChanged, nullptr, this);
    static ScreenDpi dpi;
    if (!dpi.loaded) dpi.Load();
    report.SetColumnFixedWidth(0, dpi.Scale(40));
}

bool DlgAdministratorDlg::CReportsV3Page::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result)) return true;
    LRESULT ignored = 0;
    m_editor.OnMessage(msg, wParam, lParam, &ignored);
    switch (msg) {
    case WM_INITDIALOG:
        Init();
        *result = TRUE;
        return true;
    case WM_WINDOWPOSCHANGING: {
        auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!pos) return false;
        if ((pos->flags & SWP_SHOWWINDOW) && !m_visible) {
            m_visible = true;
            if (m_loadPending) Load();
        } else if ((pos->flags & SWP_HIDEWINDOW) && m_visible) {
            m_visible = false;
        }
        return false;
    }
    default:
        return false;
    }
}

bool DlgAdministratorDlg::CReportsV3Page::OnNotify(WPARAM, NMHDR* hdr, LRESULT* result)
{
    return hdr && m_editor.OnNotify(kList, hdr, result);
}

bool DlgAdministratorDlg::CReportsV3Page::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    *result = 0;
    if (HIWORD(wParam) != 0) return false;
    switch (LOWORD(wParam)) {
    case kSelectAll:
        ToggleSelectAll();
        return true;
    case kAllReports:
        m_form->SetModified(true);
        UpdateEnabled();
        return true;
    default:
        return false;
    }
}

void DlgAdministratorDlg::CReportsV3Page::UpdateEnabled()
{
    const bool all = IsDlgButtonChecked(m_hWnd, kAllReports) == BST_CHECKED;
    m_list.Enable(!all);
    EnableWindow(GetDlgItem(m_hWnd, kSelectAll), !all);
}

bool DlgAdministratorDlg::CReportsV3Page::Load()
{
    if (!m_visible) {
        m_loadPending = true;
        return true;
    }
    m_loadPending = false;
    App* app = App::Instance();
    if (app && app->m_mainWindow)
        app->m_db.ObjSearch(CTString(L"Report"), static_cast<unsigned>(app->m_mainWindow->m_cache.systemSettings.id),
                            CTString(L"enable"), CTString(L"1"), false, DB::kNoMax,
                            m_admin->Route(kReqChoices, ChoiceReportsV3));
    if (m_hWnd) {
        CheckDlgButton(m_hWnd, kAllReports,
                       m_admin->m_object.GetPrivilege(CTString(L"AllReports")) ? BST_CHECKED : BST_UNCHECKED);
        UpdateEnabled();
    }
    return true;
}

void DlgAdministratorDlg::CReportsV3Page::OnResult(RequestResult& reply)
{
    const int id = reply.route.requestId;
    if (reply.route.param2 != ChoiceReportsV3) return;
    if (id == kReqChoices) {
        CTListCtrlReportEx& report = m_list.m_report;
        if (!report.m_hWnd) return;
        report.EnableAutoSort(false);
        report.DeleteAllRows();
        m_editor.RemoveAllRows();
        m_reports.clear();
        m_loadedUsers.clear();
        TiXmlElement* root = reply.document.FirstChildElementNamed(L"result");
        for (TiXmlElement* e = root ? root->FirstChildElementNamed(L"object") : nullptr; e;
             e = e->NextSiblingElementNamed(L"object")) {
            Object definition;
            definition.ReadFromXml(e, true);
            m_reports.push_back(definition);
            definition.GetLinkArray(m_loadedUsers[definition.id], CTString(L"users"));
            AddReportRow(definition);
        }
        report.SortBy(1, true);
        report.EnableAutoSort(true);
        report.FitColumnsToContent();
    } else if (id == kReqSave) {
        // A refused save is not counted: the form's save stays incomplete and the form open.
        if (reply.resultCode != 0 || reply.returnCode != 0) return;
        const __int64 saved = ReplyId(reply);
        TiXmlElement* object = ReplyElement(reply, L"object");
        bool counted = false;
        for (Object& kept : m_reports) {
            if (kept.id != saved || saved == 0) continue;
            if (object) kept.ReadFromXml(object, true);
            kept.GetLinkArray(m_loadedUsers[kept.id], CTString(L"users"));
            counted = true;
        }
        if (!counted) return;
        if (m_pendingSaves > 0) --m_pendingSaves;
        if (m_pendingSaves == 0) m_admin->MarkSaved(SavedReportsV3);
    }
}

void DlgAdministratorDlg::CReportsV3Page::AddReportRow(const Object& definition)
{
    std::vector<__int64> users;
    definition.GetLinkArray(users, CTString(L"users"));
    const bool member = std::find(users.begin(), users.end(), m_admin->m_object.id) != users.end();
    CTListCtrlReport::Row row(Key(definition.id));
    row.AddNumber(member ? 1 : 0).AddText(CTString(definition.name)).AddText(TextOf(definition, L"category"));
    CTListCtrlEdit::Row editable(Key(definition.id));
    editable.AddCell(CTListCtrlEdit::KindCheck).SetBool(member);
    editable.AddCell(CTListCtrlEdit::KindReadOnly).SetText(CTString(definition.name));
    editable.AddCell(CTListCtrlEdit::KindReadOnly).SetText(TextOf(definition, L"category"));
    CTListCtrlReportEx& report = m_list.m_report;
    report.InsertRow(report.GetItemCount(), 0, row);
    m_editor.AddRow(editable);
}

Object* DlgAdministratorDlg::CReportsV3Page::FindReport(__int64 id)
{
    auto found = std::find_if(m_reports.begin(), m_reports.end(), [id](const Object& o) { return o.id == id; });
    return found == m_reports.end() ? nullptr : &*found;
}

void DlgAdministratorDlg::CReportsV3Page::OnCheckChanged(__int64 reportId, bool ticked)
{
    if (Object* definition = FindReport(reportId)) {
        std::vector<__int64> users;
        definition->GetLinkArray(users, CTString(L"users"));
        AddOrRemoveByFlag(users, m_admin->m_object.id, CAttribute(CAttribute::Integer, ticked ? 1ll : 0ll));
        definition->SetLinkArray(CTString(L"users"), users);
    }
    m_form->SetModified(true);
}

void DlgAdministratorDlg::CReportsV3Page::OnValueChanged(void* context, int item, int, CAttribute* value)
{
    auto* page = static_cast<CReportsV3Page*>(context);
    const __int64 id = IdOf(page->m_list.m_report.GetRowData(item));
    const bool ticked = value && !CAttribute::IsTextType(value->GetType()) && value->GetValue() != 0;
    page->OnCheckChanged(id, ticked);
}

void DlgAdministratorDlg::CReportsV3Page::ToggleSelectAll()
{
    m_selectAll = !m_selectAll;
    CTListCtrlReportEx& report = m_list.m_report;
    if (report.m_hWnd) {
        report.SendMessage(WM_SETREDRAW, FALSE);
        report.EnableAutoSort(false);
    }
    for (const Object& definition : std::vector<Object>(m_reports)) {
        m_editor.SetValue(Key(definition.id), 0, CAttribute(CAttribute::Integer, m_selectAll ? 1ll : 0ll));
        OnCheckChanged(definition.id, m_selectAll);
    }
    if (report.m_hWnd) {
        report.SendMessage(WM_SETREDRAW, TRUE);
        report.EnableAutoSort(true);
        InvalidateRect(report.m_hWnd, nullptr, TRUE);
    }
    m_form->SetModified(true);
}

bool DlgAdministratorDlg::CReportsV3Page::Save()
{
    m_pendingSaves = 0;
    App* app = App::Instance();
    if (!m_loadPending) {
        m_admin->m_object.SetPrivilege(CTString(L"AllReports"), IsDlgButtonChecked(m_hWnd, kAllReports) == BST_CHECKED);
        for (Object& definition : m_reports) {
            // Ticked and cleared again: nothing to send for it.
            std::vector<__int64> users;
            definition.GetLinkArray(users, CTString(L"users"));
            if (users == m_loadedUsers[definition.id]) definition.ClearAttributeDirty(CTString(L"users"));
            CAttributes changes;
            if (!definition.CollectChanges(changes, true) || !app) continue;
            ++m_pendingSaves;
            app->m_db.ObjSet(static_cast<unsigned>(definition.id), static_cast<unsigned>(definition.serial),
                             CTString(definition.name), changes, CAttributes(), m_admin->Route(kReqSave, ChoiceReportsV3));
        }
    }
    if (m_pendingSaves == 0) m_admin->MarkSaved(SavedReportsV3);
    return true;
}

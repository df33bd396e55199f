#include "people/DlgAdministratorDlgGroupsPage.h"

#include <commctrl.h>
#include <algorithm>
#include "app/App.h"
#include "app/MainWindow.h"
#include "framework/PopupMenuDriver.h"
#include "foundation/TiXmlDocument.h"
#include "foundation/TiXmlElement.h"
#include "framework/CTWndToolbar.h"

namespace {

void* Key(__int64 id) { return reinterpret_cast<void*>(static_cast<INT_PTR>(id)); }
__int64 IdOf(void* key) { return static_cast<__int64>(reinterpret_cast<INT_PTR>(key)); }

// The saved object of an objSet reply without a return code; false for a refused save.
bool ReadSavedObject(DB::DBEvent& reply, Object& out)
{
    TiXmlDocument doc;
    if (reply.ReadXmlReply(doc) != 2) return false;
    TiXmlElement* result = doc.FirstChildElementNamed(L"result");
    TiXmlElement* rc = result ? result->FirstChildElementNamed(L"RC") : nullptr;
    if (rc && ReadDecimal64(rc->GetAttribute(L"id")) != 0) return false;
    TiXmlElement* object = result ? result->FirstChildElementNamed(L"object") : nullptr;
    if (!object) return false;
    out.ReadFromXml(object, true);
    return true;
}

} // namespace

DlgAdministratorDlg::CGroupsPage::CGroupsPage(DlgAdministratorDlg* form) : m_admin(form) { m_title = L"Groups"; }

DlgAdministratorDlg::CGroupsPage::~CGroupsPage()
{
    m_editor.RemoveAllRows();
    m_list.Destroy();
}

bool DlgAdministratorDlg::CGroupsPage::CreatePage(HWND parent)
{
    CTWndListCtrlEx2::RegisterClass(GetTemplateModule());
    CTWndListCtrlEx2::RegisterClass(GetModuleHandleW(nullptr));
    return CWMFormPage::CreatePage(parent);
}

void DlgAdministratorDlg::CGroupsPage::Init()
{
    CTWndSize::Init(m_hWnd, false, 300, 150, false);
    AddItem(GetDlgItem(m_hWnd, kList), RightToRight | BottomToBottom);
    if (!m_list.Create(m_hWnd, kList, true, 0)) return;
    CTListCtrlReportEx& report = m_list.m_report;
    report.ModifyOptions(2, 0x1E0);
    report.ModifyStyle(0, LVS_SINGLESEL | WS_TABSTOP, 0);
    report.ModifyOptions(CTListCtrlReport::OptGridLines, 0);
    report.SetColumns(CTString(L" ;Name"), 104, nullptr, nullptr);
    report.SortBy(1, true);
    m_editor.Attach(kList, &report, &CGroupsPage::OnValueChanged, nullptr, this);
    m_list.CreateToolbar(this, TBSTYLE_TOOLTIPS | TBSTYLE_LIST, 0, nullptr);
    CTWndToolbar& toolbar = report.m_toolbar;
    if (toolbar.m_hWnd) {
        const int image = toolbar.AddIcon(GetModuleHandleW(nullptr), 188);
        toolbar.AddButton(image, kCmdSelect, TBSTATE_ENABLED, BTNS_BUTTON | BTNS_WHOLEDROPDOWN | BTNS_SHOWTEXT, 146);
        RECT client = {};
        GetClientRect(m_list.m_hWnd, &client);
        m_list.OnSize(SIZE_RESTORED, client.right, client.bottom);
    }
}

bool DlgAdministratorDlg::CGroupsPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
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

bool DlgAdministratorDlg::CGroupsPage::OnNotify(WPARAM, NMHDR* hdr, LRESULT* result)
{
    if (!hdr) return false;
    if (m_editor.OnNotify(kList, hdr, result)) return true;
    if (hdr->code == static_cast<UINT>(TBN_DROPDOWN) && reinterpret_cast<NMTOOLBARW*>(hdr)->iItem == kCmdSelect) {
        ShowSelectMenu();
        *result = TBDDRET_DEFAULT;
        return true;
    }
    return false;
}

bool DlgAdministratorDlg::CGroupsPage::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    *result = 0;
    switch (LOWORD(wParam)) {
    case kCmdSelect:
        ShowSelectMenu();
        return true;
    case kCmdAll:
    case kCmdNone:
    case kCmdInvert:
        SelectRows(LOWORD(wParam));
        return true;
    default:
        return false;
    }
}

void DlgAdministratorDlg::CGroupsPage::ShowSelectMenu()
{
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kMenu));
    if (!menu) return;
    HWND toolbar = m_list.m_report.m_toolbar.m_hWnd;
    RECT rc = {};
    if (toolbar) ::SendMessageW(toolbar, TB_GETRECT, kCmdSelect, reinterpret_cast<LPARAM>(&rc));
    MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    const UINT command = PopupMenuDriver::Track(GetSubMenu(menu, 0), TPM_RETURNCMD | TPM_RIGHTALIGN | TPM_TOPALIGN,
                                                rc.right, rc.bottom, m_hWnd);
    DestroyMenu(menu);
    if (command) SelectRows(static_cast<int>(command));
}

bool DlgAdministratorDlg::CGroupsPage::Load()
{
    if (!m_visible) {
        m_loadPending = true;
        return true;
    }
    m_loadPending = false;
    App* app = App::Instance();
    if (!app || !app->m_mainWindow) return true;
    const __int64 folder = app->m_mainWindow->m_cache.folderIds[MainWindowCache::FolderGroups];
    if (folder == 0) return true;
    app->m_dir.RequestObject(folder, 1, m_admin->Route(kReqObject, 9), [this] { Fill(); }, nullptr);
    return true;
}

void DlgAdministratorDlg::CGroupsPage::Fill()
{
    App* app = App::Instance();
    CTListCtrlReportEx& report = m_list.m_report;
    if (!app || !app->m_mainWindow || !report.m_hWnd) return;
    std::vector<Object> groups;
    app->m_dir.CollectDescendants(app->m_mainWindow->m_cache.folderIds[MainWindowCache::FolderGroups], groups);
    report.EnableAutoSort(false);
    report.DeleteAllRows();
    m_editor.RemoveAllRows();
    m_groups = std::move(groups);
    m_changed.clear();
    const __int64 me = m_admin->m_object.id;
    for (const Object& group : m_groups) {
        std::vector<__int64> users;
        group.GetLinkArray(users, CTString(L"users"));
        const bool member = std::find(users.begin(), users.end(), me) != users.end();
        CTListCtrlReport::Row row(Key(group.id));
        row.AddNumber(member ? 1 : 0).AddText(CTString(group.name));
        CTListCtrlEdit::Row editable(Key(group.id));
        editable.AddCell(CTListCtrlEdit::KindCheck).SetBool(member);
        editable.AddCell(CTListCtrlEdit::KindReadOnly).SetText(CTString(group.name));
        const int item = report.FindRowByData(Key(group.id));
        if (item >= 0) {
            report.UpdateRow(item, 0, row);
            m_editor.UpdateRow(item, editable);
        } else {
            report.InsertRow(report.GetItemCount(), 0, row);
            m_editor.AddRow(editable);
        }
    }
    report.EnableAutoSort(true);
    report.FitColumnsToContent();
}

void DlgAdministratorDlg::CGroupsPage::OnValueChanged(void* context, int item, int, CAttribute*)
{
    auto* page = static_cast<CGroupsPage*>(context);
    const __int64 id = IdOf(page->m_list.m_report.GetRowData(item));
    if (id == 0) return;
    page->m_changed.insert(id);
    page->m_form->SetModified(true);
}

bool DlgAdministratorDlg::CGroupsPage::IsTicked(__int64 groupId)
{
    CAttribute value;
    m_editor.GetValue(value, Key(groupId), 0);
    if (CAttribute::IsTextType(value.GetType())) return value.GetText() && *value.GetText();
    return value.GetValue() != 0;
}

void DlgAdministratorDlg::CGroupsPage::SetTicked(__int64 groupId, bool ticked)
{
    m_editor.SetValue(Key(groupId), 0, CAttribute(CAttribute::Integer, ticked ? 1ll : 0ll));
}

void DlgAdministratorDlg::CGroupsPage::SelectRows(int command)
{
    CTListCtrlReportEx& report = m_list.m_report;
    if (!report.m_hWnd) return;
    report.SendMessage(WM_SETREDRAW, FALSE);
    report.EnableAutoSort(false);
    bool changed = false;
    for (const Object& group : m_groups) {
        if (m_editor.IsReadOnly(Key(group.id), 0)) continue;
        const bool now = IsTicked(group.id);
        const bool wanted = command == kCmdAll ? true : command == kCmdNone ? false : !now;
        if (wanted == now) continue;
        SetTicked(group.id, wanted);
        m_changed.insert(group.id);
        changed = true;
    }
    report.SendMessage(WM_SETREDRAW, TRUE);
    report.EnableAutoSort(true);
    InvalidateRect(report.m_hWnd, nullptr, TRUE);
    if (changed) m_form->SetModified(true);
}

bool DlgAdministratorDlg::CGroupsPage::Save()
{
    m_pendingSaves = 0;
    m_failed = false;
    App* app = App::Instance();
    const __int64 me = m_admin->m_object.id;
    for (__int64 id : m_changed) {
        const Object* cached = app ? app->m_dir.Lookup(id) : nullptr;
        if (!cached || cached->id != id) continue;
        // A copy: the cache takes the group only once its save has succeeded.
        Object group(*cached);
        std::vector<__int64> users;
        group.GetLinkArray(users, CTString(L"users"));
        const bool present = std::find(users.begin(), users.end(), me) != users.end();
        const bool ticked = IsTicked(id);
        if (ticked && !present) {
            users.push_back(me);
            group.SetLinkArray(CTString(L"users"), users);
        } else if (!ticked && present) {
            std::erase(users, me);
            group.SetLinkArray(CTString(L"users"), users);
        }
        if (!group.IsModified()) continue;
        CAttributes form;
        group.CollectChanges(form, true);
        form.Set(CTString(L"ID"), CAttribute(CAttribute::Integer, group.id));
        form.Set(CTString(L"SERIAL"), CAttribute(CAttribute::Integer, group.serial));
        ++m_pendingSaves;
        const UINT64 key = m_admin->m_key;
        app->m_db.Post(CTString(L"api/api_objSet.php"), form, [key, id](DB::DBEvent& reply) {
            App* app = App::Instance();
            auto* form = app ? dynamic_cast<DlgAdministratorDlg*>(app->m_windows.FindWindow(kWindowType, key)) : nullptr;
            if (form && form->m_groups) form->m_groups->OnSaved(id, reply);
        });
    }
    if (m_pendingSaves == 0) m_admin->MarkSaved(SavedGroups);
    return true;
}

void DlgAdministratorDlg::CGroupsPage::OnSaved(__int64 groupId, DB::DBEvent& reply)
{
    Object saved;
    if (ReadSavedObject(reply, saved) && saved.id == groupId) {
        if (App* app = App::Instance()) app->m_dir.StoreObject(saved, 0);
        // Stored: no longer a change of this page.
        m_changed.erase(groupId);
    } else {
        m_failed = true;
    }
    if (m_pendingSaves > 0) --m_pendingSaves;
    if (m_pendingSaves != 0) return;
    // A refused group keeps the form open and modified, as any failed part of the save.
    if (m_failed) {
        m_admin->m_closeAfterSave = false;
        m_admin->SetModified(true);
        return;
    }
    m_admin->MarkSaved(SavedGroups);
}

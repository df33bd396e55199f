#include "structure/DlgGroup.h"

#include <commctrl.h>
#include <algorithm>
#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/TiXmlElement.h"
#include "session/FormHelpers.h"

namespace {

void* Key(__int64 id) { return reinterpret_cast<void*>(static_cast<INT_PTR>(id)); }
__int64 IdOf(void* key) { return static_cast<__int64>(reinterpret_cast<INT_PTR>(key)); }

CAttribute Value(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value;
}

// Person pickers opened from the structure forms take keys from one counter.
__int64 NextPickerKey()
{
    static __int64 counter = 0;
    return ++counter;
}

} // namespace

// ---- DlgGroup ----

DlgGroup::DlgGroup() { SetFormLayout(L"DlgGroup", 425); }

bool DlgGroup::Open()
{
    if (!IsWindow() && !OpenWindow()) return false;
    Load(m_key);
    if (App* app = GetApp()) app->m_dir.Subscribe(MakeRoute(kReqCacheChanged));
    return true;
}

bool DlgGroup::OpenWindow()
{
    if (!CreateFormWindow(L"DlgGroup")) return false;
    m_general = new CGeneralPage(this);
    m_security = new CSecurityPage(this);
    AddPage(m_general);
    AddPage(m_security);
    ShowPages();
    return true;
}

bool DlgGroup::Load(UINT64)
{
    m_object.Clear();
    m_reloadWaiting = false;
    App* app = GetApp();
    if (!app || m_key == 0) return true;
    app->m_dir.RequestObject(static_cast<__int64>(m_key), 0, MakeRoute(kReqObject), [this] { RefreshFromCache(); },
                             nullptr);
    return true;
}

void DlgGroup::RefreshFromCache()
{
    App* app = GetApp();
    if (!app) return;
    const Object* cached = app->m_dir.Lookup(static_cast<__int64>(m_key));
    if (!cached || cached->id == 0) return;
    m_object.Assign(*cached);
    m_membersChanged = false;
    if (!IsWindow()) return;
    TakeTreeImageIcon();
    m_header.SetText(CTString(m_object.name));
    m_header.SetSubtitle(BuildSubtitle(m_object));
    ::SetWindowTextW(m_hWnd, m_object.name.GetBuffer() ? m_object.name.GetBuffer() : L"");
    LoadPages();
    SetModified(m_key == 0);
}

bool DlgGroup::Save()
{
    m_saveBits = 0;
    if (!m_modified) return true;
    m_saving = true;
    bool accepted = SavePages();
    CAttributes privileges;
    m_object.CollectPrivilegeChanges(privileges);
    SendChanges(privileges);
    return accepted;
}

void DlgGroup::OnOK()
{
    if (!m_modified) {
        Close();
        return;
    }
    m_closeAfterSave = true;
    Save();
}

void DlgGroup::SaveEnded()
{
    m_saving = false;
    if (m_reloadWaiting) Load(m_key);
}

void DlgGroup::OnSaveReply(RequestResult& reply)
{
    TiXmlElement* object = ReplyElement(reply, L"object");
    if (!Succeeded(reply) || ReplyId(reply) != m_object.id || m_object.id == 0) {
        // The save failed: the form stays open and modified; a change seen meanwhile shows now.
        m_closeAfterSave = false;
        SaveEnded();
        return;
    }
    App* app = GetApp();
    if (object) m_object.ReadFromXml(object, false);
    if (app) app->m_dir.StoreObject(m_object, 4);
    // Flushed once the membership change has landed on the server.
    if (m_membersChanged && app) {
        CAttributes form;
        CTString id;
        id.Format(L"%I64d", m_object.id);
        form.SetText(CTString(L"ID"), id);
        app->m_db.Post(CTString(L"api/api_objAccessFlush.php"), form, [](DB::DBEvent&) {});
        m_membersChanged = false;
    }
    MarkSaved(SavedObject);
}

void DlgGroup::MarkSaved(int bit)
{
    m_saveBits |= bit;
    if (m_saveBits != (SavedObject | SavedRights)) return;
    m_saveBits = 0;
    m_savePending = false;
    SetModified(false);
    App* app = GetApp();
    if (app) {
        RequestResult notice;
        notice.route.targetType = kMainWindowType;
        notice.route.consoleType = kAdministratorsConsole;
        notice.route.requestId = kNoticeSaved;
        notice.attached = &m_object;
        notice.kind = 6;
        app->m_windows.NotifyWindows(kMainWindowType, 0, &notice);
    }
    const bool close = m_closeAfterSave;
    m_closeAfterSave = false;
    m_saving = false;
    m_reloadWaiting = false;
    if (close) {
        Close();
        return;
    }
    // The cache tells its subscribers, this form included, which reloads.
    if (app) app->m_dir.StoreObject(m_object, 0);
}

void DlgGroup::Notify(void* param)
{
    auto* reply = static_cast<RequestResult*>(param);
    if (!reply) return;
    const __int64 second = reply->route.param2;
    switch (reply->route.requestId) {
    case kReqBusy:
        SetReadOnly(reply->returnCode != 0);
        break;
    case kReqIcon:
        if (IsWindow()) TakeTreeImageIcon();
        if (m_general) m_general->OnIcon(static_cast<int>(second));
        if (m_security) m_security->OnResult(*reply);
        break;
    case kReqPath: {
        TiXmlElement* value = ReplyElement(*reply, L"value");
        const __int64 parent = ReplyId(*reply);
        if (reply->returnCode == 0 && value && parent != 0 && m_general) {
            const wchar_t* path = value->GetAttribute(L"path");
            m_general->OnPathReply(parent, CTString(path ? path : L""));
        }
        break;
    }
    case kReqNamePath:
        if (m_security) m_security->OnResult(*reply);
        break;
    case kReqSave:
        OnSaveReply(*reply);
        break;
    case kReqStore:
    case kReqLoadRights:
        if (second == 0 && m_security) m_security->OnResult(*reply);
        break;
    case kReqCacheChanged: {
        auto* ids = static_cast<std::list<__int64>*>(reply->attached);
        if (!ids || std::find(ids->begin(), ids->end(), static_cast<__int64>(m_key)) == ids->end()) break;
        // A change seen while a save is out waits until that save has completed or failed.
        if (m_saving) m_reloadWaiting = true;
        else Load(m_key);
        break;
    }
    default:
        break;
    }
}

// ---- General page ----

DlgGroup::CGeneralPage::CGeneralPage(DlgGroup* form) : m_group(form) { m_title = L"General"; }

DlgGroup::CGeneralPage::~CGeneralPage() { m_list.Destroy(); }

bool DlgGroup::CGeneralPage::CreatePage(HWND parent)
{
    CTWndListCtrlEx2::RegisterClass(GetTemplateModule());
    CTWndListCtrlEx2::RegisterClass(GetModuleHandleW(nullptr));
    return CWMFormPage::CreatePage(parent);
}

bool DlgGroup::CGeneralPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result)) return true;
    if (msg == kMsgPersonPicked) {
        OnPicked(static_cast<__int64>(lParam));
        *result = 0;
        return true;
    }
    if (msg != WM_INITDIALOG) return false;
    Init(m_hWnd, false, 300, 150, false);
    AddItem(GetDlgItem(m_hWnd, kName), RightToRight);
    AddItem(GetDlgItem(m_hWnd, kList), RightToRight | BottomToBottom);
    if (m_list.Create(m_hWnd, kList, true, 0)) {
        CTListCtrlReportEx& report = m_list.m_report;
        report.ModifyOptions(CTListCtrlReport::OptGridLines, 0);
        report.ModifyStyle(0, LVS_SINGLESEL | WS_TABSTOP, 0);
        ListView_SetExtendedListViewStyleEx(report.m_hWnd, LVS_EX_GRIDLINES, 0);
        report.SetColumns(CTString(L"Path,200;Name,200;Organisation,100;Type,100;Email,200"), 0, nullptr, nullptr);
        report.SortBy(1, true);
        const CTListCtrlReportEx::ToolbarButton buttons[] = {
            {kCmdNew, CTListCtrlReportEx::kStandardImage, 107, BTNS_BUTTON},
            {kCmdDelete, CTListCtrlReportEx::kStandardImage, 108, BTNS_BUTTON},
        };
        m_list.CreateToolbar(this, TBSTYLE_TOOLTIPS, 2, buttons);
    }
    *result = TRUE;
    return true;
}

bool DlgGroup::CGeneralPage::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr) return false;
    if (static_cast<int>(wParam) == kList && hdr->code == CTListCtrlReportEx::CodeInsert) {
        OpenPicker();
        return true;
    }
    if (static_cast<int>(wParam) == kList && hdr->code == CTListCtrlReportEx::CodeDelete) {
        RemoveSelected();
        return true;
    }
    return m_list.m_report.m_hWnd && m_list.m_report.OnParentNotify(hdr, result);
}

bool DlgGroup::CGeneralPage::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    *result = 0;
    switch (LOWORD(wParam)) {
    case kCmdNew:
        OpenPicker();
        return true;
    case kCmdDelete:
        RemoveSelected();
        return true;
    case kName: {
        const int code = HIWORD(wParam);
        if (code == 0 || code == 1 || code == EN_CHANGE) m_form->SetModified(true);
        return true;
    }
    default:
        return false;
    }
}

bool DlgGroup::CGeneralPage::Load()
{
    if (!m_hWnd) return true;
    const Object& group = m_group->m_object;
    SetDlgItemTextW(m_hWnd, kName, m_group->m_object.name.GetBuffer() ? m_group->m_object.name.GetBuffer() : L"");
    std::vector<__int64> ids;
    group.GetLinkArray(ids, CTString(L"users"));
    App* app = DlgGroup::GetApp();
    if (!app) return true;
    std::list<__int64> wanted(ids.begin(), ids.end());
    app->m_dir.FetchObjects(wanted, m_group->MakeRoute(DlgGroup::kReqObject, 1), [this, ids] { FillMembers(ids); }, nullptr);
    return true;
}

void DlgGroup::CGeneralPage::FillMembers(const std::vector<__int64>& ids)
{
    m_members.clear();
    m_memberIds.clear();
    CTListCtrlReportEx& report = m_list.m_report;
    if (!report.m_hWnd) return;
    report.EnableAutoSort(false);
    report.SendMessage(WM_SETREDRAW, FALSE);
    report.DeleteAllRows();
    std::list<__int64> organisations;
    for (__int64 id : ids) AddMemberRow(id, organisations);
    report.SendMessage(WM_SETREDRAW, TRUE);
    report.EnableAutoSort(true);
    report.FitColumnsToContent();
    ShowOrganisations(organisations);
}

void DlgGroup::CGeneralPage::ShowOrganisations(const std::list<__int64>& organisations)
{
    App* app = DlgGroup::GetApp();
    if (!app || organisations.empty()) return;
    std::list<__int64> wanted = organisations;
    app->m_dir.FetchObjects(wanted, m_group->MakeRoute(DlgGroup::kReqObject, 2), [this] {
        App* app = DlgGroup::GetApp();
        CTListCtrlReport& report = m_list.m_report;
        if (!app || !report.m_hWnd) return;
        for (const Object& member : m_members) {
            const __int64 organisation = Value(member, L"link_organisation").GetValue();
            if (organisation == 0) continue;
            const Object* cached = app->m_dir.Lookup(organisation);
            int item = report.FindRowByData(Key(member.id));
            if (cached && cached->id != 0 && item >= 0)
                report.SetCell(item, 2, CTListCtrlReport::Cell(CAttribute::Text, CTString(cached->name)));
        }
    }, nullptr);
}

bool DlgGroup::CGeneralPage::AddMemberRow(__int64 id, std::list<__int64>& organisations)
{
    if (id == 0 || m_memberIds.count(id)) return false;
    App* app = DlgGroup::GetApp();
    const Object* cached = app ? app->m_dir.Lookup(id) : nullptr;
    Object member;
    if (cached && cached->id == id) {
        member = *cached;
    } else {
        // Not to be had from the cache: listed by its id and written back as it is.
        member.id = id;
        CTString text;
        text.Format(L"%I64d", id);
        member.name = text;
    }
    m_memberIds.insert(id);
    m_members.push_back(member);
    CTString typeName;
    if (app && app->m_mainWindow && member.type != 0) {
        Object definition;
        app->m_mainWindow->GetTypeById(definition, member.type);
        typeName = CTString(definition.name);
    }
    if (__int64 organisation = Value(member, L"link_organisation").GetValue()) organisations.push_back(organisation);

    int image = 0;
    CTListCtrlReport& report = m_list.m_report;
    CTString icon(Value(member, L"tree_image").GetText());
    if (app && !icon.IsEmpty()) {
        int index = app->FindIcon(icon);
        if (index < 0) index = app->AddIcon(icon, m_group->MakeRoute(DlgGroup::kReqIcon));
        if (index >= 0 && !report.HasImageForKey(index)) {
            if (HICON handle = ImageList_GetIcon(app->m_smallImages, index, ILD_TRANSPARENT)) {
                report.AddImageForKey(handle, index);
                DestroyIcon(handle);
            }
        }
        if (index >= 0 && report.HasImageForKey(index)) image = std::max(0, report.GetImageForKey(index));
    }
    CTString& path = m_paths[member.parent];
    CTListCtrlReport::Row row(Key(id));
    row.AddText(path).AddText(CTString(member.name)).AddText(CTString()).AddText(typeName)
        .AddText(CTString(Value(member, L"email_address").GetText()));
    report.InsertRow(report.GetItemCount(), image, row);
    if (member.parent != 0 && path.IsEmpty() && app) {
        path = CTString(L"?");
        app->IDToPath(member.parent, m_group->MakeRoute(DlgGroup::kReqPath, id));
    }
    return true;
}

void DlgGroup::CGeneralPage::OnPathReply(__int64 parent, const CTString& path)
{
    m_paths[parent] = path;
    CTListCtrlReport& report = m_list.m_report;
    if (!report.m_hWnd) return;
    for (const Object& member : m_members) {
        if (member.parent != parent) continue;
        int item = report.FindRowByData(Key(member.id));
        if (item >= 0) report.SetCell(item, 0, CTListCtrlReport::Cell(CAttribute::Text, path));
    }
    report.FitColumnsToContent();
}

void DlgGroup::CGeneralPage::OnIcon(int index)
{
    App* app = DlgGroup::GetApp();
    CTListCtrlReport& report = m_list.m_report;
    if (!app || !report.m_hWnd || !report.HasImageForKey(index)) return;
    if (HICON icon = ImageList_GetIcon(app->m_smallImages, index, ILD_TRANSPARENT)) {
        report.ReplaceImage(icon, report.GetImageForKey(index));
        DestroyIcon(icon);
        InvalidateRect(report.m_hWnd, nullptr, TRUE);
    }
}

void DlgGroup::CGeneralPage::OpenPicker()
{
    App* app = DlgGroup::GetApp();
    if (!app) return;
    m_pickerKey = NextPickerKey();
    app->m_windows.OpenWindow(kPersonPickerType, static_cast<UINT64>(m_pickerKey), reinterpret_cast<INT_PTR>(m_hWnd));
}

void DlgGroup::CGeneralPage::OnPicked(__int64 id)
{
    App* app = DlgGroup::GetApp();
    if (id == 0 || !app) return;
    app->m_dir.RequestObject(id, 0, m_group->MakeRoute(DlgGroup::kReqObject, 3), [this, id] {
        std::list<__int64> organisations;
        // A person already listed changes nothing.
        if (!AddMemberRow(id, organisations)) return;
        m_list.m_report.FitColumnsToContent();
        m_form->SetModified(true);
        ShowOrganisations(organisations);
    }, nullptr);
}

void DlgGroup::CGeneralPage::RemoveSelected()
{
    CTListCtrlReport& report = m_list.m_report;
    if (!report.m_hWnd) return;
    int item = ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED);
    while (item >= 0) {
        const __int64 id = IdOf(report.GetRowData(item));
        auto member = std::find_if(m_members.begin(), m_members.end(), [id](const Object& o) { return o.id == id; });
        if (member == m_members.end()) break;
        m_members.erase(member);
        m_memberIds.erase(id);
        report.DeleteRow(item);
        m_form->SetModified(true);
        item = ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED);
    }
}

bool DlgGroup::CGeneralPage::Save()
{
    if (!m_hWnd) return true;
    Object& group = m_group->m_object;
    wchar_t name[512] = {};
    GetDlgItemTextW(m_hWnd, kName, name, 512);
    if (wcscmp(name, group.name.GetBuffer() ? group.name.GetBuffer() : L"") != 0) {
        group.name = name;
        CAttribute current = Value(group, L"name");
        group.SetAttribute(CTString(L"name"), CAttribute(current.GetType(), CTString(name)));
    }
    std::vector<Object> sorted = m_members;
    std::stable_sort(sorted.begin(), sorted.end(), ObjectSortsBefore);
    std::vector<__int64> ids;
    ids.reserve(sorted.size());
    for (const Object& member : sorted) ids.push_back(member.id);
    std::vector<__int64> current;
    group.GetLinkArray(current, CTString(L"users"));
    if (ids != current) {
        group.SetLinkArray(CTString(L"users"), ids);
        m_group->m_membersChanged = true;
    }
    return true;
}

#include "structure/AccessRightsPage.h"

#include <commctrl.h>
#include <algorithm>
#include "app/App.h"
#include "foundation/TiXmlDocument.h"
#include "foundation/TiXmlElement.h"
#include "lists/DlgSelectObject.h"

namespace {

void* Key(__int64 id) { return reinterpret_cast<void*>(static_cast<INT_PTR>(id)); }
__int64 IdOf(void* key) { return static_cast<__int64>(reinterpret_cast<INT_PTR>(key)); }

TiXmlElement* ResultElement(RequestResult& reply, const wchar_t* name)
{
    TiXmlElement* root = reply.document.FirstChildElementNamed(L"result");
    return root ? root->FirstChildElementNamed(name) : nullptr;
}

__int64 ParametersId(RequestResult& reply)
{
    TiXmlElement* parameters = ResultElement(reply, L"parameters");
    return parameters ? ReadDecimal64(parameters->GetAttribute(L"ID")) : 0;
}

} // namespace

AccessRightsPage::AccessRightsPage(__int64 second, const wchar_t* layoutKey) : m_second(second), m_layoutKey(layoutKey)
{
    m_title = L"Security";
}

AccessRightsPage::~AccessRightsPage()
{
    m_editor.RemoveAllRows();
    m_list.Destroy();
}

bool AccessRightsPage::CreatePage(HWND parent)
{
    CTWndListCtrlEx2::RegisterClass(GetTemplateModule());
    CTWndListCtrlEx2::RegisterClass(GetModuleHandleW(nullptr));
    return CWMFormPage::CreatePage(parent);
}

__int64 AccessRightsPage::PrincipalId()
{
    auto* object = m_form ? static_cast<Object*>(m_form->GetObject()) : nullptr;
    return object ? object->id : 0;
}

RequestRoute AccessRightsPage::MakeRoute(int requestId, __int64 second) const
{
    RequestRoute route;
    if (m_form) {
        route.targetType = m_form->m_type;
        route.targetKey = m_form->m_key;
    }
    route.requestId = requestId;
    route.param2 = second;
    return route;
}

void AccessRightsPage::InitList()
{
    Init(m_hWnd, false, 300, 150, false);
    AddItem(GetDlgItem(m_hWnd, kList), RightToRight | BottomToBottom);
    if (!m_list.Create(m_hWnd, kList, true, 0)) return;
    CTListCtrlReportEx& report = m_list.m_report;
    report.ModifyOptions(CTListCtrlReport::OptGridLines, 0xF0);
    report.ModifyStyle(0, LVS_SINGLESEL | WS_TABSTOP, 0);
    ListView_SetExtendedListViewStyleEx(report.m_hWnd, LVS_EX_GRIDLINES, 0);
    report.SetColumns(CTString(L"Name,200;Read,50;Write,50;Perm,50;Priv,50; ;"), 104, nullptr, m_layoutKey);
    for (int position = 1; position <= 4; ++position) report.SetColumnFixedWidth(position, 50);
    const CTListCtrlReportEx::ToolbarButton buttons[] = {
        {kCmdNew, CTListCtrlReportEx::kStandardImage, 107, BTNS_BUTTON},
        {kCmdDelete, CTListCtrlReportEx::kStandardImage, 108, BTNS_BUTTON},
    };
    m_list.CreateToolbar(this, TBSTYLE_TOOLTIPS, 2, buttons);
    // Image 0 is a fixed icon, so that no row's image index is ever 0.
    if (HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(142), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0))) {
        report.AddImage(icon);
        DestroyIcon(icon);
    }
    m_editor.Attach(kList, &report, &AccessRightsPage::OnValueChanged, nullptr, this);
}

bool AccessRightsPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result)) return true;
    LRESULT ignored = 0;
    m_editor.OnMessage(msg, wParam, lParam, &ignored);
    switch (msg) {
    case WM_INITDIALOG:
        InitList();
        *result = TRUE;
        return true;
    case WM_WINDOWPOSCHANGING: {
        auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!pos) return false;
        if ((pos->flags & SWP_SHOWWINDOW) && !::IsWindowVisible(m_hWnd)) {
            m_shown = true;
            if (m_loadPending) LoadNow();
        } else if ((pos->flags & SWP_HIDEWINDOW) && ::IsWindowVisible(m_hWnd)) {
            m_shown = false;
        }
        return false;
    }
    case kMsgPickerSetup:
        if (auto* setup = reinterpret_cast<DlgSelectObject::Setup*>(lParam)) {
            if (!setup->types.IsEmpty()) setup->types.Append(CTString(L","));
            setup->types.Append(CTString(L"OU,Schedule Group,Asset Location,Site"));
            setup->fromCache = 0;
        }
        *result = 0;
        return true;
    case kMsgPickerAnswer:
        if (auto* object = reinterpret_cast<const Object*>(lParam)) {
            AddRow(*object, true, 3);
            Changed();
        }
        *result = 0;
        return true;
    default:
        return false;
    }
}

bool AccessRightsPage::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr) return false;
    if (m_editor.OnNotify(kList, hdr, result)) return true;
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

bool AccessRightsPage::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    *result = 0;
    switch (LOWORD(wParam)) {
    case kCmdNew:
        OpenPicker();
        return true;
    case kCmdDelete:
        RemoveSelected();
        return true;
    default:
        return false;
    }
}

void AccessRightsPage::OpenPicker()
{
    App* app = App::Instance();
    if (!app) return;
    const __int64 key = ++app->m_treePickerKey;
    app->m_windows.OpenWindow(kPickerType, static_cast<UINT64>(key), reinterpret_cast<INT_PTR>(m_hWnd));
}

void AccessRightsPage::SetEmptyText(const wchar_t* text)
{
    CTListCtrlReportEx& report = m_list.m_report;
    if (!report.m_hWnd) return;
    report.SetEmptyText(CTString(text));
    if (report.GetItemCount() == 0) InvalidateRect(report.m_hWnd, nullptr, TRUE);
}

bool AccessRightsPage::Load()
{
    if (!m_shown) {
        m_loadPending = true;
        return true;
    }
    LoadNow();
    return true;
}

void AccessRightsPage::LoadNow()
{
    m_loadPending = false;
    SetEmptyText(L"Loading...");
    if (App* app = App::Instance())
        app->m_db.ObjAccessGet(static_cast<unsigned>(PrincipalId()), MakeRoute(kReqLoad, m_second));
}

AccessRightsPage::Row* AccessRightsPage::FindRow(__int64 id)
{
    auto it = std::find_if(m_rows.begin(), m_rows.end(), [id](const Row& row) { return row.id == id; });
    return it == m_rows.end() ? nullptr : &*it;
}

int AccessRightsPage::ImageFor(const Object& object)
{
    App* app = App::Instance();
    if (!app) return 0;
    CAttribute image;
    object.GetAttribute(image, CTString(L"tree_image"));
    CTString name(image.GetText());
    if (name.IsEmpty()) return 0;
    int index = app->FindIcon(name);
    if (index < 0) index = app->AddIcon(name, MakeRoute(kReqIcon, 0));
    if (index < 0) return 0;
    CTListCtrlReport& report = m_list.m_report;
    if (!report.HasImageForKey(index)) {
        if (HICON icon = ImageList_GetIcon(app->m_smallImages, index, ILD_TRANSPARENT)) {
            report.AddImageForKey(icon, index);
            DestroyIcon(icon);
        }
    }
    return report.HasImageForKey(index) ? std::max(0, report.GetImageForKey(index)) : 0;
}

void AccessRightsPage::AddRow(const Object& object, bool isNew, __int64 rights)
{
    if (FindRow(object.id)) return;
    Row row;
    auto removed = std::find_if(m_removed.begin(), m_removed.end(), [&](const Row& r) { return r.id == object.id; });
    if (removed != m_removed.end()) {
        row = *removed;
        m_removed.erase(removed);
    } else {
        row.id = object.id;
        row.isNew = isNew;
    }
    row.changed = true;
    for (int bit = 0; bit < 4; ++bit) row.rights[bit] = (rights >> bit) & 1;
    m_rows.push_back(row);

    CTListCtrlReportEx& report = m_list.m_report;
    if (!report.m_hWnd) return;
    CTListCtrlReport::Row listRow(Key(row.id));
    listRow.AddText(CTString(object.name));
    for (int bit = 0; bit < 4; ++bit) listRow.AddNumber(row.rights[bit]);
    listRow.AddText(CTString(L" "));
    CTListCtrlEdit::Row editRow(Key(row.id));
    editRow.AddCell(CTListCtrlEdit::KindReadOnly).SetText(CTString(object.name));
    for (int bit = 0; bit < 4; ++bit) editRow.AddCell(CTListCtrlEdit::KindCheck).SetBool(row.rights[bit] != 0);
    editRow.AddCell(CTListCtrlEdit::KindReadOnly).SetText(CTString(L" "));
    const int item = report.InsertRow(report.GetItemCount(), ImageFor(object), listRow);
    m_editor.AddRow(editRow);
    (void)item;
    if (App* app = App::Instance()) app->IDToPath(row.id, MakeRoute(kReqPath, 0));
}

void AccessRightsPage::Changed()
{
    m_modified = true;
    if (m_form) m_form->SetModified(true);
}

void AccessRightsPage::OnValueChanged(void* context, int item, int column, CAttribute* value)
{
    auto* page = static_cast<AccessRightsPage*>(context);
    if (!page || !value || column < 1 || column > 4) return;
    Row* row = page->FindRow(IdOf(page->m_list.m_report.GetRowData(item)));
    if (!row) return;
    row->changed = true;
    row->rights[column - 1] = value->GetValue() != 0 ? 1 : 0;
    page->Changed();
}

void AccessRightsPage::RemoveSelected()
{
    CTListCtrlReportEx& report = m_list.m_report;
    if (!report.m_hWnd) return;
    int item = -1;
    while ((item = ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED)) >= 0) {
        const __int64 id = IdOf(report.GetRowData(item));
        auto row = std::find_if(m_rows.begin(), m_rows.end(), [id](const Row& r) { return r.id == id; });
        if (row != m_rows.end()) {
            // A row never stored needs no request; a stored one is stored again with no rights.
            if (!row->isNew) {
                row->changed = true;
                m_removed.push_back(*row);
            }
            m_rows.erase(row);
        }
        m_editor.RemoveRow(Key(id));
        report.DeleteRow(item);
        Changed();
    }
}

bool AccessRightsPage::Save()
{
    m_pendingStores = 0;
    App* app = App::Instance();
    const unsigned principal = static_cast<unsigned>(PrincipalId());
    if (m_modified && app) {
        for (Row& row : m_rows) {
            if (!row.changed) continue;
            ++m_pendingStores;
            app->m_db.ObjAccessSet(static_cast<unsigned>(row.id), principal, row.rights[0] != 0, row.rights[1] != 0,
                                   row.rights[2] != 0, row.rights[3] != 0, MakeRoute(kReqStore, m_second));
        }
        for (const Row& row : m_removed) {
            ++m_pendingStores;
            app->m_db.ObjAccessSet(static_cast<unsigned>(row.id), principal, false, false, false, false,
                                   MakeRoute(kReqStore, m_second));
        }
    }
    if (m_pendingStores == 0 && m_markSaved) m_markSaved(kSaveBit);
    return true;
}

void AccessRightsPage::OnResult(RequestResult& reply)
{
    CTListCtrlReportEx& report = m_list.m_report;
    switch (reply.route.requestId) {
    case kReqIcon: {
        App* app = App::Instance();
        const int index = static_cast<int>(reply.route.param2);
        if (!app || !report.m_hWnd || !report.HasImageForKey(index)) return;
        if (HICON icon = ImageList_GetIcon(app->m_smallImages, index, ILD_TRANSPARENT)) {
            report.ReplaceImage(icon, report.GetImageForKey(index));
            DestroyIcon(icon);
            InvalidateRect(report.m_hWnd, nullptr, TRUE);
        }
        return;
    }
    case kReqPath: {
        if (reply.returnCode != 0 || !report.m_hWnd) return;
        TiXmlElement* value = ResultElement(reply, L"value");
        const int item = report.FindRowByData(Key(ParametersId(reply)));
        if (!value || item < 0) return;
        const wchar_t* path = value->GetAttribute(L"path");
        report.SetCell(item, 0, CTListCtrlReport::Cell(CAttribute::Text, CTString(path ? path : L"")));
        report.FitColumnsToContent();
        return;
    }
    case kReqLoad: {
        if (reply.route.param2 != m_second) return;
        m_editor.RemoveAllRows();
        if (report.m_hWnd) report.DeleteAllRows();
        m_rows.clear();
        m_removed.clear();
        SetEmptyText(L"No Entries");
        if (reply.resultCode != 0 || reply.returnCode != 0) return;
        TiXmlElement* root = reply.document.FirstChildElementNamed(L"result");
        for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
             element = element->NextSiblingElementNamed(L"object")) {
            Object object;
            object.ReadFromXml(element, true);
            AddRow(object, false, ReadDecimal64(element->GetAttribute(L"acl")));
        }
        return;
    }
    case kReqStore: {
        if (reply.route.param2 != m_second || reply.resultCode != 0 || reply.returnCode != 0) return;
        const __int64 id = ParametersId(reply);
        bool counted = false;
        if (Row* row = FindRow(id)) {
            row->changed = false;
            counted = true;
        }
        auto removed = std::find_if(m_removed.begin(), m_removed.end(), [id](const Row& r) { return r.id == id; });
        if (removed != m_removed.end()) {
            m_removed.erase(removed);
            counted = true;
        }
        if (!counted || m_pendingStores <= 0) return;
        if (--m_pendingStores == 0 && m_markSaved) m_markSaved(kSaveBit);
        return;
    }
    default:
        return;
    }
}

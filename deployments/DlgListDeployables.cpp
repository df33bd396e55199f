#include "deployments/DlgListDeployables.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "controls/CTListCtrlReportEx.h"
#include "foundation/CAttributes.h"
#include "foundation/CTStringLocale.h"
#include "foundation/CTTokenString.h"
#include "framework/CTApp.h"
#include "framework/PopupMenuDriver.h"
#include "lists/ListRowSaver.h"
#include "lists/_ExportData.h"
#include "session/RequestResult.h"

namespace {

HMODULE ResourceModule(LPCWSTR kind, UINT id)
{
    CTApp* app = CTApp::Instance();
    HMODULE module = app ? app->FindResourceModule(kind, MAKEINTRESOURCEW(id)) : nullptr;
    return module ? module : GetModuleHandleW(nullptr);
}

// Items of a "|" list, trimmed of blanks and double quotes, up to the first empty one.
std::vector<CTString> Items(const CTString& text, const wchar_t* separator)
{
    std::vector<CTString> out;
    CTTokenString items(text);
    items.SetSeparators(separator, 0);
    CTString item;
    for (unsigned i = 0; items.GetToken(i, item); ++i) {
        item.Trim(L' ');
        item.Trim(L'"');
        if (item.IsEmpty())
            break;
        out.push_back(item);
    }
    return out;
}

CTString TypeText(const Object& type)
{
    CAttribute text;
    type.GetAttribute(text, CTString(L"type"));
    return CTString(text.GetText());
}

TiXmlElement* FirstResult(TiXmlDocument& doc)
{
    TiXmlElement* root = doc.RootElement();
    if (!root)
        return nullptr;
    return lstrcmpW(root->Value(), L"result") == 0 ? root : root->FirstChildElementNamed(L"result");
}

} // namespace

DlgListDeployables::DlgListDeployables()
{
    CTWndListCtrlEx2::RegisterClass(GetModuleHandleW(nullptr));
}

DlgListDeployables::~DlgListDeployables()
{
    if (m_list.m_report.m_hWnd)
        Report().DeleteAllRows();
    m_editor.RemoveAllRows();
    CTWnd2::Destroy();
    if (m_icon)
        DestroyIcon(m_icon);
}

RequestRoute DlgListDeployables::PaneRoute(int requestId) const
{
    RequestRoute route;
    if (m_owner)
        route = m_owner->GetPaneKey(const_cast<DlgListDeployables*>(this));
    else {
        route.targetType = CTWndConsole::kMainWindowType;
        route.consoleType = kConsoleType;
        route.consoleKey = m_key;
    }
    route.requestId = requestId;
    return route;
}

__int64 DlgListDeployables::FolderId() const
{
    if (m_folderId != 0 || !m_owner)
        return m_folderId;
    return m_owner->m_cache.folderIds[MainWindowCache::FolderDeployable];
}

bool DlgListDeployables::Create()
{
    if (!CreateDialogFromResource(ResourceModule(RT_DIALOG, kTemplate), MAKEINTRESOURCEW(kTemplate), GetOwnerHwnd()))
        return false;
    ::SetWindowTextW(m_hWnd, L"Component");
    HMODULE module = ResourceModule(RT_GROUP_ICON, kIcon);
    m_icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(kIcon), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                           GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    RefreshPane();
    return true;
}

void DlgListDeployables::Destroy()
{
    CTWnd2::Destroy();
}

void DlgListDeployables::OnInitDialog()
{
    CTWndSize::Init(m_hWnd, false, 100, 100, false);
    AddItem(GetDlgItem(m_hWnd, kIdList), CTWndSize::RightToRight | CTWndSize::BottomToBottom);
    if (!m_list.Create(m_hWnd, kIdList, true, 0))
        return;
    SetWindowLongPtrW(m_list.m_hWnd, GWL_STYLE, GetWindowLongPtrW(m_list.m_hWnd, GWL_STYLE) & ~WS_BORDER);
    SetWindowPos(m_list.m_hWnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    CTListCtrlReportEx& report = Report();
    report.ModifyOptions(2, 0xE0);
    report.ModifyStyle(LVS_SINGLESEL | LVS_SORTASCENDING, WS_TABSTOP, 0);
    report.ModifyOptions(CTListCtrlReport::OptGridLines, 0);

    const CTListCtrlReportEx::ToolbarButton buttons[] = {
        {kCmdNew, CTListCtrlReportEx::kStandardImage, 107, BTNS_BUTTON},
        {kCmdDelete, CTListCtrlReportEx::kStandardImage, 108, BTNS_BUTTON},
        {kCmdOpen, CTListCtrlReportEx::kStandardImage, 111, BTNS_BUTTON},
    };
    m_list.CreateToolbar(this, TBSTYLE_TOOLTIPS | TBSTYLE_LIST, 3, buttons);
    CTWndToolbar& toolbar = report.m_toolbar;
    if (toolbar.m_hWnd) {
        // The View drop-down first, then a separator before New.
        int image = toolbar.AddIcon(ResourceModule(RT_GROUP_ICON, kViewIcon), kViewIcon);
        TBBUTTON view = {image, kCmdView, TBSTATE_ENABLED, BTNS_BUTTON | BTNS_WHOLEDROPDOWN | BTNS_SHOWTEXT, {}, 0, 0};
        CTString text;
        text.LoadString(159);
        view.iString = reinterpret_cast<INT_PTR>(text.GetBuffer() ? text.GetBuffer() : L"View");
        TBBUTTON separator = {0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0};
        ::SendMessageW(toolbar.m_hWnd, TB_INSERTBUTTONW, 0, reinterpret_cast<LPARAM>(&separator));
        ::SendMessageW(toolbar.m_hWnd, TB_INSERTBUTTONW, 0, reinterpret_cast<LPARAM>(&view));
        for (int icon : {kCmdImport, kCmdExport}) {
            int index = toolbar.AddIcon(ResourceModule(RT_GROUP_ICON, icon), icon);
            toolbar.AddButton(index, icon, TBSTATE_ENABLED, BTNS_BUTTON, icon);
        }
        RECT client = {};
        GetClientRect(m_list.m_hWnd, &client);
        m_list.OnSize(SIZE_RESTORED, client.right, client.bottom);
    }
    report.EnableDeleteConfirm(m_hWnd, GetModuleHandleW(nullptr), 2, 0, true);
    m_editor.Attach(kIdList, &report, &DlgListDeployables::OnValueChanged, &DlgListDeployables::OnFillChoices, this);
}

void DlgListDeployables::MarkModified(bool modified)
{
    CTWndManager::VTabPage::SetModified(modified);
}

bool DlgListDeployables::RefreshTab()
{
    RefreshPane();
    return true;
}

void DlgListDeployables::RefreshPane()
{
    if (!m_visible) {
        m_refreshPending = true;
        return;
    }
    m_refreshPending = false;
    if (m_list.m_report.m_hWnd)
        Report().DeleteAllRows();
    m_editor.RemoveAllRows();
    m_rows.DeleteAll();
    m_unanswered = nullptr;
    m_columnNames.clear();
    m_shownType = Object();
    m_types.clear();
    if (m_owner) {
        std::vector<__int64> ids;
        m_owner->m_cache.systemSettings.GetLinkArray(ids, CTString(L"deployable_available"));
        for (__int64 id : ids) {
            Object type;
            m_owner->GetTypeById(type, id);
            m_types.push_back(type);
        }
    }
    if (!m_types.empty())
        SelectType(m_types.front());
    if (App* app = GetApp())
        app->m_db.ObjSearch(CTString(), static_cast<unsigned>(FolderId()), CTString(), CTString(), false, DB::kNoMax,
                            PaneRoute(kReqSearch));
    MarkModified(false);
}

void DlgListDeployables::SelectType(const Object& type)
{
    m_shownType = type;
    m_columnNames.assign(1, CTString());
    CAttribute list;
    type.GetAttribute(list, CTString(L"console_edit_attribs"));
    CTString spec(L" ");
    for (const CTString& item : Items(CTString(list.GetText()), L"|")) {
        m_columnNames.push_back(item);
        spec.AppendText(L";\"");
        spec.Append(item);
        spec.AppendText(L"\"");
    }
    if (m_list.m_report.m_hWnd)
        Report().SetColumns(spec, 0, nullptr, nullptr);
}

int DlgListDeployables::EditorKind(const CAttribute& value, const CTString& spec)
{
    switch (value.GetType()) {
    case CAttribute::Integer:
        if (spec.IsEmpty())
            return CTListCtrlEdit::KindNumber;
        if (spec.CompareNoCase(CTString(L"TYPE=Checkbox")) == 0)
            return CTListCtrlEdit::KindCheck;
        return CTListCtrlEdit::KindChoice;
    case CAttribute::Date:
    case CAttribute::DateTime:
        return CTListCtrlEdit::KindDate;
    case CAttribute::LocalTimeOfDay:
        return CTListCtrlEdit::KindTime;
    default:
        if (spec.Compare(L"TYPE=MultiLine") == 0)
            return CTListCtrlEdit::KindMultiLine;
        if (spec.Compare(L"TYPE=Locale") == 0)
            return CTListCtrlEdit::KindLocale;
        return CTListCtrlEdit::KindText;
    }
}

void DlgListDeployables::FillChoicesFromValues(const CTString& spec, CTListCtrlEdit::Choices& choices)
{
    for (const CTString& item : Items(spec, L"|")) {
        if (item.GetLength() < 7 || CompareStringOrdinal(item.GetBuffer(), 7, L"VALUES=", 7, TRUE) != CSTR_EQUAL)
            continue;
        unsigned index = 0;
        for (CTString value : Items(CTString(item.GetBuffer() + 7), L",")) {
            value.Trim(L'\'');
            choices[index++] = value;
        }
        return;
    }
}

int DlgListDeployables::AddRow(Row& row)
{
    if (row.object.type != m_shownType.type || m_columnNames.empty())
        return -1;
    CTListCtrlReport::Row shown(&row);
    CTListCtrlEdit::Row editable(&row);
    shown.AddText(CTString());
    editable.AddCell(CTListCtrlEdit::KindReadOnly);
    for (size_t k = 1; k < m_columnNames.size(); ++k) {
        CAttribute value;
        row.object.GetAttribute(value, m_columnNames[k]);
        CTString spec;
        row.object.GetAttributeEditSpec(m_columnNames[k], spec);
        const int kind = EditorKind(value, spec);
        editable.AddCell(kind);
        if (kind == CTListCtrlEdit::KindChoice) {
            editable.SetValue(value);
            editable.SetText(spec);
            // The report shows the chosen entry's text.
            CTListCtrlEdit::Choices choices;
            FillChoicesFromValues(spec, choices);
            auto entry = choices.find(static_cast<unsigned>(value.GetValue()));
            shown.AddAttribute(entry != choices.end() ? CAttribute(CAttribute::Text, entry->second.GetBuffer()) : value);
        } else if (kind == CTListCtrlEdit::KindLocale) {
            editable.SetValue(value);
            CTStringLocale text(value.GetText());
            shown.AddAttribute(CAttribute(CAttribute::Text, text.GetUserText()));
        } else {
            editable.SetValue(value);
            shown.AddAttribute(value);
        }
    }
    CTListCtrlReportEx& report = Report();
    int item = report.FindRowByData(&row);
    if (item < 0) {
        report.AddRow(0, shown);
        m_editor.AddRow(editable);
        item = report.FindRowByData(&row);
    } else {
        report.UpdateRow(item, 0, shown);
        m_editor.UpdateRow(item, editable);
    }
    return item;
}

void DlgListDeployables::FillList()
{
    const CTString text = TypeText(m_shownType);
    ::SetWindowTextW(m_hWnd, text.GetBuffer() ? text.GetBuffer() : L"");
    if (m_owner)
        m_owner->RefreshTabCaption(m_hWnd);
    CTListCtrlReportEx& report = Report();
    report.EnableAutoSort(false);
    report.DeleteAllRows();
    m_editor.RemoveAllRows();
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, FALSE, 0);
    int added = 0;
    for (auto* row = static_cast<Row*>(m_rows.GetHead()); row; row = static_cast<Row*>(row->GetNext()))
        if (row->state != Deleted && AddRow(*row) >= 0)
            ++added;
    if (added > 0)
        report.FitColumnsToContent();
    report.EnableAutoSort(true);
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, TRUE, 0);
}

bool DlgListDeployables::IsRow(const Row* row) const
{
    for (auto* held = const_cast<CLinkedList&>(m_rows).GetHead(); held; held = held->GetNext())
        if (held == row)
            return true;
    return false;
}

int DlgListDeployables::FirstSelected()
{
    HWND list = Report().m_hWnd;
    return list ? ListView_GetNextItem(list, -1, LVNI_SELECTED) : -1;
}

void DlgListDeployables::AddNew()
{
    auto* row = new Row();
    row->state = New;
    row->dirty = true;
    row->object = m_shownType;
    m_rows.AddTail(row);
    const int item = AddRow(*row);
    if (item >= 0) {
        ListView_SetItemState(Report().m_hWnd, -1, 0, LVIS_SELECTED);
        ListView_SetItemState(Report().m_hWnd, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(Report().m_hWnd, item, FALSE);
    }
    MarkModified(true);
}

void DlgListDeployables::DeleteSelected()
{
    CTListCtrlReportEx& report = Report();
    // Every item selected when the deletion starts, adjacent ones included.
    std::vector<Row*> selected;
    for (int item = ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED); item >= 0;
         item = ListView_GetNextItem(report.m_hWnd, item, LVNI_SELECTED))
        selected.push_back(static_cast<Row*>(report.GetRowData(item)));
    for (Row* row : selected) {
        if (!IsRow(row))
            continue;
        report.DeleteRow(report.FindRowByData(row));
        m_editor.RemoveRow(row);
        if (row->state == New) {
            if (row == m_unanswered)
                m_unanswered = nullptr;
            m_rows.Delete(row);
        } else {
            row->state = Deleted;
            row->dirty = true;
        }
    }
    MarkModified(true);
}

void DlgListDeployables::OpenRow(int item)
{
    auto* row = item >= 0 ? static_cast<Row*>(Report().GetRowData(item)) : nullptr;
    if (IsRow(row) && row->object.id != 0 && m_owner)
        m_owner->OpenObject(row->object, false, false);
}

bool DlgListDeployables::SaveChanges()
{
    App* app = GetApp();
    if (!app)
        return false;
    if (IsRow(m_unanswered) && ListRowSaver::MayResendUnanswered(app)) {
        m_unanswered->dirty = true;
        m_unanswered = nullptr;
    }
    for (auto* row = static_cast<Row*>(m_rows.GetHead()); row; row = static_cast<Row*>(row->GetNext())) {
        if (!row->dirty || row->state == Unchanged)
            continue;
        RequestRoute route = PaneRoute(kReqSave);
        route.param2 = reinterpret_cast<__int64>(row);
        row->dirty = false;
        m_unanswered = row;
        if (row->state == Changed)
            row->object.ApplyConsoleDisplayName();   // a new row gets it from the save itself
        const ListRowSaver::Kind kind = row->state == Deleted ? ListRowSaver::Remove
                                        : row->state == New   ? ListRowSaver::Create
                                                              : ListRowSaver::Change;
        ListRowSaver::Send(app->m_db, row->object, kind, FolderId(), route);
        return true;
    }
    return false;
}

void DlgListDeployables::OnSaveResult(RequestResult& result)
{
    auto* row = reinterpret_cast<Row*>(result.route.param2);
    if (row == m_unanswered)
        m_unanswered = nullptr;
    if (!ListRowSaver::Succeeded(result)) {
        // The chain stops; the row keeps its change and goes again with the next save.
        if (IsRow(row))
            row->dirty = true;
        MarkModified(true);
        return;
    }
    if (IsRow(row)) {
        switch (row->state) {
        case New: {
            ListRowSaver::ReadInsertId(result.document, row->object.id);
            CAttributes sent;
            row->object.CollectChanges(sent, true);
            row->state = Unchanged;
            break;
        }
        case Deleted:
            m_rows.Delete(row);
            break;
        case Changed: {
            CAttributes sent;
            row->object.CollectChanges(sent, true);
            row->state = Unchanged;
            break;
        }
        default:
            break;
        }
    }
    SaveChanges();
}

void DlgListDeployables::Export()
{
    if (!m_owner)
        return;
    _ExportData file(m_owner->m_cache);
    for (auto* row = static_cast<Row*>(m_rows.GetHead()); row; row = static_cast<Row*>(row->GetNext()))
        if (row->object.type == m_shownType.type)
            file.WriteObject(row->object);
    file.SaveAs(m_hWnd);
}

void DlgListDeployables::Import()
{
    App* app = GetApp();
    if (!app || app->m_windows.FindWindow(kImportWizardType, 0))
        return;
    app->m_windows.OpenWindow(kImportWizardType, 0, reinterpret_cast<INT_PTR>(m_owner ? m_owner->m_hWnd : nullptr));
}

HMENU DlgListDeployables::BuildTypeMenu()
{
    m_typeMenu.Load(ResourceModule(RT_MENU, kMenu), MAKEINTRESOURCEW(kMenu));
    m_commandTypes.clear();
    HMENU popup = m_typeMenu.m_menu ? GetSubMenu(m_typeMenu.m_menu, 0) : nullptr;
    if (!popup || m_types.empty())
        return popup;
    DeleteMenu(popup, kCmdAll, MF_BYCOMMAND);
    for (size_t i = 0; i < m_types.size(); ++i) {
        const int command = kCmdFirstType + static_cast<int>(i);
        const CTString text = TypeText(m_types[i]);
        AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(command), text.GetBuffer() ? text.GetBuffer() : L"");
        m_commandTypes[command] = m_types[i].type;
    }
    return popup;
}

void DlgListDeployables::ShowTypeMenu()
{
    HWND toolbar = Report().m_toolbar.m_hWnd;
    RECT rc = {};
    if (toolbar) {
        ::SendMessageW(toolbar, TB_GETRECT, kCmdView, reinterpret_cast<LPARAM>(&rc));
        MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&rc), 2);
        ::SendMessageW(toolbar, TB_PRESSBUTTON, kCmdView, TRUE);
    }
    HMENU popup = BuildTypeMenu();
    UINT command = popup ? PopupMenuDriver::Track(popup, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTALIGN, rc.right,
                                                  rc.bottom, m_hWnd)
                         : 0;
    if (toolbar)
        ::SendMessageW(toolbar, TB_PRESSBUTTON, kCmdView, FALSE);
    if (command) {
        LRESULT result = 0;
        OnCommand(command, 0, &result);
    }
}

void DlgListDeployables::FillDeleteConfirm(DeleteConfirmInfo& info)
{
    const CTString type = TypeText(m_shownType);
    const wchar_t* caption = type.GetBuffer() ? type.GetBuffer() : L"";
    if (info.count == 1) {
        CTString name;
        if (auto* row = static_cast<Row*>(Report().GetRowData(FirstSelected())); IsRow(row)) {
            CTStringLocale text(row->object.name.GetBuffer());
            name = text.GetUserText();
        }
        info.caption.FormatResource(136, caption);
        info.text.FormatResource(137, caption, name.GetBuffer() ? name.GetBuffer() : L"");
        if (m_icon) {
            if (info.icon)
                DestroyIcon(info.icon);
            info.icon = CopyIcon(m_icon);
        }
    } else {
        info.caption.FormatResource(138, caption);
        info.text.FormatResource(139, info.count);
    }
}

void DlgListDeployables::OnValueChanged(void* context, int item, int column, CAttribute* value)
{
    auto* pane = static_cast<DlgListDeployables*>(context);
    auto* row = static_cast<Row*>(pane->Report().GetRowData(item));
    if (!value || !pane->IsRow(row) || column <= 0 || column >= static_cast<int>(pane->m_columnNames.size()))
        return;
    row->object.SetAttribute(pane->m_columnNames[column], *value);
    if (row->state == Unchanged)
        row->state = Changed;
    row->dirty = true;
    pane->MarkModified(true);
}

void DlgListDeployables::OnFillChoices(void*, const CTString* listName, CTListCtrlEdit::Choices* entries)
{
    if (listName && entries)
        FillChoicesFromValues(*listName, *entries);
}

bool DlgListDeployables::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    if (m_editor.OnMessage(msg, wParam, lParam, result))
        handled = true;
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = TRUE;
        return true;
    case WM_SHOWWINDOW:
    case WM_WINDOWPOSCHANGING: {
        bool shown = false, hidden = false;
        if (msg == WM_SHOWWINDOW) {
            shown = wParam != 0;
            hidden = wParam == 0;
        } else if (auto* pos = reinterpret_cast<WINDOWPOS*>(lParam)) {
            shown = (pos->flags & SWP_SHOWWINDOW) != 0;
            hidden = (pos->flags & SWP_HIDEWINDOW) != 0;
        }
        if (shown && !m_visible) {
            m_visible = true;
            if (m_refreshPending)
                RefreshPane();
        } else if (hidden && m_visible) {
            m_visible = false;
        }
        break;
    }
    case kMsgRefresh:
        RefreshPane();
        *result = 0;
        return true;
    default:
        break;
    }
    if (handled)
        return true;
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

bool DlgListDeployables::OnNotify(WPARAM, NMHDR* hdr, LRESULT* result)
{
    if (!hdr)
        return false;
    if (hdr->code == static_cast<UINT>(TBN_DROPDOWN) && reinterpret_cast<NMTOOLBARW*>(hdr)->iItem == kCmdView) {
        ShowTypeMenu();
        *result = TBDDRET_DEFAULT;
        return true;
    }
    if (hdr->idFrom != static_cast<UINT_PTR>(kIdList))
        return false;
    m_editor.OnNotify(kIdList, hdr, result);
    switch (hdr->code) {
    case CTListCtrlReportEx::CodeInsert:
        AddNew();
        return true;
    case CTListCtrlReportEx::CodeDelete:
        DeleteSelected();
        return true;
    case CTListCtrlReportEx::CodeActivate:
        OpenRow(FirstSelected());
        *result = 1;
        return true;
    case static_cast<UINT>(NM_DBLCLK):
        OpenRow(reinterpret_cast<NMITEMACTIVATE*>(hdr)->iItem);
        *result = 1;
        return true;
    case CTListCtrlReportEx::CodeConfirmDelete:
        FillDeleteConfirm(*reinterpret_cast<DeleteConfirmInfo*>(hdr));
        return true;
    default:
        return false;
    }
}

bool DlgListDeployables::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    *result = 0;
    const int command = LOWORD(wParam);
    switch (command) {
    case kCmdImport: Import(); return true;
    case kCmdExport: Export(); return true;
    case kCmdNew: AddNew(); return true;
    case kCmdDelete: DeleteSelected(); return true;
    case kCmdOpen:
        if (int item = FirstSelected(); item >= 0)
            OpenRow(item);
        return true;
    case kCmdView: ShowTypeMenu(); return true;
    case kCmdRefresh: RefreshPane(); return true;
    case kCmdSave: SaveChanges(); return true;
    default:
        break;
    }
    if (command >= kCmdFirstType && command <= kCmdLastType) {
        // The menu's map when it was built, else the type at the command's place in the list.
        auto entry = m_commandTypes.find(command);
        const size_t index = static_cast<size_t>(command - kCmdFirstType);
        if (entry == m_commandTypes.end() && index >= m_types.size())
            return true;
        const __int64 number = entry != m_commandTypes.end() ? entry->second : m_types[index].type;
        for (const Object& type : m_types)
            if (type.type == number) {
                SelectType(type);
                FillList();
                break;
            }
        return true;
    }
    return false;
}

void DlgListDeployables::OnReply(RequestResult& result)
{
    switch (result.route.requestId) {
    case kReqSearch: {
        m_rows.DeleteAll();
        m_unanswered = nullptr;
        if (TiXmlElement* root = FirstResult(result.document))
            for (TiXmlElement* element = root->FirstChildElementNamed(L"object"); element;
                 element = element->NextSiblingElementNamed(L"object")) {
                auto* row = new Row();
                row->object.ReadFromXml(element, true);
                m_rows.AddTail(row);
            }
        FillList();
        break;
    }
    case kReqSave:
        OnSaveResult(result);
        break;
    case kReqIcon:
        InvalidateRect(Report().m_hWnd, nullptr, FALSE);
        break;
    default:
        break;
    }
}

#include "lists/CPickPage.h"

#include <commctrl.h>
#include <list>
#include "app/App.h"
#include "foundation/CTTokenString.h"
#include "framework/CTApp.h"
#include "framework/PopupMenuDriver.h"
#include "framework/ScreenDpi.h"
#include "lists/ObjectList.h"
#include "session/RequestResult.h"

namespace {
HMODULE PageModule(LPCWSTR kind, UINT id)
{
    CTApp* app = CTApp::Instance();
    HMODULE module = app ? app->FindResourceModule(kind, MAKEINTRESOURCEW(id)) : nullptr;
    return module ? module : GetModuleHandleW(nullptr);
}

int ScaledTickWidth()
{
    static ScreenDpi dpi;
    if (!dpi.loaded)
        dpi.Load();
    return dpi.Scale(40);
}

// The item at the index of a "VALUES" list, single quotes trimmed; empty past its end.
CTString ValueAt(const CTString& values, __int64 index)
{
    CTTokenString items(values);
    items.SetSeparators(L",", 0);
    CTString item;
    if (index < 0 || !items.GetToken(static_cast<unsigned>(index), item))
        return CTString();
    item.Trim(L'\'');
    return item;
}
} // namespace

CPickPage::CPickPage(const CTString& title, int requestId, const Object& linkType, int postValue, Callback callback)
    : m_requestId(requestId), m_linkTypeDefinition(linkType), m_postValue(postValue), m_callback(std::move(callback))
{
    m_title = title;
    CTWndListCtrlEx2::RegisterClass(PageModule(RT_DIALOG, kTemplate));
}

CPickPage::~CPickPage()
{
    *m_alive = false;
    if (m_list.m_report.m_hWnd)
        Report().DeleteAllRows();
    m_editor.RemoveAllRows();
    CTWnd2::Destroy();
}

void CPickPage::SetCandidates(std::vector<Object>& candidates, int fillAtOnce, int pathRequest,
                              const CTString& extraColumns, std::vector<__int64>& lockedIds)
{
    m_candidates = std::move(candidates);
    candidates.clear();
    m_lockedIds = std::move(lockedIds);
    lockedIds.clear();
    m_fillAtOnce = fillAtOnce;
    m_pathRequest = pathRequest;
    m_extraColumns = extraColumns;
}

RequestRoute CPickPage::FormRoute() const
{
    RequestRoute route;
    if (m_form) {
        route.targetType = m_form->m_type;
        route.targetKey = m_form->m_key;
    }
    return route;
}

__int64 CPickPage::FormObjectId() const
{
    auto* object = m_form ? static_cast<Object*>(m_form->GetObject()) : nullptr;
    return object ? object->id : (m_form ? static_cast<__int64>(m_form->m_key) : 0);
}

void CPickPage::Notify(TYPE type)
{
    if (m_callback)
        m_callback(type, Report().m_toolbar);
}

void CPickPage::InitDialog()
{
    static ScreenDpi dpi;
    if (!dpi.loaded)
        dpi.Load();
    CTWndSize::Init(m_hWnd, false, dpi.Scale(300), dpi.ScaleY(150), false);
    AddItem(GetDlgItem(m_hWnd, kIdList), CTWndSize::RightToRight | CTWndSize::BottomToBottom);
    if (!m_list.Create(m_hWnd, kIdList, true, 0))
        return;
    CTListCtrlReportEx& report = Report();
    report.ModifyOptions(2, 0x1E0);
    report.ModifyStyle(LVS_SORTASCENDING, LVS_SINGLESEL | WS_TABSTOP, 0);
    report.ModifyOptions(CTListCtrlReport::OptGridLines, 0);
    m_editor.Attach(kIdList, &report, &CPickPage::OnEditValue, nullptr, this);
    m_list.CreateToolbar(this, TBSTYLE_TOOLTIPS | TBSTYLE_LIST, 0, nullptr);
    CTWndToolbar& toolbar = report.m_toolbar;
    if (toolbar.m_hWnd) {
        int image = toolbar.AddIcon(PageModule(RT_GROUP_ICON, 188), 188);
        toolbar.AddButton(image, kCmdSelect, TBSTATE_ENABLED, BTNS_BUTTON | BTNS_WHOLEDROPDOWN | BTNS_SHOWTEXT, 146);
        RECT client = {};
        GetClientRect(m_list.m_hWnd, &client);
        m_list.OnSize(SIZE_RESTORED, client.right, client.bottom);
    }
    Notify(ToolbarCreated);
}

void CPickPage::SetReportColumns()
{
    CTString spec(L" ;Name");
    for (size_t k = 2; k < m_model.columnNames.size(); ++k) {
        spec.AppendText(L";\"");
        spec.Append(m_model.columnNames[k]);
        spec.AppendText(L"\"");
    }
    CTListCtrlReportEx& report = Report();
    report.SetColumns(spec, 0, nullptr, nullptr);
    report.SetColumnFixedWidth(0, ScaledTickWidth());
    report.SortBy(1, true);
    // The link type's icon is among the report's images before the rows ask for it.
    ObjectList::ReportImage(report, m_model.linkType, m_model.route);
    CTString loading;
    loading.LoadString(kStrLoading);
    SetEmptyText(loading);
}

void CPickPage::SetEmptyText(const CTString& text)
{
    Report().SetEmptyText(text);
}

int CPickPage::UpdateRowItem(ObjectPick::Row& row, std::vector<LinkCell>* links)
{
    std::vector<LinkCell> single;   // the row's own link cells when no fill collects them
    if (!links)
        links = &single;
    CTListCtrlReport::Row shown(&row);
    CTListCtrlEdit::Row editable(&row);
    shown.AddText(CTString());
    editable.AddCell(CTListCtrlEdit::KindCheck);
    editable.SetValue(m_model.CellValue(row, 0));
    shown.AddAttribute(m_model.CellValue(row, 1));
    editable.AddCell(CTListCtrlEdit::KindReadOnly);
    std::vector<int> readOnly = {1};
    for (size_t k = 2; k < m_model.columnNames.size(); ++k) {
        const bool own = k < 2 + m_model.linkColumns;
        const Object& holder = own ? row.link : row.target;
        CAttribute value = m_model.CellValue(row, static_cast<int>(k));
        int kind = own ? CTListCtrlEdit::KindText : CTListCtrlEdit::KindReadOnly;
        if (value.GetType() == CAttribute::Integer) {
            CTString spec;
            const Object::Attribute* attribute = nullptr;
            if (own)
                attribute = holder.FindAttribute(m_model.columnNames[k]);
            if (attribute)
                spec = attribute->editSpec;
            const CAttribute type = CAttribute::ConstructFromSpec(spec, CTString(L"TYPE"));
            const CAttribute values = CAttribute::ConstructFromSpec(spec, CTString(L"VALUES"));
            if (spec.IsEmpty())
                kind = CTListCtrlEdit::KindNumber;
            else if (attribute && (attribute->flags & Object::Attribute::Link)) {
                kind = CTListCtrlEdit::KindReadOnly;
                if (value.GetValue() != 0)
                    links->push_back({&row, static_cast<int>(k), value.GetValue()});
            } else if (CTString(type.GetText()).CompareNoCase(CTString(L"Checkbox")) == 0)
                kind = CTListCtrlEdit::KindCheck;
            else if (!values.GetString().IsEmpty()) {
                value = CAttribute(CAttribute::Text, ValueAt(values.GetString(), value.GetValue()).GetBuffer());
                kind = CTListCtrlEdit::KindReadOnly;
            } else
                kind = CTListCtrlEdit::KindNumber;
        }
        shown.AddAttribute(value);
        editable.AddCell(kind);
        editable.SetValue(value);
        if (kind == CTListCtrlEdit::KindReadOnly)
            readOnly.push_back(static_cast<int>(k));
    }
    CTListCtrlReportEx& report = Report();
    const int image = ObjectList::ReportImage(report, row.link, m_model.route);
    int item = report.FindRowByData(&row);
    if (item < 0) {
        report.AddRow(image, shown);
        m_editor.AddRow(editable);
        item = report.FindRowByData(&row);
    } else {
        report.UpdateRow(item, image, shown);
        m_editor.UpdateRow(item, editable);
    }
    for (int column : readOnly)
        m_editor.SetReadOnly(&row, column, true);
    if (row.locked)
        m_editor.SetReadOnly(&row, 0, true);
    if (links == &single && !single.empty())
        ShowLinkNames(std::move(single));
    return item;
}

void CPickPage::ShowLinkNames(std::vector<LinkCell> links)
{
    App* app = App::Instance();
    if (!app || links.empty())
        return;
    std::list<__int64> ids;
    for (const LinkCell& cell : links)
        ids.push_back(cell.id);
    std::shared_ptr<bool> alive = m_alive;
    app->m_dir.FetchObjects(ids, FormRoute(), [this, alive, links] {
        App* app = App::Instance();
        if (!*alive || !app)
            return;
        CTListCtrlReportEx& report = Report();
        for (const LinkCell& cell : links) {
            if (!m_model.IsRow(cell.row))
                continue;   // the rows were built again meanwhile
            const int item = report.FindRowByData(cell.row);
            const Object* linked = app->m_dir.Lookup(cell.id);
            // An object the server did not return keeps showing its id.
            if (item < 0 || !linked || linked->id == 0)
                continue;
            CTString name(linked->name);
            report.SetCellAttribute(item, cell.column, CAttribute(CAttribute::Text, name.GetBuffer() ? name.GetBuffer() : L""));
        }
    }, nullptr);
}

void CPickPage::FillReport()
{
    CTListCtrlReportEx& report = Report();
    report.EnableAutoSort(false);
    report.DeleteAllRows();
    m_editor.RemoveAllRows();
    std::vector<LinkCell> links;
    for (ObjectPick::Row& row : m_model.rows)
        UpdateRowItem(row, &links);
    report.EnableAutoSort(true);
    report.SortBy(1, true);
    ShowLinkNames(std::move(links));
}

bool CPickPage::Load()
{
    if (!m_visible) {
        m_loadPending = true;
        return true;
    }
    m_loadPending = false;
    m_model.SetType(m_linkTypeDefinition, m_extraColumns, FormRoute());
    SetReportColumns();
    m_model.Fill(m_links, m_candidates, m_lockedIds);
    if (m_fillAtOnce || m_model.rows.empty()) {
        FillReport();
        CTString none;
        if (m_fillAtOnce)
            none.LoadString(kStrNoItems);
        else
            none = CTString(L"No Entries");
        SetEmptyText(none);
    } else if (App* app = App::Instance()) {
        std::vector<__int64> ids;
        for (const ObjectPick::Row& row : m_model.rows)
            ids.push_back(row.target.id);
        RequestRoute route = m_model.route;
        route.requestId = m_pathRequest;
        app->IDsToPaths(ids, route);
    }
    m_selects.clear();
    for (size_t k = 0; k < m_model.linkColumns; ++k) {
        CSelect entry;
        entry.name = m_model.columnNames[k + 2];
        entry.column = static_cast<int>(k) + 2;
        for (int i = 0; i < 3; ++i)
            entry.commands[i] = kCmdFirstColumn + 3 * static_cast<int>(k) + i;
        m_selects.push_back(entry);
    }
    Notify(Filled);
    return true;
}

void CPickPage::PostSaved()
{
    if (m_form && m_form->m_hWnd)
        PostMessageW(m_form->m_hWnd, kMsgSaved, 0, m_postValue);
}

bool CPickPage::Save()
{
    App* app = App::Instance();
    // A row whose request failed was never settled: it goes again with this save.
    m_model.MarkUnsettledForResend();
    bool sent = false;
    if (app)
        while (m_model.SaveNextRow(app->m_db, FormObjectId(), m_requestId))
            sent = true;
    if (!sent) {
        Notify(SavedNothing);
        PostSaved();
    }
    return true;
}

void CPickPage::OnResult(RequestResult& result)
{
    const int id = result.route.requestId;
    if (id == kReqIcon) {
        if (HICON icon = ObjectList::ReplaceArrivedIcon(Report(), static_cast<int>(result.route.param2)))
            DestroyIcon(icon);
        return;
    }
    if (m_pathRequest != 0 && id == m_pathRequest && m_fillAtOnce == 0) {
        if (result.returnCode == 0)
            OnPathReply(result);
        return;
    }
    if (id != m_requestId)
        return;
    auto* row = reinterpret_cast<ObjectPick::Row*>(result.route.param2);
    if (result.kind != RequestResult::KindServerAnswer || result.returnCode != 0 ||
        result.resultCode != RequestResult::CodeOk || !m_model.IsRow(row))
        return;
    const bool settled = m_model.OnSaveReply(result.document, row);
    UpdateRowItem(*row);
    if (settled)
        PostSaved();
}

void CPickPage::OnPathReply(RequestResult& result)
{
    TiXmlElement* root = result.document.RootElement();
    if (root && lstrcmpW(root->Value(), L"result") != 0)
        root = root->FirstChildElementNamed(L"result");
    for (TiXmlElement* value = root ? root->FirstChildElementNamed(L"value") : nullptr; value;
         value = value->NextSiblingElementNamed(L"value")) {
        const wchar_t* idText = value->GetAttribute(L"ID");
        const wchar_t* path = value->GetAttribute(L"path");
        const __int64 target = idText ? _wtoi64(idText) : 0;
        for (ObjectPick::Row& row : m_model.rows)
            if (row.target.id == target) {
                row.target.path = path ? path : L"";
                row.target.name = row.target.path;
                break;
            }
    }
    // Built on every reply: a target the server does not know keeps its own name instead of
    // leaving the page empty.
    FillReport();
    SetEmptyText(CTString(L"No Entries"));
}

void CPickPage::ApplySelect(int command)
{
    int column = 0, action = -1;
    if (command >= kCmdAll && command <= kCmdInvert) {
        action = command - kCmdAll;
    } else {
        for (const CSelect& entry : m_selects)
            for (int i = 0; i < 3; ++i)
                if (entry.commands[i] == command) {
                    column = entry.column;
                    action = i;
                }
    }
    if (action < 0)
        return;
    CTListCtrlReportEx& report = Report();
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, FALSE, 0);
    report.EnableAutoSort(false);
    // Locked rows keep their tick.
    m_model.ApplySelect(column, action);
    std::vector<LinkCell> links;
    for (ObjectPick::Row& row : m_model.rows)
        UpdateRowItem(row, &links);
    if (m_form)
        m_form->SetModified(true);
    report.EnableAutoSort(true);
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, TRUE, 0);
    report.SortBy(1, true);
    ShowLinkNames(std::move(links));
}

HMENU CPickPage::BuildSelectMenu()
{
    m_selectMenu.Load(PageModule(RT_MENU, 204), MAKEINTRESOURCEW(204));
    HMENU popup = m_selectMenu.m_menu ? GetSubMenu(m_selectMenu.m_menu, 0) : nullptr;
    if (!popup)
        return nullptr;
    for (const CSelect& entry : m_selects) {
        HMENU copy = LoadMenuW(PageModule(RT_MENU, 204), MAKEINTRESOURCEW(204));
        HMENU sub = copy ? GetSubMenu(copy, 0) : nullptr;
        if (!sub)
            continue;
        RemoveMenu(copy, 0, MF_BYPOSITION);   // the sub-menu now belongs to the main popup
        DestroyMenu(copy);
        const UINT plain[3] = {kCmdAll, kCmdNone, kCmdInvert};
        for (int i = 0; i < 3; ++i) {
            wchar_t text[64] = {};
            GetMenuStringW(sub, plain[i], text, 64, MF_BYCOMMAND);
            ModifyMenuW(sub, plain[i], MF_BYCOMMAND | MF_STRING, entry.commands[i], text);
        }
        AppendMenuW(popup, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub),
                    entry.name.GetBuffer() ? entry.name.GetBuffer() : L"");
    }
    return popup;
}

HMENU CPickPage::SelectMenuForReport()
{
    if (!Report().m_hWnd || ListView_GetNextItem(Report().m_hWnd, -1, LVNI_SELECTED) < 0)
        return nullptr;
    HMENU popup = BuildSelectMenu();
    // The report destroys the sub-menus it is given.
    if (popup && m_selectMenu.m_menu)
        RemoveMenu(m_selectMenu.m_menu, 0, MF_BYPOSITION);
    return popup;
}

void CPickPage::ShowSelectMenu()
{
    HMENU popup = BuildSelectMenu();
    if (!popup)
        return;
    HWND toolbar = Report().m_toolbar.m_hWnd;
    RECT rc = {};
    if (toolbar)
        ::SendMessageW(toolbar, TB_GETRECT, kCmdSelect, reinterpret_cast<LPARAM>(&rc));
    MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    if (toolbar)
        ::SendMessageW(toolbar, TB_PRESSBUTTON, kCmdSelect, TRUE);
    UINT command = PopupMenuDriver::Track(popup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, rc.left, rc.bottom, m_hWnd);
    if (toolbar)
        ::SendMessageW(toolbar, TB_PRESSBUTTON, kCmdSelect, FALSE);
    if (command)
        ApplySelect(static_cast<int>(command));
}

void CPickPage::OnShown(bool shown)
{
    if (shown == m_visible)
        return;
    m_visible = shown;
    if (shown && m_loadPending)
        Load();
}

void CPickPage::OnEditValue(void* context, int item, int column, CAttribute* value)
{
    auto* page = static_cast<CPickPage*>(context);
    auto* row = static_cast<ObjectPick::Row*>(page->Report().GetRowData(item));
    if (!value || !page->m_model.IsRow(row))
        return;
    page->m_model.SetCellValue(*row, column, *value);
    if (page->m_form)
        page->m_form->SetModified(true);
}

bool CPickPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (m_editor.OnMessage(msg, wParam, lParam, result))
        return true;
    switch (msg) {
    case WM_INITDIALOG:
        InitDialog();
        *result = TRUE;
        return true;
    case WM_SHOWWINDOW:
        OnShown(wParam != 0);
        break;
    case WM_WINDOWPOSCHANGING:
        if (auto* pos = reinterpret_cast<WINDOWPOS*>(lParam)) {
            if (pos->flags & SWP_SHOWWINDOW)
                OnShown(true);
            else if (pos->flags & SWP_HIDEWINDOW)
                OnShown(false);
        }
        break;
    default:
        break;
    }
    if (CTWndSize::HandleMessage(msg, wParam, lParam, result))
        return true;
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

bool CPickPage::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    (void)wParam;
    if (!hdr)
        return false;
    m_editor.OnNotify(kIdList, hdr, result);
    if (hdr->idFrom == static_cast<UINT_PTR>(kIdList) && hdr->code == CTListCtrlReportEx::CodeDropDownMenu &&
        reinterpret_cast<ReportCommandInfo*>(hdr)->id == kCmdSelect) {
        *result = reinterpret_cast<LRESULT>(SelectMenuForReport());
        return true;
    }
    if (hdr->code == static_cast<UINT>(TBN_DROPDOWN) &&
        reinterpret_cast<NMTOOLBARW*>(hdr)->iItem == kCmdSelect) {
        ShowSelectMenu();
        *result = TBDDRET_DEFAULT;
        return true;
    }
    return false;
}

bool CPickPage::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    const int command = LOWORD(wParam);
    if (command == kCmdSelect) {
        ShowSelectMenu();
        return true;
    }
    if ((command >= kCmdAll && command <= kCmdInvert) || (command >= kCmdFirstColumn && command <= kCmdLastColumn)) {
        ApplySelect(command);
        return true;
    }
    if (lParam && reinterpret_cast<HWND>(lParam) == Report().m_toolbar.m_hWnd) {
        Notify(ToolbarCommand);
        return true;
    }
    return false;
}

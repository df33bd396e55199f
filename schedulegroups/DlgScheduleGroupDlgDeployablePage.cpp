#include "schedulegroups/DlgScheduleGroupDlgDeployablePage.h"

#include <algorithm>
#include <commctrl.h>

#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/CTStringLocale.h"
#include "foundation/TiXmlElement.h"
#include "framework/CTApp.h"

namespace {

using Report = CTListCtrlReportEx;

HMODULE ModuleOf(const wchar_t* type, UINT id)
{
    HMODULE module = CTApp::Instance() ? CTApp::Instance()->FindResourceModule(type, MAKEINTRESOURCEW(id)) : nullptr;
    return module ? module : GetModuleHandleW(nullptr);
}

void* KeyOf(__int64 id)
{
    return reinterpret_cast<void*>(static_cast<INT_PTR>(id));
}

CTString TextOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return CTString(value.GetString());
}

bool Contains(const std::vector<__int64>& ids, __int64 id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

CAttribute Flag(bool on)
{
    return CAttribute(CAttribute::Integer, static_cast<__int64>(on ? 1 : 0));
}

// The console's icon index of an icon name, -1 when the name is not cached.
int CachedIcon(const CTString& name)
{
    App* app = App::Instance();
    return app && !name.IsEmpty() ? app->FindIcon(name) : -1;
}

} // namespace

DlgScheduleGroupDlg::CDeployablePage::~CDeployablePage()
{
    m_editor.CloseEditor();
    m_selectMenu.Destroy();
    m_viewMenu.Destroy();
    if (m_viewImages)
        ImageList_Destroy(m_viewImages);
}

bool DlgScheduleGroupDlg::CDeployablePage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    LRESULT editorResult = 0;
    if (m_editor.OnMessage(msg, wParam, lParam, &editorResult)) {
        *result = editorResult;
        handled = true;
    }
    switch (msg) {
    case WM_INITDIALOG:
        Initialise();
        *result = TRUE;
        return true;
    case WM_WINDOWPOSCHANGING: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (pos && (pos->flags & SWP_SHOWWINDOW) && !IsWindowVisible(m_hWnd))
            PostMessageW(m_hWnd, WM_USER + 1, 0, 0);
        break;
    }
    case WM_USER + 1:
        if (m_list.m_report.m_hWnd)
            RedrawWindow(m_list.m_report.m_hWnd, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_ERASENOW | RDW_FRAME);
        *result = 0;
        return true;
    default:
        break;
    }
    return handled;
}

void DlgScheduleGroupDlg::CDeployablePage::Initialise()
{
    CTWndSize::Init(m_hWnd, false, 300, 150, false);
    AddItem(GetDlgItem(m_hWnd, IdList), 12);
    if (!m_list.Create(m_hWnd, IdList, true, 0))
        return;
    Report& report = m_list.m_report;
    report.ModifyOptions(0x2, 0xE0);
    ListView_SetExtendedListViewStyleEx(report.m_hWnd, LVS_EX_GRIDLINES, 0);
    LONG_PTR style = GetWindowLongPtrW(m_list.m_hWnd, GWL_STYLE);
    SetWindowLongPtrW(m_list.m_hWnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(0x4)) | WS_TABSTOP);
    report.SetColumns(CTString(L"Type;Name;Available;Default;Mandatory"), 104, GetModuleHandleW(nullptr),
                      L"DlgOU::CDeployablePage");
    report.SortBy(ColumnName, true);
    const Report::ToolbarButton buttons[] = {
        {CmdView, I_IMAGENONE, 159, static_cast<BYTE>(BTNS_WHOLEDROPDOWN | BTNS_SHOWTEXT | BTNS_DROPDOWN)},
        {CmdInherit, I_IMAGENONE, 158, static_cast<BYTE>(BTNS_CHECK | BTNS_SHOWTEXT)},
        {CmdSelect, I_IMAGENONE, 146, static_cast<BYTE>(BTNS_WHOLEDROPDOWN | BTNS_SHOWTEXT | BTNS_DROPDOWN)},
    };
    m_list.CreateToolbar(this, 1 | TBSTYLE_TOOLTIPS, 3, buttons);
    CTWndToolbar& toolbar = report.m_toolbar;
    if (toolbar.m_hWnd) {
        const std::pair<int, UINT> images[] = {{CmdView, IconView}, {CmdInherit, IconInherit}, {CmdSelect, IconSelect}};
        for (const auto& [command, icon] : images) {
            const int image = toolbar.AddIcon(ModuleOf(RT_GROUP_ICON, icon), icon);
            if (image < 0)
                continue;
            TBBUTTONINFOW info = {};
            info.cbSize = sizeof(info);
            info.dwMask = TBIF_IMAGE;
            info.iImage = image;
            ::SendMessageW(toolbar.m_hWnd, TB_SETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
        }
    }
    m_editor.Attach(IdList, &report, &OnValueChanged, nullptr, this);
    // Lay the frame's children out.
    RECT rc = {};
    GetWindowRect(m_list.m_hWnd, &rc);
    SetWindowPos(m_list.m_hWnd, nullptr, 0, 0, rc.right - rc.left - 1, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(m_list.m_hWnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DlgScheduleGroupDlg::CDeployablePage::OnValueChanged(void* context, int item, int, CAttribute*)
{
    static_cast<CDeployablePage*>(context)->ApplyRowMarks(item, true);
}

bool DlgScheduleGroupDlg::CDeployablePage::IsInheritChecked() const
{
    HWND toolbar = m_list.m_report.m_toolbar.m_hWnd;
    return toolbar && (::SendMessageW(toolbar, TB_GETSTATE, CmdInherit, 0) & TBSTATE_CHECKED) != 0;
}

void DlgScheduleGroupDlg::CDeployablePage::SetInheritState(BYTE state)
{
    if (HWND toolbar = m_list.m_report.m_toolbar.m_hWnd)
        ::SendMessageW(toolbar, TB_SETSTATE, CmdInherit, MAKELONG(state, 0));
}

bool DlgScheduleGroupDlg::CDeployablePage::Load()
{
    DlgScheduleGroupDlg* form = Form();
    if (!m_hWnd || !form)
        return true;
    // A later reply of the same load shows the object again: marks changed meanwhile stay.
    if (!m_searchNeeded && m_inheritClicked)
        return true;
    const ObjectBranch& group = form->GetGroup();
    group.GetLinkArray(m_available, CTString(L"deployable_available"));
    group.GetLinkArray(m_byDefault, CTString(L"deployable"));
    group.GetLinkArray(m_mandatory, CTString(L"deployable_mandatory"));
    m_inheritClicked = false;
    const bool inherited = group.IsAttributeDefault(CTString(L"deployable_available")) &&
                           group.IsAttributeDefault(CTString(L"deployable")) &&
                           group.IsAttributeDefault(CTString(L"deployable_mandatory"));
    SetInheritState(inherited ? TBSTATE_ENABLED | TBSTATE_CHECKED : TBSTATE_ENABLED);
    App* app = App::Instance();
    MainWindow* main = app ? app->m_mainWindow : nullptr;
    if (app && m_searchNeeded) {
        m_searchNeeded = false;
        const __int64 folder = main ? main->GetSystemFolderId(MainWindowCache::FolderDeployable) : 0;
        app->m_db.ObjSearch(CTString(), static_cast<unsigned>(folder), CTString(), CTString(), false, DB::kNoMax,
                            form->Route(ReqSearch, SearchComponents));
    }
    return true;
}

void DlgScheduleGroupDlg::CDeployablePage::OnSearchReply(TiXmlElement* result)
{
    m_components.Clear();
    m_types.clear();
    m_typeNames.clear();
    for (TiXmlElement* element = result ? result->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object component;
        component.ReadFromXml(element, true);
        m_components.children.push_back(component);
        if (!Contains(m_types, component.type)) {
            m_types.push_back(component.type);
            m_typeNames.push_back(TextOf(component, L"type"));
        }
    }
    if (m_viewFilter != 0 && !Contains(m_types, m_viewFilter))
        m_viewFilter = 0;
    if (m_firstFill && !m_types.empty()) {
        m_viewFilter = m_types.front();
        m_firstFill = false;
    }
    Fill();
    // The list arriving is no edit: the modified flag stays as it is, so an edit made on another
    // page while the search was out (or a new group) is still asked about.
}

void DlgScheduleGroupDlg::CDeployablePage::Fill()
{
    Report& report = m_list.m_report;
    if (!report.m_hWnd)
        return;
    CTApp* ctApp = CTApp::Instance();
    if (ctApp)
        ctApp->AddWaitCursor(1);
    report.EnableAutoSort(false);
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, FALSE, 0);
    report.DeleteAllRows();
    m_editor.RemoveAllRows();
    App* app = App::Instance();
    MainWindow* main = app ? app->m_mainWindow : nullptr;
    CTString caption(L"All");
    if (m_viewFilter != 0 && main) {
        Object type;
        main->GetTypeById(type, m_viewFilter);
        caption = TextOf(type, L"type");
        if (caption.IsEmpty())
            caption = type.name;
    }
    m_list.SetCaption(caption);
    const RequestRoute iconRoute = Form() ? Form()->Route(ReqIcon) : RequestRoute();
    for (const Object& component : m_components.children) {
        if (m_viewFilter != 0 && component.type != m_viewFilter)
            continue;
        int image = 0;
        CTString iconName = TextOf(component, L"tree_image");
        if (app && !iconName.IsEmpty()) {
            int index = app->FindIcon(iconName);
            if (index < 0)
                index = app->AddIcon(iconName, iconRoute);
            if (index >= 0) {
                if (!report.HasImageForKey(index)) {
                    if (HICON icon = app->GetIcon(0, iconName, iconRoute)) {
                        report.AddImageForKey(icon, index);
                        DestroyIcon(icon);
                    }
                }
                if (report.HasImageForKey(index))
                    image = report.GetImageForKey(index);
            }
        }
        const bool available = Contains(m_available, component.id);
        const bool byDefault = Contains(m_byDefault, component.id);
        const bool mandatory = Contains(m_mandatory, component.id);
        CTStringLocale name(component.name);
        CTListCtrlReport::Row row(KeyOf(component.id));
        row.AddText(TextOf(component, L"type"));
        row.AddText(CTString(name.GetUserText()));
        row.AddNumber(available ? 1 : 0);
        row.AddNumber(byDefault ? 1 : 0);
        row.AddNumber(mandatory ? 1 : 0);
        const int item = report.InsertRow(report.GetItemCount(), image, row);
        CTListCtrlEdit::Row editable(KeyOf(component.id));
        editable.AddCell(CTListCtrlEdit::KindReadOnly);
        editable.AddCell(CTListCtrlEdit::KindReadOnly);
        editable.AddCell(CTListCtrlEdit::KindCheck).SetValue(Flag(available));
        editable.AddCell(CTListCtrlEdit::KindCheck).SetValue(Flag(byDefault));
        editable.AddCell(CTListCtrlEdit::KindCheck).SetValue(Flag(mandatory));
        m_editor.AddRow(editable);
        if (item >= 0)
            ApplyRowMarks(item, false);
    }
    report.SetEmptyText(CTString(L"No Components"));
    if (report.GetItemCount() == 0)
        InvalidateRect(report.m_hWnd, nullptr, TRUE);
    report.FitColumnsToContent();
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, TRUE, 0);
    report.EnableAutoSort(true);
    PostMessageW(m_hWnd, WM_USER + 1, 0, 0);
    if (ctApp)
        ctApp->AddWaitCursor(-1);
}

bool DlgScheduleGroupDlg::CDeployablePage::Mark(int item, int column)
{
    CAttribute value;
    m_editor.GetValue(value, m_list.m_report.GetRowData(item), column);
    return value.GetValue() != 0;
}

void DlgScheduleGroupDlg::CDeployablePage::SetMark(int item, int column, bool on)
{
    m_editor.SetValue(m_list.m_report.GetRowData(item), column, Flag(on));
}

void DlgScheduleGroupDlg::CDeployablePage::ApplyRowMarks(int item, bool byUser)
{
    void* key = m_list.m_report.GetRowData(item);
    const __int64 id = static_cast<__int64>(reinterpret_cast<INT_PTR>(key));
    if (!Mark(item, ColumnAvailable))
        SetMark(item, ColumnDefault, false);
    if (!Mark(item, ColumnDefault))
        SetMark(item, ColumnMandatory, false);
    const bool available = Mark(item, ColumnAvailable);
    const bool byDefault = Mark(item, ColumnDefault);
    const bool mandatory = Mark(item, ColumnMandatory);
    m_editor.SetReadOnly(key, ColumnDefault, !available);
    m_editor.SetReadOnly(key, ColumnMandatory, !byDefault);
    AddOrRemoveByFlag(m_available, id, Flag(available));
    AddOrRemoveByFlag(m_byDefault, id, Flag(byDefault));
    AddOrRemoveByFlag(m_mandatory, id, Flag(mandatory));
    if (byUser) {
        m_inheritClicked = true;
        SetInheritState(TBSTATE_ENABLED);
        if (m_form)
            m_form->SetModified(true);
    }
}

void DlgScheduleGroupDlg::CDeployablePage::ApplySelect(int command)
{
    Report& report = m_list.m_report;
    if (!report.m_hWnd)
        return;
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, FALSE, 0);
    report.EnableAutoSort(false);
    for (int item = 0; item < report.GetItemCount(); ++item) {
        const bool available = Mark(item, ColumnAvailable);
        bool wanted = !available;
        if (command == CmdAll)
            wanted = true;
        else if (command == CmdNone)
            wanted = false;
        if (command != CmdInvert && wanted == available)
            continue;
        SetMark(item, ColumnAvailable, wanted);
        ApplyRowMarks(item, true);
        if (m_form)
            m_form->SetModified(true);
    }
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, TRUE, 0);
    report.EnableAutoSort(true);
}

void DlgScheduleGroupDlg::CDeployablePage::BuildViewMenu()
{
    m_viewMenu.Destroy();
    m_viewMenu.Load(ModuleOf(RT_MENU, MenuView), MAKEINTRESOURCEW(MenuView));
    App* app = App::Instance();
    if (m_viewImages) {
        m_viewMenu.SetImageList(nullptr);
        ImageList_Destroy(m_viewImages);
        m_viewImages = nullptr;
    }
    if (app && app->m_smallImages) {
        m_viewImages = ImageList_Duplicate(app->m_smallImages);
        if (m_viewImages)
            ImageList_SetBkColor(m_viewImages, CLR_NONE);
    }
    m_viewMenu.SetImageList(m_viewImages);
    m_viewMap.clear();
    HMENU sub = m_viewMenu.m_menu ? GetSubMenu(m_viewMenu.m_menu, 0) : nullptr;
    if (sub && !m_types.empty()) {
        AppendMenuW(sub, MF_SEPARATOR, 0, nullptr);
        MainWindow* main = app ? app->m_mainWindow : nullptr;
        for (size_t k = 0; k < m_types.size() && CmdFirstType + static_cast<int>(k) <= CmdLastType; ++k) {
            const int command = CmdFirstType + static_cast<int>(k);
            AppendMenuW(sub, MF_STRING, static_cast<UINT_PTR>(command),
                        m_typeNames[k].GetBuffer() ? m_typeNames[k].GetBuffer() : L"");
            int image = -1;
            if (main) {
                Object type;
                main->GetTypeById(type, m_types[k]);
                image = CachedIcon(TextOf(type, L"tree_image"));
            }
            m_viewMenu.SetItemImageByCommand(static_cast<UINT>(command), image);
            m_viewMap[command] = m_types[k];
        }
    }
    m_viewMenu.MakeOwnerDrawn();
}

void DlgScheduleGroupDlg::CDeployablePage::RunMenu(int button)
{
    HWND toolbar = m_list.m_report.m_toolbar.m_hWnd;
    RECT rc = {};
    if (toolbar) {
        const int index = static_cast<int>(::SendMessageW(toolbar, TB_COMMANDTOINDEX, button, 0));
        ::SendMessageW(toolbar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc));
        MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&rc), 2);
        ::SendMessageW(toolbar, TB_SETSTATE, button, TBSTATE_ENABLED | TBSTATE_PRESSED);
    }
    CTMenu* menu = &m_viewMenu;
    if (button == CmdSelect) {
        m_selectMenu.Destroy();
        m_selectMenu.Load(ModuleOf(RT_MENU, MenuSelect), MAKEINTRESOURCEW(MenuSelect));
        m_selectMenu.MakeOwnerDrawn();
        menu = &m_selectMenu;
    } else {
        BuildViewMenu();
    }
    UINT command = 0;
    if (menu->m_menu)
        command = menu->Track(true, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTALIGN, rc.right, rc.bottom, m_hWnd);
    if (toolbar)
        ::SendMessageW(toolbar, TB_SETSTATE, button, TBSTATE_ENABLED);
    if (command) {
        LRESULT ignored = 0;
        OnCommand(command, 0, &ignored);
    }
}

bool DlgScheduleGroupDlg::CDeployablePage::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    const int command = LOWORD(wParam);
    *result = 0;
    switch (command) {
    case CmdInherit:
        m_inheritClicked = true;
        if (m_form)
            m_form->SetModified(true);
        return true;
    case CmdSelect:
    case CmdView:
        RunMenu(command);
        return true;
    case CmdAll:
    case CmdNone:
    case CmdInvert:
        ApplySelect(command);
        return true;
    case CmdViewAll:
        m_viewFilter = 0;
        Fill();
        return true;
    default:
        break;
    }
    if (command >= CmdFirstType && command <= CmdLastType) {
        auto it = m_viewMap.find(command);
        m_viewFilter = it == m_viewMap.end() ? 0 : it->second;
        Fill();
        return true;
    }
    return false;
}

bool DlgScheduleGroupDlg::CDeployablePage::OnNotify(WPARAM, NMHDR* hdr, LRESULT* result)
{
    if (!hdr)
        return false;
    bool handled = m_editor.OnNotify(IdList, hdr, result);
    if (hdr->idFrom != static_cast<UINT_PTR>(IdList))
        return handled;
    switch (hdr->code) {
    case Report::CodeDropDownMenu: {
        auto* info = reinterpret_cast<ReportCommandInfo*>(hdr);
        if (ListView_GetNextItem(m_list.m_report.m_hWnd, -1, LVNI_SELECTED) < 0)
            return handled;
        if (info->id == CmdSelect) {
            m_selectMenu.Destroy();
            if (m_selectMenu.Load(ModuleOf(RT_MENU, MenuSelect), MAKEINTRESOURCEW(MenuSelect))) {
                m_selectMenu.MakeOwnerDrawn();
                *result = reinterpret_cast<LRESULT>(GetSubMenu(m_selectMenu.m_menu, 0));
            }
            return true;
        }
        if (info->id == CmdView) {
            BuildViewMenu();
            *result = m_viewMenu.m_menu ? reinterpret_cast<LRESULT>(GetSubMenu(m_viewMenu.m_menu, 0)) : 0;
            return true;
        }
        return handled;
    }
    case Report::CodeMenuItemIcon: {
        auto* info = reinterpret_cast<ReportCommandInfo*>(hdr);
        if (m_viewMap.count(info->id) == 0 || !m_viewMenu.m_menu)
            return handled;
        CTString text;
        int image = -1;
        if (m_viewMenu.GetItemInfo(static_cast<UINT>(info->id), text, image) && image >= 0 && m_viewImages) {
            CTIcon icon(ImageList_GetIcon(m_viewImages, image, ILD_TRANSPARENT));
            if (icon.IsValid()) {
                m_menuIcons.push_back(icon);
                *result = reinterpret_cast<LRESULT>(m_menuIcons.back().icon);
                return true;
            }
        }
        return handled;
    }
    case TBN_DROPDOWN: {
        auto* drop = reinterpret_cast<NMTOOLBARW*>(hdr);
        if (drop->iItem == CmdSelect || drop->iItem == CmdView) {
            RunMenu(drop->iItem);
            *result = TBDDRET_DEFAULT;
            return true;
        }
        return handled;
    }
    default:
        return handled;
    }
}

bool DlgScheduleGroupDlg::CDeployablePage::Save()
{
    DlgScheduleGroupDlg* form = Form();
    // A page that never loaded holds no marks to store.
    if (!form || !m_hWnd)
        return true;
    ObjectBranch& group = form->GetGroup();
    if (!IsInheritChecked() || !m_list.m_report.m_toolbar.m_hWnd) {
        group.SetLinkArray(CTString(L"deployable_available"), m_available);
        group.SetLinkArray(CTString(L"deployable"), m_byDefault);
        group.SetLinkArray(CTString(L"deployable_mandatory"), m_mandatory);
    } else if (m_inheritClicked) {
        group.ResetAttribute(CTString(L"deployable_available"));
        group.ResetAttribute(CTString(L"deployable"));
        group.ResetAttribute(CTString(L"deployable_mandatory"));
    }
    m_inheritClicked = false;
    return true;
}

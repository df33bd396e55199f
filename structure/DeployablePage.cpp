#include "structure/DeployablePage.h"

#include <commctrl.h>
#include <algorithm>
#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/TiXmlDocument.h"
#include "foundation/TiXmlElement.h"
#include "framework/CTApp.h"
#include "structure/ObjectForm.h"

namespace {

void* Key(__int64 id) { return reinterpret_cast<void*>(static_cast<INT_PTR>(id)); }
__int64 IdOf(void* key) { return static_cast<__int64>(reinterpret_cast<INT_PTR>(key)); }

const wchar_t* const kAvailableName = L"deployable_available";
const wchar_t* const kDefaultName = L"deployable";
const wchar_t* const kMandatoryName = L"deployable_mandatory";

CTString TextOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return CTString(value.GetText());
}

CTString UserName(const Object& object)
{
    CTStringLocale name(object.name);
    const wchar_t* text = name.GetUserText();
    return CTString(text ? text : L"");
}

HMODULE ModuleOf(LPCWSTR type, UINT id)
{
    CTApp* app = CTApp::Instance();
    if (app && app->GetLanguageModule() && FindResourceW(app->GetLanguageModule(), MAKEINTRESOURCEW(id), type))
        return app->GetLanguageModule();
    return GetModuleHandleW(nullptr);
}

// The wait cursor for the length of a scope.
struct WaitCursor {
    WaitCursor()
    {
        if (CTApp* app = CTApp::Instance()) app->AddWaitCursor(1);
    }
    ~WaitCursor()
    {
        if (CTApp* app = CTApp::Instance()) app->AddWaitCursor(-1);
    }
};

} // namespace

// ---- ComponentIdSet ----

void ComponentIdSet::Assign(const std::vector<__int64>& ids)
{
    m_order.clear();
    m_where.clear();
    for (__int64 id : ids) Add(id);
}

void ComponentIdSet::Add(__int64 id)
{
    if (m_where.count(id)) return;
    m_where[id] = m_order.size();
    m_order.push_back(id);
}

void ComponentIdSet::Remove(__int64 id)
{
    auto it = m_where.find(id);
    if (it == m_where.end()) return;
    m_order[it->second] = 0;
    m_where.erase(it);
}

std::vector<__int64> ComponentIdSet::Ids() const
{
    std::vector<__int64> out;
    out.reserve(m_where.size());
    for (size_t i = 0; i < m_order.size(); ++i) {
        auto it = m_where.find(m_order[i]);
        if (it != m_where.end() && it->second == i) out.push_back(m_order[i]);
    }
    return out;
}

// ---- DeployablePage ----

DeployablePage::DeployablePage(ObjectForm* form, const Variant& variant) : m_owner(form), m_variant(variant)
{
    m_title = L"Component Defaults";
}

DeployablePage::~DeployablePage()
{
    m_editor.RemoveAllRows();
    m_list.Destroy();
    if (m_viewImages) ImageList_Destroy(m_viewImages);
    for (HICON icon : m_menuIcons) DestroyIcon(icon);
}

bool DeployablePage::CreatePage(HWND parent)
{
    // The template's list frame needs its window class before the dialog is made.
    CTWndListCtrlEx2::RegisterClass(GetTemplateModule());
    CTWndListCtrlEx2::RegisterClass(GetModuleHandleW(nullptr));
    return CWMFormPage::CreatePage(parent);
}

void DeployablePage::InitList()
{
    CTWndSize::Init(m_hWnd, false, 300, 150, false);
    AddItem(GetDlgItem(m_hWnd, kList), RightToRight | BottomToBottom);
    if (!m_list.Create(m_hWnd, kList, true, 0)) return;
    CTListCtrlReportEx& report = m_list.m_report;
    report.ModifyOptions(CTListCtrlReport::OptGridLines, 0x20 | 0x40 | 0x80);
    ListView_SetExtendedListViewStyleEx(report.m_hWnd, LVS_EX_GRIDLINES, 0);
    LONG_PTR style = GetWindowLongPtrW(m_list.m_hWnd, GWL_STYLE);
    SetWindowLongPtrW(m_list.m_hWnd, GWL_STYLE, (style | WS_TABSTOP) & ~static_cast<LONG_PTR>(0x4));
    report.SetColumns(CTString(m_variant.columns), 104, nullptr, m_variant.layoutKey);
    report.SortBy(kColName, true);

    const BYTE dropDown = static_cast<BYTE>(BTNS_WHOLEDROPDOWN | BTNS_SHOWTEXT | BTNS_DROPDOWN);
    std::vector<CTListCtrlReportEx::ToolbarButton> buttons;
    buttons.push_back({kCmdView, 0, static_cast<int>(kStrView), dropDown});
    if (m_variant.withInherit)
        buttons.push_back({kCmdInherit, 0, static_cast<int>(kStrInherit), static_cast<BYTE>(BTNS_CHECK | BTNS_SHOWTEXT)});
    buttons.push_back({kCmdSelect, 0, static_cast<int>(kStrSelect), dropDown});
    m_list.CreateToolbar(this, TBSTYLE_TOOLTIPS | TBSTYLE_LIST, static_cast<int>(buttons.size()), buttons.data());
    CTWndToolbar& toolbar = report.m_toolbar;
    if (toolbar.m_hWnd) {
        const std::pair<int, UINT> faces[] = {{kCmdView, kIconView}, {kCmdInherit, kIconInherit}, {kCmdSelect, kIconSelect}};
        for (const auto& [command, icon] : faces) {
            if (command == kCmdInherit && !m_variant.withInherit) continue;
            int image = toolbar.AddIcon(ModuleOf(RT_GROUP_ICON, icon), icon);
            if (image >= 0) toolbar.SetButtonImage(image, command);
        }
    }
    m_editor.Attach(kList, &report, &DeployablePage::OnValueChanged, nullptr, this);
    // One pixel and back, so that the frame lays its band and report out.
    RECT rc = {};
    GetWindowRect(m_list.m_hWnd, &rc);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    SetWindowPos(m_list.m_hWnd, nullptr, 0, 0, cx + 1, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(m_list.m_hWnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool DeployablePage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result)) return true;
    LRESULT ignored = 0;
    m_editor.OnMessage(msg, wParam, lParam, &ignored);
    switch (msg) {
    case WM_INITDIALOG:
        InitList();
        *result = TRUE;
        return true;
    case WM_WINDOWPOSCHANGED: {
        auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (pos && (pos->flags & SWP_SHOWWINDOW) && !::IsWindowVisible(m_hWnd)) PostMessageW(m_hWnd, kMsgRedraw, 0, 0);
        return false;
    }
    case kMsgRedraw:
        Redraw();
        *result = 0;
        return true;
    default:
        return false;
    }
}

void DeployablePage::Redraw()
{
    if (m_list.m_hWnd)
        RedrawWindow(m_list.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

bool DeployablePage::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr) return false;
    if (m_editor.OnNotify(kList, hdr, result)) return true;
    if (hdr->code == TBN_DROPDOWN) {
        auto* drop = reinterpret_cast<NMTOOLBARW*>(hdr);
        if (drop->iItem != kCmdSelect && drop->iItem != kCmdView) return false;
        if (drop->iItem == kCmdSelect) ShowSelectMenu();
        else ShowViewMenu();
        *result = TBDDRET_DEFAULT;
        return true;
    }
    if (static_cast<int>(wParam) != kList) return false;
    if (hdr->code == CTListCtrlReportEx::CodeDropDownMenu) {
        auto* info = reinterpret_cast<ReportCommandInfo*>(hdr);
        if (info->id != kCmdSelect && info->id != kCmdView) return false;
        if (m_list.m_report.SendMessage(LVM_GETSELECTEDCOUNT) == 0) return true;
        if (info->id == kCmdSelect) {
            m_selectMenu.Destroy();
            if (m_selectMenu.Load(ModuleOf(RT_MENU, kMenuSelect), MAKEINTRESOURCEW(kMenuSelect)))
                *result = reinterpret_cast<LRESULT>(GetSubMenu(m_selectMenu.m_menu, 0));
        } else if (BuildViewMenu()) {
            *result = reinterpret_cast<LRESULT>(GetSubMenu(m_viewMenu.m_menu, 0));
        }
        return true;
    }
    if (hdr->code == CTListCtrlReportEx::CodeMenuItemIcon) {
        auto* info = reinterpret_cast<ReportCommandInfo*>(hdr);
        auto type = m_typeCommands.find(info->id);
        App* app = App::Instance();
        if (type == m_typeCommands.end() || !app || !app->m_mainWindow) return false;
        Object definition;
        app->m_mainWindow->GetTypeById(definition, type->second);
        int index = app->FindIcon(TextOf(definition, L"tree_image"));
        HICON icon = index >= 0 ? ImageList_GetIcon(app->m_smallImages, index, ILD_TRANSPARENT) : nullptr;
        if (!icon) return false;
        m_menuIcons.push_back(icon);
        *result = reinterpret_cast<LRESULT>(icon);
        return true;
    }
    return m_list.m_report.OnParentNotify(hdr, result);
}

bool DeployablePage::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    const int command = LOWORD(wParam);
    *result = 0;
    switch (command) {
    case kCmdSelect:
        ShowSelectMenu();
        return true;
    case kCmdView:
        ShowViewMenu();
        return true;
    case kCmdInherit:
        if (!m_variant.withInherit) return false;
        m_changed = true;
        if (m_form) m_form->SetModified(true);
        return true;
    case kCmdAll:
    case kCmdNone:
    case kCmdInvert:
        SelectRows(command);
        return true;
    case 32816:
    case 32818:
    case 32819:
    case 32821:
        return true;
    case kCmdViewAll:
        SetFilter(0);
        return true;
    default:
        if (command >= kCmdFirstType && command <= kCmdLastType) {
            auto type = m_typeCommands.find(command);
            if (type != m_typeCommands.end()) SetFilter(type->second);
            return true;
        }
        return false;
    }
}

bool DeployablePage::IsInheritPressed() const
{
    HWND toolbar = m_list.m_report.m_toolbar.m_hWnd;
    if (!m_variant.withInherit || !toolbar) return false;
    LRESULT state = ::SendMessageW(toolbar, TB_GETSTATE, kCmdInherit, 0);
    return state != -1 && (state & TBSTATE_CHECKED) != 0;
}

void DeployablePage::SetInheritButton(bool pressed)
{
    HWND toolbar = m_list.m_report.m_toolbar.m_hWnd;
    if (!m_variant.withInherit || !toolbar) return;
    ::SendMessageW(toolbar, TB_SETSTATE, kCmdInherit, MAKELPARAM(TBSTATE_ENABLED | (pressed ? TBSTATE_CHECKED : 0), 0));
}

bool DeployablePage::Load()
{
    if (!m_hWnd || !m_owner) return true;
    const Object& object = m_owner->m_object;
    std::vector<__int64> ids;
    m_available.Assign(object.GetLinkArray(ids, CTString(kAvailableName)));
    if (m_variant.withDefault) m_default.Assign(object.GetLinkArray(ids, CTString(kDefaultName)));
    m_mandatory.Assign(object.GetLinkArray(ids, CTString(kMandatoryName)));
    m_changed = false;
    if (m_variant.withInherit)
        SetInheritButton(object.IsAttributeDefault(CTString(kDefaultName)) &&
                         object.IsAttributeDefault(CTString(kAvailableName)) &&
                         object.IsAttributeDefault(CTString(kMandatoryName)));
    App* app = App::Instance();
    if (app) {
        const __int64 folder = app->m_mainWindow ? app->m_mainWindow->GetSystemFolderId(MainWindowCache::FolderDeployable) : 0;
        app->m_db.ObjSearch(CTString(), static_cast<unsigned>(folder), CTString(), CTString(), false, DB::kNoMax,
                            m_owner->MakeRoute(kReqSearch, m_variant.searchTag));
    }
    return true;
}

bool DeployablePage::Save()
{
    if (!m_owner) return true;
    Object& object = m_owner->m_object;
    if (!m_variant.withInherit || !IsInheritPressed()) {
        object.SetLinkArray(CTString(kAvailableName), m_available.Ids());
        if (m_variant.withDefault) object.SetLinkArray(CTString(kDefaultName), m_default.Ids());
        object.SetLinkArray(CTString(kMandatoryName), m_mandatory.Ids());
    } else if (m_changed) {
        object.ResetAttribute(CTString(kDefaultName));
        object.ResetAttribute(CTString(kAvailableName));
        object.ResetAttribute(CTString(kMandatoryName));
    }
    m_changed = false;
    return true;
}

void DeployablePage::OnReply(RequestResult& reply)
{
    if (reply.route.requestId == kReqIcon) {
        const int index = static_cast<int>(reply.route.param2);
        CTListCtrlReport& report = m_list.m_report;
        App* app = App::Instance();
        if (!report.m_hWnd || !app || !report.HasImageForKey(index)) return;
        if (HICON icon = ImageList_GetIcon(app->m_smallImages, index, ILD_TRANSPARENT)) {
            report.ReplaceImage(icon, report.GetImageForKey(index));
            DestroyIcon(icon);
            InvalidateRect(report.m_hWnd, nullptr, TRUE);
        }
        return;
    }
    if (reply.route.requestId != kReqSearch || reply.route.param2 != m_variant.searchTag) return;
    if (reply.resultCode != 0 || reply.returnCode != 0) return;
    ReadComponents(reply.document);
    FillList();
}

void DeployablePage::ReadComponents(TiXmlDocument& document)
{
    m_components.clear();
    m_types.clear();
    m_typeNames.clear();
    App* app = App::Instance();
    __int64 models = 0;
    if (m_variant.hideModels && app && app->m_mainWindow) models = app->m_mainWindow->GetTypeId(CTString(L"Computer Stock"));
    TiXmlElement* root = document.FirstChildElementNamed(L"result");
    for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object component;
        component.ReadFromXml(element, true);
        if (models != 0 && component.type == models) continue;
        if (std::find(m_types.begin(), m_types.end(), component.type) == m_types.end()) {
            m_types.push_back(component.type);
            m_typeNames.push_back(TextOf(component, L"type"));
        }
        m_components.push_back(std::move(component));
    }
    if (std::find(m_types.begin(), m_types.end(), m_filter) == m_types.end()) m_filter = 0;
    if (m_firstFill && !m_types.empty()) {
        m_filter = m_types.front();
        m_firstFill = false;
    }
}

int DeployablePage::ImageFor(const Object& component)
{
    App* app = App::Instance();
    if (!app) return 0;
    CTString name = TextOf(component, L"tree_image");
    if (name.IsEmpty()) return 0;
    RequestRoute route = m_owner ? m_owner->MakeRoute(kReqIcon) : RequestRoute();
    int index = app->FindIcon(name);
    if (index < 0) index = app->AddIcon(name, route);
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

void DeployablePage::FillList()
{
    CTListCtrlReportEx& report = m_list.m_report;
    if (!report.m_hWnd) return;
    WaitCursor wait;
    report.EnableAutoSort(false);
    report.SendMessage(WM_SETREDRAW, FALSE);
    m_editor.RemoveAllRows();
    report.DeleteAllRows();

    CTString caption(L"All");
    App* app = App::Instance();
    if (m_filter != 0 && app && app->m_mainWindow) {
        Object definition;
        app->m_mainWindow->GetTypeById(definition, m_filter);
        caption = TextOf(definition, L"type");
        if (caption.IsEmpty()) caption = CTString(definition.name);
    }
    m_list.SetCaption(caption);
    InvalidateRect(m_list.m_hWnd, nullptr, TRUE);

    const int mandatory = MandatoryColumn();
    struct Candidate {
        CTListCtrlReport::Row row;
        CTListCtrlEdit::Row editRow;
        int image = 0;
    };
    std::vector<Candidate> candidates;
    candidates.reserve(m_components.size());
    for (const Object& component : m_components) {
        if (m_filter != 0 && component.type != m_filter) continue;
        const bool available = m_available.Contains(component.id);
        const bool isDefault = m_default.Contains(component.id);
        const bool isMandatory = m_mandatory.Contains(component.id);
        Candidate& candidate = candidates.emplace_back();
        CTString type = TextOf(component, L"type");
        CTString name = UserName(component);
        candidate.row.m_data = Key(component.id);
        candidate.row.AddText(type).AddText(name).AddNumber(available ? 1 : 0);
        if (m_variant.withDefault) candidate.row.AddNumber(isDefault ? 1 : 0);
        candidate.row.AddNumber(isMandatory ? 1 : 0);
        candidate.image = ImageFor(component);
        candidate.editRow.m_key = Key(component.id);
        candidate.editRow.AddCell(CTListCtrlEdit::KindReadOnly).SetText(type);
        candidate.editRow.AddCell(CTListCtrlEdit::KindReadOnly).SetText(name);
        candidate.editRow.AddCell(CTListCtrlEdit::KindCheck).SetBool(available);
        if (m_variant.withDefault) candidate.editRow.AddCell(CTListCtrlEdit::KindCheck).SetBool(isDefault);
        candidate.editRow.AddCell(CTListCtrlEdit::KindCheck).SetBool(isMandatory);
        (void)mandatory;
    }
    // Editable rows first, while the report is empty: the editor's own lookup of a new row by
    // key walks the report, so given afterwards and shown by index the fill stays linear.
    for (const Candidate& candidate : candidates) m_editor.AddRow(candidate.editRow);
    for (Candidate& candidate : candidates) {
        int item = report.InsertRow(report.GetItemCount(), candidate.image, candidate.row);
        if (item < 0) continue;
        m_editor.UpdateRow(item, candidate.editRow);
        ApplyRule(item, false);
    }
    report.SetEmptyText(CTString(L"No Components"));
    report.FitColumnsToContent();
    report.SendMessage(WM_SETREDRAW, TRUE);
    report.EnableAutoSort(true);
    PostMessageW(m_hWnd, kMsgRedraw, 0, 0);
}

void DeployablePage::ApplyRule(int item, bool changed)
{
    CTListCtrlEdit::Cell* available = CellOf(item, kColAvailable);
    CTListCtrlEdit::Cell* isDefault = m_variant.withDefault ? CellOf(item, 3) : nullptr;
    CTListCtrlEdit::Cell* mandatory = CellOf(item, MandatoryColumn());
    if (!available || !mandatory || (m_variant.withDefault && !isDefault)) return;
    // Mandatory needs Default (the model form: Available), Default needs Available.
    CTListCtrlEdit::Cell* needed = isDefault ? isDefault : available;
    if (isDefault) {
        if (!available->IsChecked() && isDefault->IsChecked()) isDefault->m_value.Assign(CAttribute(CAttribute::Integer, static_cast<__int64>(0)));
        isDefault->m_readOnly = !available->IsChecked();
    }
    if (!needed->IsChecked() && mandatory->IsChecked()) mandatory->m_value.Assign(CAttribute(CAttribute::Integer, static_cast<__int64>(0)));
    mandatory->m_readOnly = !needed->IsChecked();
    m_editor.ShowValue(item, kColAvailable, *available);
    if (isDefault) m_editor.ShowValue(item, 3, *isDefault);
    m_editor.ShowValue(item, MandatoryColumn(), *mandatory);

    const __int64 id = IdOf(m_list.m_report.GetRowData(item));
    m_available.Set(id, available->IsChecked());
    if (isDefault) m_default.Set(id, isDefault->IsChecked());
    m_mandatory.Set(id, mandatory->IsChecked());
    if (!changed) return;
    m_changed = true;
    SetInheritButton(false);
    if (m_form) m_form->SetModified(true);
}

void DeployablePage::OnValueChanged(void* context, int item, int, CAttribute*)
{
    if (auto* page = static_cast<DeployablePage*>(context)) page->ApplyRule(item, true);
}

void DeployablePage::SelectRows(int command)
{
    CTListCtrlReportEx& report = m_list.m_report;
    if (!report.m_hWnd) return;
    report.EnableAutoSort(false);
    report.SendMessage(WM_SETREDRAW, FALSE);
    const int count = report.GetItemCount();
    for (int item = 0; item < count; ++item) {
        // By row index: a lookup by key walks the report's rows for every row.
        CTListCtrlEdit::Cell* cell = CellOf(item, kColAvailable);
        if (!cell) continue;
        const bool on = cell->IsChecked();
        const bool wanted = command == kCmdAll ? true : command == kCmdNone ? false : !on;
        if (wanted == on) continue;
        cell->m_value.Assign(CAttribute(CAttribute::Integer, static_cast<__int64>(wanted ? 1 : 0)));
        ApplyRule(item, true);
    }
    report.SendMessage(WM_SETREDRAW, TRUE);
    report.EnableAutoSort(true);
    if (report.m_sortColumn >= 0) report.SortBy(report.m_sortColumn, report.m_ascending);
    InvalidateRect(report.m_hWnd, nullptr, TRUE);
}

void DeployablePage::SetFilter(__int64 type)
{
    m_filter = type;
    FillList();
}

POINT DeployablePage::MenuCorner(int command)
{
    CTWndToolbar& toolbar = m_list.m_report.m_toolbar;
    RECT rc = {};
    LRESULT index = toolbar.m_hWnd ? ::SendMessageW(toolbar.m_hWnd, TB_COMMANDTOINDEX, command, 0) : -1;
    if (index >= 0) ::SendMessageW(toolbar.m_hWnd, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rc));
    POINT corner = {command == kCmdSelect ? rc.right : rc.left, rc.bottom};
    if (toolbar.m_hWnd) ClientToScreen(toolbar.m_hWnd, &corner);
    return corner;
}

void DeployablePage::ShowSelectMenu()
{
    m_selectMenu.Destroy();
    if (!m_selectMenu.Load(ModuleOf(RT_MENU, kMenuSelect), MAKEINTRESOURCEW(kMenuSelect))) return;
    POINT corner = MenuCorner(kCmdSelect);
    CTWndToolbar& toolbar = m_list.m_report.m_toolbar;
    toolbar.SetButtonState(kCmdSelect, TBSTATE_ENABLED | TBSTATE_PRESSED);
    m_selectMenu.MakeOwnerDrawn();
    UINT command = m_selectMenu.Track(true, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTALIGN, corner.x, corner.y, m_hWnd);
    toolbar.SetButtonState(kCmdSelect, TBSTATE_ENABLED);
    if (command) {
        LRESULT ignored = 0;
        OnCommand(command, 0, &ignored);
    }
}

bool DeployablePage::BuildViewMenu()
{
    m_viewMenu.Destroy();
    if (!m_viewMenu.Load(ModuleOf(RT_MENU, kMenuView), MAKEINTRESOURCEW(kMenuView))) return false;
    HMENU popup = GetSubMenu(m_viewMenu.m_menu, 0);
    if (!popup) return false;
    m_typeCommands.clear();
    App* app = App::Instance();
    if (!m_types.empty()) AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    for (size_t i = 0; i < m_types.size() && kCmdFirstType + static_cast<int>(i) <= kCmdLastType; ++i) {
        const int command = kCmdFirstType + static_cast<int>(i);
        m_typeCommands[command] = m_types[i];
        AppendMenuW(popup, MF_STRING, command, m_typeNames[i].GetBuffer() ? m_typeNames[i].GetBuffer() : L"");
    }
    if (m_viewImages) ImageList_Destroy(m_viewImages);
    m_viewImages = app && app->m_smallImages ? ImageList_Duplicate(app->m_smallImages) : nullptr;
    if (m_viewImages) ImageList_SetBkColor(m_viewImages, CLR_NONE);
    m_viewMenu.SetImageList(m_viewImages);
    m_viewMenu.MakeOwnerDrawn();
    for (const auto& [command, type] : m_typeCommands) {
        if (!app || !app->m_mainWindow) break;
        Object definition;
        app->m_mainWindow->GetTypeById(definition, type);
        int index = app->FindIcon(TextOf(definition, L"tree_image"));
        if (index >= 0) m_viewMenu.SetItemImageByCommand(command, index);
    }
    return true;
}

void DeployablePage::ShowViewMenu()
{
    if (!BuildViewMenu()) return;
    POINT corner = MenuCorner(kCmdView);
    CTWndToolbar& toolbar = m_list.m_report.m_toolbar;
    toolbar.SetButtonState(kCmdView, TBSTATE_ENABLED | TBSTATE_PRESSED);
    UINT command = m_viewMenu.Track(true, TPM_RETURNCMD | TPM_NONOTIFY, corner.x, corner.y, m_hWnd);
    toolbar.SetButtonState(kCmdView, TBSTATE_ENABLED);
    if (command) {
        LRESULT ignored = 0;
        OnCommand(command, 0, &ignored);
    }
}

#include "deployments/DlgDeploymentPages.h"

#include <algorithm>
#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "deployments/DeploymentLinks.h"

namespace {

using Report = CTListCtrlReportEx;

bool Contains(const std::vector<__int64>& ids, __int64 id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

} // namespace

DlgDeployment::CDeployablePage::~CDeployablePage()
{
    m_editor.CloseEditor();
    m_viewMenu.Destroy();
    m_selectMenu.Destroy();
    if (m_viewImages)
        ImageList_Destroy(m_viewImages);
}

bool DlgDeployment::CDeployablePage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    if (msg == WM_INITDIALOG) {
        CTWndSize::Init(m_hWnd, false, 0, 0, false);
        if (Report* list = CreatePageList(m_list, kIdList, 0xF0)) {
            Report& report = *list;
            report.SetColumns(CTString(L"Type;Name;Available;"), 104, GetModuleHandleW(nullptr),
                              L"DlgDeployment::CDeployablePage");
            report.SortBy(1, true);
            report.SetColumnFixedWidth(kColumnAvailable, 64);
            const Report::ToolbarButton buttons[] = {{kCmdView, I_IMAGENONE, 159, BTNS_WHOLEDROPDOWN | BTNS_SHOWTEXT},
                                                     {kCmdInherit, I_IMAGENONE, 158, BTNS_CHECK | BTNS_SHOWTEXT},
                                                     {kCmdSelect, I_IMAGENONE, 146, BTNS_WHOLEDROPDOWN | BTNS_SHOWTEXT}};
            m_list.CreateToolbar(this, 1 | TBSTYLE_TOOLTIPS, 3, buttons);
            CTWndToolbar& toolbar = report.m_toolbar;
            const std::pair<int, UINT> icons[] = {{kCmdView, kIconView}, {kCmdInherit, kIconInherit},
                                                  {kCmdSelect, kIconSelect}};
            for (const auto& [command, icon] : icons) {
                const int image = toolbar.m_hWnd ? toolbar.AddIcon(GetModuleHandleW(nullptr), icon) : -1;
                if (image >= 0)
                    toolbar.SetButtonImage(image, command);
            }
            m_editor.Attach(kIdList, &report, &CDeployablePage::OnValueChanged, nullptr, this);
        }
        PostMessageW(m_hWnd, kMsgRedraw, 0, 0);
        *result = TRUE;
        return true;
    }
    if (m_editor.OnMessage(msg, wParam, lParam, result))
        return true;
    if (msg == kMsgRedraw) {
        if (m_list.m_hWnd)
            RedrawWindow(m_list.m_hWnd, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        *result = 0;
        return true;
    }
    if (msg == WM_WINDOWPOSCHANGING && lParam &&
        (reinterpret_cast<WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) && !IsWindowVisible(m_hWnd))
        PostMessageW(m_hWnd, kMsgRedraw, 0, 0);
    if (handled)
        return true;
    return DeploymentPageBase::OnMessage(msg, wParam, lParam, result);
}

bool DlgDeployment::CDeployablePage::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr)
        return DeploymentPageBase::OnNotify(wParam, hdr, result);
    if (hdr->code == TBN_DROPDOWN) {
        const int button = reinterpret_cast<NMTOOLBARW*>(hdr)->iItem;
        if (button == kCmdSelect || button == kCmdView) {
            ShowMenu(button);
            *result = TBDDRET_DEFAULT;
            return true;
        }
    }
    if (static_cast<int>(hdr->idFrom) != kIdList)
        return DeploymentPageBase::OnNotify(wParam, hdr, result);
    *result = 0;
    if (hdr->code == Report::CodeDropDownMenu) {
        // The list's context menu offers the buttons' menus while a row is selected.
        const int button = reinterpret_cast<ReportCommandInfo*>(hdr)->id;
        if (ListView_GetSelectedCount(m_list.m_report.m_hWnd) == 0)
            return true;
        if (button == kCmdSelect && m_selectMenu.Load(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kSelectMenu))) {
            m_selectMenu.MakeOwnerDrawn();
            *result = reinterpret_cast<LRESULT>(GetSubMenu(m_selectMenu.m_menu, 0));
        } else if (button == kCmdView) {
            BuildViewMenu();
            *result = m_viewMenu.m_menu ? reinterpret_cast<LRESULT>(GetSubMenu(m_viewMenu.m_menu, 0)) : 0;
        }
        return true;
    }
    if (hdr->code == Report::CodeMenuItemIcon) {
        const int command = reinterpret_cast<ReportCommandInfo*>(hdr)->id;
        CTString text;
        int image = -1;
        if (m_viewCommands.count(command) && m_viewMenu.m_images && m_viewMenu.GetItemInfo(command, text, image) &&
            image >= 0) {
            CTIcon& icon = m_menuIcons.emplace_back();
            icon.Attach(ImageList_GetIcon(m_viewMenu.m_images, image, ILD_TRANSPARENT));
            *result = reinterpret_cast<LRESULT>(icon.GetHandle());
        }
        return true;
    }
    if (m_editor.OnNotify(kIdList, hdr, result))
        return true;
    // Enter, Space or a double click on a row ticks or clears its box.
    if ((hdr->code == Report::CodeActivate || hdr->code == static_cast<UINT>(NM_DBLCLK)) && !m_readOnly) {
        int item = ListView_GetNextItem(m_list.m_report.m_hWnd, -1, LVNI_SELECTED);
        if (item >= 0 && !IsMandatoryRow(item))
            SetAvailable(item, !IsAvailable(item));
    }
    return true;
}

bool DlgDeployment::CDeployablePage::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const int command = LOWORD(wParam);
    *result = 0;
    if (command == kCmdInherit) {
        m_modified = true;
        MarkModified();
        return true;
    }
    if (command == kCmdSelect || command == kCmdView) {
        ShowMenu(command);
        return true;
    }
    if (command == kCmdAll || command == kCmdNone || command == kCmdInvert || command == kCmdFilterA ||
        command == kCmdFilterB || command == kCmdFilterC || command == kCmdFilterD) {
        if (!m_readOnly)
            ApplySelectCommand(command);
        return true;
    }
    if (command == kCmdViewAll) {
        m_viewFilter = 0;
        Refill();
        return true;
    }
    if (command >= kCmdFirstType && command <= kCmdLastType) {
        auto it = m_viewCommands.find(command);
        if (it != m_viewCommands.end()) {
            m_viewFilter = it->second;
            Refill();
        }
        return true;
    }
    return DeploymentPageBase::OnCommand(wParam, lParam, result);
}

bool DlgDeployment::CDeployablePage::IsInheritChecked() const
{
    HWND toolbar = m_list.m_report.m_toolbar.m_hWnd;
    return toolbar && (::SendMessageW(toolbar, TB_GETSTATE, kCmdInherit, 0) & TBSTATE_CHECKED) != 0;
}

void DlgDeployment::CDeployablePage::SetInheritState(bool checked)
{
    if (HWND toolbar = m_list.m_report.m_toolbar.m_hWnd)
        ::SendMessageW(toolbar, TB_SETSTATE, kCmdInherit,
                       MAKELONG((m_readOnly ? 0 : TBSTATE_ENABLED) | (checked ? TBSTATE_CHECKED : 0), 0));
}

void DlgDeployment::CDeployablePage::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    m_editor.SetAllReadOnly(readOnly);
    if (HWND toolbar = m_list.m_report.m_toolbar.m_hWnd) {
        ::SendMessageW(toolbar, TB_SETSTATE, kCmdSelect, MAKELONG(readOnly ? 0 : TBSTATE_ENABLED, 0));
        const LRESULT state = ::SendMessageW(toolbar, TB_GETSTATE, kCmdInherit, 0);
        ::SendMessageW(toolbar, TB_SETSTATE, kCmdInherit,
                       MAKELONG((state & TBSTATE_CHECKED) | (readOnly ? 0 : TBSTATE_ENABLED), 0));
    }
}

void DlgDeployment::CDeployablePage::Fill()
{
    DlgDeployment* pane = GetPane();
    App* app = pane ? pane->GetApp() : nullptr;
    if (!app)
        return;
    m_loaded = true;
    const Object& deployment = GetDeployment();
    m_selected.clear();
    deployment.GetLinkArray(m_selected, CTString(L"deployable"));
    std::vector<__int64> mandatory;
    deployment.GetLinkArray(mandatory, CTString(L"deployable_mandatory"));
    MergeUnique(m_selected, mandatory);
    m_modified = false;
    SetInheritState(deployment.IsAttributeDefault(CTString(L"deployable")));
    std::vector<__int64> available;
    deployment.GetLinkArray(available, CTString(L"deployable_available"));
    app->RequestObjects(available, PaneRoute(DlgDeployment::kReqDeployables, 1));
}

void DlgDeployment::CDeployablePage::ApplyModelRestriction()
{
    if (m_modelAvailable.empty())
        return;
    std::vector<Object> kept;
    for (const Object& child : m_shown.children)
        if (Contains(m_modelAvailable, child.id))
            kept.push_back(child);
    m_shown.children = kept;
}

void DlgDeployment::CDeployablePage::OnDeployablesArrived(ObjectBranch* branch)
{
    if (!branch)
        return;
    MainWindow* main = GetMain();
    const __int64 stock = main ? main->GetTypeId(CTString(L"Computer Stock")) : 0;
    m_shown.children.clear();
    for (const Object& child : branch->children)
        if (stock == 0 || child.type != stock)
            m_shown.children.push_back(child);
    m_full.children = m_shown.children;
    ApplyModelRestriction();
    m_typeIds.clear();
    m_typeTexts.clear();
    for (const Object& child : m_shown.children) {
        if (Contains(m_typeIds, child.type))
            continue;
        m_typeIds.push_back(child.type);
        m_typeTexts.push_back(AttributeText(child, L"type"));
    }
    if (m_viewFilter != 0 && !Contains(m_typeIds, m_viewFilter))
        m_viewFilter = 0;
    if (m_firstViewPending && !m_typeIds.empty()) {
        m_viewFilter = m_typeIds.front();
        m_firstViewPending = false;
    }
    BuildViewCommands();
    Refill();
}

void DlgDeployment::CDeployablePage::BuildViewCommands()
{
    m_viewCommands.clear();
    for (size_t i = 0; i < m_typeIds.size() && kCmdFirstType + static_cast<int>(i) <= kCmdLastType; ++i)
        m_viewCommands[kCmdFirstType + static_cast<int>(i)] = m_typeIds[i];
}

void DlgDeployment::CDeployablePage::SetModelRestriction(const Object& model)
{
    m_modelAvailable.clear();
    m_modelMandatory.clear();
    if (model.id != 0) {
        model.GetLinkArray(m_modelAvailable, CTString(L"deployable_available"));
        model.GetLinkArray(m_modelMandatory, CTString(L"deployable_mandatory"));
    }
    if (m_firstViewPending)
        return;
    m_shown.children = m_full.children;
    ApplyModelRestriction();
    Refill();
}

void DlgDeployment::CDeployablePage::Refill()
{
    Report& report = m_list.m_report;
    MainWindow* main = GetMain();
    if (!report.m_hWnd)
        return;
    HCURSOR cursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    report.EnableAutoSort(false);
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, FALSE, 0);
    report.DeleteAllRows();
    m_editor.RemoveAllRows();
    CTString caption(L"All");
    if (m_viewFilter != 0 && main) {
        Object type;
        main->GetTypeById(type, m_viewFilter);
        caption = AttributeText(type, L"type");
        if (caption.IsEmpty())
            caption = type.name.GetBuffer() ? type.name.GetBuffer() : L"";
    }
    m_list.SetCaption(caption);
    m_mandatory.clear();
    GetDeployment().GetLinkArray(m_mandatory, CTString(L"deployable_mandatory"));
    if (!m_modelMandatory.empty()) {
        std::vector<__int64> kept;
        for (__int64 id : m_mandatory)
            if (Contains(m_modelAvailable, id))
                kept.push_back(id);
        m_mandatory = kept;
        MergeUnique(m_mandatory, m_modelMandatory);
    }
    for (const Object& child : m_shown.children) {
        if (m_viewFilter != 0 && child.type != m_viewFilter)
            continue;
        const bool available = Contains(m_selected, child.id) || Contains(m_mandatory, child.id);
        CTStringLocale name(child.name);
        CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(child.id)));
        row.AddText(AttributeText(child, L"type"));
        row.AddText(CTString(name.GetUserText()));
        row.AddNumber(available ? 1 : 0);
        const int item = report.InsertRow(report.GetItemCount(), ImageFor(child), row);
        CTListCtrlEdit::Row editRow;
        editRow.m_key = row.m_data;
        editRow.AddCell(CTListCtrlEdit::KindReadOnly).SetText(AttributeText(child, L"type"));
        editRow.AddCell(CTListCtrlEdit::KindReadOnly).SetText(CTString(name.GetUserText()));
        editRow.AddCell(CTListCtrlEdit::KindCheck).SetBool(available);
        if (Contains(m_mandatory, child.id) || m_readOnly)
            editRow.GetCell(kColumnAvailable)->m_readOnly = true;
        m_editor.AddRow(editRow);
        if (item >= 0)
            m_editor.UpdateRow(item, editRow);
    }
    report.SetEmptyText(CTString(L"No Components"));
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, TRUE, 0);
    report.FitColumnsToContent();
    report.EnableAutoSort(true);
    PostMessageW(m_hWnd, kMsgRedraw, 0, 0);
    SetCursor(cursor);
}

int DlgDeployment::CDeployablePage::ImageFor(const Object& object)
{
    DlgDeployment* pane = GetPane();
    App* app = pane ? pane->GetApp() : nullptr;
    CTString name = AttributeText(object, L"tree_image");
    if (!app || name.IsEmpty())
        return -1;
    int index = app->FindIcon(name);
    if (index < 0) {
        index = app->AddIcon(name, PaneRoute(DlgDeployment::kReqIcon, 0));
        if (index >= 0 && std::find(m_pendingIcons.begin(), m_pendingIcons.end(), index) == m_pendingIcons.end())
            m_pendingIcons.push_back(index);
    }
    if (index < 0)
        return -1;
    Report& report = m_list.m_report;
    if (!report.HasImageForKey(index) && app->m_smallImages) {
        if (HICON icon = ImageList_GetIcon(app->m_smallImages, index, ILD_TRANSPARENT)) {
            report.AddImageForKey(icon, index);
            DestroyIcon(icon);
        }
    }
    return report.HasImageForKey(index) ? report.GetImageForKey(index) : -1;
}

void DlgDeployment::CDeployablePage::OnIconArrived(RequestResult& result)
{
    const int index = static_cast<int>(result.route.param2);
    auto pending = std::find(m_pendingIcons.begin(), m_pendingIcons.end(), index);
    if (pending == m_pendingIcons.end())
        return;
    m_pendingIcons.erase(pending);
    DlgDeployment* pane = GetPane();
    App* app = pane ? pane->GetApp() : nullptr;
    Report& report = m_list.m_report;
    if (!app || !app->m_smallImages || !report.m_hWnd || !report.HasImageForKey(index))
        return;
    if (HICON icon = ImageList_GetIcon(app->m_smallImages, index, ILD_TRANSPARENT)) {
        report.ReplaceImage(icon, report.GetImageForKey(index));
        DestroyIcon(icon);
    }
    InvalidateRect(m_list.m_hWnd, nullptr, TRUE);
}

void DlgDeployment::CDeployablePage::BuildViewMenu()
{
    DlgDeployment* pane = GetPane();
    App* app = pane ? pane->GetApp() : nullptr;
    MainWindow* main = GetMain();
    m_viewMenu.Destroy();
    if (!m_viewMenu.Load(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kViewMenu)))
        return;
    if (m_viewImages)
        ImageList_Destroy(m_viewImages);
    m_viewImages = app && app->m_smallImages ? ImageList_Duplicate(app->m_smallImages) : nullptr;
    if (m_viewImages) {
        ImageList_SetBkColor(m_viewImages, CLR_NONE);
        m_viewMenu.SetImageList(m_viewImages);
    }
    BuildViewCommands();
    HMENU sub = GetSubMenu(m_viewMenu.m_menu, 0);
    if (sub && !m_typeIds.empty()) {
        AppendMenuW(sub, MF_SEPARATOR, 0, nullptr);
        for (const auto& [command, type] : m_viewCommands) {
            const size_t position = static_cast<size_t>(command - kCmdFirstType);
            const CTString& text = m_typeTexts[position];
            AppendMenuW(sub, MF_STRING, static_cast<UINT_PTR>(command), text.GetBuffer() ? text.GetBuffer() : L"");
            int image = -1;
            if (main && app) {
                Object definition;
                main->GetTypeById(definition, type);
                CTString name = AttributeText(definition, L"tree_image");
                image = name.IsEmpty() ? -1 : app->FindIcon(name);
            }
            m_viewMenu.SetItemImageByCommand(static_cast<UINT>(command), image);
        }
    }
    m_viewMenu.MakeOwnerDrawn();
}

void DlgDeployment::CDeployablePage::ShowMenu(int button)
{
    CTWndToolbar& toolbar = m_list.m_report.m_toolbar;
    RECT rect = {};
    const LRESULT index = toolbar.m_hWnd ? ::SendMessageW(toolbar.m_hWnd, TB_COMMANDTOINDEX, button, 0) : -1;
    if (index >= 0)
        ::SendMessageW(toolbar.m_hWnd, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    POINT corner = {rect.right, rect.bottom};
    if (toolbar.m_hWnd)
        ClientToScreen(toolbar.m_hWnd, &corner);
    CTMenu* menu = &m_selectMenu;
    if (button == kCmdSelect) {
        if (!m_selectMenu.Load(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kSelectMenu)))
            return;
        m_selectMenu.MakeOwnerDrawn();
    } else {
        BuildViewMenu();
        menu = &m_viewMenu;
        if (!m_viewMenu.m_menu)
            return;
    }
    if (toolbar.m_hWnd)
        toolbar.SetButtonState(button, 6);
    const UINT command = menu->Track(true, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTALIGN, corner.x, corner.y, m_hWnd);
    if (toolbar.m_hWnd)
        toolbar.SetButtonState(button, 4);
    if (command != 0) {
        LRESULT ignored = 0;
        OnCommand(MAKEWPARAM(command, 0), 0, &ignored);
    }
}

void DlgDeployment::CDeployablePage::OnValueChanged(void* context, int item, int column, CAttribute* value)
{
    auto* page = static_cast<CDeployablePage*>(context);
    if (page && column == kColumnAvailable && value)
        page->OnAvailableChanged(item, value->GetValue() != 0);
}

void DlgDeployment::CDeployablePage::OnAvailableChanged(int item, bool available)
{
    AddOrRemoveByFlag(m_selected, RowId(item), CAttribute(CAttribute::Integer, static_cast<__int64>(available ? 1 : 0)));
    m_modified = true;
    SetInheritState(false);
    MarkModified();
}

__int64 DlgDeployment::CDeployablePage::RowId(int item)
{
    return static_cast<__int64>(reinterpret_cast<INT_PTR>(m_list.m_report.GetRowData(item)));
}

bool DlgDeployment::CDeployablePage::IsAvailable(int item)
{
    // The check box shows the editor's value; the report cell holds only its picture.
    if (CTListCtrlEdit::Cell* cell = m_editor.FindCell(item, kColumnAvailable))
        return cell->IsChecked();
    CAttribute value;
    m_list.m_report.GetCell(item, kColumnAvailable, value);
    return value.GetValue() != 0;
}

bool DlgDeployment::CDeployablePage::IsMandatoryRow(int item)
{
    return Contains(m_mandatory, RowId(item));
}

void DlgDeployment::CDeployablePage::SetAvailable(int item, bool available)
{
    if (CTListCtrlEdit::Cell* cell = m_editor.FindCell(item, kColumnAvailable)) {
        cell->m_value.Assign(CAttribute(CAttribute::Integer, available ? 1 : 0));
        m_editor.ShowValue(item, kColumnAvailable, *cell);
    } else {
        m_list.m_report.SetCell(item, kColumnAvailable, CTListCtrlReport::Cell(CAttribute::Integer, available ? 1 : 0));
    }
    OnAvailableChanged(item, available);
}

void DlgDeployment::CDeployablePage::ApplySelectCommand(int command)
{
    Report& report = m_list.m_report;
    if (!report.m_hWnd)
        return;
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, FALSE, 0);
    report.EnableAutoSort(false);
    const int count = report.GetItemCount();
    for (int item = 0; item < count; ++item) {
        const bool value = IsAvailable(item);
        const bool locked = IsMandatoryRow(item);
        if (command == kCmdAll && !value)
            SetAvailable(item, true);
        else if (command == kCmdNone && value && !locked)
            SetAvailable(item, false);
        else if (command == kCmdInvert && !locked)
            SetAvailable(item, !value);
    }
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, TRUE, 0);
    report.EnableAutoSort(true);
}

bool DlgDeployment::CDeployablePage::Save()
{
    DlgDeployment* pane = GetPane();
    if (!m_loaded || !pane)
        return true;
    Object& deployment = pane->SlotRef(DlgDeployment::SlotDeployment);
    if (!IsInheritChecked())
        deployment.SetLinkArray(CTString(L"deployable"), m_selected);
    else if (m_modified)
        deployment.ResetAttribute(CTString(L"deployable"));
    m_modified = false;
    return true;
}

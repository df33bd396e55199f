// The "Schedule Groups" panel: one ticked or unticked row per schedule group, in the group's colour.
#include "deployments/DlgDeploymentsPanels.h"

#include "framework/CTApp.h"
#include "framework/CTRegKey.h"
#include "framework/CWMForm.h"

namespace {

constexpr const wchar_t* kClassName = L"DlgDeployments::DlgLHSSelectSG";

CTString ValueName(__int64 id, const wchar_t* suffix)
{
    CTString name;
    name.Format(L"SG%I64d%s", id, suffix);
    return name;
}

HMODULE ResourceModule(UINT id, const wchar_t* type)
{
    CTApp* app = CTApp::Instance();
    HMODULE module = app ? app->FindResourceModule(type, MAKEINTRESOURCEW(id)) : nullptr;
    return module ? module : GetModuleHandleW(nullptr);
}

} // namespace

DlgDeployments::DlgLHSSelectSG::DlgLHSSelectSG(DlgDeployments* owner, HWND parent)
    : DlgLHSBase(owner, L"Schedule Groups")
{
    CTWnd2::Create(kClassName, true, parent, WS_CHILD | WS_CLIPCHILDREN | WS_BORDER, 0, GetModuleHandleW(nullptr), nullptr);
    if (!m_hWnd)
        return;
    SetThemeClass(L"Treeview");
    ModifyExStyle(0, WS_EX_CONTROLPARENT);
    SetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND, 0);
    SetClassLongPtrW(m_hWnd, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)));

    m_toolbar.Create(m_hWnd, this, TBSTYLE_FLAT | TBSTYLE_LIST, CTWndToolbar::IconSmall, 0);
    const int image = m_toolbar.AddIcon(ResourceModule(kIconSelect, RT_GROUP_ICON), kIconSelect);
    m_toolbar.AddButton(image, kCmdSelect, TBSTATE_ENABLED, BTNS_DROPDOWN | BTNS_SHOWTEXT | BTNS_WHOLEDROPDOWN, kStrSelect);

    m_groupList.ModifyOptions(6, CTListCtrlReport::OptStretch);
    m_groupList.CreateReport(m_hWnd, kIdList, WS_TABSTOP | LVS_NOCOLUMNHEADER | LVS_SINGLESEL);
    m_groupList.SetColumns(CTString(L"Name;Value;"), 0, nullptr, nullptr);
    m_groupList.SetColumnFixedWidth(1, 20);
    m_groupList.SortBy(0, true);
    m_groupList.EnableAutoSort(true);
    m_editor.Attach(kIdList, &m_groupList, &DlgLHSSelectSG::OnValueChanged, nullptr, this);
}

DlgDeployments::DlgLHSSelectSG::~DlgLHSSelectSG()
{
    CTWnd2::Destroy();
}

void DlgDeployments::DlgLHSSelectSG::BeforeReload()
{
    m_groupList.DeleteAllRows();
    m_editor.RemoveAllRows();
    m_groupCount = 0;
}

bool DlgDeployments::DlgLHSSelectSG::AddGroup(const Object& group)
{
    if (m_groupList.FindRowByData(reinterpret_cast<void*>(group.id)) >= 0)
        return false;
    GroupEntry& entry = m_owner->Group(group.id);
    CTRegKey key;
    const bool opened = m_owner->OpenSettingsKey(key);
    DWORD enabled = m_groupCount < 5 ? 1 : 0;
    if (opened) {
        enabled = key.ReadDword(ValueName(group.id, L"_Enable").GetBuffer(), enabled);
        entry.colour = key.ReadDword(ValueName(group.id, L"_Colour").GetBuffer(), entry.colour);
    }

    CTIcon icon;
    int image = -1;
    if (icon.Load(kIconGroup, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON))) {
        icon.Colorize(entry.colour);
        image = m_groupList.AddImage(icon.GetHandle());
    }

    CTListCtrlReport::Row row(reinterpret_cast<void*>(group.id));
    row.AddText(group.path.IsEmpty() ? CTString(CTStringLocale(group.name).GetUserText()) : group.path);
    row.AddNumber(enabled);
    m_groupList.AddRow(image, row);
    CTListCtrlEdit::Row edit(reinterpret_cast<void*>(group.id));
    edit.AddCell(CTListCtrlEdit::KindReadOnly);
    edit.AddCell(CTListCtrlEdit::KindCheck).SetBool(enabled != 0);
    m_editor.AddRow(edit);

    if (opened)
        key.WriteDword(ValueName(group.id, L"_Colour").GetBuffer(), entry.colour);
    return enabled != 0;
}

void DlgDeployments::DlgLHSSelectSG::OnValueChanged(void* context, int item, int column, CAttribute* value)
{
    (void)column;
    auto* panel = static_cast<DlgLHSSelectSG*>(context);
    if (!panel || !value)
        return;
    panel->StoreEnable(reinterpret_cast<__int64>(panel->m_groupList.GetRowData(item)), *value);
}

void DlgDeployments::DlgLHSSelectSG::StoreEnable(__int64 id, const CAttribute& value)
{
    const DWORD enabled = CAttribute::IsTextType(value.GetType()) ? 0 : static_cast<DWORD>(value.GetValue());
    CTRegKey key;
    if (m_owner->OpenSettingsKey(key))
        key.WriteDword(ValueName(id, L"_Enable").GetBuffer(), enabled);
    m_owner->SetGroupEnabled(id, enabled != 0);
}

void DlgDeployments::DlgLHSSelectSG::ShowSelectMenu()
{
    m_toolbar.SendMessage(TB_SETSTATE, kCmdSelect, MAKELONG(TBSTATE_ENABLED | TBSTATE_PRESSED, 0));
    CTMenu menu;
    UINT command = 0;
    if (menu.Load(ResourceModule(kMenuSelect, RT_MENU), MAKEINTRESOURCEW(kMenuSelect))) {
        menu.MakeOwnerDrawnRecursive(menu.m_menu);
        const int index = static_cast<int>(m_toolbar.SendMessage(TB_COMMANDTOINDEX, kCmdSelect));
        RECT rc = {};
        m_toolbar.SendMessage(TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc));
        POINT corner = {rc.right, rc.bottom};
        ClientToScreen(m_toolbar.m_hWnd, &corner);
        command = menu.Track(true, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTALIGN, corner.x, corner.y, m_hWnd);
    }
    m_toolbar.SendMessage(TB_SETSTATE, kCmdSelect, MAKELONG(TBSTATE_ENABLED, 0));
    if (command)
        ApplySelection(static_cast<int>(command));
}

void DlgDeployments::DlgLHSSelectSG::ApplySelection(int command)
{
    if (command != kCmdAll && command != kCmdNone && command != kCmdInvert)
        return;
    ::SendMessageW(m_groupList.m_hWnd, WM_SETREDRAW, FALSE, 0);
    const int count = m_groupList.GetItemCount();
    std::vector<std::pair<__int64, bool>> changes;
    for (int item = 0; item < count; ++item) {
        CAttribute value;
        m_editor.GetValue(value, m_groupList.GetRowData(item), 1);
        const bool on = !CAttribute::IsTextType(value.GetType()) && value.GetValue() != 0;
        const bool wanted = command == kCmdAll ? true : command == kCmdNone ? false : !on;
        if (wanted != on)
            changes.push_back({reinterpret_cast<__int64>(m_groupList.GetRowData(item)), wanted});
    }
    for (const auto& [id, on] : changes) {
        const CAttribute value(1, on ? 1 : 0);
        m_editor.SetValue(reinterpret_cast<void*>(id), 1, value);
        StoreEnable(id, value);
    }
    ::SendMessageW(m_groupList.m_hWnd, WM_SETREDRAW, TRUE, 0);
    if (m_groupList.m_sortColumn >= 0)
        m_groupList.SortBy(m_groupList.m_sortColumn, m_groupList.m_ascending);
}

bool DlgDeployments::DlgLHSSelectSG::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_SIZE && !m_laidOut && wParam != SIZE_MINIMIZED && lParam != 0) {
        m_laidOut = true;
        const int cx = LOWORD(lParam), cy = HIWORD(lParam);
        SIZE size = {};
        m_toolbar.SendMessage(TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
        MoveWindow(m_toolbar.m_hWnd, 0, 0, cx, size.cy, TRUE);
        MoveWindow(m_groupList.m_hWnd, 0, size.cy, cx, cy > size.cy ? cy - size.cy : 0, TRUE);
        CTWndSize::Init(m_hWnd, false, cx, cy, false);
        AddItem(m_toolbar.m_hWnd, CTWndSize::RightToRight);
        AddItem(m_groupList.m_hWnd, CTWndSize::RightToRight | CTWndSize::BottomToBottom);
    }
    if (HandleMessage(msg, wParam, lParam, result))
        return true;
    if (m_editor.OnMessage(msg, wParam, lParam, result))
        return true;
    return CTWndTheme::OnMessage(msg, wParam, lParam, result);
}

bool DlgDeployments::DlgLHSSelectSG::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr)
        return false;
    if (hdr->hwndFrom == m_groupList.m_hWnd && m_groupList.OnParentNotify(hdr, result))
        return true;
    if (m_editor.OnNotify(static_cast<int>(hdr->idFrom), hdr, result))
        return true;
    if (hdr->hwndFrom == m_toolbar.m_hWnd && m_toolbar.OnNotify(wParam, hdr, result))
        return true;
    if (static_cast<int>(hdr->code) == TBN_DROPDOWN && reinterpret_cast<NMTOOLBARW*>(hdr)->iItem == kCmdSelect) {
        ShowSelectMenu();
        *result = TBDDRET_DEFAULT;
        return true;
    }
    return CTWndTheme::OnNotify(wParam, hdr, result);
}

bool DlgDeployments::DlgLHSSelectSG::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const int command = LOWORD(wParam);
    if (command == kCmdSelect) {
        ShowSelectMenu();
        *result = 0;
        return true;
    }
    if (command == kCmdAll || command == kCmdNone || command == kCmdInvert) {
        ApplySelection(command);
        *result = 0;
        return true;
    }
    return CTWndTheme::OnCommand(wParam, lParam, result);
}

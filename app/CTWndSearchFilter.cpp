#include "app/CTWndSearchFilter.h"

#include <commctrl.h>
#include "framework/CTApp.h"

namespace {

HMODULE TemplateModule()
{
    HMODULE module = CTApp::Instance()->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(CTWndSearchFilter::kTemplate));
    return module ? module : GetModuleHandleW(nullptr);
}

bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

} // namespace

INT_PTR CTWndSearchFilter::Run(HWND owner, HWND toolbar, const std::vector<Object>& types, const CTString& connection)
{
    CTWndSearchFilter dialog;
    dialog.m_toolbar = toolbar;
    dialog.m_types = &types;
    dialog.m_connection = connection;
    dialog.m_settings = SearchFilterSettings::Instance();
    dialog.m_isDialog = true;
    dialog.m_isModal = true;
    INT_PTR result = DialogBoxParamW(TemplateModule(), MAKEINTRESOURCEW(kTemplate), owner, CTWnd2::DialogProc,
                                     reinterpret_cast<LPARAM>(&dialog));
    dialog.m_hWnd = nullptr;
    return result == 1 ? 1 : 0;
}

void CTWndSearchFilter::OnCheckChanged(void* context, int, int, CAttribute*)
{
    // A type ticked or cleared is a change to confirm, as the other controls' changes are.
    auto* self = static_cast<CTWndSearchFilter*>(context);
    if (self && !self->m_loading)
        EnableWindow(GetDlgItem(self->m_hWnd, IDOK), TRUE);
}

void CTWndSearchFilter::OnInitDialog()
{
    // 1. The type list: a check column and the type names, nothing kept in the registry.
    if (m_list.AttachReport(m_hWnd, kIdTypes)) {
        m_list.ModifyOptions(CTListCtrlReport::OptGridLines, 0x1F0);
        m_list.ModifyStyle(0, LVS_SINGLESEL | WS_TABSTOP, 0);
        m_list.SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, 0);
        m_list.SetColumns(CTString(L" ;Name;"), 0, nullptr, nullptr);
        m_checks.Attach(kIdTypes, &m_list, &OnCheckChanged, nullptr, this);
        m_list.EnableAutoSort(false);
        // 2. Only the types that take part in searches.
        if (m_types) {
            for (const Object& type : *m_types) {
                CAttribute navigation;
                type.GetAttribute(navigation, CTString(L"console_setup_navigation"));
                __int64 bits = CAttribute::IsTextType(navigation.GetType()) ? CTString(navigation.GetText()).ToInt64()
                                                                            : navigation.GetValue();
                if (!(bits & kSearchableTypeBit))
                    continue;
                void* key = reinterpret_cast<void*>(static_cast<INT_PTR>(type.id));
                CTListCtrlReport::Row row(key);
                row.AddText(CTString());
                row.AddText(CTString(type.name));
                m_list.AddRow(-1, row);
                CTListCtrlEdit::Row checks(key);
                checks.AddCell(CTListCtrlEdit::KindCheck).SetValue(CAttribute(CAttribute::Integer, static_cast<__int64>(0)));
                m_checks.AddRow(checks);
            }
        }
    }
    // 3. and 4.
    LoadControls();
    m_reset.ClearStyle(CTHyperLink::SizeToFit);
    m_reset.AttachDlgItem(m_hWnd, kIdReset);
    UpdateEnabled();
    // 5.
    PlaceUnderButton();
    ::ShowWindow(m_hWnd, SW_SHOW);
}

void CTWndSearchFilter::PlaceUnderButton()
{
    if (!m_toolbar)
        return;
    RECT button = {};
    if (!::SendMessageW(m_toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button)))
        return;
    MapWindowPoints(m_toolbar, nullptr, reinterpret_cast<POINT*>(&button), 2);
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    SetWindowPos(m_hWnd, nullptr, button.right - client.right, button.bottom, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CTWndSearchFilter::LoadControls()
{
    // Filling the controls is no change of the user's: their notifications must not enable OK.
    m_loading = true;
    CheckDlgButton(m_hWnd, kIdTypeLimit, m_settings.EnableTypeLimit ? BST_CHECKED : BST_UNCHECKED);
    if (m_list.m_hWnd) {
        m_checks.SetColumnValue(0, CAttribute(CAttribute::Integer, static_cast<__int64>(0)));
        for (int type : m_settings.Types)
            m_checks.SetValue(reinterpret_cast<void*>(static_cast<INT_PTR>(type)), 0, CAttribute(CAttribute::Integer, static_cast<__int64>(1)));
        m_list.EnableAutoSort(true);
        m_list.SortBy(1, true);
        InvalidateRect(m_list.m_hWnd, nullptr, TRUE);
    }
    CheckDlgButton(m_hWnd, kIdLimit, m_settings.EnableLimit ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemInt(m_hWnd, kIdLimitEdit, static_cast<UINT>(m_settings.Limit), FALSE);
    m_loading = false;
}

void CTWndSearchFilter::UpdateEnabled()
{
    EnableWindow(GetDlgItem(m_hWnd, kIdTypes), IsChecked(m_hWnd, kIdTypeLimit));
    EnableWindow(GetDlgItem(m_hWnd, kIdLimitEdit), IsChecked(m_hWnd, kIdLimit));
}

SearchFilterSettings CTWndSearchFilter::ReadControls()
{
    SearchFilterSettings out;
    out.EnableTypeLimit = IsChecked(m_hWnd, kIdTypeLimit);
    out.EnableLimit = IsChecked(m_hWnd, kIdLimit);
    out.Limit = static_cast<int>(GetDlgItemInt(m_hWnd, kIdLimitEdit, nullptr, FALSE));
    out.Types.clear();
    int count = m_list.m_hWnd ? m_list.GetItemCount() : 0;
    for (int item = 0; item < count; ++item) {
        CTListCtrlEdit::Cell* cell = m_checks.FindCell(item, 0);
        if (cell && cell->IsChecked())
            out.Types.push_back(static_cast<int>(reinterpret_cast<INT_PTR>(m_list.GetRowData(item))));
    }
    return out;
}

bool CTWndSearchFilter::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    if (m_loading)
        return id != IDOK && id != IDCANCEL;
    switch (id) {
    case IDOK:
        if (code != BN_CLICKED)
            return false;
        m_settings = ReadControls();
        SearchFilterSettings::Instance() = m_settings;
        SearchFilterSettings::Instance().Save(m_connection);
        EndDialog(1);
        return true;
    case IDCANCEL:
        if (code != BN_CLICKED)
            return false;
        EndDialog(0);
        return true;
    case kIdTypeLimit:
    case kIdLimit:
        if (code != BN_CLICKED)
            return false;
        UpdateEnabled();
        EnableWindow(GetDlgItem(m_hWnd, IDOK), TRUE);
        return true;
    case kIdLimitEdit:
        if (code != EN_CHANGE)
            return false;
        UpdateEnabled();
        EnableWindow(GetDlgItem(m_hWnd, IDOK), TRUE);
        return true;
    case kIdReset:
        // Defaults in the working copy only: Cancel still leaves the settings untouched.
        m_settings.SetDefaults();
        LoadControls();
        UpdateEnabled();
        EnableWindow(GetDlgItem(m_hWnd, IDOK), TRUE);
        return true;
    default:
        return false;
    }
}

bool CTWndSearchFilter::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    (void)wParam;
    if (hdr && hdr->hwndFrom == m_list.m_hWnd) {
        // The list first, then its check boxes.
        bool handled = m_list.OnParentNotify(hdr, result);
        m_checks.OnNotify(kIdTypes, hdr, result);
        return handled;
    }
    return false;
}

bool CTWndSearchFilter::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    m_checks.OnMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = TRUE;
        return true;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == m_reset.m_hWnd && m_reset.m_hWnd) {
            *result = reinterpret_cast<LRESULT>(m_reset.OnCtlColor(reinterpret_cast<HDC>(wParam)));
            return true;
        }
        break;
    case WM_CLOSE:
        EndDialog(0);
        return true;
    case WM_DESTROY:
        return true;
    default:
        break;
    }
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

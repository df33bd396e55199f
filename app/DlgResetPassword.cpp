#include "app/DlgResetPassword.h"

#include "framework/CTApp.h"

DlgResetPassword::~DlgResetPassword()
{
    m_hWnd = nullptr;
}

bool DlgResetPassword::EntriesAgree(const CTString& first, const CTString& second)
{
    return !first.IsEmpty() && !second.IsEmpty() && first.GetLength() == second.GetLength() &&
           lstrcmpW(first.GetBuffer(), second.GetBuffer()) == 0;
}

bool DlgResetPassword::Run(HWND owner)
{
    HMODULE module = CTApp::Instance()->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(kTemplate));
    if (!module)
        module = GetModuleHandleW(nullptr);
    m_isDialog = true;
    m_isModal = true;
    INT_PTR result = DialogBoxParamW(module, MAKEINTRESOURCEW(kTemplate), owner, CTWnd2::DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result == 1;
}

bool DlgResetPassword::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    if (id == IDOK && code == BN_CLICKED) {
        GetItemText(kIdNew, m_password);
        EndDialog(1);
        return true;
    }
    if (id == IDCANCEL && code == BN_CLICKED) {
        EndDialog(0);
        return true;
    }
    if ((id == kIdNew || id == kIdConfirm) && code == EN_CHANGE) {
        CTString confirm;
        GetItemText(kIdNew, m_password);
        GetItemText(kIdConfirm, confirm);
        EnableWindow(GetDlgItem(m_hWnd, IDOK), EntriesAgree(m_password, confirm));
        return true;
    }
    return false;
}

bool DlgResetPassword::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_INITDIALOG) {
        CenterOnWindow(GetParent(m_hWnd));
        *result = TRUE;
        return true;
    }
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

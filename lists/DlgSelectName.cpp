#include "lists/DlgSelectName.h"

#include "framework/CTApp.h"

DlgSelectName::~DlgSelectName()
{
    m_hWnd = nullptr;
}

bool DlgSelectName::Run(HWND owner)
{
    HMODULE module = nullptr;
    if (CTApp* app = CTApp::Instance())
        module = app->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(kTemplate));
    if (!module)
        module = GetModuleHandleW(nullptr);
    m_isDialog = true;
    m_isModal = true;
    INT_PTR result = DialogBoxParamW(module, MAKEINTRESOURCEW(kTemplate), owner, CTWnd2::DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result == 1;
}

bool DlgSelectName::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    int id = LOWORD(wParam);
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    if (id == IDOK) {
        GetItemText(kIdName, m_name);
        EndDialog(1);
        return true;
    }
    if (id == IDCANCEL) {
        EndDialog(0);
        return true;
    }
    return false;
}

bool DlgSelectName::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_INITDIALOG) {
        CenterOnWindow(GetParent(m_hWnd));
        *result = TRUE;
        return true;
    }
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

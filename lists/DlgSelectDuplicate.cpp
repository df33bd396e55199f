#include "lists/DlgSelectDuplicate.h"

#include <string>
#include <vector>
#include "framework/CTApp.h"
#include "framework/CTRegKey.h"

namespace {

enum : UINT { kRegistryRoot = 104 };

bool IsChoice(int id)
{
    return id == DlgSelectDuplicate::kDefaultId || id == DlgSelectDuplicate::kTransferId ||
           id == DlgSelectDuplicate::kRevisedId;
}

} // namespace

DlgSelectDuplicate::~DlgSelectDuplicate()
{
    m_hWnd = nullptr;
}

bool DlgSelectDuplicate::Run(HWND owner)
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

bool DlgSelectDuplicate::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg != WM_INITDIALOG)
        return CTWnd2::OnMessage(msg, wParam, lParam, result);
    // The template's text is the format; the id is shown as given, never read as a format.
    wchar_t format[256] = {};
    GetDlgItemTextW(m_hWnd, kIdOriginal, format, 256);
    std::wstring shown;
    const std::wstring pattern(format);
    const size_t at = pattern.find(L"%s");
    if (at == std::wstring::npos)
        shown = pattern;
    else
        shown = pattern.substr(0, at) + m_currentId.GetText() + pattern.substr(at + 2);
    SetDlgItemTextW(m_hWnd, kIdOriginal, shown.c_str());

    CTRegKey key(kRegistryRoot, GetModuleHandleW(nullptr), kRegistryPath);
    const DWORD stored = key.ReadDword(kRegistryValue, 0);
    if (IsChoice(static_cast<int>(stored)))
        m_choice = static_cast<int>(stored);
    CheckDlgButton(m_hWnd, m_choice, BST_CHECKED);
    CenterOnWindow(GetParent(m_hWnd));
    *result = TRUE;
    return true;
}

bool DlgSelectDuplicate::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    const int id = LOWORD(wParam);
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    if (IsChoice(id)) {
        m_choice = id;
        CTRegKey key(kRegistryRoot, GetModuleHandleW(nullptr), kRegistryPath);
        key.WriteDword(kRegistryValue, static_cast<DWORD>(id));
        return true;
    }
    if (id == IDOK) {
        EndDialog(1);
        return true;
    }
    if (id == IDCANCEL) {
        EndDialog(0);
        return true;
    }
    return false;
}

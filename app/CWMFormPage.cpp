#include "app/CWMFormPage.h"

#include <vector>

#include "app/CWMFormHost.h"
#include "framework/CWMForm.h"

HMODULE CWMFormPage::GetTemplateModule() { return FindDialogTemplateModule(GetTemplateId()); }

bool CWMFormPage::CreatePage(HWND parent)
{
    m_hParent = parent;
    m_isDialog = true;
    HMODULE module = GetTemplateModule();
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(GetTemplateId()), RT_DIALOG);
    if (!res) return false;
    HGLOBAL handle = LoadResource(module, res);
    const void* data = handle ? LockResource(handle) : nullptr;
    DWORD size = SizeofResource(module, res);
    if (!data || size == 0) return false;
    // The resource itself is read-only: restyle a copy.
    std::vector<BYTE> copy(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    if (!MakeChildDialogTemplate(copy.data(), copy.size())) return false;
    HWND hwnd = CreateDialogIndirectParamW(module, reinterpret_cast<DLGTEMPLATE*>(copy.data()), parent,
                                           CTWnd2::DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd) {
        m_hWnd = nullptr;
        return false;
    }
    m_hWnd = hwnd;
    if (m_title.IsEmpty()) GetWindowTextString(m_hWnd, m_title);
    return true;
}

void CWMFormPage::Reload()
{
    if (m_host && m_host->GetSelectedPage() == this) Load();
    else m_loadPending = true;
}

bool CWMFormPage::SetEnabled(bool enabled)
{
    if (m_enabled == enabled) return false;
    m_enabled = enabled;
    return true;
}

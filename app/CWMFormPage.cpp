#include "app/CWMFormPage.h"

#include "app/CWMFormHost.h"
#include "framework/CWMForm.h"

HMODULE CWMFormPage::GetTemplateModule() { return FindDialogTemplateModule(GetTemplateId()); }

bool CWMFormPage::CreatePage(HWND parent)
{
    m_hParent = parent;
    m_isDialog = true;
    m_hWnd = CreateChildDialog(GetTemplateModule(), GetTemplateId(), parent, this);
    if (m_hWnd && m_title.IsEmpty()) GetWindowTextString(m_hWnd, m_title);
    return m_hWnd != nullptr;
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

#include "deployments/DlgDeploymentPages.h"

#include <commctrl.h>
#include "foundation/TiXmlDocument.h"

namespace {
const Object kNoDeployment;
}

const Object& DeploymentPageBase::GetDeployment() const
{
    DlgDeployment* pane = GetPane();
    return pane ? pane->GetSlot(DlgDeployment::SlotDeployment) : kNoDeployment;
}

bool DeploymentPageBase::Load()
{
    if (!m_hWnd || !IsWindowVisible(m_hWnd)) {
        m_loadPending = true;
        return true;
    }
    m_loadPending = false;
    ++m_loads;
    Fill();
    return true;
}

void DeploymentPageBase::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
}

int DeploymentPageBase::RowCount() const
{
    HWND list = ListWindow();
    return list ? static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

void DlgDeployment::CPageEmails::Clear()
{
    if (HWND list = ListWindow())
        ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
}

void DlgDeployment::CPageEmails::AddRow(const Object& email, int image)
{
    HWND list = ListWindow();
    if (!list)
        return;
    CAttribute from;
    email.GetAttribute(from, CTString(L"reply_email_address"));
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = RowCount();
    item.pszText = const_cast<wchar_t*>(from.GetText());
    item.lParam = static_cast<LPARAM>(email.id);
    item.iImage = image;
    ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void DlgDeployment::CPageTasks::SetAdministratorName(int column, __int64 administratorId, const CTString& name)
{
    (void)column;
    (void)administratorId;
    (void)name;
}

void DlgDeployment::CPageTasks::RemoveRow(__int64 taskId)
{
    HWND list = ListWindow();
    if (!list)
        return;
    LVFINDINFOW find = {};
    find.flags = LVFI_PARAM;
    find.lParam = static_cast<LPARAM>(taskId);
    int row = static_cast<int>(::SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    if (row >= 0)
        ::SendMessageW(list, LVM_DELETEITEM, row, 0);
}

bool DlgDeployment::CPageSettings::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_INITDIALOG) {
        m_location.ClearStyle(4);
        m_location.AttachDlgItem(m_hWnd, kIdLocation);
    } else if (msg == WM_CTLCOLORSTATIC && m_location.m_hWnd && reinterpret_cast<HWND>(lParam) == m_location.m_hWnd) {
        *result = reinterpret_cast<LRESULT>(m_location.OnCtlColor(reinterpret_cast<HDC>(wParam)));
        return true;
    }
    return DeploymentPageBase::OnMessage(msg, wParam, lParam, result);
}

void DlgDeployment::CPageSettings::SetLocationText(const wchar_t* text)
{
    if (m_location.m_hWnd)
        m_location.SetText(text);
}

void DlgDeployment::CPageSettings::FillSurveys(TiXmlDocument& document)
{
    HWND box = m_hWnd ? GetDlgItem(m_hWnd, kIdSurvey) : nullptr;
    TiXmlElement* root = document.FirstChildElementNamed(L"result");
    if (!box || !root)
        return;
    for (TiXmlElement* lang = root->FirstChildElementNamed(L"lang"); lang; lang = lang->NextSiblingElementNamed(L"lang")) {
        const wchar_t* type = lang->GetAttribute(L"type");
        const wchar_t* name = lang->GetAttribute(L"name");
        if (type && name && lstrcmpiW(type, L"survey") == 0)
            ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
}

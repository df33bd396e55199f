#include "structure/DlgOUSitePage.h"

#include "controls/CGDIManager.h"
#include "session/FormHelpers.h"

using SitePage = DlgOU::CSitePage;

const SitePage::Field SitePage::kFields[7] = {
    {1023, L"address_name"}, {1019, L"address_line_1"}, {1018, L"address_line_2"}, {1020, L"city"},
    {1024, L"region"},       {1022, L"post_code"},      {1021, L"country"},
};

namespace {
constexpr int kCountryEdit = 1021;
constexpr int kGdiToggleIcon = 19;
} // namespace

SitePage::CSitePage(DlgOU* form) : m_ou(form) { m_title = L"Site"; }

bool SitePage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result)) return true;
    if (msg != WM_INITDIALOG) return false;
    Init(m_hWnd, false, 300, 150, false);
    for (const Field& field : kFields)
        AddItem(GetDlgItem(m_hWnd, field.edit), RightToRight);
    AddItem(GetDlgItem(m_hWnd, kCountryToggle), LeftToRight | RightToRight);
    CGDIManager::CObject* icon = CGDIManager::Instance()->Find(kGdiToggleIcon);
    ::SendDlgItemMessageW(m_hWnd, kCountryToggle, BM_SETIMAGE, IMAGE_ICON, icon ? static_cast<LPARAM>(icon->Get()) : 0);
    *result = TRUE;
    return true;
}

bool SitePage::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    *result = 0;
    if (id == kCountryToggle) {
        if (code == 0) {
            m_form->SetModified(true);
            EnableCountry();
        }
        return true;
    }
    if (id >= 1018 && id <= 1024) {
        if (code == 0 || code == 1 || code == 5 || code == EN_CHANGE) m_form->SetModified(true);
        return true;
    }
    return false;
}

void SitePage::EnableCountry()
{
    EnableWindow(GetDlgItem(m_hWnd, kCountryEdit), IsDlgButtonChecked(m_hWnd, kCountryToggle) != BST_CHECKED);
}

bool SitePage::Load()
{
    if (!m_hWnd) return true;
    const Object& object = m_ou->m_object;
    for (const Field& field : kFields) {
        CAttribute value;
        object.GetAttribute(value, CTString(field.attribute));
        SetDlgItemTextW(m_hWnd, field.edit, value.GetText());
    }
    CheckDlgButton(m_hWnd, kCountryToggle, object.IsAttributeDefault(CTString(L"country")) ? BST_CHECKED : BST_UNCHECKED);
    EnableCountry();
    return true;
}

bool SitePage::Save()
{
    if (!m_hWnd) return true;
    Object& object = m_ou->m_object;
    for (const Field& field : kFields) {
        const CTString name(field.attribute);
        const Object::Attribute* current = object.FindAttribute(name);
        if (!current) continue;   // not created
        CTString text;
        GetWindowTextString(GetDlgItem(m_hWnd, field.edit), text);
        object.SetAttribute(name, CAttribute(current->GetType(), text));
    }
    // A set toggle returns the country to its inherited value, whatever the edit holds.
    SetAttributeInherited(IsDlgButtonChecked(m_hWnd, kCountryToggle) == BST_CHECKED ? 1 : 0, object, CTString(L"country"));
    return true;
}

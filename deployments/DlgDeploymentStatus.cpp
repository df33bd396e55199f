#include "deployments/DlgDeploymentStatus.h"

#include "session/DeploymentWorkflow.h"

namespace {
constexpr DWORD kStatusFlagOrder[13] = {0x1, 0x2, 0x10, 0x4, 0x8, 0x20, 0x40, 0x80, 0x200, 0x100, 0x400, 0x800, 0x10000};
}

const DeploymentFlagOption DlgDeploymentStatus::kFlags[13] = {
    {kStatusFlagOrder[0], DeploymentFlagName(kStatusFlagOrder[0])},
    {kStatusFlagOrder[1], DeploymentFlagName(kStatusFlagOrder[1])},
    {kStatusFlagOrder[2], DeploymentFlagName(kStatusFlagOrder[2])},
    {kStatusFlagOrder[3], DeploymentFlagName(kStatusFlagOrder[3])},
    {kStatusFlagOrder[4], DeploymentFlagName(kStatusFlagOrder[4])},
    {kStatusFlagOrder[5], DeploymentFlagName(kStatusFlagOrder[5])},
    {kStatusFlagOrder[6], DeploymentFlagName(kStatusFlagOrder[6])},
    {kStatusFlagOrder[7], DeploymentFlagName(kStatusFlagOrder[7])},
    {kStatusFlagOrder[8], DeploymentFlagName(kStatusFlagOrder[8])},
    {kStatusFlagOrder[9], DeploymentFlagName(kStatusFlagOrder[9])},
    {kStatusFlagOrder[10], DeploymentFlagName(kStatusFlagOrder[10])},
    {kStatusFlagOrder[11], DeploymentFlagName(kStatusFlagOrder[11])},
    {kStatusFlagOrder[12], DeploymentFlagName(kStatusFlagOrder[12])},
};

DlgDeploymentStatus::DlgDeploymentStatus() : DeploymentSettingForm(kListTab, L"DlgDeploymentStatus") {}

void DlgDeploymentStatus::AddPages()
{
    m_general = new CGeneralPage(this);
    AddPage(m_general);
}

// ---- General page ------------------------------------------------------------------------------

DlgDeploymentStatus::CGeneralPage::CGeneralPage(DlgDeploymentStatus* form)
    : m_flags(DlgDeploymentStatus::kFlags, 13), m_status(form)
{
    m_title = L"General";
    CTWndSettings::RegisterClass(FindDialogTemplateModule(kTemplateId));
}

bool DlgDeploymentStatus::CGeneralPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result))
        return true;
    if (msg != WM_INITDIALOG)
        return false;
    Init(m_hWnd, false, 300, 150, false);
    AddItem(GetDlgItem(m_hWnd, kName), RightToRight);
    for (int id : {1007, int(kDisplayOrder), 1008, int(kCode)})
        AddItem(GetDlgItem(m_hWnd, id), LeftToRight | RightToRight);
    AddItem(GetDlgItem(m_hWnd, kDescription), RightToRight);
    AddItem(GetDlgItem(m_hWnd, kOptions), RightToRight | BottomToBottom);
    m_description.AttachDlgItem(kDescription, m_hWnd);
    m_flags.Create(m_hWnd, kOptions, GetTemplateModule());
    *result = TRUE;
    return true;
}

bool DlgDeploymentStatus::CGeneralPage::OnNotify(WPARAM, NMHDR* hdr, LRESULT* result)
{
    if (!hdr || hdr->idFrom != static_cast<UINT_PTR>(kOptions) || hdr->code != CTWndSettings::NotifyToggled)
        return false;
    m_form->SetModified(true);
    *result = 1;
    return true;
}

bool DlgDeploymentStatus::CGeneralPage::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    if (id != kName && id != kDisplayOrder && id != kDescription && id != kCode)
        return false;
    if (code == 0 || code == 1 || code == EN_CHANGE)
        m_form->SetModified(true);
    *result = 0;
    return true;
}

bool DlgDeploymentStatus::CGeneralPage::Load()
{
    if (!m_hWnd)
        return true;
    const Object& object = m_status->m_object;
    DeploymentSettingForm::ShowText(object, L"name", m_hWnd, kName);
    DeploymentSettingForm::ShowText(object, L"description", m_hWnd, kDescription);
    DeploymentSettingForm::ShowText(object, L"code", m_hWnd, kCode);
    CAttribute order;
    object.GetAttribute(order, CTString(L"display_order"));
    SetDlgItemInt(m_hWnd, kDisplayOrder, static_cast<UINT>(order.GetValue()), FALSE);
    m_flags.Load(DeploymentAttribs(object));
    return true;
}

bool DlgDeploymentStatus::CGeneralPage::Save()
{
    if (!m_hWnd)
        return true;
    Object& object = m_status->m_object;
    DeploymentSettingForm::StoreText(object, L"name", m_hWnd, kName);
    DeploymentSettingForm::StoreText(object, L"description", m_hWnd, kDescription);
    DeploymentSettingForm::StoreText(object, L"code", m_hWnd, kCode);
    DeploymentSettingForm::StoreNumber(object, L"display_order", m_hWnd, kDisplayOrder);
    DeploymentSettingForm::StoreNumber(object, L"deployment_attribs", m_flags.Save(DeploymentAttribs(object)));
    return true;
}

#include "deployments/DlgDeploymentType.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/CTStringLocale.h"

namespace {
// A status's name in the user's language.
CTString StatusText(const Object& status)
{
    CTStringLocale name(status.name.GetBuffer() ? status.name.GetBuffer() : L"");
    return CTString(name.GetUserText());
}

template <class Fn>
void ForEachItem(CTWndSettings& list, Fn fn)
{
    for (CTWndSettings::CItem* item = list.GetNextItem(nullptr); item; item = list.GetNextItem(item))
        fn(item);
}
} // namespace

const DeploymentFlagOption DlgDeploymentType::kFlags[14] = {
    {0x1, L"Legacy Asset"},       {0x2, L"New Asset"},         {0x4, L"New Model"},
    {0x8, L"Transfer Legacy Asset"}, {0x10, L"Transfer New Asset"}, {0x20, L"Build Asset"},
    {0x100, L"Show Details"},     {0x200, L"Show Components"}, {0x400, L"Show Emails"},
    {0x800, L"Show Exceptions"},  {0x1000, L"Show Settings"},  {0x2000, L"Show Tasks"},
    {0x4000, L"Show Post Deployment Accept"}, {0x8000, L"Show Post Deployment Survey"},
};

DlgDeploymentType::DlgDeploymentType() : DeploymentSettingForm(kListTab, L"DlgTemplateDlg") {}

void DlgDeploymentType::AddPages()
{
    m_general = new CGeneralPage(this);
    AddPage(m_general);
    m_status = new CStatusPage(this);
    AddPage(m_status);
}

int DlgDeploymentType::CDepStatus::Compare(CLinkedListCompare* key)
{
    auto* other = dynamic_cast<CDepStatus*>(key);
    return other && other->m_id == m_id ? 0 : 2;
}

// ---- General page ------------------------------------------------------------------------------

DlgDeploymentType::CGeneralPage::CGeneralPage(DlgDeploymentType* form)
    : m_flags(DlgDeploymentType::kFlags, 14), m_type(form)
{
    m_title = L"General";
    CTWndSettings::RegisterClass(FindDialogTemplateModule(kTemplateId));
}

bool DlgDeploymentType::CGeneralPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result))
        return true;
    if (msg != WM_INITDIALOG)
        return false;
    Init(m_hWnd, false, 300, 150, false);
    for (int id : {kName, kAttribs, kDescription})
        AddItem(GetDlgItem(m_hWnd, id), RightToRight);
    for (int id : {1007, int(kDisplayOrder), 1008, int(kType)})
        AddItem(GetDlgItem(m_hWnd, id), LeftToRight | RightToRight);
    AddItem(GetDlgItem(m_hWnd, kOptions), RightToRight | BottomToBottom);
    m_description.AttachDlgItem(kDescription, m_hWnd);
    m_flags.Create(m_hWnd, kOptions, GetTemplateModule());
    *result = TRUE;
    return true;
}

bool DlgDeploymentType::CGeneralPage::OnNotify(WPARAM, NMHDR* hdr, LRESULT* result)
{
    if (!hdr || hdr->idFrom != static_cast<UINT_PTR>(kOptions) || hdr->code != CTWndSettings::NotifyToggled)
        return false;
    m_form->SetModified(true);
    *result = 1;
    return true;
}

bool DlgDeploymentType::CGeneralPage::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    if (id != kName && id != kDisplayOrder && id != kType && id != kAttribs && id != kDescription && id != kEnable)
        return false;
    if (code == 0 || code == 1 || code == EN_CHANGE)
        m_form->SetModified(true);
    *result = 0;
    return true;
}

bool DlgDeploymentType::CGeneralPage::Load()
{
    if (!m_hWnd)
        return true;
    const Object& object = m_type->m_object;
    DeploymentSettingForm::ShowText(object, L"name", m_hWnd, kName);
    DeploymentSettingForm::ShowText(object, L"description", m_hWnd, kDescription);
    DeploymentSettingForm::ShowText(object, L"deployment_custom_attributes", m_hWnd, kAttribs);
    DeploymentSettingForm::ShowText(object, L"deployment_type", m_hWnd, kType);
    CAttribute value;
    object.GetAttribute(value, CTString(L"display_order"));
    SetDlgItemInt(m_hWnd, kDisplayOrder, static_cast<UINT>(value.GetValue()), FALSE);
    object.GetAttribute(value, CTString(L"enable"));
    CheckDlgButton(m_hWnd, kEnable, value.GetValue() != 0 ? BST_CHECKED : BST_UNCHECKED);
    m_flags.Load(DeploymentAttribs(object));
    return true;
}

bool DlgDeploymentType::CGeneralPage::Save()
{
    if (!m_hWnd)
        return true;
    Object& object = m_type->m_object;
    DeploymentSettingForm::StoreText(object, L"name", m_hWnd, kName);
    DeploymentSettingForm::StoreText(object, L"description", m_hWnd, kDescription);
    DeploymentSettingForm::StoreNumber(object, L"display_order", m_hWnd, kDisplayOrder);
    DeploymentSettingForm::StoreNumber(object, L"enable", IsDlgButtonChecked(m_hWnd, kEnable) == BST_CHECKED ? 1 : 0);
    DeploymentSettingForm::StoreText(object, L"deployment_custom_attributes", m_hWnd, kAttribs);
    DeploymentSettingForm::StoreText(object, L"deployment_type", m_hWnd, kType);
    DeploymentSettingForm::StoreNumber(object, L"deployment_attribs", m_flags.Save(DeploymentAttribs(object)));
    return true;
}

// ---- Status page -------------------------------------------------------------------------------

DlgDeploymentType::CStatusPage::CStatusPage(DlgDeploymentType* form) : m_type(form)
{
    m_title = L"Status";
    CTWndSettings::RegisterClass(FindDialogTemplateModule(kTemplateId));
}

bool DlgDeploymentType::CStatusPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result))
        return true;
    if (msg != WM_INITDIALOG)
        return false;
    Init(m_hWnd, false, 0, 0, false);
    AddItem(GetDlgItem(m_hWnd, kEnabled), 0x14);
    AddItem(GetDlgItem(m_hWnd, kActive), 0x2C);
    CTWndSettings::ToolbarDesc none;
    none.module = GetTemplateModule();
    m_enabled.Create(m_hWnd, kEnabled, none);
    m_active.Create(m_hWnd, kActive, none);
    App* app = App::Instance();
    m_statusesLoaded = app && app->m_mainWindow && app->m_mainWindow->m_cache.GetDeploymentStatuses(m_statuses);
    for (const Object& status : m_statuses)
        m_enabled.AddItem(nullptr, {}, CTWndSettings::KindCheck, StatusText(status), 0, 0, status.id);
    m_enabled.Invalidate(true);
    *result = TRUE;
    return true;
}

bool DlgDeploymentType::CStatusPage::OnNotify(WPARAM, NMHDR* hdr, LRESULT* result)
{
    if (!hdr || hdr->code != CTWndSettings::NotifyToggled)
        return false;
    if (hdr->idFrom == static_cast<UINT_PTR>(kActive)) {
        m_form->SetModified(true);
    } else if (hdr->idFrom == static_cast<UINT_PTR>(kEnabled)) {
        m_form->SetModified(true);
        SyncActiveStatuses();
    } else {
        return false;
    }
    *result = 1;
    return true;
}


void DlgDeploymentType::CStatusPage::SyncActiveStatuses()
{
    CLinkedList ticked, listed, result;
    ForEachItem(m_enabled, [&](CTWndSettings::CItem* item) {
        if (item->value)
            ticked.AddTail(new CDepStatus(static_cast<unsigned>(item->data)));
    });
    ForEachItem(m_active, [&](CTWndSettings::CItem* item) {
        listed.AddTail(new CDepStatus(static_cast<unsigned>(item->data)));
    });
    ticked.CompareWith(listed, result);
    for (auto* record = static_cast<CLinkedList::CCompareResult*>(result.GetHead()); record;
         record = static_cast<CLinkedList::CCompareResult*>(record->GetNext())) {
        if (record->m_state == CLinkedList::CCompareResult::OnlyInOther) {
            auto* gone = static_cast<CDepStatus*>(record->m_other);
            if (CTWndSettings::CItem* item = m_active.FindItemByData(gone->m_id))
                m_active.DeleteItem(item, false);
        }
    }
    for (auto* record = static_cast<CLinkedList::CCompareResult*>(result.GetHead()); record;
         record = static_cast<CLinkedList::CCompareResult*>(record->GetNext())) {
        if (record->m_state != CLinkedList::CCompareResult::OnlyInThis)
            continue;
        const unsigned id = static_cast<CDepStatus*>(record->m_this)->m_id;
        // The new option goes after the nearest status before it (in cache order) that is listed.
        CTWndSettings::CItem* after = nullptr;
        for (const Object& status : m_statuses) {
            if (static_cast<unsigned>(status.id) == id) {
                CTWndSettings::CItem* added =
                    m_active.AddItem(nullptr, {}, CTWndSettings::KindCheck, StatusText(status), 0, 0, status.id);
                if (added) {
                    if (after)
                        m_active.MoveItem(added, false, after);
                    else if (CTWndSettings::CItem* first = m_active.GetNextItem(nullptr); first && first != added)
                        m_active.MoveItem(added, true, first);
                }
                break;
            }
            if (CTWndSettings::CItem* item = m_active.FindItemByData(status.id))
                after = item;
        }
    }
    m_active.Invalidate(true);
}

bool DlgDeploymentType::CStatusPage::Load()
{
    if (!m_hWnd || !m_statusesLoaded)
        return true;
    const Object& object = m_type->m_object;
    std::vector<__int64> ids;
    m_enabled.ResetToDefaults();
    object.GetLinkArray(ids, CTString(L"deployment_status_available"));
    for (__int64 id : ids)
        if (CTWndSettings::CItem* item = m_enabled.FindItemByData(id)) {
            item->value = 1;
            m_enabled.RefreshItem(item);
        }
    SyncActiveStatuses();
    m_active.ResetToDefaults();
    object.GetLinkArray(ids, CTString(L"deployment_status_active"));
    for (__int64 id : ids)
        if (CTWndSettings::CItem* item = m_active.FindItemByData(id)) {
            item->value = 1;
            m_active.RefreshItem(item);
        }
    return true;
}

bool DlgDeploymentType::CStatusPage::Save()
{
    // Without the statuses the lists were never shown: the stored lists stay as they are.
    if (!m_hWnd || !m_statusesLoaded)
        return true;
    std::vector<__int64> available, active;
    ForEachItem(m_enabled, [&](CTWndSettings::CItem* item) {
        if (item->value)
            available.push_back(item->data);
    });
    ForEachItem(m_active, [&](CTWndSettings::CItem* item) {
        if (item->value)
            active.push_back(item->data);
    });
    m_type->m_object.SetLinkArray(CTString(L"deployment_status_available"), available);
    m_type->m_object.SetLinkArray(CTString(L"deployment_status_active"), active);
    return true;
}

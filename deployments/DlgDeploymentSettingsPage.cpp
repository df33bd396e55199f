#include "deployments/DlgDeploymentPages.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "controls/CGDIManager.h"
#include "deployments/DeploymentLinks.h"
#include "foundation/TiXmlDocument.h"
#include "session/DeploymentWorkflow.h"
#include "session/FormHelpers.h"
#include "session/TimeZoneList.h"

namespace {
constexpr int kGdiInheritIcon = 19;
// Process-wide key of the location pickers the pages open.
__int64 g_locationPickerKey = 0;
}

int FindTimeZoneIndex(const TimeZoneList& zones, const CTString& id)
{
    for (size_t i = 0; i < zones.ids.size(); ++i) {
        const CTString& zone = zones.ids[i];
        if (zone.GetLength() == id.GetLength() &&
            lstrcmpW(zone.GetBuffer() ? zone.GetBuffer() : L"", id.GetBuffer() ? id.GetBuffer() : L"") == 0)
            return static_cast<int>(i);
    }
    return -1;
}

bool DlgDeployment::CPageSettings::IsChecked(int id) const
{
    return m_hWnd && IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED;
}

bool DlgDeployment::CPageSettings::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_INITDIALOG: {
        CTWndSize::Init(m_hWnd, false, 0, 0, false);
        AddItem(GetDlgItem(m_hWnd, kIdTimeZone), 8);
        AddItem(GetDlgItem(m_hWnd, kIdTimeZoneInherit), 9);
        AddItem(GetDlgItem(m_hWnd, kIdLocation), 8);
        AddItem(GetDlgItem(m_hWnd, kIdPickLocation), 9);
        AddItem(GetDlgItem(m_hWnd, kIdLocationInherit), 9);
        if (GetPane()) {
            CGDIManager::CObject* entry = CGDIManager::Instance()->Find(kGdiInheritIcon);
            HICON icon = entry ? reinterpret_cast<HICON>(entry->Get()) : nullptr;
            for (int id : {kIdTimeZoneInherit, kIdLocationInherit, kIdSurveyInherit})
                SendDlgItemMessageW(m_hWnd, id, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        }
        m_location.ClearStyle(4);
        m_location.AttachDlgItem(m_hWnd, kIdLocation);
        *result = TRUE;
        return true;
    }
    case WM_CTLCOLORSTATIC:
        if (m_location.m_hWnd && reinterpret_cast<HWND>(lParam) == m_location.m_hWnd) {
            *result = reinterpret_cast<LRESULT>(m_location.OnCtlColor(reinterpret_cast<HDC>(wParam)));
            return true;
        }
        break;
    default:
        break;
    }
    if (handled)
        return true;
    return DeploymentPageBase::OnMessage(msg, wParam, lParam, result);
}

bool DlgDeployment::CPageSettings::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    DlgDeployment* pane = GetPane();
    if (!pane)
        return DeploymentPageBase::OnCommand(wParam, lParam, result);
    const int id = LOWORD(wParam);
    const WORD code = HIWORD(wParam);
    *result = 0;
    switch (id) {
    case kIdLocation:
        if (code == 0) {
            const __int64 location = LinkId(GetDeployment(), L"link_deployment_location");
            if (location != 0 && GetMain())
                GetMain()->OpenAssetLocation(location);
        }
        return true;
    case kIdTimeZone:
    case kIdSurvey:
        if (code == 0 || code == 1 || code == 0xF0 || code == 0x300)
            MarkModified();
        if (id == kIdSurvey && code == CBN_DROPDOWN && !pane->m_surveysRequested) {
            pane->m_surveysRequested = true;
            if (App* app = pane->GetApp())
                app->m_db.QelLangSearch(CTString(L""), PaneRoute(DlgDeployment::kReqSurveys, 0));
        }
        return true;
    case kIdSurveyInherit:
    case kIdLocationInherit:
    case kIdTimeZoneInherit:
        if (code == 0) {
            MarkModified();
            UpdateEnables();
        }
        return true;
    case kIdPickLocation:
        if (code == 0)
            if (App* app = pane->GetApp())
                app->m_windows.OpenWindow(kWindowLocationPicker, static_cast<UINT64>(++g_locationPickerKey),
                                          reinterpret_cast<INT_PTR>(pane->GetHwnd()));
        return true;
    default:
        return DeploymentPageBase::OnCommand(wParam, lParam, result);
    }
}

void DlgDeployment::CPageSettings::Fill()
{
    MainWindow* main = GetMain();
    if (!main)
        return;
    const Object& deployment = GetDeployment();
    CheckDlgButton(m_hWnd, kIdTimeZoneInherit,
                   deployment.IsAttributeDefault(CTString(L"time_zone")) ? BST_CHECKED : BST_UNCHECKED);
    HWND zones = GetDlgItem(m_hWnd, kIdTimeZone);
    ::SendMessageW(zones, CB_RESETCONTENT, 0, 0);
    if (main->m_cache.IsLoaded(MainWindowCache::LoadTimeZones)) {
        const TimeZoneList& list = main->m_cache.timeZones;
        const int selected = FindTimeZoneIndex(list, AttributeText(deployment, L"time_zone"));
        for (size_t i = 0; i < list.ids.size(); ++i) {
            auto name = list.names.find(list.ids[i]);
            const wchar_t* text = name != list.names.end() && name->second.GetBuffer() ? name->second.GetBuffer() : L"";
            int item = static_cast<int>(::SendMessageW(zones, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
            ::SendMessageW(zones, CB_SETITEMDATA, item, static_cast<LPARAM>(i));
            if (static_cast<int>(i) == selected)
                ::SendMessageW(zones, CB_SETCURSEL, item, 0);
        }
    }
    SetItemText(kIdSurvey, AttributeText(deployment, L"survey_page").GetBuffer());
    CheckDlgButton(m_hWnd, kIdSurveyInherit,
                   deployment.IsAttributeDefault(CTString(L"survey_page")) ? BST_CHECKED : BST_UNCHECKED);
    UpdateEnables();
}

void DlgDeployment::CPageSettings::UpdateEnables()
{
    if (!m_hWnd)
        return;
    const bool edit = DeploymentStatusAllowsConsoleEdit(GetDeployment());
    EnableWindow(GetDlgItem(m_hWnd, kIdTimeZone), edit && !IsChecked(kIdTimeZoneInherit));
    EnableWindow(GetDlgItem(m_hWnd, kIdPickLocation), edit && !IsChecked(kIdLocationInherit));
    const bool surveyToggle = IsWindowEnabled(GetDlgItem(m_hWnd, kIdSurveyInherit)) != FALSE;
    EnableWindow(GetDlgItem(m_hWnd, kIdSurvey), surveyToggle && !IsChecked(kIdSurveyInherit));
}

bool DlgDeployment::CPageSettings::Save()
{
    DlgDeployment* pane = GetPane();
    MainWindow* main = GetMain();
    if (!m_hWnd || !pane || !main)
        return true;
    Object& deployment = pane->SlotRef(DlgDeployment::SlotDeployment);
    // Without the time zones loaded the box could not show the stored zone: it stays as stored.
    if (SetAttributeInherited(IsChecked(kIdTimeZoneInherit) ? 1 : 0, deployment, CTString(L"time_zone")) &&
        main->m_cache.IsLoaded(MainWindowCache::LoadTimeZones)) {
        HWND zones = GetDlgItem(m_hWnd, kIdTimeZone);
        LRESULT item = ::SendMessageW(zones, CB_GETCURSEL, 0, 0);
        int index = item == CB_ERR ? -1 : static_cast<int>(::SendMessageW(zones, CB_GETITEMDATA, item, 0));
        CTString id;
        GetStringAt(main->m_cache.timeZones, id, index);
        deployment.SetAttribute(CTString(L"time_zone"), CAttribute(id));
    }
    SetAttributeInherited(IsChecked(kIdLocationInherit) ? 1 : 0, deployment, CTString(L"link_deployment_location"));
    if (SetAttributeInherited(IsChecked(kIdSurveyInherit) ? 1 : 0, deployment, CTString(L"survey_page"))) {
        CTString survey;
        GetItemText(kIdSurvey, survey);
        deployment.SetAttribute(CTString(L"survey_page"), CAttribute(survey));
    }
    return true;
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

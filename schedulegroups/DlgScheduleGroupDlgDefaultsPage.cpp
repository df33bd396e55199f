#include "schedulegroups/DlgScheduleGroupDlgDefaultsPage.h"

#include <commctrl.h>
#include <time.h>

#include "app/App.h"
#include "app/MainWindow.h"
#include "controls/CGDIManager.h"
#include "foundation/TiXmlDocument.h"
#include "foundation/TiXmlElement.h"
#include "framework/CTApp.h"
#include "session/FormHelpers.h"
#include "structure/DlgOUDefaultsPage.h"

namespace {

MainWindow* TheMainWindow()
{
    App* app = App::Instance();
    return app ? app->m_mainWindow : nullptr;
}

const int kToggles[] = {1060, 1248, 1250, 1245, 1260, 1304, 1306, 1247};

CTString AttributeText(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value.GetString();
}

__int64 NumberOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value.GetValue();
}

void StoreText(Object& object, const wchar_t* name, const CTString& text)
{
    object.SetAttribute(CTString(name), CAttribute(CAttribute::Text, text));
}

// Replaces a number keeping the attribute's type, only when it differs.
void StoreNumberIfChanged(Object& object, const wchar_t* name, __int64 value)
{
    CAttribute copy;
    object.GetAttribute(copy, CTString(name));
    if (!CAttribute::IsTextType(copy.GetType()) && copy.GetValue() == value)
        return;
    copy.SetValue(CAttribute::IsTextType(copy.GetType()) ? CAttribute::Integer : copy.GetType(), value);
    copy.UpdateText();
    object.SetAttribute(CTString(name), copy);
}

SYSTEMTIME UtcDate(__int64 day)
{
    SYSTEMTIME out = {};
    __time64_t t = day;
    struct tm utc = {};
    if (_gmtime64_s(&utc, &t) == 0) {
        out.wYear = static_cast<WORD>(utc.tm_year + 1900);
        out.wMonth = static_cast<WORD>(utc.tm_mon + 1);
        out.wDayOfWeek = static_cast<WORD>(utc.tm_wday);
        out.wDay = static_cast<WORD>(utc.tm_mday);
    }
    return out;
}

__int64 UtcDay(const SYSTEMTIME& date)
{
    struct tm utc = {};
    utc.tm_year = date.wYear - 1900;
    utc.tm_mon = date.wMonth - 1;
    utc.tm_mday = date.wDay;
    return _mkgmtime64(&utc);
}

int AcceptEveryValue(void*, HWND, int, __int64) { return 1; }

} // namespace

bool ApplyDefaultToggle(int state, Object& object, const CTString& name)
{
    if (state & 1) {
        if (!object.IsAttributeDefault(name))
            object.ResetAttribute(name);
        return false;
    }
    if (object.IsAttributeDefault(name))
        object.OverrideDefault(name);
    return true;
}

bool DlgScheduleGroupDlg::CDefaultsPage::CreatePage(HWND parent)
{
    CTWndSettings::RegisterClass(FindDialogTemplateModule(kTemplateId));
    return CWMFormPage::CreatePage(parent);
}

void DlgScheduleGroupDlg::CDefaultsPage::Initialise()
{
    Init(m_hWnd, false, 300, 150, false);
    for (int id : {IdDisplayName, IdLanguage, IdTimeZone, IdLocation, IdExpiry, IdSlots})
        AddItem(GetDlgItem(m_hWnd, id), 8);
    for (int id : {IdDisplayNameToggle, IdLanguageToggle, IdTimeZoneToggle, IdLocationToggle, IdLinkToggle,
                   IdLocationPick})
        AddItem(GetDlgItem(m_hWnd, id), 9);
    AddItem(GetDlgItem(m_hWnd, IdAttributes), 12);
    if (CGDIManager::CObject* icon = CGDIManager::Instance()->Find(kToggleIcon))
        for (int id : kToggles)
            ::SendMessageW(GetDlgItem(m_hWnd, id), BM_SETIMAGE, IMAGE_ICON, static_cast<LPARAM>(icon->Get()));

    HMODULE module = FindDialogTemplateModule(kTemplateId);
    CTWndSettings::ToolbarButton inherit = {CTWndSettings::kInheritCommand, 0, 158, BTNS_CHECK};
    CTWndSettings::ToolbarDesc toolbar;
    toolbar.module = module;
    toolbar.buttonCount = 1;
    toolbar.buttons = &inherit;
    if (m_slots.Create(m_hWnd, IdSlots, toolbar)) {
        int image = m_slots.AddToolbarIcon(module);
        m_slots.SetCheckButtonImage(image);
    }
    m_attributes.Create(IdAttributes, m_hWnd);
    m_locationLink.AttachDlgItem(m_hWnd, IdLocation);
    m_locationLink.ClearStyle(4);
    GetItemText(IdLocation, m_unassignedText);

    MainWindow* main = TheMainWindow();
    if (main && main->m_cache.IsLoaded(MainWindowCache::LoadSlotData))
        for (const Object& data : main->m_cache.slotData)
            m_slots.AddItem(nullptr, CTWndSettings::Icon(), CTWndSettings::KindCheck, AttributeText(data, L"code"), 0, 0,
                            data.id);
}

bool DlgScheduleGroupDlg::CDefaultsPage::SlotsInherited()
{
    return (m_slots.GetCheckButtonState() & TBSTATE_CHECKED) != 0;
}

void DlgScheduleGroupDlg::CDefaultsPage::Modified()
{
    m_form->SetModified(true);
}

bool DlgScheduleGroupDlg::CDefaultsPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result))
        return true;
    if (m_attributes.m_hWnd && m_attributes.OnParentMessage(msg, wParam, lParam, result))
        return true;
    switch (msg) {
    case WM_INITDIALOG:
        Initialise();
        break;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == m_locationLink.m_hWnd && m_locationLink.m_hWnd) {
            *result = reinterpret_cast<LRESULT>(m_locationLink.OnCtlColor(reinterpret_cast<HDC>(wParam)));
            return true;
        }
        break;
    case kMsgLocationPicked: {
        ObjectBranch& group = Form()->GetGroup();
        const __int64 location = static_cast<__int64>(lParam);
        if (location != 0) {
            group.SetAttribute(CTString(L"link_deployment_location"), CAttribute(CAttribute::Integer, location));
            if (App* app = App::Instance())
                app->IDToPath(location, Form()->Route(ReqPath, PathLocation));
        } else {
            // The inherited value is what "not assigned" means: the toggle shows it, so that
            // saving keeps the reset instead of taking the emptied value over as the group's own.
            group.ResetAttribute(CTString(L"link_deployment_location"));
            SetLocationText(m_unassignedText);
            Press(IdLocationToggle, true);
            UpdateControls();
        }
        Modified();
        *result = 0;
        return true;
    }
    default:
        break;
    }
    return CWMFormPage::OnMessage(msg, wParam, lParam, result);
}

bool DlgScheduleGroupDlg::CDefaultsPage::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    switch (id) {
    case IdLanguage:
    case IdTimeZone:
    case IdDisplayName:
    case IdLockMin:
    case IdLockMax:
    case IdRunRate:
    case IdExpiry:
        if (code == 0 || code == 1 || code == 5 || code == 240 || code == EN_CHANGE) {
            Modified();
            UpdateControls();
        }
        return true;
    case IdDisplayNameToggle:
    case IdLocationToggle:
    case IdLanguageToggle:
    case IdTimeZoneToggle:
    case IdLinkToggle:
    case IdLockMinToggle:
    case IdLockMaxToggle:
    case IdRunRateToggle:
    case IdLinkEnabled:
        if (code == BN_CLICKED) {
            Modified();
            UpdateControls();
        }
        return true;
    case IdSlots:
        if (code == CTWndSettings::kInheritCommand) {
            Modified();
            UpdateControls();
        }
        return true;
    case IdAttributes:
        if (code == 0 || code == LBN_SELCHANGE || code == 240 || code == EN_CHANGE)
            Modified();
        return true;
    case IdLocationPick:
        if (code == BN_CLICKED)
            if (App* app = App::Instance())
                app->m_windows.OpenWindow(kLocationPickerType, static_cast<UINT64>(app->m_pickerKey++),
                                          reinterpret_cast<INT_PTR>(m_hWnd));
        return true;
    case IdLocation:
        if (code == BN_CLICKED) {
            const __int64 location = NumberOf(Form()->GetGroup(), L"link_deployment_location");
            if (location != 0)
                if (MainWindow* main = TheMainWindow())
                    main->OpenAssetLocation(location);
        }
        return true;
    default:
        break;
    }
    return CWMFormPage::OnCommand(wParam, lParam, result);
}

bool DlgScheduleGroupDlg::CDefaultsPage::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (hdr && hdr->idFrom == IdSlots && hdr->code == CTWndSettings::NotifyToggled) {
        Modified();
        *result = 1;
        return true;
    }
    if (hdr && hdr->idFrom == IdExpiry && hdr->code == DTN_DATETIMECHANGE)
        Modified();
    return CWMFormPage::OnNotify(wParam, hdr, result);
}

bool DlgScheduleGroupDlg::CDefaultsPage::Load()
{
    if (!m_hWnd)
        return true;
    App* app = App::Instance();
    MainWindow* main = TheMainWindow();
    ObjectBranch& group = Form()->GetGroup();
    if (app)
        app->m_db.QelLocaleGet(true, 16, Form()->Route(ReqLocales));

    // Time zones from the main window's list, by position.
    Press(IdTimeZoneToggle, group.IsAttributeDefault(CTString(L"time_zone")));
    HWND zones = GetDlgItem(m_hWnd, IdTimeZone);
    ::SendMessageW(zones, CB_RESETCONTENT, 0, 0);
    if (main && main->m_cache.IsLoaded(MainWindowCache::LoadTimeZones)) {
        const TimeZoneList& list = main->m_cache.timeZones;
        const int found = list.IndexOf(AttributeText(group, L"time_zone"));
        for (size_t i = 0; i < list.ids.size(); ++i) {
            auto name = list.names.find(list.ids[i]);
            const wchar_t* text = name != list.names.end() && name->second.GetBuffer() ? name->second.GetBuffer() : L"";
            LRESULT at = ::SendMessageW(zones, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
            ::SendMessageW(zones, CB_SETITEMDATA, at, static_cast<LPARAM>(i));
            if (static_cast<int>(i) == found)
                ::SendMessageW(zones, CB_SETCURSEL, at, 0);
        }
    }

    const __int64 location = NumberOf(group, L"link_deployment_location");
    if (location != 0 && app)
        app->IDToPath(location, Form()->Route(ReqPath, PathLocation));
    else
        SetLocationText(m_unassignedText);
    Press(IdLocationToggle, group.IsAttributeDefault(CTString(L"link_deployment_location")));

    if (main) {
        RequestRoute route = Form()->Route(ReqChoices);
        main->FillAttributeEditor(m_attributes, &AcceptEveryValue, m_hWnd, route, group);
    }

    Press(IdDisplayNameToggle, group.IsAttributeDefault(CTString(L"display_name")));
    CTString displayName = AttributeText(group, L"display_name");
    SetDlgItemTextW(m_hWnd, IdDisplayName, displayName.GetBuffer() ? displayName.GetBuffer() : L"");

    SetDlgItemInt(m_hWnd, IdLockMin, static_cast<UINT>(NumberOf(group, L"userportal_slot_lock_period_min")), FALSE);
    Press(IdLockMinToggle, group.IsAttributeDefault(CTString(L"userportal_slot_lock_period_min")));
    SetDlgItemInt(m_hWnd, IdLockMax, static_cast<UINT>(NumberOf(group, L"userportal_slot_lock_period_max")), FALSE);
    Press(IdLockMaxToggle, group.IsAttributeDefault(CTString(L"userportal_slot_lock_period_max")));
    SetDlgItemInt(m_hWnd, IdRunRate, static_cast<UINT>(NumberOf(group, L"max_deployments")), FALSE);
    Press(IdRunRateToggle, group.IsAttributeDefault(CTString(L"max_deployments")));

    Press(IdLinkToggle, group.IsAttributeDefault(CTString(L"linkaccess_expire")));
    const __int64 expiry = NumberOf(group, L"linkaccess_expire");
    Press(IdLinkEnabled, expiry > 1);
    if (expiry > 1) {
        SYSTEMTIME date = UtcDate(expiry);
        ::SendMessageW(GetDlgItem(m_hWnd, IdExpiry), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&date));
    }

    if (m_slots.m_hWnd) {
        m_slots.ResetToDefaults();
        std::vector<__int64> offered;
        group.GetLinkArray(offered, CTString(L"deployment_slot"));
        for (__int64 id : offered)
            if (CTWndSettings::CItem* item = m_slots.FindItemByData(id)) {
                item->value = 1;
                m_slots.RefreshItem(item);
            }
        if (m_slots.m_toolbar.m_hWnd) {
            LRESULT state = ::SendMessageW(m_slots.m_toolbar.m_hWnd, TB_GETSTATE, CTWndSettings::kInheritCommand, 0);
            state = group.IsAttributeDefault(CTString(L"deployment_slot")) ? (state | TBSTATE_CHECKED)
                                                                           : (state & ~TBSTATE_CHECKED);
            ::SendMessageW(m_slots.m_toolbar.m_hWnd, TB_SETSTATE, CTWndSettings::kInheritCommand, MAKELPARAM(state, 0));
        }
    }
    UpdateControls();
    return true;
}

void DlgScheduleGroupDlg::CDefaultsPage::OnLocales(RequestResult& reply)
{
    if (!m_hWnd || reply.kind != RequestResult::KindServerAnswer || reply.resultCode != 0 || reply.returnCode != 0)
        return;
    TiXmlElement* root = reply.document.FirstChildElementNamed(L"result");
    if (!root)
        return;
    HWND combo = GetDlgItem(m_hWnd, IdLanguage);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    m_localeCodes.clear();
    const CTString current = AttributeText(Form()->GetGroup(), L"language_code");
    for (TiXmlElement* row = root->FirstChildElementNamed(L"row"); row; row = row->NextSiblingElementNamed(L"row")) {
        int n = 0;
        row->GetAttributeInt(L"decimal", &n);
        const wchar_t* code = row->GetAttribute(L"code");
        m_localeCodes[n] = code ? code : L"";
        const wchar_t* name = row->GetAttribute(L"english_name");
        LRESULT at = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name ? name : L""));
        ::SendMessageW(combo, CB_SETITEMDATA, at, n);
        if (lstrcmpW(code ? code : L"", current.GetBuffer() ? current.GetBuffer() : L"") == 0)
            ::SendMessageW(combo, CB_SETCURSEL, at, 0);
    }
    Press(IdLanguageToggle, Form()->GetGroup().IsAttributeDefault(CTString(L"language_code")));
    UpdateControls();
}

void DlgScheduleGroupDlg::CDefaultsPage::OnChoiceList(int attributeId)
{
    MainWindow* main = TheMainWindow();
    App* app = App::Instance();
    if (!main || !app)
        return;
    ObjectBranch& group = Form()->GetGroup();
    std::vector<Object> definitions;
    main->GetCustomAttributes(group, definitions);
    for (const Object& definition : definitions) {
        CTString name = AttributeText(definition, L"attrib_name");
        if (group.GetAttributeId(name) != attributeId)
            continue;
        App::LookupList found;
        CAttribute listName;
        definition.GetAttribute(listName, CTString(L"attrib_list_name"));
        bool got = false;
        if (!listName.GetString().IsEmpty())
            got = app->GetCommsList(listName, found, Form()->Route(ReqChoices, attributeId));
        else
            got = app->ParseLookup(name, name, found, Form()->Route(ReqChoices, attributeId));
        if (got) {
            CTWndPropertyList::ChoiceMap choices(found.begin(), found.end());
            m_attributes.SetChoices(definition.name, choices);
        }
        return;
    }
}

void DlgScheduleGroupDlg::CDefaultsPage::UpdateControls()
{
    if (!m_hWnd)
        return;
    Enable(IdDisplayName, !Pressed(IdDisplayNameToggle));
    Enable(IdLockMin, !Pressed(IdLockMinToggle));
    Enable(IdLockMax, !Pressed(IdLockMaxToggle));
    Enable(IdRunRate, !Pressed(IdRunRateToggle));
    Enable(IdLanguage, !Pressed(IdLanguageToggle));
    Enable(IdTimeZone, !Pressed(IdTimeZoneToggle));
    Enable(IdLocationPick, !Pressed(IdLocationToggle));
    const bool enabled = Pressed(IdLinkEnabled);
    Enable(IdExpiry, !Pressed(IdLinkToggle) && enabled);
    Enable(IdExpiryLabel, enabled);
    Enable(IdLinkEnabled, !Pressed(IdLinkToggle));
    // Inherited slot values are shown greyed.
    if (m_slots.m_hWnd)
        ApplySettingsInheritState(m_slots);
}

void DlgScheduleGroupDlg::CDefaultsPage::SetLocationText(const CTString& path)
{
    if (m_locationLink.m_hWnd)
        m_locationLink.SetText(path.GetBuffer() ? path.GetBuffer() : L"");
}

bool DlgScheduleGroupDlg::CDefaultsPage::Save()
{
    if (!m_hWnd)
        return true;
    ObjectBranch& group = Form()->GetGroup();
    MainWindow* main = TheMainWindow();

    if (SetAttributeInherited(Pressed(IdDisplayNameToggle), group, CTString(L"display_name"))) {
        CTString text;
        GetItemText(IdDisplayName, text);
        StoreText(group, L"display_name", text);
    }
    // A list that is missing or holds no selection leaves the stored value as it was.
    if (ApplyDefaultToggle(Pressed(IdLanguageToggle), group, CTString(L"language_code"))) {
        HWND combo = GetDlgItem(m_hWnd, IdLanguage);
        LRESULT selected = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (selected != CB_ERR) {
            int n = static_cast<int>(::SendMessageW(combo, CB_GETITEMDATA, selected, 0));
            auto code = m_localeCodes.find(n);
            if (code != m_localeCodes.end())
                StoreText(group, L"language_code", code->second);
        }
    }
    if (ApplyDefaultToggle(Pressed(IdTimeZoneToggle), group, CTString(L"time_zone"))) {
        HWND combo = GetDlgItem(m_hWnd, IdTimeZone);
        LRESULT selected = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (selected != CB_ERR && main) {
            CTString zone;
            GetStringAt(main->m_cache.timeZones, zone,
                        static_cast<int>(::SendMessageW(combo, CB_GETITEMDATA, selected, 0)));
            StoreText(group, L"time_zone", zone);
        }
    }
    if (SetAttributeInherited(Pressed(IdLinkToggle), group, CTString(L"linkaccess_expire"))) {
        __int64 value = 1;
        if (Pressed(IdLinkEnabled)) {
            SYSTEMTIME date = {};
            value = 0;
            if (::SendMessageW(GetDlgItem(m_hWnd, IdExpiry), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date)) ==
                    GDT_VALID &&
                date.wYear >= 1900)
                value = UtcDay(date);
        }
        CAttribute copy;
        group.GetAttribute(copy, CTString(L"linkaccess_expire"));
        copy.SetValue(CAttribute::IsTextType(copy.GetType()) ? CAttribute::Date : copy.GetType(), value);
        copy.UpdateText();
        group.SetAttribute(CTString(L"linkaccess_expire"), copy);
    }
    const struct {
        int toggle;
        int edit;
        const wchar_t* name;
    } numbers[] = {{IdLockMinToggle, IdLockMin, L"userportal_slot_lock_period_min"},
                   {IdLockMaxToggle, IdLockMax, L"userportal_slot_lock_period_max"},
                   {IdRunRateToggle, IdRunRate, L"max_deployments"}};
    for (const auto& number : numbers)
        if (SetAttributeInherited(Pressed(number.toggle), group, CTString(number.name)))
            StoreNumberIfChanged(group, number.name, GetDlgItemInt(m_hWnd, number.edit, nullptr, FALSE));
    ApplyDefaultToggle(Pressed(IdLocationToggle), group, CTString(L"link_deployment_location"));
    if (m_slots.m_hWnd && SetAttributeInherited(SlotsInherited() ? 1 : 0, group, CTString(L"deployment_slot"))) {
        std::vector<__int64> offered;
        for (CTWndSettings::CItem* item = m_slots.GetNextItem(nullptr); item; item = m_slots.GetNextItem(item))
            if (item->value != 0)
                offered.push_back(item->data);
        group.SetLinkArray(CTString(L"deployment_slot"), offered);
    }

    // Custom attributes, one row each with the attribute id as its data.
    for (int index = 0; index < m_attributes.GetCount(); ++index) {
        CTWndPropertyList::CItem* row = m_attributes.GetItem(index);
        if (!row || row->m_data == 0)
            continue;
        CTString name;
        if (!group.GetAttributeNameById(static_cast<int>(row->m_data), name))
            continue;
        if (!SetAttributeInherited(m_attributes.IsChecked(index) ? 1 : 0, group, name))
            continue;
        if (m_attributes.IsReadOnly(index))
            continue;
        CAttribute current;
        group.GetAttribute(current, name);
        CAttribute value;
        m_attributes.GetValue(index, value);
        CTString text = value.GetString();
        CAttribute values;
        group.GetEditSpecItem(values, name, CTString(L"VALUES"));
        __int64 chosen = 0;
        if (!values.GetString().IsEmpty() && group.FindAllowedValueIndex(name, text, chosen)) {
            // A value list stores the index of the chosen text.
            value = CAttribute(current.GetType() == CAttribute::Text ? CAttribute::Integer : current.GetType(), chosen);
        } else if (current.GetType() == CAttribute::Integer) {
            value = CAttribute(CAttribute::Integer, text.IsEmpty() ? 0 : text.ToInt64());
        } else {
            value = CAttribute(current.GetType(), text);
        }
        group.SetAttribute(name, value);
    }
    return true;
}

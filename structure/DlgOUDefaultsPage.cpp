#include "structure/DlgOUDefaultsPage.h"

#include <commctrl.h>
#include <algorithm>

#include "app/App.h"
#include "app/MainWindow.h"
#include "controls/CGDIManager.h"
#include "foundation/CTStringLocale.h"
#include "foundation/TiXmlDocument.h"
#include "foundation/TiXmlElement.h"
#include "lists/DlgSelectObject.h"
#include "session/FormHelpers.h"
#include "session/ObjectBranch.h"
#include "session/RequestResult.h"
#include "structure/ProjectCalendarEditing.h"

namespace {

MainWindow* TheMainWindow()
{
    App* app = App::Instance();
    return app ? app->m_mainWindow : nullptr;
}

CTString TextOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return CTString(value.GetString());
}

__int64 NumberOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value.GetValue();
}

const wchar_t* Chars(const CTString& text)
{
    return text.GetBuffer() ? text.GetBuffer() : L"";
}

// A number keeping the attribute's type, stored only when it differs.
void StoreNumberIfChanged(Object& object, const wchar_t* name, __int64 value, int textType)
{
    CAttribute copy;
    object.GetAttribute(copy, CTString(name));
    if (!CAttribute::IsTextType(copy.GetType()) && copy.GetValue() == value)
        return;
    copy.SetValue(CAttribute::IsTextType(copy.GetType()) ? textType : copy.GetType(), value);
    copy.UpdateText();
    object.SetAttribute(CTString(name), copy);
}

LRESULT SelectedData(HWND combo)
{
    const LRESULT selected = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? CB_ERR : ::SendMessageW(combo, CB_GETITEMDATA, selected, 0);
}

bool Enabled(const Object& object)
{
    return NumberOf(object, L"enable") != 0;
}

} // namespace

const int DlgOU::CDefaultsPage::kListIds[kListCount] = {IdDeploymentTypes, IdAdminPortal,      IdRequestTypes,
                                                        IdSlots,           IdOrderPortal,      IdAssignmentPortal,
                                                        IdDeploymentPortal};
const wchar_t* const DlgOU::CDefaultsPage::kListAttributes[kListCount] = {
    L"deployment_type_available", L"admin_page_available", L"request_type_available", L"deployment_slot",
    L"order_portal_choice",       L"build_portal_choice",  L"deployment_portal_choice"};

void ApplySettingsInheritState(CTWndSettings& list)
{
    const bool inherited = list.m_toolbar.m_hWnd &&
                           (::SendMessageW(list.m_toolbar.m_hWnd, TB_GETSTATE, CTWndSettings::kInheritCommand, 0) &
                            TBSTATE_CHECKED) != 0;
    for (CTWndSettings::CItem* item = list.GetNextItem(nullptr); item; item = list.GetNextItem(item))
        list.SetItemEnabled(item, !inherited);
}

DlgOU::CDefaultsPage::CDefaultsPage(DlgOU* form)
{
    m_form = form;
    m_title = L"Schedule Group Defaults";
}

DlgOU::CDefaultsPage::~CDefaultsPage() = default;

Object& DlgOU::CDefaultsPage::Unit()
{
    return Form()->m_object;
}

bool DlgOU::CDefaultsPage::CreatePage(HWND parent)
{
    CTWndSettings::RegisterClass(FindDialogTemplateModule(kTemplateId));
    return CWMFormPage::CreatePage(parent);
}

void DlgOU::CDefaultsPage::Initialise()
{
    Init(m_hWnd, false, 300, 150, false);
    for (int id : {IdLanguage, IdTimeZone, IdMsgService, IdLocation, IdOrderFolder, IdTemplate, IdUserPortal,
                   IdBuildSheet, IdExpiry})
        AddItem(GetDlgItem(m_hWnd, id), 8);
    for (int id : kListIds)
        AddItem(GetDlgItem(m_hWnd, id), 8);
    for (int id : {IdLanguageToggle, IdTimeZoneToggle, IdMsgServiceToggle, IdLocationToggle, IdLocationPick,
                   IdOrderFolderToggle, IdOrderFolderPick, IdTemplateToggle, IdUserPortalToggle, IdBuildSheetToggle,
                   IdLinkToggle, IdCalendarToggle})
        AddItem(GetDlgItem(m_hWnd, id), 9);
    HMODULE module = FindDialogTemplateModule(kTemplateId);
    CTWndSettings::ToolbarButton inherit = {CTWndSettings::kInheritCommand, 0, 158, BTNS_CHECK};
    CTWndSettings::ToolbarDesc toolbar;
    toolbar.module = module;
    toolbar.buttonCount = 1;
    toolbar.buttons = &inherit;
    for (int i = 0; i < kListCount; ++i)
        if (m_lists[i].Create(m_hWnd, kListIds[i], toolbar))
            m_lists[i].SetCheckButtonImage(m_lists[i].AddToolbarIcon(module));
    if (CGDIManager::CObject* icon = CGDIManager::Instance()->Find(kToggleIcon))
        for (int id : {IdLanguageToggle, IdTimeZoneToggle, IdMsgServiceToggle, IdLocationToggle, IdOrderFolderToggle,
                       IdTemplateToggle, IdUserPortalToggle, IdBuildSheetToggle, IdLinkToggle, IdLockMinToggle,
                       IdLockMaxToggle, IdRunRateToggle, IdCalendarToggle})
            ::SendMessageW(GetDlgItem(m_hWnd, id), BM_SETIMAGE, IMAGE_ICON, static_cast<LPARAM>(icon->Get()));

    // The choices, once, from what the main window holds.
    MainWindow* main = TheMainWindow();
    if (main) {
        const MainWindowCache& cache = main->m_cache;
        auto add = [](CTWndSettings& list, const Object& object, const CTString& text) {
            if (list.m_hWnd)
                list.AddItem(nullptr, CTWndSettings::Icon(), CTWndSettings::KindCheck, text, 0, 0, object.id);
        };
        auto userText = [](const Object& object) {
            CTStringLocale name(CTString(TextOf(object, L"name").IsEmpty() ? CTString(object.name)
                                                                            : TextOf(object, L"name")));
            return CTString(name.GetUserText());
        };
        if (cache.IsLoaded(MainWindowCache::LoadDeploymentTypes))
            for (const Object& type : cache.deploymentTypes)
                if (Enabled(type))
                    add(m_lists[0], type, userText(type));
        for (const Object& page : cache.settings[MainWindowCache::AdminPortalPage])
            if (Enabled(page))
                add(m_lists[1], page, userText(page));
        for (const Object& type : cache.settings[MainWindowCache::RequestType])
            if (Enabled(type))
                add(m_lists[2], type, userText(type));
        if (cache.IsLoaded(MainWindowCache::LoadSlotData))
            for (const Object& slot : cache.slotData)
                add(m_lists[3], slot, TextOf(slot, L"code"));
        if (cache.IsLoaded(MainWindowCache::LoadStatuses))
            for (const Object& status : cache.deploymentStatuses)
                if (NumberOf(status, L"deployment_attribs") & 0x10000) {
                    CTStringLocale name(status.name);
                    for (int i = 4; i < 7; ++i)
                        add(m_lists[i], status, CTString(name.GetUserText()));
                }
    }
    m_locationLink.AttachDlgItem(m_hWnd, IdLocation);
    m_orderFolderLink.AttachDlgItem(m_hWnd, IdOrderFolder);
    wchar_t text[128] = {};
    GetDlgItemTextW(m_hWnd, IdLocation, text, 128);
    m_unassignedText = text;
}

void DlgOU::CDefaultsPage::Modified()
{
    if (m_form)
        m_form->SetModified(true);
}

void DlgOU::CDefaultsPage::PressFor(int toggle, const wchar_t* name)
{
    Press(toggle, Unit().IsAttributeDefault(CTString(name)));
}

bool DlgOU::CDefaultsPage::ListInherited(int index)
{
    HWND toolbar = m_lists[index].m_toolbar.m_hWnd;
    return toolbar && (::SendMessageW(toolbar, TB_GETSTATE, CTWndSettings::kInheritCommand, 0) & TBSTATE_CHECKED);
}

void DlgOU::CDefaultsPage::FillCombo(int id, const wchar_t* first, const std::vector<Object>& objects,
                                     __int64 selected)
{
    HWND combo = GetDlgItem(m_hWnd, id);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    LRESULT at = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(first));
    ::SendMessageW(combo, CB_SETITEMDATA, at, 0);
    ::SendMessageW(combo, CB_SETCURSEL, at, 0);
    for (const Object& object : objects) {
        CTString name(object.name);
        at = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Chars(name)));
        ::SendMessageW(combo, CB_SETITEMDATA, at, static_cast<LPARAM>(object.id));
        if (object.id == selected)
            ::SendMessageW(combo, CB_SETCURSEL, at, 0);
    }
}

void DlgOU::CDefaultsPage::RequestObject(__int64 id, int which)
{
    if (App* app = App::Instance())
        app->m_db.ObjGet(static_cast<unsigned>(id), false, true, Form()->MakeRoute(ReqObject, which));
}

std::vector<CTString> DlgOU::CDefaultsPage::MessageServices(const CTString& current, const CTString& reply)
{
    std::vector<CTString> out;
    std::wstring text = Chars(reply), piece;
    const std::wstring now = Chars(current);
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != L',') {
            piece += text[i];
            continue;
        }
        const bool seen = piece == now || std::any_of(out.begin(), out.end(), [&](const CTString& s) {
                              return piece == Chars(s);
                          });
        if (!seen)
            out.emplace_back(piece.c_str());
        piece.clear();
    }
    return out;
}

void DlgOU::CDefaultsPage::RequestMessageServices()
{
    App* app = App::Instance();
    if (!app)
        return;
    CAttributes form;
    form.Set(CTString(L"GetMsgTypes"), CAttribute(CAttribute::Integer, 1ll));
    HWND combo = GetDlgItem(m_hWnd, IdMsgService);
    const CTString current = TextOf(Unit(), L"msg_service");
    app->m_db.Post(CTString(L"api/api_qelQuery.php"), form, [combo, current](DB::DBEvent& event) {
        TiXmlDocument doc;
        if (event.ReadXmlReply(doc) != 2 || !::IsWindow(combo))
            return;
        TiXmlElement* result = doc.FirstChildElementNamed(L"result");
        TiXmlElement* value = result ? result->FirstChildElementNamed(L"value") : nullptr;
        const TiXmlNode* text = value ? value->FirstChild() : nullptr;
        if (!text || text->GetType() != TiXmlNode::TEXT)
            return;
        for (const CTString& service : MessageServices(current, CTString(text->Value())))
            ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Chars(service)));
    });
}

bool DlgOU::CDefaultsPage::Load()
{
    if (!m_hWnd)
        return true;
    App* app = App::Instance();
    MainWindow* main = TheMainWindow();
    Object& unit = Unit();
    m_languagesFilled = false;
    m_templatesFilled = false;
    m_timeZonesFilled = false;
    if (app)
        app->m_db.QelLocaleGet(true, 16, Form()->MakeRoute(ReqLocales));

    PressFor(IdTimeZoneToggle, L"time_zone");
    HWND zones = GetDlgItem(m_hWnd, IdTimeZone);
    ::SendMessageW(zones, CB_RESETCONTENT, 0, 0);
    if (main && main->m_cache.IsLoaded(MainWindowCache::LoadTimeZones)) {
        const TimeZoneList& list = main->m_cache.timeZones;
        const int found = list.IndexOf(TextOf(unit, L"time_zone"));
        for (size_t i = 0; i < list.ids.size(); ++i) {
            auto name = list.names.find(list.ids[i]);
            const wchar_t* text = name != list.names.end() ? Chars(name->second) : L"";
            LRESULT at = ::SendMessageW(zones, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
            ::SendMessageW(zones, CB_SETITEMDATA, at, static_cast<LPARAM>(i));
            if (static_cast<int>(i) == found)
                ::SendMessageW(zones, CB_SETCURSEL, at, 0);
        }
        m_timeZonesFilled = true;
    }

    PressFor(IdMsgServiceToggle, L"msg_service");
    HWND services = GetDlgItem(m_hWnd, IdMsgService);
    ::SendMessageW(services, CB_RESETCONTENT, 0, 0);
    ::SendMessageW(services, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Chars(TextOf(unit, L"msg_service"))));
    ::SendMessageW(services, CB_SETCURSEL, 0, 0);
    RequestMessageServices();

    PressFor(IdLinkToggle, L"linkaccess_expire");
    const __int64 expiry = NumberOf(unit, L"linkaccess_expire");
    Press(IdLinkEnabled, expiry > 1);
    if (expiry > 1) {
        SYSTEMTIME date = CalendarEditing::DateOf(expiry);
        ::SendMessageW(GetDlgItem(m_hWnd, IdExpiry), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&date));
    }

    FillTemplates();

    SetDlgItemInt(m_hWnd, IdRunRate, static_cast<UINT>(NumberOf(unit, L"max_deployments")), FALSE);
    SetDlgItemInt(m_hWnd, IdLockMin, static_cast<UINT>(NumberOf(unit, L"userportal_slot_lock_period_min")), FALSE);
    SetDlgItemInt(m_hWnd, IdLockMax, static_cast<UINT>(NumberOf(unit, L"userportal_slot_lock_period_max")), FALSE);
    PressFor(IdRunRateToggle, L"max_deployments");
    PressFor(IdLockMinToggle, L"userportal_slot_lock_period_min");
    PressFor(IdLockMaxToggle, L"userportal_slot_lock_period_max");

    for (int i = 0; i < kListCount; ++i) {
        CTWndSettings& list = m_lists[i];
        if (!list.m_hWnd)
            continue;
        std::vector<__int64> ids;
        unit.GetLinkArray(ids, CTString(kListAttributes[i]));
        for (CTWndSettings::CItem* item = list.GetNextItem(nullptr); item; item = list.GetNextItem(item)) {
            item->value = std::find(ids.begin(), ids.end(), item->data) != ids.end() ? 1 : 0;
            list.RefreshItem(item);
        }
        if (HWND toolbar = list.m_toolbar.m_hWnd) {
            LRESULT state = ::SendMessageW(toolbar, TB_GETSTATE, CTWndSettings::kInheritCommand, 0);
            state = unit.IsAttributeDefault(CTString(kListAttributes[i])) ? (state | TBSTATE_CHECKED)
                                                                          : (state & ~TBSTATE_CHECKED);
            ::SendMessageW(toolbar, TB_SETSTATE, CTWndSettings::kInheritCommand, MAKELPARAM(state, 0));
        }
    }

    PressFor(IdUserPortalToggle, L"link_user_portal");
    PressFor(IdBuildSheetToggle, L"build_sheet");
    if (main) {
        FillCombo(IdUserPortal, L"<none>", main->m_cache.settings[MainWindowCache::UserPortal],
                  NumberOf(unit, L"link_user_portal"));
        FillCombo(IdBuildSheet, L"<use default>", main->m_cache.settings[MainWindowCache::BuildSheet],
                  NumberOf(unit, L"build_sheet"));
    }

    PressFor(IdCalendarToggle, L"calendar");
    m_calendar.rules.clear();
    m_calendar.ReadXml(TextOf(unit, L"calendar"));
    m_calendarEdited = false;
    RefreshMonthCalendarDayState(*this);
    ShowSelectedDay();

    m_location = Object();
    m_location.id = NumberOf(unit, L"link_deployment_location");
    if (m_location.id != 0)
        RequestObject(m_location.id, ParamLocation);
    else if (m_locationLink.m_hWnd)
        m_locationLink.SetText(Chars(m_unassignedText));
    PressFor(IdLocationToggle, L"link_deployment_location");
    m_orderFolder = Object();
    m_orderFolder.id = NumberOf(unit, L"link_order_folder");
    if (m_orderFolder.id != 0)
        RequestObject(m_orderFolder.id, ParamOrderFolder);
    else if (m_orderFolderLink.m_hWnd)
        m_orderFolderLink.SetText(Chars(m_unassignedText));
    PressFor(IdOrderFolderToggle, L"link_order_folder");
    UpdateControls();
    return true;
}

void DlgOU::CDefaultsPage::FillTemplates()
{
    MainWindow* main = TheMainWindow();
    std::vector<Object> templates;
    if (!m_hWnd || !main || !main->GetTemplates(templates))
        return;
    FillCombo(IdTemplate, L"<none>", templates, NumberOf(Unit(), L"link_template"));
    PressFor(IdTemplateToggle, L"link_template");
    m_templatesFilled = true;
    UpdateControls();
}

void DlgOU::CDefaultsPage::OnReply(RequestResult& reply)
{
    if (!m_hWnd)
        return;
    const int request = reply.route.requestId;
    if (request == NoticeTemplates) {
        FillTemplates();
        return;
    }
    if (request == ReqLocales) {
        if (reply.kind != RequestResult::KindServerAnswer || reply.resultCode != 0 || reply.returnCode != 0)
            return;
        TiXmlElement* root = reply.document.FirstChildElementNamed(L"result");
        if (!root)
            return;
        HWND combo = GetDlgItem(m_hWnd, IdLanguage);
        ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        m_localeCodes.clear();
        const CTString current = TextOf(Unit(), L"language_code");
        for (TiXmlElement* row = root->FirstChildElementNamed(L"row"); row; row = row->NextSiblingElementNamed(L"row")) {
            int n = 0;
            row->GetAttributeInt(L"decimal", &n);
            const wchar_t* code = row->GetAttribute(L"code");
            m_localeCodes[n] = code ? code : L"";
            const wchar_t* name = row->GetAttribute(L"english_name");
            LRESULT at = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name ? name : L""));
            ::SendMessageW(combo, CB_SETITEMDATA, at, n);
            if (wcscmp(code ? code : L"", Chars(current)) == 0)
                ::SendMessageW(combo, CB_SETCURSEL, at, 0);
        }
        PressFor(IdLanguageToggle, L"language_code");
        m_languagesFilled = true;
        UpdateControls();
        return;
    }
    if (request != ReqObject || (reply.route.param2 != ParamLocation && reply.route.param2 != ParamOrderFolder))
        return;
    if (reply.resultCode != 0 || reply.returnCode != 0)
        return;
    const bool location = reply.route.param2 == ParamLocation;
    Object& held = location ? m_location : m_orderFolder;
    CTHyperLink& link = location ? m_locationLink : m_orderFolderLink;
    TiXmlElement* root = reply.document.FirstChildElementNamed(L"result");
    TiXmlElement* parameters = root ? root->FirstChildElementNamed(L"parameters") : nullptr;
    int64_t id = 0;
    if (parameters)
        parameters->GetAttributeInt64(L"ID", &id);
    if (id == held.id && root) {
        ObjectBranch branch;
        bool first = true;
        for (TiXmlElement* element = root->FirstChildElementNamed(L"object"); element;
             element = element->NextSiblingElementNamed(L"object")) {
            Object read;
            read.ReadFromXml(element, true);
            if (first)
                branch.Object::Assign(read);
            else
                branch.children.push_back(read);
            first = false;
        }
        Object object(branch);
        branch.BuildPath(object);
        held = object;
    }
    if (link.m_hWnd && held.id != 0)
        link.SetText(Chars(held.path));
}

void DlgOU::CDefaultsPage::UpdateControls()
{
    if (!m_hWnd)
        return;
    const std::pair<int, int> pairs[] = {
        {IdLanguage, IdLanguageToggle},   {IdTimeZone, IdTimeZoneToggle},     {IdMsgService, IdMsgServiceToggle},
        {IdLocationPick, IdLocationToggle}, {IdOrderFolderPick, IdOrderFolderToggle}, {IdTemplate, IdTemplateToggle},
        {IdUserPortal, IdUserPortalToggle}, {IdBuildSheet, IdBuildSheetToggle}, {IdLockMin, IdLockMinToggle},
        {IdLockMax, IdLockMaxToggle},     {IdRunRate, IdRunRateToggle}};
    for (const auto& [control, toggle] : pairs)
        Enable(control, !Pressed(toggle));
    const bool enabled = Pressed(IdLinkEnabled);
    Enable(IdExpiry, !Pressed(IdLinkToggle) && enabled);
    Enable(IdExpiryLabel, enabled);
    Enable(IdLinkEnabled, !Pressed(IdLinkToggle));
    for (CTWndSettings& list : m_lists)
        if (list.m_hWnd)
            ApplySettingsInheritState(list);
    for (int id : {IdDefault, IdInclude, IdExclude})
        Enable(id, !Pressed(IdCalendarToggle));
}

void DlgOU::CDefaultsPage::ShowSelectedDay()
{
    SYSTEMTIME picked = {};
    if (!::SendMessageW(GetDlgItem(m_hWnd, IdCalendar), MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&picked)))
        return;
    const __int64 day = CalendarEditing::DayOf(picked);
    SYSTEMTIME date = CalendarEditing::DateOf(day);
    wchar_t text[64] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr, text, 64);
    SetDlgItemTextW(m_hWnd, IdDayText, text);
    const int own = CalendarEditing::OwnRuleIndex(m_calendar, day);
    const int kind = own >= 0 ? m_calendar.rules[own].kind : ProjectCalendar::None;
    CheckRadioButton(m_hWnd, IdDefault, IdExclude,
                     kind == ProjectCalendar::IncludeDate   ? IdInclude
                     : kind == ProjectCalendar::ExcludeDate ? IdExclude
                                                            : IdDefault);
}

void DlgOU::CDefaultsPage::OnDayChoice()
{
    const int kind = Pressed(IdExclude) ? ProjectCalendar::ExcludeDate
                     : Pressed(IdInclude) ? ProjectCalendar::IncludeDate
                                          : ProjectCalendar::None;
    SYSTEMTIME picked = {};
    if (!::SendMessageW(GetDlgItem(m_hWnd, IdCalendar), MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&picked)))
        return;
    if (CalendarEditing::SetDayChoice(m_calendar, CalendarEditing::DayOf(picked), kind))
        m_calendarEdited = true;
    Modified();
    RefreshMonthCalendarDayState(*this);
}

bool DlgOU::CDefaultsPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result))
        return true;
    switch (msg) {
    case WM_INITDIALOG:
        Initialise();
        break;
    case WM_CTLCOLORSTATIC:
        for (CTHyperLink* link : {&m_locationLink, &m_orderFolderLink})
            if (link->m_hWnd && reinterpret_cast<HWND>(lParam) == link->m_hWnd) {
                *result = reinterpret_cast<LRESULT>(link->OnCtlColor(reinterpret_cast<HDC>(wParam)));
                return true;
            }
        break;
    case MsgLocationPicked: {
        Object& unit = Unit();
        if (lParam != 0) {
            m_location = Object();
            m_location.id = static_cast<__int64>(lParam);
            unit.SetAttribute(CTString(L"link_deployment_location"), CAttribute(CAttribute::Integer, m_location.id));
            RequestObject(m_location.id, ParamLocation);
        } else {
            unit.ResetAttribute(CTString(L"link_deployment_location"));
            m_location = Object();
            if (m_locationLink.m_hWnd)
                m_locationLink.SetText(Chars(m_unassignedText));
        }
        Modified();
        *result = 0;
        return true;
    }
    case MsgPickerSetup: {
        auto* setup = reinterpret_cast<DlgSelectObject::Setup*>(lParam);
        if (setup) {
            if (!setup->types.IsEmpty())
                setup->types.Append(CTString(L","));
            setup->types.Append(CTString(L"OU,Order Folder"));
            if (!setup->selectable.IsEmpty())
                setup->selectable.Append(CTString(L","));
            setup->selectable.Append(CTString(L"Order Folder"));
            setup->allowNone = 1;
        }
        *result = 0;
        return true;
    }
    case MsgObjectPicked: {
        Object& unit = Unit();
        if (const auto* chosen = reinterpret_cast<const Object*>(lParam)) {
            m_orderFolder = *chosen;
            unit.SetAttribute(CTString(L"link_order_folder"), CAttribute(CAttribute::Integer, chosen->id));
            RequestObject(chosen->id, ParamOrderFolder);
        } else {
            unit.ResetAttribute(CTString(L"link_order_folder"));
            m_orderFolder = Object();
            if (m_orderFolderLink.m_hWnd)
                m_orderFolderLink.SetText(Chars(m_unassignedText));
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

bool DlgOU::CDefaultsPage::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    switch (id) {
    case IdRunRate:
    case IdLanguage:
    case IdTemplate:
    case IdTimeZone:
    case IdUserPortal:
    case IdBuildSheet:
    case IdMsgService:
    case IdExpiry:
    case IdLockMin:
    case IdLockMax:
        if (code == 0 || code == 1 || code == 5 || code == 240 || code == 768)
            Modified();
        return true;
    case IdDefault:
    case IdInclude:
    case IdExclude:
        OnDayChoice();
        return true;
    case IdLocationPick:
    case IdOrderFolderPick:
        if (code == BN_CLICKED)
            if (App* app = App::Instance())
                app->m_windows.OpenWindow(id == IdLocationPick ? kLocationPickerType : kObjectPickerType,
                                          static_cast<UINT64>(app->m_pickerKey++), reinterpret_cast<INT_PTR>(m_hWnd));
        return true;
    case IdLocation:
    case IdOrderFolder: {
        const Object& held = id == IdLocation ? m_location : m_orderFolder;
        if (code == BN_CLICKED && held.id != 0)
            if (MainWindow* main = TheMainWindow())
                main->OpenObject(held, id == IdLocation, false);
        return true;
    }
    default:
        break;
    }
    if ((id >= 1244 && id <= 1253) || id == IdLinkToggle || id == IdLockMinToggle || id == IdLockMaxToggle ||
        id == IdLinkEnabled) {
        if (code == BN_CLICKED) {
            Modified();
            UpdateControls();
        }
        return true;
    }
    if (std::find(std::begin(kListIds), std::end(kListIds), id) != std::end(kListIds) &&
        code == CTWndSettings::kInheritCommand) {
        Modified();
        UpdateControls();
        return true;
    }
    return CWMFormPage::OnCommand(wParam, lParam, result);
}

bool DlgOU::CDefaultsPage::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr)
        return false;
    const int id = static_cast<int>(hdr->idFrom);
    if (std::find(std::begin(kListIds), std::end(kListIds), id) != std::end(kListIds) &&
        hdr->code == CTWndSettings::NotifyToggled) {
        Modified();
        *result = 1;
        return true;
    }
    if (id == IdExpiry && hdr->code == DTN_DATETIMECHANGE)
        Modified();
    if (id == IdCalendar && hdr->code == MCN_GETDAYSTATE) {
        auto* request = reinterpret_cast<NMDAYSTATE*>(hdr);
        CalendarEditing::FillDayStates(m_calendar, request->stStart, request->prgDayState, request->cDayState);
        *result = 0;
        return true;
    }
    if (id == IdCalendar && hdr->code == MCN_SELCHANGE)
        ShowSelectedDay();
    return CWMFormPage::OnNotify(wParam, hdr, result);
}

bool DlgOU::CDefaultsPage::Save()
{
    if (!m_hWnd)
        return true;
    Object& unit = Unit();
    MainWindow* main = TheMainWindow();
    // A list not filled from the loaded object leaves its setting as it was.
    if (m_languagesFilled && SetAttributeInherited(Pressed(IdLanguageToggle), unit, CTString(L"language_code"))) {
        CTString code;
        const LRESULT data = SelectedData(GetDlgItem(m_hWnd, IdLanguage));
        if (data != CB_ERR) {
            auto found = m_localeCodes.find(static_cast<int>(data));
            if (found != m_localeCodes.end())
                code = found->second;
        }
        unit.SetAttribute(CTString(L"language_code"), CAttribute(CAttribute::Text, code));
    }
    if (m_timeZonesFilled && main &&
        SetAttributeInherited(Pressed(IdTimeZoneToggle), unit, CTString(L"time_zone"))) {
        CTString zone;
        const LRESULT data = SelectedData(GetDlgItem(m_hWnd, IdTimeZone));
        if (data != CB_ERR)
            GetStringAt(main->m_cache.timeZones, zone, static_cast<int>(data));
        unit.SetAttribute(CTString(L"time_zone"), CAttribute(CAttribute::Text, zone));
    }
    if (SetAttributeInherited(Pressed(IdMsgServiceToggle), unit, CTString(L"msg_service"))) {
        wchar_t text[256] = {};
        GetDlgItemTextW(m_hWnd, IdMsgService, text, 256);
        unit.SetAttribute(CTString(L"msg_service"), CAttribute(CAttribute::Text, text));
    }
    SetAttributeInherited(Pressed(IdLocationToggle), unit, CTString(L"link_deployment_location"));
    SetAttributeInherited(Pressed(IdOrderFolderToggle), unit, CTString(L"link_order_folder"));
    if (SetAttributeInherited(Pressed(IdLinkToggle), unit, CTString(L"linkaccess_expire"))) {
        __int64 value = 1;
        if (Pressed(IdLinkEnabled)) {
            SYSTEMTIME date = {};
            value = ::SendMessageW(GetDlgItem(m_hWnd, IdExpiry), DTM_GETSYSTEMTIME, 0,
                                   reinterpret_cast<LPARAM>(&date)) == GDT_VALID
                        ? CalendarEditing::DayOf(date)
                        : 0;
        }
        CAttribute copy;
        unit.GetAttribute(copy, CTString(L"linkaccess_expire"));
        copy.SetValue(CAttribute::IsTextType(copy.GetType()) ? CAttribute::Date : copy.GetType(), value);
        copy.UpdateText();
        unit.SetAttribute(CTString(L"linkaccess_expire"), copy);
    }
    const std::pair<int, const wchar_t*> choices[] = {
        {IdTemplate, L"link_template"}, {IdUserPortal, L"link_user_portal"}, {IdBuildSheet, L"build_sheet"}};
    const int choiceToggles[] = {IdTemplateToggle, IdUserPortalToggle, IdBuildSheetToggle};
    for (int i = 0; i < 3; ++i) {
        if (choices[i].first == IdTemplate && !m_templatesFilled)
            continue;
        if (!SetAttributeInherited(Pressed(choiceToggles[i]), unit, CTString(choices[i].second)))
            continue;
        const LRESULT data = SelectedData(GetDlgItem(m_hWnd, choices[i].first));
        StoreNumberIfChanged(unit, choices[i].second, data == CB_ERR ? 0 : static_cast<int>(data), CAttribute::Integer);
    }
    const struct {
        int toggle;
        int edit;
        const wchar_t* name;
    } numbers[] = {{IdRunRateToggle, IdRunRate, L"max_deployments"},
                   {IdLockMinToggle, IdLockMin, L"userportal_slot_lock_period_min"},
                   {IdLockMaxToggle, IdLockMax, L"userportal_slot_lock_period_max"}};
    for (const auto& number : numbers)
        if (SetAttributeInherited(Pressed(number.toggle), unit, CTString(number.name)))
            StoreNumberIfChanged(unit, number.name, GetDlgItemInt(m_hWnd, number.edit, nullptr, FALSE),
                                 CAttribute::Integer);
    for (int i = 0; i < kListCount; ++i) {
        CTWndSettings& list = m_lists[i];
        if (!list.m_hWnd || !SetAttributeInherited(ListInherited(i) ? 1 : 0, unit, CTString(kListAttributes[i])))
            continue;
        // Ids the list did not offer (not loaded, or no longer enabled) stay as they were.
        std::vector<__int64> stored, ids;
        unit.GetLinkArray(stored, CTString(kListAttributes[i]));
        for (__int64 id : stored)
            if (!list.FindItemByData(id))
                ids.push_back(id);
        for (CTWndSettings::CItem* item = list.GetNextItem(nullptr); item; item = list.GetNextItem(item))
            if (item->value != 0 && std::find(ids.begin(), ids.end(), item->data) == ids.end())
                ids.push_back(item->data);
        unit.SetLinkArray(CTString(kListAttributes[i]), ids);
    }
    if (SetAttributeInherited(Pressed(IdCalendarToggle), unit, CTString(L"calendar")) && m_calendarEdited) {
        CTString xml;
        m_calendar.WriteXml(xml);
        unit.SetAttribute(CTString(L"calendar"), CAttribute(CAttribute::Text, xml));
    }
    return true;
}

#include "people/DlgAdministratorDlgGeneralPage.h"

#include <commctrl.h>
#include <algorithm>
#include "app/App.h"
#include "app/DlgResetPassword.h"
#include "app/MainWindow.h"
#include "foundation/CTTime.h"
#include "foundation/TiXmlElement.h"
#include "foundation/UnixClock.h"
#include "framework/CTApp.h"
#include "session/FormHelpers.h"
#include "structure/DlgOUDefaultsPage.h"

namespace {

constexpr BYTE kRecentColourKey = 1;

CTString TextOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return CTString(value.GetText());
}

CTString StringResource(UINT id, const wchar_t* fallback)
{
    CTString text;
    if (!text.LoadString(id) || text.IsEmpty()) text = fallback;
    return text;
}

std::wstring ItemText(HWND page, int id)
{
    wchar_t buffer[1024] = {};
    GetDlgItemTextW(page, id, buffer, 1024);
    return buffer;
}

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

} // namespace

DlgAdministratorDlg::CGeneralPage::CGeneralPage(DlgAdministratorDlg* form) : m_admin(form) { m_title = L"General"; }

DlgAdministratorDlg::CGeneralPage::~CGeneralPage() { m_history.Destroy(); }

bool DlgAdministratorDlg::CGeneralPage::CreatePage(HWND parent)
{
    CTWndListCtrlEx2::RegisterClass(GetTemplateModule());
    CTWndListCtrlEx2::RegisterClass(GetModuleHandleW(nullptr));
    return CWMFormPage::CreatePage(parent);
}

CTString DlgAdministratorDlg::CGeneralPage::LinkAccessText(const Object& administrator)
{
    if (TextOf(administrator, L"linkaccess_id").IsEmpty()) return StringResource(165, L"<Disabled>");
    CAttribute expire;
    administrator.GetAttribute(expire, CTString(L"linkaccess_expire"));
    const int32_t seconds = static_cast<int32_t>(expire.GetValue());
    if (!CAttribute::IsTextType(expire.GetType()) && seconds != 0) {
        CTString text;
        FormatUnixDateTime(&seconds, text, true);
        return text;
    }
    return StringResource(168, L"<Enabled>");
}

bool DlgAdministratorDlg::CGeneralPage::OffersScheduleUser(const Object& administrator, __int64 usersFolder)
{
    if (usersFolder != 0 && administrator.parent == usersFolder) return false;
    return !administrator.GetPrivilege(CTString(L"SuperUser"));
}

void DlgAdministratorDlg::CGeneralPage::Init()
{
    CTWndSize::Init(m_hWnd, false, 300, 150, false);
    for (int id : {kFirstName, kSurname, kEmail, kPhone, kLandingPage, kOrganisation, kLastLogon, kLinkAccess})
        AddItem(GetDlgItem(m_hWnd, id), RightToRight);
    for (int id : {kOrganisationMore, kOrganisationInherit, kLanguageInherit, kMsgInherit, kLinkAccessMore})
        AddItem(GetDlgItem(m_hWnd, id), LeftToRight | RightToRight);
    AddItem(GetDlgItem(m_hWnd, kLanguage), RightToRight);
    AddItem(GetDlgItem(m_hWnd, kMsgService), RightToRight);
    AddItem(GetDlgItem(m_hWnd, kHistory), RightToRight | BottomToBottom);
    m_unassigned = CTString(ItemText(m_hWnd, kOrganisation).c_str());
    m_organisationLink.ClearStyle(4);
    m_organisationLink.AttachDlgItem(m_hWnd, kOrganisation);
    m_scheduleUserLink.ClearStyle(4);
    m_scheduleUserLink.AttachDlgItem(m_hWnd, kOpenScheduleUser);

    App* app = App::Instance();
    m_displayColumns = 0;
    if (app && app->m_mainWindow) {
        std::vector<__int64> types;
        app->m_mainWindow->m_cache.GetTypeWithSubtypes(CTString(L"Event"), types);
        for (__int64 type : types) {
            Object definition;
            app->m_mainWindow->GetTypeById(definition, type);
            std::vector<CTString> items;
            SplitAtBar(items, TextOf(definition, L"console_display_attribs"));
            m_displayColumns = std::max(m_displayColumns, static_cast<int>(items.size()));
        }
    }
    if (!m_history.Create(m_hWnd, kHistory, true, 0)) return;
    CTListCtrlReportEx& report = m_history.m_report;
    report.ModifyOptions(2, 256);
    report.ModifyStyle(0, LVS_SINGLESEL | WS_TABSTOP, 0);
    report.ModifyOptions(CTListCtrlReport::OptGridLines, 0);
    CTString columns(L"Date,130;Event,100;Duration,100;");
    for (int k = 0; k < m_displayColumns; ++k) columns.AppendText(L"#,120;");
    report.SetColumns(columns, 0, nullptr, nullptr);
    report.SortBy(0, false);
    if (HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(142), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0))) {
        report.AddImage(icon);
        DestroyIcon(icon);
    }
    report.SetColour(kRecentColourKey, RGB(0, 160, 0));
}

bool DlgAdministratorDlg::CGeneralPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result)) return true;
    switch (msg) {
    case WM_INITDIALOG:
        Init();
        *result = TRUE;
        return true;
    case WM_CTLCOLORSTATIC: {
        HWND control = reinterpret_cast<HWND>(lParam);
        HDC hdc = reinterpret_cast<HDC>(wParam);
        if (control == m_organisationLink.m_hWnd) {
            *result = reinterpret_cast<LRESULT>(m_organisationLink.OnCtlColor(hdc));
            return true;
        }
        if (control == m_scheduleUserLink.m_hWnd) {
            *result = reinterpret_cast<LRESULT>(m_scheduleUserLink.OnCtlColor(hdc));
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

void DlgAdministratorDlg::CGeneralPage::SetText(int id, const CTString& text)
{
    const wchar_t* value = text.GetBuffer() ? text.GetBuffer() : L"";
    if (ItemText(m_hWnd, id) != value) SetDlgItemTextW(m_hWnd, id, value);
}

bool DlgAdministratorDlg::CGeneralPage::Load()
{
    if (!m_hWnd) return true;
    const Object& admin = Admin();
    SetText(kFirstName, TextOf(admin, L"first_name"));
    SetText(kSurname, TextOf(admin, L"surname"));
    SetText(kEmail, TextOf(admin, L"email_address"));
    SetText(kPhone, TextOf(admin, L"primary_telephone"));
    SetText(kLandingPage, TextOf(admin, L"landing_page"));
    SetText(kLinkAccess, LinkAccessText(admin));
    CheckDlgButton(m_hWnd, kLogon, admin.GetPrivilege(CTString(L"Logon")) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, kConsole, admin.GetPrivilege(CTString(L"QELConsole")) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, kSetup, admin.GetPrivilege(CTString(L"QELConsoleSetup")) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, kHomeAdmin, admin.GetPrivilege(CTString(L"HomeAdmin")) ? BST_CHECKED : BST_UNCHECKED);
    CAttribute change;
    admin.GetAttribute(change, CTString(L"change_password"));
    CheckDlgButton(m_hWnd, kChangePassword, change.GetValue() != 0 ? BST_CHECKED : BST_UNCHECKED);

    App* app = App::Instance();
    m_languagesFilled = false;
    if (app) app->m_db.QelLocaleGet(true, 16, m_admin->Route(kReqLanguages));

    CheckDlgButton(m_hWnd, kOrganisationInherit,
                   admin.IsAttributeDefault(CTString(L"link_organisation")) ? BST_CHECKED : BST_UNCHECKED);
    CAttribute organisation;
    admin.GetAttribute(organisation, CTString(L"link_organisation"));
    m_organisationId = CAttribute::IsTextType(organisation.GetType()) ? ReadDecimal64(organisation.GetText())
                                                                      : organisation.GetValue();
    if (m_organisationId == 0) {
        m_organisationLink.SetText(m_unassigned.GetBuffer() ? m_unassigned.GetBuffer() : L"");
    } else if (app) {
        app->m_db.ObjGet(static_cast<unsigned>(m_organisationId), false, false, m_admin->Route(kReqObject, 1));
    }
    RequestEvents();

    CheckDlgButton(m_hWnd, kMsgInherit, admin.IsAttributeDefault(CTString(L"msg_service")) ? BST_CHECKED : BST_UNCHECKED);
    HWND services = GetDlgItem(m_hWnd, kMsgService);
    ::SendMessageW(services, CB_RESETCONTENT, 0, 0);
    const CTString current = TextOf(admin, L"msg_service");
    ::SendMessageW(services, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(current.GetBuffer() ? current.GetBuffer() : L""));
    ::SendMessageW(services, CB_SETCURSEL, 0, 0);
    RequestMessageServices();
    UpdateInherited();

    const __int64 users =
        app && app->m_mainWindow ? app->m_mainWindow->m_cache.folderIds[MainWindowCache::FolderUsers] : 0;
    ::ShowWindow(GetDlgItem(m_hWnd, kOpenScheduleUser), OffersScheduleUser(admin, users) ? SW_SHOW : SW_HIDE);
    return true;
}

void DlgAdministratorDlg::CGeneralPage::RequestEvents()
{
    App* app = App::Instance();
    if (!app) return;
    CAttributes form;
    CTString filter;
    filter.Format(L"link_user=%d", static_cast<int>(Admin().id));
    form.SetText(CTString(L"TYPE"), CTString(L"ALL"));
    form.SetText(CTString(L"RETURNTYPE"), CTString(L"OBJECT"));
    form.SetText(CTString(L"ATTRIBS"), filter);
    // The page may be gone when the reply comes: it is found again through its form's key.
    const UINT64 key = m_admin->m_key;
    app->m_db.Post(CTString(L"api/api_qelEventQuery.php"), form, [key](DB::DBEvent& reply) {
        TiXmlDocument doc;
        if (reply.ReadXmlReply(doc) != 2) return;
        App* app = App::Instance();
        auto* form = app ? dynamic_cast<DlgAdministratorDlg*>(app->m_windows.FindWindow(kWindowType, key)) : nullptr;
        if (form && form->m_general && form->m_general->m_hWnd) form->m_general->OnEvents(doc);
    });
}

void DlgAdministratorDlg::CGeneralPage::RequestMessageServices()
{
    App* app = App::Instance();
    if (!app) return;
    CAttributes form;
    form.Set(CTString(L"GetMsgTypes"), CAttribute(CAttribute::Integer, 1ll));
    HWND combo = GetDlgItem(m_hWnd, kMsgService);
    const CTString current = TextOf(Admin(), L"msg_service");
    app->m_db.Post(CTString(L"api/api_qelQuery.php"), form, [combo, current](DB::DBEvent& event) {
        TiXmlDocument doc;
        if (event.ReadXmlReply(doc) != 2 || !::IsWindow(combo)) return;
        TiXmlElement* result = doc.FirstChildElementNamed(L"result");
        TiXmlElement* value = result ? result->FirstChildElementNamed(L"value") : nullptr;
        const TiXmlNode* text = value ? value->FirstChild() : nullptr;
        if (!text || text->GetType() != TiXmlNode::TEXT) return;
        for (const CTString& service : DlgOU::CDefaultsPage::MessageServices(current, CTString(text->Value())))
            ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(service.GetBuffer() ? service.GetBuffer() : L""));
    });
}

void DlgAdministratorDlg::CGeneralPage::OnEvents(TiXmlDocument& doc)
{
    App* app = App::Instance();
    __int64 logon = -1, logonLink = -1;
    if (app && app->m_mainWindow) {
        Object definition;
        app->m_mainWindow->GetTypeByName(definition, CTString(L"Logon"));
        if (!definition.FindAllowedValueIndex(CTString(L"logon_event"), CTString(L"logon"), logon)) logon = -1;
        if (!definition.FindAllowedValueIndex(CTString(L"logon_event"), CTString(L"logonlink"), logonLink)) logonLink = -1;
    }
    CTListCtrlReportEx& report = m_history.m_report;
    if (!report.m_hWnd) return;
    report.DeleteAllRows();
    __int64 newest = 0;
    const __int64 now = UnixClock::Now();
    TiXmlElement* root = doc.FirstChildElementNamed(L"result");
    for (TiXmlElement* e = root ? root->FirstChildElementNamed(L"object") : nullptr; e;
         e = e->NextSiblingElementNamed(L"object")) {
        Object event;
        event.ReadFromXml(e, true);
        CAttribute kind;
        event.GetAttribute(kind, CTString(L"logon_event"));
        const bool isLogon = event.HasAttribute(CTString(L"logon_event")) &&
                             ((logon >= 0 && kind.GetValue() == logon) || (logonLink >= 0 && kind.GetValue() == logonLink));
        if (isLogon && event.created.GetValue() > newest) newest = event.created.GetValue();
        CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(event.id)));
        bool isNew = false, isUpdated = false;
        BuildEventListRow(row, m_displayColumns, event, false, isNew, isUpdated, nullptr);
        int item = report.FindRowByData(row.m_data);
        if (item >= 0) report.UpdateRow(item, 0, row);
        else item = report.InsertRow(report.GetItemCount(), 0, row);
        if (item < 0) continue;
        if (now - event.created.GetValue() < kRecentSeconds) report.SetCellTextColour(item, 0, kRecentColourKey);
        if (now - event.updated.GetValue() < kRecentSeconds) report.SetCellTextColour(item, 2, kRecentColourKey);
    }
    report.FitColumnsToContent();
    CTString text;
    if (newest != 0) {
        const int32_t seconds = static_cast<int32_t>(newest);
        FormatUnixDateTime(&seconds, text, false);
    } else {
        text = StringResource(147, L"<Never>");
    }
    SetText(kLastLogon, text);
}

void DlgAdministratorDlg::CGeneralPage::OnLanguages(RequestResult& reply)
{
    if (!m_hWnd) return;
    HWND combo = GetDlgItem(m_hWnd, kLanguage);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    m_languages.clear();
    const CTString current = TextOf(Admin(), L"language_code");
    TiXmlElement* root = reply.document.FirstChildElementNamed(L"result");
    for (TiXmlElement* row = root ? root->FirstChildElementNamed(L"row") : nullptr; row;
         row = row->NextSiblingElementNamed(L"row")) {
        auto field = [row](const wchar_t* name) {
            TiXmlElement* child = row->FirstChildElementNamed(name);
            const TiXmlNode* text = child ? child->FirstChild() : nullptr;
            if (text && text->GetType() == TiXmlNode::TEXT) return CTString(text->Value());
            const wchar_t* attribute = row->GetAttribute(name);
            return CTString(attribute ? attribute : L"");
        };
        const __int64 number = ReadDecimal64(field(L"decimal").GetBuffer());
        const CTString code = field(L"code");
        const CTString english = field(L"english_name");
        m_languages[number] = code;
        const LRESULT at = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(english.GetBuffer() ? english.GetBuffer() : L""));
        ::SendMessageW(combo, CB_SETITEMDATA, at, static_cast<LPARAM>(number));
        if (code.Compare(current) == 0) ::SendMessageW(combo, CB_SETCURSEL, at, 0);
    }
    m_languagesFilled = true;
    CheckDlgButton(m_hWnd, kLanguageInherit,
                   Admin().IsAttributeDefault(CTString(L"language_code")) ? BST_CHECKED : BST_UNCHECKED);
    UpdateInherited();
}

void DlgAdministratorDlg::CGeneralPage::OnOrganisation(RequestResult& reply)
{
    TiXmlElement* element = ReplyElement(reply, L"object");
    if (!element || !m_hWnd) return;
    Object organisation;
    organisation.ReadFromXml(element, true);
    if (organisation.id != m_organisationId || organisation.id == 0) return;
    m_organisation = organisation;
    m_organisationLink.SetText(organisation.name.GetBuffer() ? organisation.name.GetBuffer() : L"");
}

void DlgAdministratorDlg::CGeneralPage::UpdateInherited()
{
    EnableWindow(GetDlgItem(m_hWnd, kOrganisationMore), !Checked(m_hWnd, kOrganisationInherit));
    EnableWindow(GetDlgItem(m_hWnd, kLanguage), !Checked(m_hWnd, kLanguageInherit));
    EnableWindow(GetDlgItem(m_hWnd, kMsgService), !Checked(m_hWnd, kMsgInherit));
}

void DlgAdministratorDlg::CGeneralPage::ResetPassword()
{
    DlgResetPassword prompt;
    if (!prompt.Run(m_hWnd)) return;
    if (App* app = App::Instance())
        app->m_db.DirResetPassword(static_cast<unsigned>(Admin().id), prompt.m_password,
                                   m_admin->Route(kReqReset, 0, true));
}

bool DlgAdministratorDlg::CGeneralPage::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    *result = 0;
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    switch (id) {
    case kFirstName: case kSurname: case kEmail: case kLandingPage: case kPhone:
    case kLogon: case kChangePassword: case kMsgService: case kLanguage: case kConsole: case kSetup: case kHomeAdmin:
        if (code == 0 || code == 1 || code == EN_CHANGE) m_form->SetModified(true);
        return true;
    case kLanguageInherit: case kMsgInherit: case kOrganisationInherit:
        if (code == 0) {
            m_form->SetModified(true);
            UpdateInherited();
        }
        return true;
    case kResetPassword:
        ResetPassword();
        return true;
    case kOrganisation:
        if (code == 0 && m_organisation.id != 0) {
            if (App* app = App::Instance(); app && app->m_mainWindow) app->m_mainWindow->OpenObject(m_organisation, false, false);
        }
        return true;
    case kOpenScheduleUser:
        if (code == 0) {
            if (App* app = App::Instance(); app && app->m_mainWindow) app->m_mainWindow->OpenObject(Admin(), false, true);
        }
        return true;
    default:
        return false;
    }
}

bool DlgAdministratorDlg::CGeneralPage::Save()
{
    if (!m_hWnd) return true;
    Object& admin = Admin();
    auto store = [&admin](const wchar_t* name, const std::wstring& text) {
        CAttribute current;
        admin.GetAttribute(current, CTString(name));
        admin.SetAttribute(CTString(name), CAttribute(current.GetType(), CTString(text.c_str())));
    };
    store(L"first_name", ItemText(m_hWnd, kFirstName));
    store(L"surname", ItemText(m_hWnd, kSurname));
    store(L"email_address", ItemText(m_hWnd, kEmail));
    store(L"primary_telephone", ItemText(m_hWnd, kPhone));
    SetAttributeInherited(Checked(m_hWnd, kOrganisationInherit) ? 1 : 0, admin, CTString(L"link_organisation"));
    store(L"landing_page", ItemText(m_hWnd, kLandingPage));
    // Without the language list of this load there is nothing to choose from: the language stays.
    if (m_languagesFilled) {
        if (SetAttributeInherited(Checked(m_hWnd, kLanguageInherit) ? 1 : 0, admin, CTString(L"language_code"))) {
            HWND combo = GetDlgItem(m_hWnd, kLanguage);
            const LRESULT at = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
            if (at != CB_ERR) {
                auto code = m_languages.find(static_cast<__int64>(::SendMessageW(combo, CB_GETITEMDATA, at, 0)));
                if (code != m_languages.end()) store(L"language_code", code->second.GetBuffer() ? code->second.GetBuffer() : L"");
            }
        }
    }
    if (SetAttributeInherited(Checked(m_hWnd, kMsgInherit) ? 1 : 0, admin, CTString(L"msg_service")))
        store(L"msg_service", ItemText(m_hWnd, kMsgService));
    CAttribute change;
    admin.GetAttribute(change, CTString(L"change_password"));
    admin.SetAttribute(CTString(L"change_password"), CAttribute(CAttribute::Integer, Checked(m_hWnd, kChangePassword) ? 1ll : 0ll));
    admin.SetPrivilege(CTString(L"Logon"), Checked(m_hWnd, kLogon));
    admin.SetPrivilege(CTString(L"QELConsole"), Checked(m_hWnd, kConsole));
    admin.SetPrivilege(CTString(L"QELConsoleSetup"), Checked(m_hWnd, kSetup));
    admin.SetPrivilege(CTString(L"HomeAdmin"), Checked(m_hWnd, kHomeAdmin));
    return true;
}

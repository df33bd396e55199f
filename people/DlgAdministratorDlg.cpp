#include "people/DlgAdministratorDlg.h"

#include <commctrl.h>
#include <algorithm>
#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/TiXmlElement.h"
#include "framework/CTApp.h"
#include "framework/CTWndMessageBox.h"
#include "framework/CTWndToolbar.h"
#include "lists/CPickPage.h"
#include "lists/DlgListKinds.h"
#include "people/DlgAdministratorPageEmails.h"
#include "people/DlgAdministratorDlgGeneralPage.h"
#include "people/DlgAdministratorDlgGroupsPage.h"
#include "people/DlgAdministratorDlgReportsV3Page.h"
#include "people/DlgAdministratorDlgRequestsPage.h"
#include "session/FormHelpers.h"
#include "structure/AccessRightsPage.h"

namespace {

struct ChoiceSearch {
    int second;
    const wchar_t* type;
    bool byNumber;   // every object of the type, by its number
};

// In the order they are sent.
constexpr ChoiceSearch kChoiceSearches[] = {
    {DlgAdministratorDlg::ChoiceMenus, L"Menu", false},
    {DlgAdministratorDlg::ChoiceAdminPortal, L"Admin Portal Page", false},
    {DlgAdministratorDlg::ChoiceReports, L"Report Portal Page", false},
    {DlgAdministratorDlg::ChoiceAssetLocations, L"Asset Location", true},
    {DlgAdministratorDlg::ChoiceScheduleGroups, L"Schedule Group", true},
    {DlgAdministratorDlg::ChoiceOrders, L"Order Folder", true},
};

CTString AttributeText(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttributeValueText(value, CTString(name));
    return CTString(value.GetText());
}

} // namespace

DlgAdministratorDlg::DlgAdministratorDlg()
{
    m_templateId = 170;
    m_headerId = 105;
    m_tabId = 1187;
    m_confirmCloseId = 112;
    m_minWidth = 425;
    m_minHeight = 425;
    m_placementName = L"DlgAdministratorDlg";
}

RequestRoute DlgAdministratorDlg::Route(int requestId, __int64 second, bool silent) const
{
    RequestRoute route = MakeRoute(requestId, second);
    route.silent = silent;
    return route;
}

int DlgAdministratorDlg::ExpectedSaveMask(bool reportsV3, bool reports)
{
    return 0x2DF | (reportsV3 ? SavedReportsV3 : 0) | (reports ? SavedReports : 0);
}

bool DlgAdministratorDlg::IsReportPageHidden(const Object& choice, __int64 administrator, bool& locked)
{
    locked = false;
    CTString availability = AttributeText(choice, L"report_availability");
    if (availability.CompareNoCase(L"everyone") == 0) {
        locked = true;
        return false;
    }
    if (availability.CompareNoCase(L"user") == 0) {
        CAttribute user;
        choice.GetAttribute(user, CTString(L"link_user"));
        if (administrator != 0 && !CAttribute::IsTextType(user.GetType()) && user.GetValue() == administrator) {
            locked = true;
            return false;
        }
        if (administrator != 0 && CAttribute::IsTextType(user.GetType()) &&
            ReadDecimal64(user.GetText()) == administrator && user.GetText() && *user.GetText()) {
            locked = true;
            return false;
        }
        return true;
    }
    return false;
}

bool DlgAdministratorDlg::Open()
{
    if (!IsWindow() && !OpenWindow()) return false;
    Load(m_key);
    return true;
}

bool DlgAdministratorDlg::OpenWindow()
{
    if (!Create(nullptr, IconModule(2), 2, L"DlgAdministratorDlg")) return false;
    ApplyHeaderColours(m_header);
    m_header.Invalidate(true);
    m_pages.DeleteAll();
    App* app = GetApp();
    MainWindow* main = app ? app->m_mainWindow : nullptr;
    const bool v3 = main && main->m_reportsV3;
    const bool v4 = main && main->m_reportsV4;
    auto linkType = [main](const wchar_t* name) {
        Object definition;
        if (main) main->GetTypeByName(definition, CTString(name));
        return definition;
    };
    m_general = new CGeneralPage(this);
    m_emails = new CPageEmails();
    m_menus = new CPickPage(CTString(L"Menus"), 1011, linkType(L"Menu Link"), SavedMenus, nullptr);
    m_reports = v4 ? new CPickPage(CTString(L"Reports"), 1016, linkType(L"Link [RP]"), SavedReports,
                                   [this](CPickPage::TYPE type, CTWndToolbar& toolbar) { OnReportsToolbar(type, toolbar); })
                   : nullptr;
    m_reportsV3 = v3 ? new CReportsV3Page(this) : nullptr;
    m_adminPortal = new CPickPage(CTString(L"Admin Portal"), 1015, linkType(L"Link [AP]"), SavedAdminPortal, nullptr);
    m_groups = new CGroupsPage(this);
    m_security = new AccessRightsPage(3, L"DirectoryDlg::CSecurityPage::ctrlList_");
    m_security->m_markSaved = [this](int bits) { MarkSaved(bits); };
    m_scheduleGroups = new CPickPage(CTString(L"Schedule Groups"), 1012, linkType(L"Link [SG]"), SavedScheduleGroups, nullptr);
    m_assetLocations = new CPickPage(CTString(L"Asset Locations"), 1013, linkType(L"Link [AT]"), SavedAssetLocations, nullptr);
    m_orders = new CPickPage(CTString(L"Orders"), 1014, linkType(L"Link [OF]"), SavedOrders, nullptr);
    m_requests = new DlgRequestsPage(this);
    CWindowManager::CWMFormPage* pages[] = {m_general, m_emails, m_menus, m_reports, m_reportsV3, m_adminPortal,
                                            m_groups, m_security, m_scheduleGroups, m_assetLocations, m_orders,
                                            m_requests};
    for (auto* page : pages)
        if (page) AddPage(page);
    ShowPages();
    return true;
}

bool DlgAdministratorDlg::Load(UINT64)
{
    m_object.Clear();
    m_links.clear();
    App* app = GetApp();
    if (!app || m_key == 0) return true;
    // The administrators list, when open, gives an early copy; the cache gives the object itself.
    if (app->m_mainWindow) {
        if (auto* list = dynamic_cast<DlgListAdministrator*>(app->m_mainWindow->FindConsole(kAdministratorsConsole, 0)))
            list->GetRowObject(m_object, static_cast<__int64>(m_key));
    }
    if (m_object.id == 0) m_object.id = static_cast<__int64>(m_key);
    SendChoiceSearches();
    app->m_dir.RequestObject(static_cast<__int64>(m_key), 1, MakeRoute(kReqObject), [this] { OnObjectCached(); },
                             nullptr);
    return true;
}

void DlgAdministratorDlg::SendChoiceSearches()
{
    App* app = GetApp();
    MainWindow* main = app ? app->m_mainWindow : nullptr;
    if (!main) return;
    const MainWindowCache& cache = main->m_cache;
    for (const ChoiceSearch& search : kChoiceSearches) {
        if (search.second == ChoiceReports && !m_reports) continue;
        CTString type(search.type);
        unsigned parent = DB::kParentAll;
        CTString attrib, value;
        if (search.byNumber) {
            type.Format(L"%I64d", main->GetTypeId(CTString(search.type)));
        } else {
            parent = static_cast<unsigned>(search.second == ChoiceReports
                                               ? cache.folderIds[MainWindowCache::FolderReports]
                                               : cache.systemSettings.id);
            attrib = L"enable";
            value = L"1";
        }
        app->m_db.ObjSearch(type, parent, attrib, value, false, DB::kNoMax, MakeRoute(kReqChoices, search.second));
    }
}

void DlgAdministratorDlg::OnObjectCached()
{
    App* app = GetApp();
    if (!app) return;
    const Object* cached = app->m_dir.Lookup(static_cast<__int64>(m_key));
    if (!cached || cached->id == 0) return;
    m_object.Clear();
    m_object.Assign(*cached);
    m_links.clear();
    app->m_dir.CollectDescendants(m_object.id, m_links);
    ShowObject();
}

void DlgAdministratorDlg::ShowObject()
{
    if (!IsWindow()) return;
    TakeTreeImageIcon();
    m_header.SetText(CTString(m_object.name));
    m_header.SetSubtitle(BuildSubtitle(m_object));
    ::SetWindowTextW(m_hWnd, m_object.name.GetBuffer() ? m_object.name.GetBuffer() : L"");
    // Each link list is told the links of its own type.
    for (CPickPage* page : {m_menus, m_reports, m_adminPortal, m_scheduleGroups, m_assetLocations, m_orders}) {
        if (!page) continue;
        std::vector<Object> links;
        for (const Object& link : m_links)
            if (link.parent == m_object.id && link.type == page->m_linkTypeDefinition.type && link.type != 0)
                links.push_back(link);
        page->SetExistingLinks(std::move(links));
    }
    LoadPages();
    if (m_key != 0) {
        if (m_modified) {
            if (HWND apply = GetDlgItem(m_hWnd, kApplyId)) EnableWindow(apply, FALSE);
        }
        SetModified(false);
    } else {
        SetModified(true);
    }
}

bool DlgAdministratorDlg::AuthorAccessChecked() const
{
    if (!m_reports || !m_reports->m_list.m_report.m_toolbar.m_hWnd) return m_object.GetPrivilege(CTString(L"ReportV4Author"));
    return ::SendMessageW(m_reports->m_list.m_report.m_toolbar.m_hWnd, TB_ISBUTTONCHECKED, kCmdAuthorAccess, 0) != 0;
}

void DlgAdministratorDlg::OnReportsToolbar(int type, CTWndToolbar& toolbar)
{
    switch (type) {
    case CPickPage::ToolbarCreated: {
        if (!toolbar.m_hWnd) break;
        const int image = toolbar.AddEmfImage(248);
        CTString text;
        text.LoadString(412);
        toolbar.InsertButton(0, image, kCmdAuthorAccess, TBSTATE_ENABLED, BTNS_CHECK | BTNS_SHOWTEXT,
                             text.GetBuffer() ? text.GetBuffer() : L"Author Access");
        toolbar.InsertButton(1, I_IMAGENONE, 0, TBSTATE_ENABLED, BTNS_SEP, nullptr);
        break;
    }
    case CPickPage::Filled:
        if (toolbar.m_hWnd) {
            const bool author = m_object.GetPrivilege(CTString(L"ReportV4Author"));
            ::SendMessageW(toolbar.m_hWnd, TB_SETSTATE, kCmdAuthorAccess,
                           MAKELONG(TBSTATE_ENABLED | (author ? TBSTATE_CHECKED : 0), 0));
        }
        break;
    case CPickPage::ToolbarCommand:
        SetModified(true);
        break;
    default:
        // The privilege is taken by Save itself, whatever the page had to send.
        break;
    }
}

bool DlgAdministratorDlg::Save()
{
    m_saveMask = 0;
    if (!m_modified) return true;
    const bool accepted = SavePages();
    if (m_reports) m_object.SetPrivilege(CTString(L"ReportV4Author"), AuthorAccessChecked());
    CAttributes privileges;
    m_object.CollectPrivilegeChanges(privileges);
    SendChanges(privileges);
    return accepted;
}

void DlgAdministratorDlg::OnOK()
{
    if (!m_modified) {
        Close();
        return;
    }
    m_closeAfterSave = true;
    Save();
}

void DlgAdministratorDlg::MarkSaved(int bits)
{
    m_saveMask |= bits;
    if (m_saveMask != ExpectedSaveMask()) return;
    m_saveMask = 0;
    m_savePending = false;
    SetModified(false);
    App* app = GetApp();
    if (app) {
        app->m_dir.StoreObject(m_object, 0);
        RequestResult notice;
        notice.route.targetType = kMainWindowType;
        notice.route.consoleType = kAdministratorsConsole;
        notice.route.requestId = kNoticeSaved;
        notice.attached = &m_object;
        notice.kind = 6;
        app->m_windows.NotifyWindows(kMainWindowType, 0, &notice);
    }
    const bool close = m_closeAfterSave;
    m_closeAfterSave = false;
    if (close) {
        Close();
        return;
    }
    OnObjectCached();
}

void DlgAdministratorDlg::OnSaveReply(RequestResult& reply)
{
    if (!Succeeded(reply) || ReplyId(reply) != m_object.id || m_object.id == 0) {
        // The form stays open with its edits; OK must be pressed again.
        m_closeAfterSave = false;
        m_savePending = false;
        SetModified(true);
        return;
    }
    if (TiXmlElement* object = ReplyElement(reply, L"object")) m_object.ReadFromXml(object, false);
    MarkSaved(SavedObject);
}

bool DlgAdministratorDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == kMsgPartSaved) {
        MarkSaved(static_cast<int>(lParam));
        *result = 0;
        return true;
    }
    if (msg == WM_WINDOWPOSCHANGING && m_general && m_general->m_hWnd && ::IsWindowVisible(m_general->m_hWnd)) {
        auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (pos && (pos->flags & SWP_HIDEWINDOW)) m_general->CloseDropDown();
    }
    return ObjectForm::OnMessage(msg, wParam, lParam, result);
}

CPickPage* DlgAdministratorDlg::PickPageOf(int requestId) const
{
    switch (requestId) {
    case 1011: return m_menus;
    case 1012: case 1031: return m_scheduleGroups;
    case 1013: case 1030: return m_assetLocations;
    case 1014: case 1032: return m_orders;
    case 1015: return m_adminPortal;
    case 1016: return m_reports;
    default: return nullptr;
    }
}

void DlgAdministratorDlg::OnChoices(RequestResult& reply)
{
    const int second = static_cast<int>(reply.route.param2);
    CPickPage* page = nullptr;
    int fillAtOnce = 1, pathRequest = 0;
    CTString extra;
    switch (second) {
    case ChoiceMenus: page = m_menus; break;
    case ChoiceAdminPortal: page = m_adminPortal; break;
    case ChoiceReports:
        page = m_reports;
        extra = L"Category|Description|report_availability|link_user|link_report_portal_type";
        break;
    case ChoiceAssetLocations: page = m_assetLocations; fillAtOnce = 0; pathRequest = 1030; break;
    case ChoiceScheduleGroups:
        page = m_scheduleGroups;
        fillAtOnce = 0;
        pathRequest = 1031;
        extra = L"Display Name";
        break;
    case ChoiceOrders: page = m_orders; fillAtOnce = 0; pathRequest = 1032; break;
    default: return;
    }
    if (!page || !Succeeded(reply)) return;
    TiXmlElement* root = reply.document.FirstChildElementNamed(L"result");
    std::vector<Object> choices;
    std::vector<__int64> locked;
    for (TiXmlElement* e = root ? root->FirstChildElementNamed(L"object") : nullptr; e;
         e = e->NextSiblingElementNamed(L"object")) {
        Object choice;
        choice.ReadFromXml(e, true);
        if (second == ChoiceReports) {
            bool isLocked = false;
            if (IsReportPageHidden(choice, m_object.id, isLocked)) continue;
            if (isLocked) locked.push_back(choice.id);
        }
        choices.push_back(std::move(choice));
    }
    // A search without objects leaves the page's choices as they were.
    if (choices.empty()) return;
    page->SetCandidates(choices, fillAtOnce, pathRequest, extra, locked);
    if (page->m_hWnd) page->Load();
}

void DlgAdministratorDlg::ShowBox(const CTString& text, const wchar_t* caption, DWORD style)
{
    CTWndMessageBox box;
    CTApp* app = CTApp::Instance();
    box.Show(m_hWnd, app ? app->GetModule() : GetModuleHandleW(nullptr), text.GetBuffer() ? text.GetBuffer() : L"",
             caption, style);
}

void DlgAdministratorDlg::OnResetResult(RequestResult& reply)
{
    if (reply.resultCode != 0) return;
    if (reply.returnCode == 0) {
        ShowBox(CTString(L"Password Set"), L"Reset Password", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (reply.returnCode == 1325) {
        TiXmlElement* rc = ReplyElement(reply, L"RC");
        const wchar_t* hint = rc ? rc->GetAttribute(L"passwordhint") : nullptr;
        if (hint && *hint) {
            m_resetText = reply.statusText;
            if (App* app = GetApp()) app->m_db.GetUrl(CTString(hint), Route(kReqHint, 0, true));
            return;
        }
    }
    ShowBox(reply.statusText, L"System Error", MB_OK | MB_ICONERROR);
}

void DlgAdministratorDlg::OnPasswordHint(RequestResult& reply)
{
    std::string bytes(reinterpret_cast<const char*>(reply.body.GetData()), reply.body.GetSize());
    std::wstring hint;
    if (!bytes.empty()) {
        const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        hint.resize(static_cast<size_t>(std::max(length, 0)));
        if (length > 0)
            MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), hint.data(), length);
        hint.erase(std::find(hint.begin(), hint.end(), L'\0'), hint.end());
    }
    CTString text(m_resetText);
    text.AppendText(L"\r\n\r\n");
    text.AppendText(hint.c_str());
    ShowBox(text, L"Reset Password", MB_OK | MB_ICONWARNING);
}

void DlgAdministratorDlg::Notify(void* param)
{
    auto* reply = static_cast<RequestResult*>(param);
    if (!reply) return;
    const int id = reply->route.requestId;
    const __int64 second = reply->route.param2;
    if (id == kReqRequestChanged && m_requests) m_requests->OnRequestChanged(second);
    if (CPickPage* page = PickPageOf(id)) {
        page->OnResult(*reply);
        return;
    }
    switch (id) {
    case kReqBusy:
        SetReadOnly(reply->returnCode != 0);
        break;
    case kReqIcon:
        if (IsWindow()) TakeTreeImageIcon();
        if (m_security) m_security->OnResult(*reply);
        break;
    case kReqNamePath:
        if (m_security) m_security->OnResult(*reply);
        break;
    case kReqReset:
        OnResetResult(*reply);
        break;
    case kReqHint:
        OnPasswordHint(*reply);
        break;
    case kReqChoices:
        if (second == ChoiceReportsV3) {
            if (m_reportsV3) m_reportsV3->OnResult(*reply);
        } else if (second == ChoiceEmails) {
            if (auto* emails = dynamic_cast<CPageEmails*>(m_emails)) emails->OnSearchReply(*reply);
        } else {
            OnChoices(*reply);
        }
        break;
    case kReqSave:
        if (second == ChoiceReportsV3) {
            if (m_reportsV3) m_reportsV3->OnResult(*reply);
        } else {
            OnSaveReply(*reply);
        }
        break;
    case kReqObject:
        if (second == 1 && Succeeded(*reply) && m_general) m_general->OnOrganisation(*reply);
        break;
    case kReqStore:
    case kReqLoadRights:
        if (second == 3 && m_security) m_security->OnResult(*reply);
        break;
    case kReqLanguages:
        if (reply->kind == RequestResult::KindServerAnswer && reply->resultCode == 0 && m_general)
            m_general->OnLanguages(*reply);
        break;
    default:
        // Broadcasts such as 1086 reach the Reports (v3) page only when it exists.
        if (m_reportsV3) m_reportsV3->OnResult(*reply);
        break;
    }
}

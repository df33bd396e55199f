// The administrator form against a recording transport: pages and the expected save parts by the
// report flags, a save complete only when every part has answered, the report-portal filter,
// "Author Access" with every save, the password reset outcomes, the general page's texts and
// events, group memberships, reports (v3) and the requests tab.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "app/MainWindow.h"
#include "app/DlgResetPassword.h"
#include "foundation/CTTime.h"
#include "foundation/UnixClock.h"
#include "framework/ModalDialogDriver.h"
#include "lists/CPickPage.h"
#include "people/DlgAdministratorDlg.h"
#include "people/DlgAdministratorDlgGeneralPage.h"
#include "people/DlgAdministratorDlgGroupsPage.h"
#include "people/DlgAdministratorDlgReportsV3Page.h"
#include "people/DlgAdministratorDlgRequestsPage.h"
#include "people/PeopleWindows.h"
#include "people/RequestStatusText.h"
#include "structure/AccessRightsPage.h"
#include "structure/StructureFixture.h"

using namespace structuretest;

namespace {

constexpr __int64 kAdmin = 2400, kOther = 2401, kUsersFolder = 2402, kGroupsFolder = 2403, kRequestsFolder = 2404;
constexpr __int64 kSettings = 2405, kGroupA = 2410, kGroupB = 2411, kGroupRefused = 2412;
constexpr __int64 kRequest = 2420, kForeignRequest = 2421, kRequester = 2422;
constexpr int kAdminType = 115, kLogonType = 116, kEventType = 117, kLinkReportType = 118, kReportType = 119;
constexpr int kGroupType = 116, kRequestType = 117;
constexpr __int64 kNow = 1800000000;

__int64 FixedNow() { return kNow; }

std::string Priv(int id, const char* name, bool granted)
{
    return "<priv id=\"" + std::to_string(id) + "\" name=\"" + name + "\" value=\"" + (granted ? "1" : "0") + "\"/>";
}

std::string AdminXml(const std::string& more = "")
{
    return ObjectXml(kAdmin, kAdminType, "Ada Admin",
                     Attr(470, "first_name", "value_varchar", "Ada") + Attr(471, "surname", "value_varchar", "Admin") +
                         Attr(472, "language_code", "value_varchar", "en-GB") +
                         Attr(473, "change_password", "value_int", "0") + more + Priv(1, "Logon", true) +
                         Priv(2, "QELConsole", false) + Priv(3, "QELConsoleSetup", false) + Priv(4, "HomeAdmin", false) +
                         Priv(5, "ReportV4Author", false) + Priv(6, "AllReports", false),
                     kOther);
}

Object Cached(__int64 id, int type, const wchar_t* name, __int64 parent, const std::wstring& users)
{
    Object object;
    object.id = id;
    object.type = type;
    object.parent = parent;
    object.serial = 4;
    object.name = name;
    Object::Attribute& a = object.attributes[480];
    a.CAttribute::Assign(CAttribute(CAttribute::Text, users.c_str()));
    a.name = L"users";
    a.flags = Object::Attribute::LinkArray;
    return object;
}

// The main window's name map holds a copy: it takes the definition again after it was edited.
void Republish(App& app, const Object& definition)
{
    CTString lower(definition.name);
    lower.MakeLower();
    app.m_mainWindow->m_cache.typeNames[lower] = definition;
}

std::string Get(Fields fields, const char* name) { return fields[name]; }

void* Key(__int64 id) { return reinterpret_cast<void*>(static_cast<INT_PTR>(id)); }

struct AdminForm : ::testing::Test {
    apptest::TestApp t;
    apptest::BoxRecorder boxes;
    DlgAdministratorDlg* form = nullptr;

    AdminForm()
    {
        RegisterPeopleWindows(t.app->m_catalogue);
        DefineStructureType(*t.app, kAdminType, L"Administrator");
        MainWindowCache& cache = t.app->m_mainWindow->m_cache;
        cache.folderIds[MainWindowCache::FolderUsers] = kUsersFolder;
        cache.folderIds[MainWindowCache::FolderGroups] = kGroupsFolder;
        cache.folderIds[MainWindowCache::FolderRequests] = kRequestsFolder;
        cache.systemSettings.id = kSettings;
    }

    void Open(bool v3 = false, bool v4 = false, const std::string& more = "")
    {
        t.app->m_mainWindow->m_reportsV3 = v3;
        t.app->m_mainWindow->m_reportsV4 = v4;
        t.app->m_windows.OpenWindow(DlgAdministratorDlg::kWindowType, kAdmin, 0);
        form = dynamic_cast<DlgAdministratorDlg*>(t.app->m_windows.FindWindow(DlgAdministratorDlg::kWindowType, kAdmin));
        ASSERT_NE(form, nullptr);
        AnswerFor(t, "api/api_objGet.php", kAdmin, ObjectReply(kAdmin, AdminXml(more)));
    }

    void Show(CWindowManager::CWMFormPage* page)
    {
        HWND tab = form->m_tab.m_hWnd;
        const int count = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TCITEMW item = {};
            item.mask = TCIF_PARAM;
            SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            if (item.lParam != reinterpret_cast<LPARAM>(page)) continue;
            NMHDR hdr = {tab, static_cast<UINT_PTR>(GetDlgCtrlID(tab)), static_cast<UINT>(TCN_SELCHANGING)};
            SendMessageW(form->m_hWnd, WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
            SendMessageW(tab, TCM_SETCURSEL, i, 0);
            hdr.code = static_cast<UINT>(TCN_SELCHANGE);
            SendMessageW(form->m_hWnd, WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
            t.Pump();
            return;
        }
        ADD_FAILURE() << "no tab";
    }

    std::vector<std::wstring> TabTitles()
    {
        std::vector<std::wstring> out;
        HWND tab = form->m_tab.m_hWnd;
        const int count = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[64] = {};
            TCITEMW item = {};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = 64;
            SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            out.push_back(text);
        }
        return out;
    }

    void Click(HWND page, int id)
    {
        CheckDlgButton(page, id, IsDlgButtonChecked(page, id) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }

    bool IsShown() const { return form && IsWindow(form->m_hWnd); }
    bool StillRegistered() { return t.app->m_windows.FindWindow(DlgAdministratorDlg::kWindowType, kAdmin) != nullptr; }

    void Ok()
    {
        SendMessageW(form->m_hWnd, WM_COMMAND, IDOK, 0);
        t.Pump();
    }

    void AcceptObjectSave()
    {
        AnswerFor(t, "api/api_objSet.php", kAdmin, ObjectReply(kAdmin, AdminXml()));
    }

    void Notice(int requestId, __int64 second)
    {
        RequestResult notice;
        notice.route.requestId = requestId;
        notice.route.param2 = second;
        notice.kind = 6;
        form->Notify(&notice);
        t.Pump();
    }
};

} // namespace

TEST_F(AdminForm, ReportFlagsDecidePagesAndExpectedParts)
{
    struct Case {
        bool v3, v4;
        bool hasV3, hasV4;
        int mask;
    } cases[] = {
        {false, false, false, false, 0x2DF},
        {true, false, true, false, 0x2FF},
        {false, true, false, true, 0x3DF},
        {true, true, true, true, 0x3FF},
    };
    for (const Case& c : cases) {
        Open(c.v3, c.v4);
        EXPECT_EQ(form->m_reportsV3 != nullptr, c.hasV3);
        EXPECT_EQ(form->m_reports != nullptr, c.hasV4);
        EXPECT_EQ(form->ExpectedSaveMask(), c.mask);
        std::vector<std::wstring> titles = TabTitles();
        EXPECT_EQ(std::count(titles.begin(), titles.end(), L"Reports (v3)"), c.hasV3 ? 1 : 0);
        EXPECT_EQ(std::count(titles.begin(), titles.end(), L"Reports"), c.hasV4 ? 1 : 0);
        EXPECT_EQ(std::count(titles.begin(), titles.end(), L"Emails"), 1);
        // Broadcasts meant for the reports (v3) page do no harm without it.
        Notice(1086, 0);
        Notice(1107, 9999);
        form->Close();
        t.Pump();
        t.app->m_windows.DeleteClosedWindows();
        t.Pump();
    }
}

TEST_F(AdminForm, LoadsWithoutTheAdministratorsListAndSendsTheChoiceSearches)
{
    Open(false, true);
    EXPECT_EQ(ItemText(form->m_general->m_hWnd, DlgAdministratorDlg::CGeneralPage::kFirstName), L"Ada");
    std::vector<Fields> searches = Sent(t, "api/api_objSearch.php");
    std::vector<std::string> types;
    for (Fields& f : searches) types.push_back(f["TYPE"]);
    ASSERT_GE(types.size(), 6u);
    EXPECT_EQ(types[0], "Menu");
    EXPECT_EQ(types[1], "Admin Portal Page");
    EXPECT_EQ(types[2], "Report Portal Page");
    EXPECT_EQ(searches[0]["ATTRIB"], "enable");
    EXPECT_EQ(searches[0]["PARENT"], std::to_string(kSettings));
    EXPECT_EQ(searches[3]["PARENT"], "ALL");
}

TEST_F(AdminForm, OkClosesOnlyAfterEveryPartAndAFailedSaveKeepsTheFormOpen)
{
    Open();
    Click(form->m_general->m_hWnd, DlgAdministratorDlg::CGeneralPage::kConsole);
    ASSERT_TRUE(form->IsModified());
    Ok();
    std::vector<Fields> saves = Sent(t, "api/api_objSet.php");
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0]["PRIVID_2"], "1");
    EXPECT_TRUE(IsShown()) << "the object save has not answered";
    // A refused object save: open and modified.
    AnswerFor(t, "api/api_objSet.php", kAdmin,
              apptest::Doc("<RC id=\"569\" text=\"Object Requires Synchronisation\"/><parameters ID=\"2400\"/>"));
    EXPECT_TRUE(IsShown());
    EXPECT_TRUE(form->IsModified());
    Ok();
    ASSERT_EQ(Sent(t, "api/api_objSet.php").size(), 2u);
    AcceptObjectSave();
    EXPECT_FALSE(StillRegistered()) << "every part has reported: pages with nothing to send at once";
}

TEST_F(AdminForm, OkWithoutChangesClosesAtOnce)
{
    Open();
    Ok();
    EXPECT_TRUE(Sent(t, "api/api_objSet.php").empty());
    EXPECT_FALSE(StillRegistered());
}

TEST_F(AdminForm, MissingPartKeepsTheFormOpen)
{
    Open();
    form->SetModified(true);
    form->m_closeAfterSave = true;
    form->MarkSaved(0x2DF & ~DlgAdministratorDlg::SavedGroups);
    EXPECT_TRUE(IsShown());
    form->MarkSaved(DlgAdministratorDlg::SavedGroups);
    EXPECT_FALSE(StillRegistered());
}

TEST(AdministratorReportFilter, AvailabilityDecidesOfferedAndLocked)
{
    struct Case {
        const char* availability;
        const char* user;
        bool hidden, locked;
    } cases[] = {
        {"Everyone", "", false, true},
        {"user", "2400", false, true},
        {"USER", "2401", true, false},
        {"user", "", true, false},
        {"group", "2401", false, false},
        {"", "", false, false},
    };
    for (const Case& c : cases) {
        Object choice;
        choice.id = 2430;
        choice.attributes[474].name = L"report_availability";
        choice.attributes[474].CAttribute::Assign(CAttribute(CAttribute::Text, CTString(std::wstring(c.availability, c.availability + strlen(c.availability)).c_str())));
        if (*c.user) {
            choice.attributes[475].name = L"link_user";
            choice.attributes[475].CAttribute::Assign(CAttribute(CAttribute::Integer, std::stoll(c.user)));
        }
        bool locked = true;
        EXPECT_EQ(DlgAdministratorDlg::IsReportPageHidden(choice, kAdmin, locked), c.hidden) << c.availability << c.user;
        EXPECT_EQ(locked, c.locked) << c.availability << c.user;
    }
}

TEST_F(AdminForm, AuthorAccessIsSavedWithEverySave)
{
    Object& linkType = DefineStructureType(*t.app, kLinkReportType, L"Link [RP]");
    linkType.attributes[486].name = L"link_report_portal_page";
    linkType.attributes[486].flags = Object::Attribute::Link;
    linkType.id = 0;   // the template of new links
    Republish(*t.app, linkType);
    Open(false, true);
    Show(form->m_reports);
    // The report-portal choices arrive; the third search is theirs.
    t.Answer("api/api_objSearch.php", apptest::XmlHeaders(),
             apptest::Doc("<RC id=\"0\" text=\"\"/>" + ObjectXml(2431, 118, "Sales page", "", kSettings)), 2);
    ASSERT_EQ(form->m_reports->m_model.rows.size(), 1u);
    HWND toolbar = form->m_reports->m_list.m_report.m_toolbar.m_hWnd;
    ASSERT_NE(toolbar, nullptr);
    ASSERT_GE(SendMessageW(toolbar, TB_COMMANDTOINDEX, DlgAdministratorDlg::kCmdAuthorAccess, 0), 0);
    SendMessageW(toolbar, TB_CHECKBUTTON, DlgAdministratorDlg::kCmdAuthorAccess, TRUE);
    form->OnReportsToolbar(CPickPage::ToolbarCommand, form->m_reports->m_list.m_report.m_toolbar);
    ASSERT_TRUE(form->IsModified());
    // A report link is ticked in the same save.
    ObjectPick::Row& row = form->m_reports->m_model.rows.front();
    form->m_reports->m_model.SetCellValue(row, 0, CAttribute(CAttribute::Integer, 1ll));
    ASSERT_EQ(row.operation, ObjectPick::OpCreate);
    SendMessageW(form->m_hWnd, WM_COMMAND, DlgAdministratorDlg::kApplyId, 0);
    t.Pump();
    EXPECT_FALSE(Sent(t, "api/api_objNew.php").empty()) << "the link is created";
    std::vector<Fields> saves = Sent(t, "api/api_objSet.php");
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0]["PRIVID_5"], "1");
}

namespace {

struct PasswordEntry : ModalDialogDriver {
    PasswordEntry() { ModalDialogDriver::Install(this); }
    ~PasswordEntry() override { ModalDialogDriver::Install(nullptr); }
    void OnModalDialog(CTWnd2&, HWND dialog) override
    {
        SetDlgItemTextW(dialog, DlgResetPassword::kIdNew, L"S3cret!");
        SetDlgItemTextW(dialog, DlgResetPassword::kIdConfirm, L"S3cret!");
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
};

} // namespace

TEST_F(AdminForm, PasswordResetOutcomes)
{
    Open();
    PasswordEntry entry;
    struct Case {
        std::string rc;
        bool hint;
        std::wstring text, caption;
    } cases[] = {
        {"<RC id=\"0\" text=\"\"/>", false, L"Password Set", L"Reset Password"},
        {"<RC id=\"1325\" text=\"Too simple\" passwordhint=\"hints/pw.txt\"/>", true,
         L"Too simple\r\n\r\nUse 8 letters", L"Reset Password"},
        {"<RC id=\"1325\" text=\"Too simple\"/>", false, L"Too simple", L"System Error"},
        {"<RC id=\"77\" text=\"Not allowed\"/>", false, L"Not allowed", L"System Error"},
    };
    for (const Case& c : cases) {
        boxes.texts.clear();
        boxes.captions.clear();
        SendMessageW(form->m_general->m_hWnd, WM_COMMAND, DlgAdministratorDlg::CGeneralPage::kResetPassword, 0);
        t.Pump();
        std::vector<Fields> resets = Sent(t, "api/api_dirResetPassword.php");
        ASSERT_FALSE(resets.empty());
        EXPECT_EQ(resets.back()["ID"], std::to_string(kAdmin));
        t.Answer("api/api_dirResetPassword.php", apptest::XmlHeaders(), apptest::Doc(c.rc));
        if (c.hint) {
            ASSERT_TRUE(boxes.Texts().empty());
            const std::string& last = t.transport->m_sent.back().path;
            EXPECT_NE(last.find("hints/pw.txt"), std::string::npos);
            t.Answer(last, L"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n", "Use 8 letters");
        }
        ASSERT_EQ(boxes.Texts().size(), 1u) << c.rc;
        // The reply's status text ends with the server's text.
        const std::wstring shown = boxes.Texts()[0];
        ASSERT_GE(shown.size(), c.text.size());
        EXPECT_EQ(shown.substr(shown.size() - c.text.size()), c.text);
        if (c.caption == L"Reset Password" && c.hint) EXPECT_NE(shown.find(L"\r\n\r\nUse 8 letters"), std::wstring::npos);
        EXPECT_EQ(boxes.captions[0], c.caption);
    }
}

TEST(AdministratorGeneralPage, LinkAccessTexts)
{
    Object admin;
    EXPECT_EQ(apptest::Wide(DlgAdministratorDlg::CGeneralPage::LinkAccessText(admin)), L"<Disabled>");
    admin.attributes[476].name = L"linkaccess_id";
    admin.attributes[476].CAttribute::Assign(CAttribute(CAttribute::Text, L"abc123"));
    EXPECT_EQ(apptest::Wide(DlgAdministratorDlg::CGeneralPage::LinkAccessText(admin)), L"<Enabled>");
    admin.attributes[477].name = L"linkaccess_expire";
    admin.attributes[477].CAttribute::Assign(CAttribute(CAttribute::Date, 1767225600ll));
    const std::wstring expiry = apptest::Wide(DlgAdministratorDlg::CGeneralPage::LinkAccessText(admin));
    EXPECT_NE(expiry.find(L"2026"), std::wstring::npos) << expiry;
    EXPECT_EQ(std::count(expiry.begin(), expiry.end(), L':'), 1) << "no seconds: " << expiry;
}

TEST(AdministratorGeneralPage, ScheduleUserLinkVisibility)
{
    Object admin;
    admin.parent = kOther;
    EXPECT_TRUE(DlgAdministratorDlg::CGeneralPage::OffersScheduleUser(admin, kUsersFolder));
    admin.parent = kUsersFolder;
    EXPECT_FALSE(DlgAdministratorDlg::CGeneralPage::OffersScheduleUser(admin, kUsersFolder));
    admin.parent = kOther;
    admin.privileges[9].name = L"SuperUser";
    admin.privileges[9].granted = true;
    EXPECT_FALSE(DlgAdministratorDlg::CGeneralPage::OffersScheduleUser(admin, kUsersFolder));
}

TEST_F(AdminForm, EventsGiveLastLogonColumnsAndRecentColours)
{
    Object& logon = DefineStructureType(*t.app, kLogonType, L"Logon");
    logon.attributes[478].name = L"logon_event";
    logon.attributes[478].editSpec = L"TYPE=Combo|VALUES=logoff,logon,logonlink";
    Republish(*t.app, logon);
    Object& event = DefineStructureType(*t.app, kEventType, L"Event");
    event.attributes[479].name = L"console_display_attribs";
    event.attributes[479].CAttribute::Assign(CAttribute(CAttribute::Text, L"a|b|c"));
    Republish(*t.app, event);
    UnixClock::Function previous = UnixClock::Replace(&FixedNow);
    Open();
    UnixClock::Replace(previous);
    HWND page = form->m_general->m_hWnd;
    EXPECT_EQ(form->m_general->m_displayColumns, 3);
    auto Event = [](__int64 id, __int64 created, __int64 updated, int kind) {
        return "<object id=\"" + std::to_string(id) + "\" type=\"116\" parent=\"1\" serial=\"1\" name=\"e\" created=\"" +
               std::to_string(created) + "\" updated=\"" + std::to_string(updated) + "\">" +
               Attr(478, "logon_event", "value_int", std::to_string(kind)) + "</object>";
    };
    // Ten minutes old and forty minutes old; the newer logon came through a link.
    const std::string reply = apptest::Doc("<RC id=\"0\" text=\"\"/>" + Event(2440, kNow - 600, kNow - 2400, 2) +
                                           Event(2441, kNow - 2400, kNow - 600, 1) + Event(2442, kNow - 60, kNow - 60, 0));
    previous = UnixClock::Replace(&FixedNow);
    t.Answer("api/api_qelEventQuery.php", apptest::XmlHeaders(), reply);
    UnixClock::Replace(previous);
    CTString expected;
    int32_t newest = static_cast<int32_t>(kNow - 600);
    FormatUnixDateTime(&newest, expected, false);
    EXPECT_EQ(ItemText(page, DlgAdministratorDlg::CGeneralPage::kLastLogon), apptest::Wide(expected));
    CTListCtrlReport& report = form->m_general->m_history.m_report;
    ASSERT_EQ(report.GetItemCount(), 3);
    auto colourOf = [&](__int64 id, int column) {
        CTListCtrlReport::Row* row = report.GetRow(report.FindRowByData(Key(id)));
        CTListCtrlReport::Cell* cell = row ? row->GetCell(column) : nullptr;
        return cell ? static_cast<int>(cell->m_textColour) : -1;
    };
    EXPECT_EQ(colourOf(2440, 0), 1);
    EXPECT_EQ(colourOf(2440, 2), 0);
    EXPECT_EQ(colourOf(2441, 0), 0);
    EXPECT_EQ(colourOf(2441, 2), 1);
}

TEST_F(AdminForm, NoLogonEventShowsNever)
{
    Open();
    t.Answer("api/api_qelEventQuery.php", apptest::XmlHeaders(), apptest::Doc("<RC id=\"0\" text=\"\"/>"));
    EXPECT_EQ(ItemText(form->m_general->m_hWnd, DlgAdministratorDlg::CGeneralPage::kLastLogon), L"<Never>");
}

TEST_F(AdminForm, LanguageStaysWithoutTheLanguageList)
{
    Open();
    Click(form->m_general->m_hWnd, DlgAdministratorDlg::CGeneralPage::kHomeAdmin);
    SendMessageW(form->m_hWnd, WM_COMMAND, DlgAdministratorDlg::kApplyId, 0);
    t.Pump();
    std::vector<Fields> saves = Sent(t, "api/api_objSet.php");
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].count("ATTRIBID_472"), 0u);
    EXPECT_EQ(saves[0].count("ATTRIBIDDEL_472"), 0u);
    EXPECT_EQ(saves[0]["PRIVID_4"], "1");
}

// ---- groups ----

struct AdminGroups : AdminForm {
    void OpenWithGroups(const std::wstring& a, const std::wstring& b)
    {
        t.app->m_dir.StoreObject(Cached(kGroupA, kGroupType, L"Alpha", kGroupsFolder, a), 0);
        t.app->m_dir.StoreObject(Cached(kGroupB, kGroupType, L"Beta", kGroupsFolder, b), 0);
        Open();
        Show(form->m_groups);
        AnswerFor(t, "api/api_objGet.php", kGroupsFolder,
                  ObjectReply(kGroupsFolder, ObjectXml(kGroupsFolder, 1, "Groups", "", 1) +
                                                 ObjectXml(kGroupA, kGroupType, "Alpha", Attr(480, "users", "value_iddirectory_array", Narrow(a)), kGroupsFolder) +
                                                 ObjectXml(kGroupB, kGroupType, "Beta", Attr(480, "users", "value_iddirectory_array", Narrow(b)), kGroupsFolder)));
    }
    static std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }
    void Tick(__int64 id, bool on)
    {
        form->m_groups->SetTicked(id, on);
        form->m_groups->m_changed.insert(id);
        form->SetModified(true);
    }
    std::vector<Fields> GroupSaves()
    {
        std::vector<Fields> out;
        for (Fields& f : Sent(t, "api/api_objSet.php"))
            if (f["ID"] != std::to_string(kAdmin)) out.push_back(f);
        return out;
    }
};

TEST_F(AdminGroups, TickAppendsUntickRemovesEveryOccurrenceAndBothSendNothing)
{
    OpenWithGroups(L"/7/", L"/2400/8/2400/");
    ASSERT_EQ(form->m_groups->m_groups.size(), 2u);
    EXPECT_FALSE(form->m_groups->IsTicked(kGroupA));
    EXPECT_TRUE(form->m_groups->IsTicked(kGroupB));
    Tick(kGroupA, true);
    Tick(kGroupB, false);
    form->m_groups->Save();
    std::vector<Fields> saves = GroupSaves();
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(saves[0]["ID"], std::to_string(kGroupA));
    EXPECT_EQ(saves[0]["ATTRIBID_480"], "/7/2400/");
    EXPECT_EQ(saves[0]["SERIAL"], "4");
    EXPECT_EQ(saves[1]["ATTRIBID_480"], "/8/");
}

TEST_F(AdminGroups, TickThenUntickSendsNothingAndReportsAtOnce)
{
    OpenWithGroups(L"/7/", L"");
    Tick(kGroupA, true);
    Tick(kGroupA, false);
    form->m_saveMask = 0;
    form->m_groups->Save();
    EXPECT_TRUE(GroupSaves().empty());
    EXPECT_EQ(form->m_saveMask & DlgAdministratorDlg::SavedGroups, DlgAdministratorDlg::SavedGroups);
}

TEST_F(AdminGroups, AllNoneInvertChangeEveryRow)
{
    OpenWithGroups(L"/2400/", L"");
    form->m_groups->SelectRows(DlgAdministratorDlg::CGroupsPage::kCmdInvert);
    EXPECT_FALSE(form->m_groups->IsTicked(kGroupA));
    EXPECT_TRUE(form->m_groups->IsTicked(kGroupB));
    form->m_groups->SelectRows(DlgAdministratorDlg::CGroupsPage::kCmdAll);
    EXPECT_TRUE(form->m_groups->IsTicked(kGroupA));
    EXPECT_TRUE(form->m_groups->IsTicked(kGroupB));
    EXPECT_TRUE(form->IsModified());
    form->m_groups->SelectRows(DlgAdministratorDlg::CGroupsPage::kCmdNone);
    EXPECT_FALSE(form->m_groups->IsTicked(kGroupA));
    form->m_groups->Save();
    std::vector<Fields> saves = GroupSaves();
    ASSERT_EQ(saves.size(), 1u) << "only Alpha differs from what is stored";
    EXPECT_EQ(saves[0]["ATTRIBID_480"], "");
}

TEST_F(AdminGroups, RefusedGroupSaveKeepsFormOpenAndCacheUnchanged)
{
    OpenWithGroups(L"", L"");
    Tick(kGroupA, true);
    Ok();
    ASSERT_EQ(GroupSaves().size(), 1u);
    AcceptObjectSave();
    EXPECT_TRUE(IsShown());
    t.Answer("api/api_objSet.php", apptest::XmlHeaders(),
             apptest::Doc("<RC id=\"12\" text=\"Refused\"/><parameters ID=\"2410\"/>"), 1);
    EXPECT_TRUE(IsShown());
    EXPECT_TRUE(form->IsModified());
    const Object* cached = t.app->m_dir.Lookup(kGroupA);
    ASSERT_NE(cached, nullptr);
    std::vector<__int64> users;
    cached->GetLinkArray(users, CTString(L"users"));
    EXPECT_TRUE(users.empty());
}

TEST_F(AdminGroups, NoGroupsReportsAtOnce)
{
    Open();
    Show(form->m_groups);
    AnswerFor(t, "api/api_objGet.php", kGroupsFolder,
              ObjectReply(kGroupsFolder, ObjectXml(kGroupsFolder, 1, "Groups", "", 1)));
    EXPECT_TRUE(form->m_groups->m_groups.empty());
    form->m_saveMask = 0;
    form->m_groups->Save();
    EXPECT_EQ(form->m_saveMask, DlgAdministratorDlg::SavedGroups);
}

// ---- reports (v3) ----

struct AdminReports : AdminForm {
    void OpenWithReports()
    {
        Open(true, false);
        Show(form->m_reportsV3);
        auto Report = [](__int64 id, const char* name, const char* users) {
            return ObjectXml(id, kReportType, name,
                             Attr(480, "users", "value_iddirectory_array", users) +
                                 Attr(481, "category", "value_varchar", "Sales"),
                             kSettings);
        };
        Fields search = Sent(t, "api/api_objSearch.php").back();
        EXPECT_EQ(search["TYPE"], "Report");
        t.Answer("api/api_objSearch.php", apptest::XmlHeaders(),
                 apptest::Doc("<RC id=\"0\" text=\"\"/>" + Report(2450, "Q1", "/2400/") + Report(2451, "Q2", "")));
    }
    bool Ticked(__int64 id)
    {
        CAttribute value;
        form->m_reportsV3->m_editor.GetValue(value, Key(id), 0);
        return value.GetValue() != 0;
    }
};

TEST_F(AdminReports, SelectAllTwiceTicksThenClears)
{
    OpenWithReports();
    ASSERT_EQ(form->m_reportsV3->m_reports.size(), 2u);
    HWND page = form->m_reportsV3->m_hWnd;
    SendMessageW(page, WM_COMMAND, DlgAdministratorDlg::CReportsV3Page::kSelectAll, 0);
    EXPECT_TRUE(Ticked(2450));
    EXPECT_TRUE(Ticked(2451));
    SendMessageW(page, WM_COMMAND, DlgAdministratorDlg::CReportsV3Page::kSelectAll, 0);
    EXPECT_FALSE(Ticked(2450));
    EXPECT_FALSE(Ticked(2451));
    form->m_reportsV3->Save();
    std::vector<Fields> saves = Sent(t, "api/api_objSet.php");
    ASSERT_EQ(saves.size(), 1u) << "only Q1 lost the administrator";
    EXPECT_EQ(saves[0]["ID"], "2450");
    EXPECT_EQ(saves[0]["ATTRIBID_480"], "");
}

TEST_F(AdminReports, AllReportsDisablesTheListAndIsSaved)
{
    OpenWithReports();
    HWND page = form->m_reportsV3->m_hWnd;
    Click(page, DlgAdministratorDlg::CReportsV3Page::kAllReports);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, DlgAdministratorDlg::CReportsV3Page::kSelectAll)));
    ASSERT_TRUE(form->IsModified());
    SendMessageW(form->m_hWnd, WM_COMMAND, DlgAdministratorDlg::kApplyId, 0);
    t.Pump();
    std::vector<Fields> saves = Sent(t, "api/api_objSet.php");
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0]["PRIVID_6"], "1");
}

TEST_F(AdminReports, NeverLoadedSavesNothingAndReportsAtOnce)
{
    Open(true, false);
    form->m_saveMask = 0;
    form->m_reportsV3->Save();
    EXPECT_EQ(form->m_saveMask, DlgAdministratorDlg::SavedReportsV3);
    EXPECT_TRUE(Sent(t, "api/api_objSet.php").empty());
}

// ---- requests ----

TEST_F(AdminForm, RequestTabComesWithTheFirstLinkedRequest)
{
    Open();
    std::vector<std::wstring> before = TabTitles();
    EXPECT_FALSE(form->m_requests->IsEnabled());
    Object foreign = Cached(kForeignRequest, kRequestType, L"r", 77, L"");
    foreign.attributes[482].name = L"link_request_object";
    foreign.attributes[482].CAttribute::Assign(CAttribute(CAttribute::Integer, kOther));
    t.app->m_dir.StoreObject(foreign, 0);
    Notice(1107, kForeignRequest);
    EXPECT_EQ(TabTitles(), before);
    // Not cached below the requests folder: the notice's request still counts.
    Object mine = Cached(kRequest, kRequestType, L"r", 77, L"");
    mine.attributes[482].name = L"link_request_object";
    mine.attributes[482].CAttribute::Assign(CAttribute(CAttribute::Integer, kAdmin));
    mine.attributes[483].name = L"link_user_request";
    mine.attributes[483].CAttribute::Assign(CAttribute(CAttribute::Integer, kRequester));
    t.app->m_dir.StoreObject(mine, 0);
    Notice(1107, kRequest);
    std::vector<std::wstring> after = TabTitles();
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(after.back(), L"1");
    CTListCtrlReport& report = form->m_requests->m_list.m_report;
    ASSERT_EQ(report.GetItemCount(), 1);
    CAttribute requester;
    report.GetCell(0, 2, requester);
    EXPECT_STREQ(requester.GetText() ? requester.GetText() : L"", L"");
    // The requester is fetched and filled in.
    EXPECT_EQ(Get(Sent(t, "api/api_objGet.php").back(), "IDS"), std::to_string(kRequester));
    t.Answer("api/api_objGet.php", apptest::XmlHeaders(),
             apptest::Doc("<RC id=\"0\" text=\"\"/><parameters/>" +
                          ObjectXml(kRequester, kAdminType, "Rita Requester", "", kOther)));
    report.GetCell(0, 2, requester);
    EXPECT_STREQ(requester.GetText(), L"Rita Requester");
}

TEST(AdministratorRequests, StatusText)
{
    struct Case {
        __int64 attribs;
        __int64 completed;
        const wchar_t* text;
    } cases[] = {
        {0x20000, 5, L"Cancelled"}, {0, 0, L"Pending"}, {0x10000, 5, L"Acknowleged"}, {0, 5, L"Completed"},
    };
    for (const Case& c : cases) {
        Object request;
        request.attributes[484].name = L"request_attribs";
        request.attributes[484].CAttribute::Assign(CAttribute(CAttribute::Integer, c.attribs));
        request.attributes[485].name = L"completed";
        request.attributes[485].CAttribute::Assign(CAttribute(CAttribute::Date, c.completed));
        EXPECT_EQ(apptest::Wide(RequestStatusText(request)), c.text);
    }
}

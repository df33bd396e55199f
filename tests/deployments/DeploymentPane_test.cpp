// The deployment pane on a main window with a recording transport: what opening a deployment asks
// for and shows, the state of every control for the combinations of status, type, edits, busy
// state and linked objects, and how the pane follows change notices and replies.
#include <gtest/gtest.h>

#include <list>
#include <string>
#include <vector>

#include "PaneFixture.h"
#include "deployments/DlgDeploymentPages.h"
#include "session/ObjectBranch.h"

using namespace deptest;

namespace {

constexpr __int64 kId = 300;

const std::string kFullDeployment = PaneFixture::Deployment(
    kId, kGroup,
    {{"deployment_status", "3"}, {"link_user", "200"}, {"link_legacy_computer", "230"},
     {"link_deployed_computer", "237"}, {"link_administrator", "90"}, {"link_fail_code", "115"},
     {"linkaccess_id", "tok"}, {"tag", "\"VIP\""}, {"completed", "1700000000"}});

std::string Linked()
{
    return PaneFixture::User() + ObjectXml(kLegacy, kComputerType, kGroup, "OLD-PC-01", {}) +
           ObjectXml(kDeployed, kComputerType, 531, "NEW-LT-0401", {}) +
           ObjectXml(kAdmin, kAdminType, 7, "Ann Admin", {});
}

class DeploymentPane : public PaneFixture {};

TEST_F(DeploymentPane, OpeningShowsTheDeploymentAndSendsItsRequestsWithoutWaiting)
{
    SetTypeFlags(0x1 | 0x2 | 0x100 | 0x800 | 0x1000, "");
    DlgDeployment* pane = Open(kId, kFullDeployment);
    ASSERT_NE(pane, nullptr);
    // One fetch for the deployment, one per linked object; the rest go out at once.
    EXPECT_EQ(5u, Count("api/api_objGet.php"));
    EXPECT_EQ(1u, Count("api/api_dirIDToPath.php"));
    EXPECT_EQ(1u, Count("api/api_dirGetCount.php"));
    EXPECT_EQ(1u, Count("api/api_qelGetDeploymentWindow.php"));
    ASSERT_EQ(1u, Count("api/api_objGetAttrib.php"));
    for (const Sent& sent : t.transport->m_sent) {
        if (sent.path == "api/api_objGetAttrib.php") {
            EXPECT_NE(sent.body.find("ATTRIBID_160=0"), std::string::npos) << sent.body;
        }
    }

    AnswerLinked(Linked());
    EXPECT_EQ(L"Grace", Text(pane, DlgDeployment::kIdUserLink));
    EXPECT_EQ(L"OLD-PC-01", Text(pane, DlgDeployment::kIdLegacyLink));
    EXPECT_EQ(L"NEW-LT-0401", Text(pane, DlgDeployment::kIdDeployedLink));
    EXPECT_EQ(L"Ann Admin", Text(pane, DlgDeployment::kIdAdministratorLink));
    // The new computer is not in the deployment's schedule group; the legacy one and the user are.
    EXPECT_TRUE(Shown(pane, DlgDeployment::kIdDeployedWarning));
    EXPECT_FALSE(Shown(pane, DlgDeployment::kIdLegacyWarning));
    EXPECT_FALSE(Shown(pane, DlgDeployment::kIdUserWarning));

    // The disabled fail code is listed because it is the deployment's own, and selected.
    HWND fail = GetDlgItem(pane->GetHwnd(), DlgDeployment::kIdFailCode);
    ASSERT_EQ(3, SendMessageW(fail, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(kFailDisabled, SendMessageW(fail, CB_GETITEMDATA, SendMessageW(fail, CB_GETCURSEL, 0, 0), 0));
    HWND types = GetDlgItem(pane->GetHwnd(), DlgDeployment::kIdType);
    ASSERT_EQ(1, SendMessageW(types, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, SendMessageW(types, CB_GETCURSEL, 0, 0));
    EXPECT_FALSE(Text(pane, DlgDeployment::kIdCompleted).empty());

    // Pages by the type's flags: Details, Exceptions and Settings.
    EXPECT_TRUE(pane->m_deploymentPage->IsEnabled());
    EXPECT_FALSE(pane->m_deployablePage->IsEnabled());
    EXPECT_FALSE(pane->m_emailsPage->IsEnabled());
    EXPECT_TRUE(pane->m_exceptionsPage->IsEnabled());
    EXPECT_FALSE(pane->m_tasksPage->IsEnabled());
    EXPECT_TRUE(pane->m_settingsPage->IsEnabled());
    EXPECT_EQ(3, SendMessageW(pane->m_tab, TCM_GETITEMCOUNT, 0, 0));

    // Path, notes count and logon link arrive later.
    t.Answer("api/api_dirIDToPath.php", XmlHeaders(),
             Doc("<parameters ID=\"300\"/><value ID=\"300\" path=\"\\Groups\\Spring refresh\\Grace Hopper\"/>"));
    EXPECT_EQ(L"\\Groups\\Spring refresh\\Grace Hopper", Wide(pane->m_path));
    t.Answer("api/api_dirGetCount.php", XmlHeaders(), Doc("<value count=\"3\"/>"));
    EXPECT_EQ(L"Notes [3]", Text(pane, DlgDeployment::kIdNotes));
    t.Answer("api/api_objGetAttrib.php", XmlHeaders(), Doc("<parameters ID=\"300\"/><attrib id=\"160\" value=\"abc\"/>"));
    EXPECT_EQ(L"abc", Wide(pane->m_linkAccessId));
    EXPECT_EQ(L"https://portal/=abc", Text(pane, DlgDeployment::kIdLinkAccess));
}

TEST_F(DeploymentPane, RepliesForAnotherIdAndCountsOfNoneChangeNothing)
{
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {{"link_user", "200"}}));
    ASSERT_NE(pane, nullptr);
    AnswerLinked(User());
    pane->m_linkAccessId = L"old";
    // Another object's link access keeps the id but rewrites the text for the current user.
    SetWindowTextW(GetDlgItem(pane->GetHwnd(), DlgDeployment::kIdLinkAccess), L"stale");
    t.Answer("api/api_objGetAttrib.php", XmlHeaders(), Doc("<parameters ID=\"301\"/><attrib id=\"160\" value=\"x\"/>"));
    EXPECT_EQ(L"old", Wide(pane->m_linkAccessId));
    EXPECT_EQ(L"https://portal/=old", Text(pane, DlgDeployment::kIdLinkAccess));
    t.Answer("api/api_dirGetCount.php", XmlHeaders(), Doc("<value count=\"0\"/>"));
    EXPECT_EQ(L"Notes", Text(pane, DlgDeployment::kIdNotes));

    // A path reply without an id in its parameters takes each value's own id.
    RequestResult paths;
    paths.route = pane->Route(DlgDeployment::kReqPath);
    paths.document.Parse(L"<result><parameters ID=\"0\"/><value ID=\"0\" path=\"nothing\"/>"
                         L"<value ID=\"77\" path=\"\\Other\"/><value ID=\"300\" path=\"\\Groups\\G\\Grace Hopper\"/></result>",
                         nullptr, 0);
    pane->OnReply(paths);
    EXPECT_EQ(L"\\Groups\\G\\Grace Hopper", Wide(pane->m_path));
}

TEST_F(DeploymentPane, HeadingTitleAddsTheBusinessIdOnlyWhenItDiffersFromTheName)
{
    struct Case {
        const char* deploymentId;
        const wchar_t* title;
    } cases[] = {{"SR-0001", L"\\G\\D (SR-0001)"}, {"Grace Hopper", L"\\G\\D"}, {"grace hopper", L"\\G\\D (grace hopper)"},
                 {"", L"\\G\\D"}};
    for (const Case& c : cases) {
        Object deployment = ObjectOf(Deployment(kId, kGroup, {{"deployment_id", c.deploymentId}}));
        EXPECT_EQ(std::wstring(c.title), Wide(HeadingTitle(CTString(L"\\G\\D"), deployment))) << c.deploymentId;
    }
}

// The state of the controls the rules name: H hidden, E shown and enabled, D shown and disabled.
TEST_F(DeploymentPane, ControlStateFollowsStatusTypeEditsBusyStateAndSlots)
{
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {{"link_user", "200"}}));
    ASSERT_NE(pane, nullptr);
    AnswerLinked(User());
    const int controls[] = {1137, 1076, 1100, 1106, 1075, 1214, 1217, 1216, 1049, 1047,
                            1104, 1105, 1102, 1027, 1023, 1330, 1015};
    struct Row {
        const char* status;
        DWORD typeFlags;
        bool modified;
        bool busy;
        const char* active;     // statuses the type counts as active
        __int64 deployedParent; // new computer's parent; 0 for none
        bool userEmail;
        const char* expected;   // one letter per control above
    } rows[] = {
        // Scheduled: editable, Show Fail, >> to In progress.
        {"1", 0x1 | 0x2 | 0x4, false, false, "", 0, true, "EEHHEEEEEEHEDEEED"},
        // In progress: Set Succeed replaces >>, Re-Schedule shown but blocked by edits, busy blocks Save.
        {"2", 0, true, true, "", 0, true, "EDDHDEEEDEEHEDEDD"},
        // The same idle: Save; an active status blocks Duplicate; no e-mail disables chat.
        {"2", 0, true, false, "/81/", 0, false, "EDDHDEDEDEEHEDEDE"},
        // Completed with New Asset and Transfer New Asset: a success set in the pane can still get
        // its new computer, but Save waits for one; Transfer needs the pane saved.
        {"3", 0x2 | 0x10, true, false, "", 0, true, "DEHDDDEEDDHHEDDDD"},
        // Saved, with the new computer in the schedule group: Transfer possible.
        {"3", 0x2 | 0x10, false, false, "", kGroup, true, "DDHEDDEEDDHHEDDED"},
        // Modified with a new computer: Save.
        {"3", 0x2, true, false, "", kGroup, true, "DEHHDDEEDDHHEDDDE"},
        // Failed: nothing editable, no Set Fail.
        {"4", 0x1, false, false, "", 0, true, "DDHHDDEEDDHHDDDED"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "status " << row.status << " type " << row.typeFlags << " modified "
                                        << row.modified << " busy " << row.busy);
        SetTypeFlags(row.typeFlags, row.active);
        main->m_cache.statusByCode.clear();
        Object& deployment = pane->SlotRef(DlgDeployment::SlotDeployment);
        deployment.SetAttribute(CTString(L"deployment_status"), CAttribute(CAttribute::Integer, static_cast<__int64>(atoi(row.status))));
        if (row.deployedParent) {
            Object computer = ObjectOf(ObjectXml(kDeployed, kComputerType, row.deployedParent, "NEW", {}));
            pane->SlotRef(DlgDeployment::SlotDeployed) = computer;
            deployment.SetAttribute(CTString(L"link_deployed_computer"), CAttribute(CAttribute::Integer, kDeployed));
        } else {
            pane->m_objects.erase(DlgDeployment::SlotDeployed);
            deployment.SetAttribute(CTString(L"link_deployed_computer"), CAttribute(CAttribute::Integer, static_cast<__int64>(0)));
        }
        Object user = ObjectOf(User());
        if (!row.userEmail)
            user.SetAttribute(CTString(L"email_address"), CAttribute(CTString(L"")));
        pane->SlotRef(DlgDeployment::SlotUser) = user;
        pane->m_modified = row.modified;
        main->m_idle = !row.busy;
        pane->UpdateControls();
        std::string actual;
        for (int id : controls)
            actual += !Shown(pane, id) ? 'H' : Enabled(pane, id) ? 'E' : 'D';
        EXPECT_EQ(std::string(row.expected), actual);
    }
}

TEST_F(DeploymentPane, StatusDisplaySplitsTheNameAtItsFirstBlank)
{
    struct Case {
        const wchar_t* name;
        const wchar_t* first;
        const wchar_t* second;
    } cases[] = {{L"In progress", L"In", L"progress"}, {L"Completed", L"Completed", L""},
                 {L"Waiting for the user", L"Waiting", L"for the user"}, {L"", L"", L""}};
    for (const Case& c : cases) {
        std::wstring markup = Wide(DlgDeployment::BuildStatusMarkup(CTString(c.name)));
        std::wstring expected =
            std::wstring(L"<Div width=\"100%\"><Text font-size=\"28\" font-weight=\"600\" font-family=\"Tahoma\" "
                         L"text-align=\"center\" color=\"#000000\">") + c.first +
            L"</Text><BR /><Text font-size=\"9\" font-family=\"Tahoma\" text-align=\"center\" color=\"#030303\">" +
            c.second + L"</Text></Div>";
        EXPECT_EQ(expected, markup) << c.name;
    }
}

TEST_F(DeploymentPane, ATypeTheListDoesNotOfferStaysAsStored)
{
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {{"link_deployment_type", "701"}}));
    ASSERT_NE(pane, nullptr);
    const Object& deployment = pane->GetSlot(DlgDeployment::SlotDeployment);
    EXPECT_EQ(-1, SendDlgItemMessageW(pane->GetHwnd(), DlgDeployment::kIdType, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(kTypeB, LinkId(deployment, L"link_deployment_type"));
    EXPECT_FALSE(deployment.IsAttributeDirty(CTString(L"link_deployment_type")));
    EXPECT_FALSE(deployment.IsModified());
    // Other edits leave it too; choosing a type in the list stores it.
    SendMessageW(pane->GetHwnd(), WM_COMMAND, MAKEWPARAM(DlgDeployment::kIdSlots, 1), 0);
    EXPECT_EQ(kTypeB, LinkId(pane->GetSlot(DlgDeployment::SlotDeployment), L"link_deployment_type"));
    SendDlgItemMessageW(pane->GetHwnd(), DlgDeployment::kIdType, CB_SETCURSEL, 0, 0);
    SendMessageW(pane->GetHwnd(), WM_COMMAND, MAKEWPARAM(DlgDeployment::kIdType, 1), 0);
    EXPECT_EQ(kTypeA, LinkId(pane->GetSlot(DlgDeployment::SlotDeployment), L"link_deployment_type"));
    EXPECT_TRUE(pane->m_modified);
}

TEST_F(DeploymentPane, AMovedDeploymentClosesThePane)
{
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {}));
    ASSERT_NE(pane, nullptr);
    // The cache learns of a newer deployment under another schedule group.
    t.app->m_dir.StoreObject(ObjectOf(Deployment(kId, kOtherGroup, {}, 2)), 0);
    t.Pump();
    EXPECT_EQ(nullptr, main->FindConsole(DlgDeployment::kConsoleType, kId));
}

TEST_F(DeploymentPane, ANoticeAboutALinkedObjectKeepsTheEditsAndUpdatesItsLine)
{
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {{"link_user", "200"}, {"tag", "\"VIP\""}}));
    ASSERT_NE(pane, nullptr);
    AnswerLinked(User());
    const size_t counts = Count("api/api_dirGetCount.php");
    pane->SlotRef(DlgDeployment::SlotDeployment).SetAttribute(CTString(L"tag"), CAttribute(CTString(L"edited")));
    pane->SetModified(true);

    // The user is renamed and moved to another group.
    Object user = ObjectOf(User(2, "Grace B. Hopper"));
    user.parent = kOtherGroup;
    t.app->m_dir.StoreObject(user, 0);
    t.Pump();
    EXPECT_EQ(L"Grace B. Hopper", Text(pane, DlgDeployment::kIdUserLink));
    EXPECT_TRUE(Shown(pane, DlgDeployment::kIdUserWarning));
    EXPECT_TRUE(pane->m_modified);
    EXPECT_TRUE(Enabled(pane, DlgDeployment::kIdSave));
    EXPECT_EQ(L"edited", Wide(AttributeText(pane->GetSlot(DlgDeployment::SlotDeployment), L"tag")));
    EXPECT_EQ(counts, Count("api/api_dirGetCount.php"));

    // Without edits the same notice reloads; a notice about the deployment always does.
    pane->SetModified(false);
    t.app->m_dir.StoreObject(ObjectOf(User(3)), 0);
    t.Pump();
    EXPECT_EQ(counts + 1, Count("api/api_dirGetCount.php"));
    pane->SetModified(true);
    t.app->m_dir.StoreObject(ObjectOf(Deployment(kId, kGroup, {{"link_user", "200"}}, 5)), 0);
    t.Pump();
    EXPECT_EQ(counts + 2, Count("api/api_dirGetCount.php"));
    EXPECT_FALSE(pane->m_modified);
}

TEST_F(DeploymentPane, AReloadWithoutLegacyComputerOrAdministratorClearsTheirLines)
{
    DlgDeployment* pane = Open(kId, kFullDeployment);
    ASSERT_NE(pane, nullptr);
    AnswerLinked(Linked());
    ASSERT_EQ(L"OLD-PC-01", Text(pane, DlgDeployment::kIdLegacyLink));
    ASSERT_EQ(L"Ann Admin", Text(pane, DlgDeployment::kIdAdministratorLink));
    t.app->m_dir.StoreObject(ObjectOf(Deployment(kId, kGroup, {{"deployment_status", "3"}, {"link_user", "200"}}, 2)), 0);
    t.Pump();
    EXPECT_EQ(L"<not assigned>", Text(pane, DlgDeployment::kIdLegacyLink));
    EXPECT_EQ(L"", Text(pane, DlgDeployment::kIdAdministratorLink));
    EXPECT_EQ(L"<not assigned>", Text(pane, DlgDeployment::kIdDeployedLink));
    EXPECT_FALSE(Shown(pane, DlgDeployment::kIdLegacyWarning));
}

TEST_F(DeploymentPane, AFailedReReadOfALinkedComputerLeavesThePaneOpen)
{
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {}));
    ASSERT_NE(pane, nullptr);
    for (__int64 kind : {DlgDeployment::kLegacyReread, DlgDeployment::kDeployedReread}) {
        RequestResult failed;
        failed.route = pane->Route(DlgDeployment::kReqObject, kind);
        failed.resultCode = RequestResult::CodeFailed;
        pane->OnReply(failed);
        t.Pump();
        EXPECT_NE(nullptr, main->FindConsole(DlgDeployment::kConsoleType, kId)) << kind;
    }
    EXPECT_TRUE(boxes.Texts().empty());
    // Any other failed read reports the object gone and closes the pane.
    RequestResult gone;
    gone.route = pane->Route(DlgDeployment::kReqObject, 5);
    gone.returnCode = 1001;
    gone.statusText = L"Deployment not found";
    pane->OnReply(gone);
    t.Pump();
    ASSERT_EQ(1u, boxes.Texts().size());
    EXPECT_EQ(L"Object no longer available:\r\nDeployment not found", boxes.Texts()[0]);
    EXPECT_EQ(nullptr, main->FindConsole(DlgDeployment::kConsoleType, kId));
}

TEST_F(DeploymentPane, AHiddenPaneRefreshesOnceWhenShownAgain)
{
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {}));
    ASSERT_NE(pane, nullptr);
    ASSERT_TRUE(main->ShowConsole(MainWindow::kConsoleAbout, 0, false));
    t.Pump();
    ASSERT_FALSE(pane->m_visible);
    const size_t sent = t.transport->m_sent.size();
    pane->Refresh();
    pane->Refresh();
    t.Pump();
    EXPECT_EQ(sent, t.transport->m_sent.size());
    EXPECT_TRUE(pane->m_reloadPending);
    const size_t counts = Count("api/api_dirGetCount.php");
    ASSERT_TRUE(main->ShowConsole(DlgDeployment::kConsoleType, kId, false));
    t.Pump();
    EXPECT_FALSE(pane->m_reloadPending);
    EXPECT_EQ(counts + 1, Count("api/api_dirGetCount.php"));
}

TEST_F(DeploymentPane, RoutesSetTheLegacyRouteAndTheNewComputerWarning)
{
    SetTypeFlags(0x2 | 0x10, "");
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {{"link_deployed_computer", "237"},
                                                             {"link_deployment_location", "/530/"}}));
    ASSERT_NE(pane, nullptr);
    AnswerLinked(ObjectXml(kDeployed, kComputerType, 531, "NEW-LT-0401", {}));
    ASSERT_EQ(1u, Count("api/api_qelGetDeploymentRoutes.php"));
    // No routes yet: a transferred new computer is always elsewhere.
    EXPECT_TRUE(Shown(pane, DlgDeployment::kIdDeployedWarning));
    t.Answer("api/api_qelGetDeploymentRoutes.php", XmlHeaders(),
             "<?xml version=\"1.0\"?><result><RC id=\"0\" legacy_route=\"540\"/>" +
                 ObjectXml(540, 36, 530, "Legacy route", {}) + ObjectXml(541, 36, 531, "To Manchester", {}) +
                 ObjectXml(542, 36, 532, "To Edinburgh", {{"link_container", "600"}}) + "</result>");
    EXPECT_EQ(540, pane->GetSlot(DlgDeployment::SlotLegacyRoute).id);
    EXPECT_EQ(2u, pane->m_routes.size());
    EXPECT_TRUE(pane->IsDeployedComputerAtRoute());
    EXPECT_FALSE(Shown(pane, DlgDeployment::kIdDeployedWarning));
}

TEST_F(DeploymentPane, ComputerPickersGetTheirChoiceAndAnswerIntoTheRightSlot)
{
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {{"link_deployment_location", "/530/"}, {"link_legacy_computer", "230"},
                                                             {"link_deployed_computer", "0"}}));
    ASSERT_NE(pane, nullptr);
    pane->PickDeployedComputer();
    ASSERT_EQ(1u, pane->m_computerChoices.size());
    const __int64 key = pane->m_computerChoices.begin()->first;
    ComputerChoice copy;
    copy.reserved = 9;
    EXPECT_EQ(1, SendMessageW(pane->GetHwnd(), DlgDeployment::kMsgComputerChoice, static_cast<WPARAM>(key),
                              reinterpret_cast<LPARAM>(&copy)));
    EXPECT_EQ(1, copy.noneAllowed);
    EXPECT_EQ(std::vector<__int64>{530}, copy.locationIds);
    EXPECT_EQ(kGroup, copy.deployment.id);
    EXPECT_EQ(9, copy.reserved);
    EXPECT_EQ(kGroup, SendMessageW(pane->GetHwnd(), DlgDeployment::kMsgUserScope, 0, 0));

    Object computer = ObjectOf(ObjectXml(241, kComputerType, 550, "NEW-LT-0405", {}));
    SendMessageW(pane->GetHwnd(), DlgDeployment::kMsgComputerPicked, static_cast<WPARAM>(key),
                 reinterpret_cast<LPARAM>(&computer));
    EXPECT_EQ(241, LinkId(pane->GetSlot(DlgDeployment::SlotDeployment), L"link_deployed_computer"));
    EXPECT_EQ(L"NEW-LT-0405", Text(pane, DlgDeployment::kIdDeployedLink));
    EXPECT_TRUE(pane->m_computerChoices.empty());
    EXPECT_TRUE(pane->m_modified);

    pane->PickLegacyComputer();
    const __int64 legacyKey = pane->m_computerChoices.begin()->first;
    EXPECT_NE(key, legacyKey);
    SendMessageW(pane->GetHwnd(), DlgDeployment::kMsgComputerPicked, static_cast<WPARAM>(legacyKey), 0);
    EXPECT_EQ(0, LinkId(pane->GetSlot(DlgDeployment::SlotDeployment), L"link_legacy_computer"));
    EXPECT_EQ(L"<not assigned>", Text(pane, DlgDeployment::kIdLegacyLink));
    EXPECT_EQ(241, LinkId(pane->GetSlot(DlgDeployment::SlotDeployment), L"link_deployed_computer"));
}

TEST_F(DeploymentPane, ModelsListOnlyComputerStockWithNoneFirst)
{
    DefineType(*t.app, 38, L"Computer Stock");
    main->m_cache.typeNames.clear();
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {{"link_deploy_model", "552"}}));
    ASSERT_NE(pane, nullptr);
    ObjectBranch branch;
    branch.AddChild(ObjectOf(ObjectXml(552, 38, 8, "Zeta laptop", {})));
    branch.AddChild(ObjectOf(ObjectXml(551, 38, 8, "Alpha laptop", {})));
    branch.AddChild(ObjectOf(ObjectXml(553, 16, 8, "Office suite", {})));
    pane->FillNewModels(&branch);
    HWND models = GetDlgItem(pane->GetHwnd(), DlgDeployment::kIdNewModel);
    ASSERT_EQ(3, SendMessageW(models, CB_GETCOUNT, 0, 0));
    wchar_t text[64] = {};
    SendMessageW(models, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(L"<none>", text);
    EXPECT_EQ(552, SendMessageW(models, CB_GETITEMDATA, SendMessageW(models, CB_GETCURSEL, 0, 0), 0));
    // The model is not in the application's cache of deployables: selected, but no object.
    EXPECT_EQ(0, pane->GetSlot(DlgDeployment::SlotModel).id);
}

TEST_F(DeploymentPane, TabImagesFollowExceptionsTasksAndRequests)
{
    SetTypeFlags(0x800 | 0x2000, "");
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {}));
    ASSERT_NE(pane, nullptr);
    auto imageOf = [&](CWMFormPage* page) {
        int count = static_cast<int>(SendMessageW(pane->m_tab, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TCITEMW item = {};
            item.mask = TCIF_IMAGE | TCIF_PARAM;
            SendMessageW(pane->m_tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            if (reinterpret_cast<CWMFormPage*>(item.lParam) == page)
                return item.iImage;
        }
        return -2;
    };
    pane->UpdateTabImages();
    EXPECT_EQ(-1, imageOf(pane->m_exceptionsPage));
    EXPECT_EQ(-1, imageOf(pane->m_tasksPage));
    struct Case {
        int due;
        int key;
    } cases[] = {{3, DlgDeployment::TabImageDueSoon}, {4, DlgDeployment::TabImageOverdue}, {1, 0}, {2, 0}};
    for (const Case& c : cases) {
        pane->m_tasksPage->m_dueState = c.due;
        pane->UpdateTabImages();
        EXPECT_EQ(c.key ? pane->m_tabImageIndex[c.key] : -1, imageOf(pane->m_tasksPage)) << c.due;
    }
    CTListCtrlReport& list = pane->m_exceptionsPage->m_list.m_report;
    ASSERT_NE(nullptr, list.m_hWnd);
    CTListCtrlReport::Row row(reinterpret_cast<void*>(111));
    row.AddText(CTString(L"Late delivery"));
    list.InsertRow(0, 0, row);
    pane->UpdateTabImages();
    EXPECT_EQ(pane->m_tabImageIndex[DlgDeployment::TabImageWarning], imageOf(pane->m_exceptionsPage));
    EXPECT_GE(pane->m_tabImageIndex[DlgDeployment::TabImageWarning], 0);
}

} // namespace

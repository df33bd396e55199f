// The deployment pane's workflow on a recording transport: status steps and completion, what a save
// sends in its two passes, the asset transfer chain, duplication with its id chooser, and the
// logon link and chat.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PaneFixture.h"
#include "deployments/DlgDeploymentPages.h"
#include "foundation/IShellLauncher.h"
#include "framework/CTRegKey.h"
#include "framework/FakeSeams.h"
#include "lists/DlgSelectDuplicate.h"

using namespace deptest;

namespace {

constexpr __int64 kId = 300;
constexpr __int64 kLegacyRoute = 540, kNewRoute = 541, kTransferType = 45;

bool Has(const std::string& body, const std::string& item)
{
    return body.find(item) != std::string::npos;
}

class Launches : public IShellLauncher {
public:
    Launches() { m_previous = SetShellLauncher(this); }
    ~Launches() override { SetShellLauncher(m_previous); }
    HRESULT Open(const wchar_t* file) override
    {
        opened.push_back(file);
        return S_OK;
    }
    std::vector<std::wstring> opened;

private:
    IShellLauncher* m_previous = nullptr;
};

class DeploymentWorkflow : public PaneFixture {
public:
    void SetUp() override
    {
        PaneFixture::SetUp();
        // In progress may also fail.
        main->m_cache.deploymentStatuses[1] =
            ObjectOf(ObjectXml(81, 11, 5, "In progress", {{"code", "2"}, {"deployment_attribs", "51"},
                                                          {"code_next_success", "3"}, {"code_prev", "1"},
                                                          {"code_next_failure", "9|4"}}));
        main->m_cache.statusByCode.clear();
        main->m_cache.administrator = ObjectOf(ObjectXml(kAdmin, kAdminType, 7, "Ann Admin", {}));
        CTRegKey(104, GetModuleHandleW(nullptr), DlgSelectDuplicate::kRegistryPath).WriteDword(L"DEPIP", 0);
    }

    // The bodies sent to path, in order.
    std::vector<std::string> Bodies(const std::string& path) const
    {
        std::vector<std::string> bodies;
        for (const Sent& sent : t.transport->m_sent)
            if (sent.path == path)
                bodies.push_back(sent.body);
        return bodies;
    }
    // A deployment carrying every attribute of its type, as the server sends it.
    static std::string Full(__int64 id, const std::vector<Attr>& attrs, int serial = 1)
    {
        std::vector<Attr> all = {{"link_legacy_computer", "0"}, {"link_deployed_computer", "0"}, {"completed", "0"},
                                 {"link_administrator", "0"}, {"link_deployment_slot", "0"}, {"end_date", "0"},
                                 {"link_fail_code", "0"}, {"tag", ""}, {"link_deploy_model", "0"}};
        all.insert(all.end(), attrs.begin(), attrs.end());
        return Deployment(id, kGroup, all, serial);
    }
    // Each opening stores a newer deployment, so that the cache never answers with an older case's.
    DlgDeployment* OpenWith(const std::vector<Attr>& attrs, const std::string& linked = "", __int64 id = kId)
    {
        DlgDeployment* pane = Open(id, Full(id, attrs, ++m_serial));
        if (pane && !linked.empty())
            AnswerLinked(linked);
        return pane;
    }
    int m_serial = 0;
    static void Command(DlgDeployment* pane, int id) { SendMessageW(pane->GetHwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    static std::wstring Status(DlgDeployment* pane)
    {
        return Wide(AttributeText(pane->GetSlot(DlgDeployment::SlotDeployment), L"deployment_status"));
    }
};

TEST_F(DeploymentWorkflow, StatusStepsTakeTheFirstCodeTheTypeAllows)
{
    DlgDeployment* pane = OpenWith({{"deployment_status", "1"}});
    ASSERT_NE(pane, nullptr);
    Command(pane, DlgDeployment::kIdNextStatus);
    EXPECT_EQ(L"2", Status(pane));
    EXPECT_TRUE(pane->m_modified);
    Command(pane, DlgDeployment::kIdPreviousStatus);
    EXPECT_EQ(L"1", Status(pane));
    // A type that does not offer Completed: >> from In progress changes nothing.
    Command(pane, DlgDeployment::kIdNextStatus);
    main->m_cache.deploymentTypes[0] = ObjectOf(ObjectXml(kTypeA, 10, 3, "Refresh",
                                                          {{"deployment_attribs", "16135"},
                                                           {"deployment_status_available", "/80/81/83/"}}));
    Command(pane, DlgDeployment::kIdNextStatus);
    EXPECT_EQ(L"2", Status(pane));
}

TEST_F(DeploymentWorkflow, AStatusThatNeedsAUserIsReachableOnceOneIsPicked)
{
    // In progress needs a user.
    main->m_cache.deploymentStatuses[1] =
        ObjectOf(ObjectXml(81, 11, 5, "In progress", {{"code", "2"}, {"deployment_attribs", std::to_string(51 | 0x40)},
                                                      {"code_next_success", "3"}, {"code_prev", "1"}}));
    main->m_cache.statusByCode.clear();
    DlgDeployment* pane = OpenWith({{"deployment_status", "1"}, {"link_user", "0"}});
    ASSERT_NE(pane, nullptr);
    EXPECT_FALSE(Enabled(pane, DlgDeployment::kIdNextStatus));
    SendMessageW(pane->GetHwnd(), DlgDeployment::kMsgUserPicked, 0, static_cast<LPARAM>(kUser));
    AnswerLinked(User());
    EXPECT_EQ(kUser, LinkId(pane->GetSlot(DlgDeployment::SlotDeployment), L"link_user"));
    EXPECT_TRUE(Enabled(pane, DlgDeployment::kIdNextStatus));
    Command(pane, DlgDeployment::kIdNextStatus);
    EXPECT_EQ(L"2", Status(pane));
}

TEST_F(DeploymentWorkflow, SucceedAndFailCompleteWithTheAdministratorAndOnlySucceedKeepsTheComponents)
{
    struct Case {
        int command;
        const wchar_t* status;
        bool componentsOwn;
    } cases[] = {{DlgDeployment::kIdSucceed, L"3", true}, {DlgDeployment::kIdFail, L"4", false}};
    for (const Case& c : cases) {
        std::string xml = Full(kId, {{"deployment_status", "2"}, {"deployable", "/900/"}}, ++m_serial);
        const std::string inherited = "name=\"deployable\" edit=\"\" default=\"0\"";
        xml.replace(xml.find(inherited), inherited.size(), "name=\"deployable\" edit=\"\" default=\"1\"");
        DlgDeployment* pane = Open(kId, xml);
        ASSERT_NE(pane, nullptr);
        const __int64 before = time(nullptr);
        Command(pane, c.command);
        const Object& deployment = pane->GetSlot(DlgDeployment::SlotDeployment);
        EXPECT_EQ(c.status, Status(pane));
        CAttribute completed;
        deployment.GetAttribute(completed, CTString(L"completed"));
        EXPECT_GE(completed.GetValue(), before);
        EXPECT_EQ(kAdmin, LinkId(deployment, L"link_administrator"));
        EXPECT_EQ(L"Ann Admin", Text(pane, DlgDeployment::kIdAdministratorLink));
        EXPECT_FALSE(Text(pane, DlgDeployment::kIdCompleted).empty());
        EXPECT_EQ(c.componentsOwn, !deployment.IsAttributeDefault(CTString(L"deployable"))) << c.command;
        EXPECT_TRUE(pane->m_modified);
        main->CloseConsole(DlgDeployment::kConsoleType, kId);
        t.Pump();
    }
}

TEST_F(DeploymentWorkflow, RescheduleAsksTheServerOnlyWhenTheStatusOffersIt)
{
    DlgDeployment* pane = OpenWith({{"deployment_status", "1"}});
    ASSERT_NE(pane, nullptr);
    Command(pane, DlgDeployment::kIdReschedule);
    EXPECT_EQ(0u, Count("api/api_qelReSchedule.php"));
    pane->SlotRef(DlgDeployment::SlotDeployment).SetAttribute(CTString(L"deployment_status"),
                                                              CAttribute(CAttribute::Integer, 2));
    Command(pane, DlgDeployment::kIdReschedule);
    ASSERT_EQ(1u, Count("api/api_qelReSchedule.php"));
    EXPECT_TRUE(Has(Bodies("api/api_qelReSchedule.php")[0], "ID=300"));
    ReplyAll("api/api_qelReSchedule.php", Doc("<insert_id>310</insert_id>"));
    EXPECT_NE(nullptr, main->FindConsole(DlgDeployment::kConsoleType, 310));
}

// What one save sends: the computer assignment when a computer link changed to a computer, the
// attribute save otherwise.
TEST_F(DeploymentWorkflow, SaveSendsComputersFirstAndOnlyWhatChanged)
{
    struct Case {
        const char* name;
        DWORD typeFlags;
        std::vector<Attr> stored;
        std::function<void(DlgDeployment*)> edit;
        std::vector<std::string> assignHas, assignLacks, setHas, setLacks;
        bool setSent;
    };
    auto setLink = [](const wchar_t* name, __int64 id) {
        return [=](DlgDeployment* pane) {
            pane->SlotRef(DlgDeployment::SlotDeployment).SetAttribute(CTString(name), CAttribute(CAttribute::Integer, id));
        };
    };
    const DWORD both = 0x3F00 | 0x1 | 0x2 | 0x4;
    const std::vector<Case> cases = {
        {"nothing changed", both, {}, [](DlgDeployment*) {}, {}, {}, {}, {}, false},
        {"legacy only", both, {}, setLink(L"link_legacy_computer", 231),
         {"ID=402", "LEGACY_COMPUTER=231", "DEPLOYMENT_TYPE=700"}, {"DEPLOYED_COMPUTER"}, {}, {}, false},
        {"computer removed", both, {{"link_legacy_computer", "230"}}, setLink(L"link_legacy_computer", 0), {}, {},
         {"ATTRIBID_108=0"}, {}, true},
        {"type without New Asset", 0x3F00 | 0x1, {{"link_deployed_computer", "237"}}, [](DlgDeployment*) {}, {}, {},
         {"ATTRIBIDDEL_109"}, {"ATTRIBID_105"}, true},
        {"type not cached", both, {{"link_deployment_type", "799"}, {"link_deployed_computer", "237"}, {"tag", "a"}},
         [](DlgDeployment* pane) { SetWindowTextW(pane->m_tags.m_hWnd, L"b"); }, {}, {}, {"ATTRIBID_178=b"},
         {"_109", "_108"}, true},
        {"slot not assigned", both, {{"link_deployment_slot", "77"}, {"end_date", "1700000000"}},
         [](DlgDeployment* pane) {
             HWND slots = GetDlgItem(pane->GetHwnd(), DlgDeployment::kIdSlots);
             SendMessageW(slots, CB_RESETCONTENT, 0, 0);
             SendMessageW(slots, CB_SETITEMDATA, SendMessageW(slots, CB_ADDSTRING, 0, (LPARAM)L"<not assigned>"),
                          DeploymentWin::kNotAssigned);
             SendMessageW(slots, CB_SETCURSEL, 0, 0);
         },
         {}, {}, {"ATTRIBIDDEL_132", "ATTRIBIDDEL_110"}, {}, true},
        {"active status", both, {{"deployment_status", "2"}, {"completed", "1700000000"}, {"link_administrator", "90"}},
         [](DlgDeployment*) {}, {}, {}, {"ATTRIBID_133=0", "ATTRIBID_159=0"}, {}, true},
    };
    __int64 id = 400;
    for (const Case& c : cases) {
        SetTypeFlags(c.typeFlags, "");
        t.transport->m_sent.clear();
        answered.clear();
        DlgDeployment* pane = OpenWith(c.stored, "", ++id);
        ASSERT_NE(pane, nullptr) << c.name;
        c.edit(pane);
        Command(pane, DlgDeployment::kIdSave);
        const auto assign = Bodies("api/api_qelSetDeploymentComputer.php");
        const auto set = Bodies("api/api_objSet.php");
        EXPECT_EQ(c.assignHas.empty() ? 0u : 1u, assign.size()) << c.name;
        for (const std::string& item : c.assignHas)
            EXPECT_TRUE(!assign.empty() && Has(assign[0], item)) << c.name << ": " << item;
        for (const std::string& item : c.assignLacks)
            EXPECT_TRUE(assign.empty() || !Has(assign[0], item)) << c.name << ": " << item;
        EXPECT_EQ(c.setSent ? 1u : 0u, set.size()) << c.name;
        for (const std::string& item : c.setHas)
            EXPECT_TRUE(!set.empty() && Has(set[0], item)) << c.name << ": " << item << " in " << (set.empty() ? "" : set[0]);
        for (const std::string& item : c.setLacks)
            EXPECT_TRUE(set.empty() || !Has(set[0], item)) << c.name << ": " << item;
        main->CloseConsole(DlgDeployment::kConsoleType, id);
        t.Pump();
    }
}

TEST_F(DeploymentWorkflow, AnAcceptedAssignmentRunsTheAttributePassWithoutTheComputer)
{
    DlgDeployment* pane = OpenWith({});
    ASSERT_NE(pane, nullptr);
    Object& deployment = pane->SlotRef(DlgDeployment::SlotDeployment);
    deployment.SetAttribute(CTString(L"link_legacy_computer"), CAttribute(CAttribute::Integer, 231));
    deployment.SetAttribute(CTString(L"tag"), CAttribute(CTString(L"x")));
    SetWindowTextW(pane->m_tags.m_hWnd, L"urgent");
    Command(pane, DlgDeployment::kIdSave);
    ASSERT_EQ(1u, Count("api/api_qelSetDeploymentComputer.php"));
    EXPECT_EQ(0u, Count("api/api_objSet.php"));
    ReplyAll("api/api_qelSetDeploymentComputer.php", Doc("<RC id=\"0\"/><parameters ID=\"300\"/>" +
                 Full(kId, {{"link_legacy_computer", "231"}}, 4)));
    const auto set = Bodies("api/api_objSet.php");
    ASSERT_EQ(1u, set.size());
    EXPECT_TRUE(Has(set[0], "SERIAL=4")) << set[0];
    EXPECT_TRUE(Has(set[0], "ATTRIBID_178=urgent")) << set[0];
    EXPECT_FALSE(Has(set[0], "ATTRIBID_108")) << set[0];
}

TEST_F(DeploymentWorkflow, DetailsRowsGoOutWithTheAttributePass)
{
    MainWindowCache& cache = main->m_cache;
    Object definition;
    definition.id = definition.type = kDeploymentType;
    definition.name = L"Deployment";
    cache.typeNames[CTString(L"deployment")] = definition;
    cache.deploymentTypes[0] = ObjectOf(ObjectXml(kTypeA, 10, 3, "Refresh",
                                                  {{"deployment_attribs", std::to_string(0x3F00 | 0x7)},
                                                   {"deployment_status_available", "/80/81/82/83/"},
                                                   {"deployment_custom_attributes", "cost_centre"}}));
    std::string mapping = ObjectXml(650, 44, 6, "Cost centre", {{"attrib_object", "Deployment"}, {"enable", "1"},
                                                                 {"console_display_type", "2"},
                                                                 {"attrib_name", "cost_centre"}});
    const std::string shown = "name=\"console_display_type\" edit=\"\" default=\"0\" inherit=\"0\" type=\"value_varchar\"";
    mapping.replace(mapping.find(shown), shown.size(),
                    "name=\"console_display_type\" edit=\"\" default=\"0\" inherit=\"0\" type=\"value_int\"");
    cache.settings[MainWindowCache::AttributeMapping] = {ObjectOf(mapping)};
    cache.attributeCache.clear();
    DlgDeployment* pane = OpenWith({{"cost_centre", "CC-1"}});
    ASSERT_NE(pane, nullptr);
    CTWndPropertyList& rows = pane->m_deploymentPage->m_properties;
    ASSERT_EQ(1, rows.GetCount());
    // The list's focus notices count as an edit only while a row's editor is open.
    HWND page = pane->m_deploymentPage->m_hWnd;
    const WPARAM lostFocus = MAKEWPARAM(DlgDeployment::CPageDeployment::kIdList, 5);
    SendMessageW(page, WM_COMMAND, lostFocus, reinterpret_cast<LPARAM>(rows.m_hWnd));
    EXPECT_FALSE(pane->m_modified);
    SendMessageW(rows.m_hWnd, LB_SETCURSEL, 0, 0);
    rows.OpenEditor(nullptr);
    ASSERT_NE(nullptr, rows.m_editor);
    SendMessageW(page, WM_COMMAND, lostFocus, reinterpret_cast<LPARAM>(rows.m_hWnd));
    EXPECT_TRUE(pane->m_modified);
    rows.CloseEditor();
    rows.SetValue(0, CAttribute(CTString(L"CC-2")));
    Command(pane, DlgDeployment::kIdSave);
    const auto set = Bodies("api/api_objSet.php");
    ASSERT_EQ(1u, set.size());
    const std::string item = "ATTRIBID_" + std::to_string(AttrSpec("cost_centre").first) + "=CC-2";
    EXPECT_TRUE(Has(set[0], item)) << set[0];
}

TEST_F(DeploymentWorkflow, ARefusedAssignmentRestoresBothLinksAndSendsNothingMore)
{
    DlgDeployment* pane = OpenWith({{"link_legacy_computer", "230"}, {"link_deployed_computer", "237"}});
    ASSERT_NE(pane, nullptr);
    Object& deployment = pane->SlotRef(DlgDeployment::SlotDeployment);
    deployment.SetAttribute(CTString(L"link_legacy_computer"), CAttribute(CAttribute::Integer, 231));
    deployment.SetAttribute(CTString(L"link_deployed_computer"), CAttribute(CAttribute::Integer, 238));
    Command(pane, DlgDeployment::kIdSave);
    const auto assign = Bodies("api/api_qelSetDeploymentComputer.php");
    ASSERT_EQ(1u, assign.size());
    EXPECT_TRUE(Has(assign[0], "LEGACY_COMPUTER=231") && Has(assign[0], "DEPLOYED_COMPUTER=238")) << assign[0];
    ReplyAll("api/api_qelSetDeploymentComputer.php", Doc("<RC id=\"1201\" text=\"Computer in use\"/>"));
    const Object& restored = pane->GetSlot(DlgDeployment::SlotDeployment);
    EXPECT_EQ(kLegacy, LinkId(restored, L"link_legacy_computer"));
    EXPECT_EQ(kDeployed, LinkId(restored, L"link_deployed_computer"));
    EXPECT_FALSE(restored.IsAttributeDirty(CTString(L"link_legacy_computer")));
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(L"Error assigning device", boxes.Texts().back());
    EXPECT_EQ(0u, Count("api/api_objSet.php"));
}

TEST_F(DeploymentWorkflow, ASaveWithoutAChosenTypeKeepsTheStoredType)
{
    DlgDeployment* pane = OpenWith({{"link_deployment_type", "701"}, {"tag", "a"}});
    ASSERT_NE(pane, nullptr);
    SetWindowTextW(pane->m_tags.m_hWnd, L"b");
    Command(pane, DlgDeployment::kIdSave);
    const auto set = Bodies("api/api_objSet.php");
    ASSERT_EQ(1u, set.size());
    EXPECT_FALSE(Has(set[0], "_105")) << set[0];
    EXPECT_EQ(kTypeB, LinkId(pane->GetSlot(DlgDeployment::SlotDeployment), L"link_deployment_type"));
}

class TransferFixture : public DeploymentWorkflow {
public:
    DlgDeployment* OpenSucceeded(DWORD typeFlags)
    {
        SetTypeFlags(0x3F00 | typeFlags, "");
        std::string xml = ObjectXml(kTransferType, kTransferType, 0, "Asset Transfer",
                                    {{"assets_requested", ""}, {"assets_transferred", ""}});
        for (size_t at = xml.find("value_varchar"); at != std::string::npos; at = xml.find("value_varchar"))
            xml.replace(at, 13, "value_iddirectory_array");
        Object transfer = ObjectOf(xml);
        main->m_cache.typeNames[CTString(L"asset transfer")] = transfer;
        DlgDeployment* pane = OpenWith({{"deployment_status", "3"}, {"link_legacy_computer", "230"},
                                        {"link_deployed_computer", "237"}},
                                       ObjectXml(kLegacy, kComputerType, 530, "OLD", {}) +
                                           ObjectXml(kDeployed, kComputerType, 531, "NEW", {}));
        if (!pane)
            return nullptr;
        Object route;
        route.id = kLegacyRoute;
        route.parent = 530;
        pane->SlotRef(DlgDeployment::SlotLegacyRoute) = route;
        route.id = kNewRoute;
        route.parent = 531;
        pane->m_routes[531] = route;
        t.transport->m_sent.clear();
        answered.clear();
        return pane;
    }
    std::vector<std::string> Paths() const
    {
        std::vector<std::string> paths;
        for (const Sent& sent : t.transport->m_sent)
            paths.push_back(sent.path);
        return paths;
    }
};

TEST_F(TransferFixture, BothComputersGoInOrderWithRereadsBetween)
{
    DlgDeployment* pane = OpenSucceeded(0x1 | 0x2 | 0x8 | 0x10);
    ASSERT_NE(pane, nullptr);
    Command(pane, DlgDeployment::kIdTransfer);
    auto transfers = Bodies("api/api_qelAssetTransfer.php");
    ASSERT_EQ(1u, transfers.size());
    EXPECT_TRUE(Has(transfers[0], "ROUTEID=540") && Has(transfers[0], "RECORDID=0") && Has(transfers[0], "AUTORECEIVE=1"))
        << transfers[0];
    EXPECT_TRUE(Has(transfers[0], "%2F230%2F")) << transfers[0];
    ReplyAll("api/api_qelAssetTransfer.php", Doc("<RC id=\"0\"/>"));
    transfers = Bodies("api/api_qelAssetTransfer.php");
    ASSERT_EQ(2u, transfers.size());
    EXPECT_TRUE(Has(transfers[1], "ROUTEID=541") && Has(transfers[1], "%2F237%2F")) << transfers[1];
    ReplyAll("api/api_qelAssetTransfer.php", Doc("<RC id=\"0\"/>"));
    const std::vector<std::string> expected = {"api/api_qelAssetTransfer.php", "api/api_objGet.php",
                                               "api/api_qelAssetTransfer.php", "api/api_objGet.php"};
    EXPECT_EQ(expected, Paths());
    EXPECT_EQ(0, pane->m_transferStep);
}

TEST_F(TransferFixture, ARefusalEndsTheChainWithAWarning)
{
    DlgDeployment* pane = OpenSucceeded(0x1 | 0x2 | 0x8 | 0x10);
    ASSERT_NE(pane, nullptr);
    Command(pane, DlgDeployment::kIdTransfer);
    ScriptedMessageBoxAnswerer answers;
    answers.Expect([](CTWndMessageBox& box, HWND) {
        EXPECT_EQ(std::wstring(L"Warning"), box.m_caption);
        EXPECT_NE(std::wstring::npos, std::wstring(box.m_text).find(L"Route closed"));
        box.Press(IDOK);
    });
    ReplyAll("api/api_qelAssetTransfer.php", Doc("<RC id=\"77\" text=\"Route closed\"/>"));
    EXPECT_EQ(1u, Count("api/api_qelAssetTransfer.php"));
    EXPECT_EQ(0, pane->m_transferStep);
}

TEST_F(TransferFixture, OnlyTheNewComputerStartsWithTheLegacyReread)
{
    DlgDeployment* pane = OpenSucceeded(0x1 | 0x2 | 0x10);
    ASSERT_NE(pane, nullptr);
    pane->TransferAssets();
    const std::vector<std::string> expected = {"api/api_objGet.php", "api/api_qelAssetTransfer.php"};
    EXPECT_EQ(expected, Paths());
    // Nothing to transfer: only the new computer is read again.
    pane->m_transferStep = 0;
    t.transport->m_sent.clear();
    SetTypeFlags(0x3F00 | 0x1 | 0x2, "");
    pane->TransferAssets();
    EXPECT_EQ(std::vector<std::string>{"api/api_objGet.php"}, Paths());
    EXPECT_EQ(0, pane->m_transferStep);
}

TEST(DuplicateIds, RevisionReplacesOrAppendsTheSuffix)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"A100", L"A100_a"}, {L"A100_a", L"A100_b"}, {L"A100_z", L"A100_{"}, {L"", L"_a"}, {L"A", L"A_a"}, {L"_", L"__a"}};
    for (const auto& [id, revised] : cases)
        EXPECT_EQ(std::wstring(revised), Wide(DlgDeployment::RevisedDeploymentId(CTString(id)))) << id;
}

TEST_F(DeploymentWorkflow, TheChooserRemembersTheLastOptionClickedEvenAfterCancel)
{
    ScriptedModalDialogDriver driver;
    std::wstring shown;
    driver.Expect([&](CTWnd2& wnd, HWND dialog) {
        wchar_t text[128] = {};
        GetDlgItemTextW(dialog, DlgSelectDuplicate::kIdOriginal, text, 128);
        shown = text;
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, DlgSelectDuplicate::kDefaultId));
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(DlgSelectDuplicate::kTransferId, BN_CLICKED), 0);
        wnd.EndDialog(0);
    });
    driver.Expect([&](CTWnd2& wnd, HWND dialog) {
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, DlgSelectDuplicate::kTransferId));
        wnd.EndDialog(0);
    });
    DlgSelectDuplicate first;
    first.m_currentId = CAttribute(CTString(L"SR-%s-1"));
    EXPECT_FALSE(first.Run(nullptr));
    EXPECT_EQ(L"Original Deployment ID: 'SR-%s-1'", shown);
    DlgSelectDuplicate second;
    EXPECT_FALSE(second.Run(nullptr));
    EXPECT_EQ(DlgSelectDuplicate::kTransferId, second.m_choice);
}

class DuplicateFixture : public DeploymentWorkflow {
public:
    ScriptedModalDialogDriver driver;
    void Choose(int choice)
    {
        driver.Expect([choice](CTWnd2& wnd, HWND dialog) {
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(choice, BN_CLICKED), 0);
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            (void)wnd;
        });
    }
    std::string Created(__int64 id, const std::string& deploymentId)
    {
        return Doc("<RC id=\"0\"/>" + Deployment(id, kGroup, {{"deployment_id", deploymentId}}));
    }
    std::vector<int> GroupNotices() const
    {
        std::vector<int> ids;
        for (const MainNotice& notice : t.notices.list)
            if (notice.consoleType == 1026)
                ids.push_back(notice.requestId);
        return ids;
    }
};

TEST_F(DuplicateFixture, DefaultAndRevisedIdsCreateACopyWithoutStatusOrCompletion)
{
    struct Case {
        int choice;
        std::string idItem;
    } cases[] = {{DlgSelectDuplicate::kDefaultId, "ATTRIBID_166=&"}, {DlgSelectDuplicate::kRevisedId, "ATTRIBID_166=SR-0001_a"}};
    for (const Case& c : cases) {
        t.transport->m_sent.clear();
        answered.clear();
        t.notices.list.clear();
        DlgDeployment* pane = OpenWith({{"deployment_status", "3"}, {"completed", "1700000000"}, {"link_fail_code", "113"},
                                        {"tag", "VIP"}});
        ASSERT_NE(pane, nullptr);
        Choose(c.choice);
        Command(pane, DlgDeployment::kIdDuplicate);
        EXPECT_EQ(0u, Count("api/api_objSet.php"));
        const auto created = Bodies("api/api_objNew.php");
        ASSERT_EQ(1u, created.size());
        const std::string& body = created[0];
        EXPECT_TRUE(Has(body, "TYPE=8") && Has(body, "PARENT=52") && Has(body, "ATTRIBID_178=VIP")) << body;
        EXPECT_TRUE(Has(body + "&", c.idItem) || (c.choice == DlgSelectDuplicate::kDefaultId && !Has(body, "ATTRIBID_166=SR")))
            << body;
        for (const char* item : {"ATTRIBID_106=3", "ATTRIBID_133=1700000000", "ATTRIBID_162=113"})
            EXPECT_FALSE(Has(body, item)) << body;
        ReplyAll("api/api_objNew.php", Created(310, "SR-0001_a"));
        EXPECT_NE(nullptr, main->FindConsole(DlgDeployment::kConsoleType, 310));
        EXPECT_EQ((std::vector<int>{1003, 1004}), GroupNotices());
        main->CloseConsole(DlgDeployment::kConsoleType, kId);
        if (main->FindConsole(DlgDeployment::kConsoleType, 310))
            main->CloseConsole(DlgDeployment::kConsoleType, 310);
        t.Pump();
    }
}

TEST_F(DuplicateFixture, TransferringTheIdSavesTheOriginalFirstAndGivesItBackWhenTheCopyIsRefused)
{
    DlgDeployment* pane = OpenWith({});
    ASSERT_NE(pane, nullptr);
    Choose(DlgSelectDuplicate::kTransferId);
    Command(pane, DlgDeployment::kIdDuplicate);
    auto set = Bodies("api/api_objSet.php");
    ASSERT_EQ(1u, set.size());
    EXPECT_TRUE(Has(set[0], "ATTRIBID_166=%23300") && Has(set[0], "ID=300")) << set[0];
    EXPECT_EQ(0u, Count("api/api_objNew.php"));
    ReplyAll("api/api_objSet.php", Doc("<RC id=\"0\"/>" + Full(kId, {{"deployment_id", "#300"}}, 2)));
    EXPECT_EQ((std::vector<int>{1003, 1004}), GroupNotices());
    const auto created = Bodies("api/api_objNew.php");
    ASSERT_EQ(1u, created.size());
    EXPECT_TRUE(Has(created[0], "ATTRIBID_166=SR-0001")) << created[0];

    ReplyAll("api/api_objNew.php", Doc("<RC id=\"1003\" text=\"Not allowed\"/>"));
    set = Bodies("api/api_objSet.php");
    ASSERT_EQ(2u, set.size());
    EXPECT_TRUE(Has(set[1], "ATTRIBID_166=SR-0001") && Has(set[1], "SERIAL=2")) << set[1];
    EXPECT_EQ(L"SR-0001", Wide(AttributeText(pane->GetSlot(DlgDeployment::SlotDeployment), L"deployment_id")));
}

TEST_F(DuplicateFixture, CancelSendsNothing)
{
    DlgDeployment* pane = OpenWith({});
    ASSERT_NE(pane, nullptr);
    driver.Expect([](CTWnd2& wnd, HWND) { wnd.EndDialog(0); });
    Command(pane, DlgDeployment::kIdDuplicate);
    EXPECT_EQ(0u, Count("api/api_objNew.php") + Count("api/api_objSet.php"));
}

TEST_F(DeploymentWorkflow, TheLogonLinkOpensOnlyAfterContinue)
{
    Launches launches;
    DlgDeployment* pane = OpenWith({{"link_user", "200"}}, User());
    ASSERT_NE(pane, nullptr);
    pane->m_linkAccessId = L"tok";
    {
        ScriptedMessageBoxAnswerer answers;
        answers.Expect([](CTWndMessageBox& box, HWND) {
            EXPECT_EQ(std::wstring(L"Open Deployment Logon Link Access"), box.m_caption);
            box.Press(IDABORT);
        });
        answers.Expect([](CTWndMessageBox& box, HWND) { box.Press(11); });
        Command(pane, DlgDeployment::kIdLinkAccess);
        EXPECT_TRUE(launches.opened.empty());
        Command(pane, DlgDeployment::kIdLinkAccess);
    }
    EXPECT_EQ(std::vector<std::wstring>{L"https://portal/=tok"}, launches.opened);

    // A user whose link expired at midnight gets no question and no link.
    Object user = ObjectOf(ObjectXml(kUser, kUserType, kGroup, "Grace", {{"linkaccess_expire", TodayPlusDays(0)}}, 1,
                                     "<priv id=\"4\" name=\"Logon\" value=\"1\"/>"));
    pane->SlotRef(DlgDeployment::SlotUser) = user;
    Command(pane, DlgDeployment::kIdLinkAccess);
    EXPECT_EQ(1u, launches.opened.size());
}

TEST_F(DeploymentWorkflow, CopyPutsTheShownLinkOnTheClipboardAndChatEncodesTheAddress)
{
    Launches launches;
    DlgDeployment* pane = OpenWith({{"link_user", "200"}}, User());
    ASSERT_NE(pane, nullptr);
    SetWindowTextW(pane->m_linkAccessLink.m_hWnd, L"https://portal/=abc");
    Command(pane, DlgDeployment::kIdCopyLink);
    ASSERT_TRUE(OpenClipboard(nullptr));
    std::wstring copied;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        copied = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    EXPECT_EQ(L"https://portal/=abc", copied);
    ASSERT_FALSE(boxes.captions.empty());
    EXPECT_EQ(L"Link Access Copied", boxes.captions.back());

    Object& user = pane->SlotRef(DlgDeployment::SlotUser);
    user.SetAttribute(CTString(L"email_address"), CAttribute(CTString(L"grace+it&co@example.test")));
    Command(pane, DlgDeployment::kIdChat);
    ASSERT_EQ(1u, launches.opened.size());
    const std::wstring& link = launches.opened[0];
    EXPECT_EQ(0u, link.find(L"https://"));
    EXPECT_NE(std::wstring::npos, link.find(L"/l/chat/0/0?users=grace%2Bit%26co%40example.test")) << link;
}

} // namespace

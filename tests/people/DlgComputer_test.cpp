// The computer pane on a main window with a recording transport: loading and the state of Save and
// Cancel, change notices, the searches of its record lists and their rows, saving, the person
// picker's answers, moves and new computers asked for by a schedule-group view.
#include <gtest/gtest.h>

#include <list>
#include <string>
#include <vector>

#include "ComputerPaneFixture.h"
#include "controls/CTListCtrlReportEx.h"
#include "schedulegroups/DlgScheduleGroup.h"

using namespace computertest;

namespace {

class ComputerPane : public ComputerPaneFixture {};

TEST_F(ComputerPane, LoadingFillsTheFieldsAndEditsEnableSaveAndCancelUntilCancelReloads)
{
    DlgComputer* pane = Open(kComputer, Computer(kComputer, kLocation, {{"vim", "1"}}));
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(L"PC-300", Text(pane, DlgComputer::kIdName));
    EXPECT_EQ(L"Dell", Text(pane, DlgComputer::kIdMake));
    EXPECT_EQ(L"SN300", Text(pane, DlgComputer::kIdSerial));
    EXPECT_EQ(L"Laptop", Text(pane, DlgComputer::kIdComputerType));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(pane->GetHwnd(), DlgComputer::kIdVim));
    // Neither a user nor a locking deployment: both links show the user link's own text.
    EXPECT_EQ(L"<not assigned>", Text(pane, DlgComputer::kIdUserLink));
    EXPECT_EQ(L"<not assigned>", Text(pane, DlgComputer::kIdLockLink));
    EXPECT_FALSE(Shown(pane, DlgComputer::kIdOrders));
    EXPECT_FALSE(Enabled(pane, DlgComputer::kIdSave));
    EXPECT_FALSE(Enabled(pane, DlgComputer::kIdCancel));
    EXPECT_EQ((std::vector<std::wstring>{L"Details", L"Deployments", L"Transfers", L"Requests", L"Exceptions"}),
              TabTexts(pane));

    Type(pane, DlgComputer::kIdSerial, L"CHANGED");
    EXPECT_TRUE(Enabled(pane, DlgComputer::kIdSave));
    EXPECT_TRUE(Enabled(pane, DlgComputer::kIdCancel));

    // Cancel reloads from the cache: the edit is gone and the buttons are off again.
    SendMessageW(pane->GetHwnd(), WM_COMMAND, DlgComputer::kIdCancel, 0);
    t.Pump();
    EXPECT_EQ(L"SN300", Text(pane, DlgComputer::kIdSerial));
    EXPECT_FALSE(Enabled(pane, DlgComputer::kIdSave));
    EXPECT_FALSE(Enabled(pane, DlgComputer::kIdCancel));

    // Ticking a box and choosing a combo entry count as edits too.
    for (int id : {static_cast<int>(DlgComputer::kIdShared), static_cast<int>(DlgComputer::kIdAssetType)}) {
        SendMessageW(pane->GetHwnd(), WM_COMMAND, DlgComputer::kIdCancel, 0);
        t.Pump();
        SendMessageW(pane->GetHwnd(), WM_COMMAND, MAKEWPARAM(id, id == DlgComputer::kIdShared ? BN_CLICKED : CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(pane->GetHwnd(), id)));
        EXPECT_TRUE(Enabled(pane, DlgComputer::kIdSave)) << id;
    }
}

TEST_F(ComputerPane, DataPointsTabExistsOnlyWhenTheServerReportedDataPoints)
{
    main->m_dataPointCount = 1;
    DlgComputer* pane = Open(kComputer, Computer(kComputer, kLocation));
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ((std::vector<std::wstring>{L"Details", L"Deployments", L"Transfers", L"Data Points", L"Requests",
                                         L"Exceptions"}),
              TabTexts(pane));
}

TEST_F(ComputerPane, ChangeNoticesReloadOnlyForTheComputerAndAMoveByAnotherClosesThePane)
{
    DlgComputer* pane = Open(kComputer, Computer(kComputer, kLocation));
    ASSERT_NE(pane, nullptr);
    Type(pane, DlgComputer::kIdSerial, L"EDITED");

    std::list<__int64> other = {301, 302};
    RequestResult notice;
    notice.route = pane->Route(DlgComputer::kReqCacheNotice);
    notice.attached = &other;
    pane->OnReply(notice);
    EXPECT_EQ(L"EDITED", Text(pane, DlgComputer::kIdSerial));
    EXPECT_TRUE(Enabled(pane, DlgComputer::kIdSave));

    // Another administrator moved the computer: the cache has it under another parent.
    t.app->m_dir.StoreObject(ObjectOf(Computer(kComputer, 531, {}, 5)), 0);
    t.Pump();
    EXPECT_EQ(main->FindConsole(DlgComputer::kConsoleType, kComputer), nullptr);
}

TEST_F(ComputerPane, MoveWaitsForTheTransferAndLocationNeedsARightToTheLocation)
{
    struct Case {
        const char* what;
        std::vector<Attr> extra;
        bool linkToLocation;
        bool move;
        bool location;
    };
    const Case cases[] = {
        {"free, no right", {}, false, true, false},
        {"in a transfer, with a link", {{"link_asset_transfer", "801"}}, true, false, true},
    };
    for (const Case& c : cases) {
        main->m_cache.links[0].clear();
        if (c.linkToLocation)
            main->m_cache.links[0].push_back(
                ObjectOf(ObjectXml(96, 19, 90, "link", {{"link_asset_location", std::to_string(kLocation)}})));
        DlgComputer* pane = Open(kComputer, Computer(kComputer, kLocation, c.extra));
        ASSERT_NE(pane, nullptr) << c.what;
        EXPECT_EQ(c.move, Enabled(pane, DlgComputer::kIdMove)) << c.what;
        EXPECT_EQ(c.location, Enabled(pane, DlgComputer::kIdLocation)) << c.what;
        main->CloseConsole(DlgComputer::kConsoleType, kComputer);
        t.Pump();
        t.app->m_dir.Clear();
    }
}

TEST_F(ComputerPane, SearchesCarryTheirExactFields)
{
    DlgComputer* pane = Open(kComputer, Computer(kComputer, kLocation, {{"link_order", "/12/34/"}}));
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(Shown(pane, DlgComputer::kIdOrders));
    std::vector<Fields> searches = Forms("api/api_objSearch.php");
    ASSERT_EQ(1u, searches.size());
    EXPECT_EQ((Fields{{"IDARRAY", "/12/34/"}, {"RETURNPATH", "0"}}), searches[0]);

    // An order without its date shows when it was made.
    Deliver(pane, DlgComputer::kReqSearch, DlgComputer::kSearchOrders,
            ObjectXml(12, 34, 500, "Order", {{"order_date", "1700086400"}}) + ObjectXml(34, 34, 500, "Order", {}));
    ASSERT_EQ(2, pane->m_orders.GetItemCount());
    for (const auto& [id, date] : {std::pair<__int64, __int64>{12, 1700086400}, {34, 1700000000}}) {
        CAttribute cell;
        pane->m_orders.GetCell(pane->m_orders.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id))), 0, cell);
        EXPECT_EQ(date, cell.GetValue()) << id;
    }

    SelectTab(pane, 1);
    SelectTab(pane, 2);
    searches = Forms("api/api_objSearch.php");
    ASSERT_EQ(4u, searches.size());
    const Fields expected[] = {
        {{"TYPE", "Deployment"}, {"PARENT", "ALL"}, {"ATTRIB", "link_legacy_computer"}, {"SEARCH", "300"}, {"RETURNPATH", "0"}},
        {{"TYPE", "Deployment"}, {"PARENT", "ALL"}, {"ATTRIB", "link_deployed_computer"}, {"SEARCH", "300"}, {"RETURNPATH", "0"}},
        {{"TYPE", "Asset Transfer"}, {"PARENT", "ALL"}, {"ATTRIB", "assets_requested"}, {"SEARCH", "/300/"}, {"RETURNPATH", "0"}}};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(expected[i], searches[i + 1]) << i;
    // A second visit to the tabs searches no more.
    SelectTab(pane, 1);
    SelectTab(pane, 2);
    EXPECT_EQ(4u, Count("api/api_objSearch.php"));
}

TEST_F(ComputerPane, DeploymentRowsAreListedOnceWithTheirNameRuleAndLock)
{
    DlgComputer* pane = Open(kComputer, Computer(kComputer, kLocation, {{"link_deployment_lock", "701"}}));
    ASSERT_NE(pane, nullptr);
    SelectTab(pane, 1);
    CTListCtrlReportEx* list = pane->DeploymentsList();
    ASSERT_NE(list, nullptr);
    auto deployment = [](__int64 id, const char* name, const char* businessId) {
        return ObjectXml(id, kDeploymentType, 52, name, {{"deployment_id", businessId}, {"deployment_status", "1"}});
    };
    const std::string both = deployment(701, "Rebuild", "DR-1");
    pane->OnSearchReply(*std::make_unique<TiXmlDocument>(), 9);   // an unknown list: nothing
    Deliver(pane, DlgComputer::kReqSearch, 0, both + deployment(702, "SAME", "SAME"));
    Deliver(pane, DlgComputer::kReqSearch, 0, both + deployment(703, "Handover", ""));
    ASSERT_EQ(3, list->GetItemCount());
    const std::pair<__int64, std::wstring> names[] = {{701, L"Rebuild (DR-1)"}, {702, L"SAME"}, {703, L"Handover ()"}};
    for (const auto& [id, name] : names) {
        const int item = list->FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id)));
        ASSERT_GE(item, 0) << id;
        CAttribute cell, locked;
        list->GetCell(item, 0, cell);
        list->GetCell(item, 3, locked);
        EXPECT_EQ(name, cell.GetText());
        EXPECT_EQ(id == 701 ? 1 : 0, locked.GetValue()) << id;
    }
    // Each row asks for its parent's path; the answer heads the name.
    Deliver(pane, DlgComputer::kReqPath, 701, "<parameters ID=\"52\"/><value ID=\"52\" path=\"\\Groups\\Spring\"/>");
    CAttribute cell;
    list->GetCell(list->FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(701))), 0, cell);
    EXPECT_STREQ(L"\\Groups\\Spring\\Rebuild (DR-1)", cell.GetText());
}

TEST_F(ComputerPane, SaveSendsOnlyWhatChanged)
{
    struct Case {
        const char* what;
        std::vector<std::pair<int, const wchar_t*>> edits;
        bool clearComputerType;
        Fields expected;
    };
    const Case cases[] = {
        {"unchanged", {}, false, {{"ID", "300"}, {"NAME", "PC-300"}, {"SERIAL", "4"}}},
        {"emptied serial", {{DlgComputer::kIdSerial, L""}}, false,
         {{"ID", "300"}, {"NAME", "PC-300"}, {"SERIAL", "4"}, {"ATTRIBIDDEL_155", ""}}},
        {"emptied tags", {{DlgComputer::kIdTags, L""}}, false,
         {{"ID", "300"}, {"NAME", "PC-300"}, {"SERIAL", "4"}, {"ATTRIBID_193", ""}}},
        {"new model", {{DlgComputer::kIdModel, L"Precision"}}, false,
         {{"ID", "300"}, {"NAME", "PC-300"}, {"SERIAL", "4"}, {"ATTRIBID_158", "Precision"}}},
        // A combo with nothing chosen leaves its attribute as it was.
        {"no computer type", {}, true, {{"ID", "300"}, {"NAME", "PC-300"}, {"SERIAL", "4"}}},
    };
    for (const Case& c : cases) {
        DlgComputer* pane = Open(kComputer, Computer(kComputer, kLocation));
        ASSERT_NE(pane, nullptr) << c.what;
        for (const auto& [id, text] : c.edits) {
            if (id == DlgComputer::kIdTags)
                SetWindowTextW(pane->m_tags.m_hWnd, text);
            else
                Type(pane, id, text);
        }
        if (c.clearComputerType)
            SendDlgItemMessageW(pane->GetHwnd(), DlgComputer::kIdComputerType, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        const size_t before = Count("api/api_objSet.php");
        SendMessageW(pane->GetHwnd(), WM_COMMAND, DlgComputer::kIdSave, 0);
        ASSERT_EQ(before + 1, Count("api/api_objSet.php")) << c.what;
        EXPECT_EQ(c.expected, Forms("api/api_objSet.php").back()) << c.what;
        main->CloseConsole(DlgComputer::kConsoleType, kComputer);
        t.Pump();
        t.app->m_dir.Clear();
    }
}

TEST_F(ComputerPane, APersonPickerAnswerCountsOnlyForTheLastPickerOpened)
{
    DlgComputer* pane = Open(kComputer, Computer(kComputer, kLocation, {{"link_user", "200"}}));
    ASSERT_NE(pane, nullptr);
    SendMessageW(pane->GetHwnd(), WM_COMMAND, DlgComputer::kIdPickUser, 0);
    const __int64 first = pane->m_personPickerKey;
    SendMessageW(pane->GetHwnd(), WM_COMMAND, DlgComputer::kIdPickUser, 0);
    const __int64 second = pane->m_personPickerKey;
    ASSERT_NE(first, second);

    SendMessageW(pane->GetHwnd(), DlgComputer::kMsgUserPicked, static_cast<WPARAM>(first), 0);
    EXPECT_FALSE(Enabled(pane, DlgComputer::kIdSave));
    CAttribute user;
    EXPECT_EQ(200, pane->m_computer.GetAttribute(user, CTString(L"link_user")).GetValue());

    // None chosen: no user, the placeholder text, and Save.
    SendMessageW(pane->GetHwnd(), DlgComputer::kMsgUserPicked, static_cast<WPARAM>(second), 0);
    EXPECT_EQ(0, pane->m_computer.GetAttribute(user, CTString(L"link_user")).GetValue());
    EXPECT_EQ(L"<not assigned>", Text(pane, DlgComputer::kIdUserLink));
    EXPECT_TRUE(Enabled(pane, DlgComputer::kIdSave));
}

TEST_F(ComputerPane, ARefusedMoveKeepsThePaneAndItsEditsAndASuccessfulOneRereads)
{
    DlgComputer* pane = Open(kComputer, Computer(kComputer, kLocation));
    ASSERT_NE(pane, nullptr);
    SendMessageW(pane->GetHwnd(), DlgComputer::kMsgLocationPicked, 77, 0);
    EXPECT_EQ(0u, Count("api/api_objMove.php"));
    SendMessageW(pane->GetHwnd(), DlgComputer::kMsgLocationPicked, 77, 531);
    ASSERT_EQ(1u, Count("api/api_objMove.php"));
    EXPECT_EQ((Fields{{"ID", "300"}, {"DestID", "531"}, {"SERIAL", "4"}}), Forms("api/api_objMove.php")[0]);

    Type(pane, DlgComputer::kIdModel, L"Kept");
    Deliver(pane, DlgComputer::kReqMove, 0, "", 1004);
    ASSERT_EQ(pane, main->FindConsole(DlgComputer::kConsoleType, kComputer));
    EXPECT_EQ(L"Kept", Text(pane, DlgComputer::kIdModel));

    const size_t paths = Count("api/api_dirIDToPath.php");
    Deliver(pane, DlgComputer::kReqMove, 0,
            "<parameters ID=\"300\" DestID=\"531\"/>" + Computer(kComputer, 531, {{"model", "Moved"}}, 5));
    EXPECT_EQ(L"Moved", Text(pane, DlgComputer::kIdModel));
    EXPECT_EQ(531, pane->m_computer.parent);
    EXPECT_FALSE(Enabled(pane, DlgComputer::kIdSave));
    EXPECT_EQ(paths + 1, Count("api/api_dirIDToPath.php"));
}

// A schedule-group view among the main window's panes that never made a window.
class NewComputerPane : public ComputerPaneFixture {
protected:
    DlgScheduleGroup* view = nullptr;

    void SetUp() override
    {
        ComputerPaneFixture::SetUp();
        view = new DlgScheduleGroup();
        view->m_key = kView;
        view->m_owner = main;
        view->m_group = ObjectOf(ObjectXml(kView, 7, 2, "Spring", {{"link_asset_location", "0"}}));
        view->m_legacyRoutes[610] = Object();
        view->m_otherRoutes[620] = Object();
        main->m_panes.AddTail(view);
    }
    void TearDown() override { RemoveView(); }
    void RemoveView()
    {
        if (!view)
            return;
        main->m_panes.Remove(view);
        delete view;
        view = nullptr;
    }
    DlgComputer* OpenNew()
    {
        const size_t before = main->m_panes.GetCount();
        EXPECT_TRUE(main->ShowConsole(DlgComputer::kConsoleNew, kView, false));
        t.Pump();
        EXPECT_EQ(before + 1, main->m_panes.GetCount());
        return dynamic_cast<DlgComputer*>(main->m_current);
    }
};

TEST_F(NewComputerPane, CreatesBelowTheViewsLocationForItsAssetTypeAndAnnouncesTheComputer)
{
    DlgComputer* pane = OpenNew();
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(Enabled(pane, DlgComputer::kIdSave));
    EXPECT_FALSE(Enabled(pane, DlgComputer::kIdCancel));
    // Without the group's own location the first of its first list.
    ASSERT_EQ(1u, Forms("api/api_dirIDToPath.php").size());
    Deliver(pane, DlgComputer::kReqPath, 0, "<parameters ID=\"610\"/><value ID=\"610\" path=\"\\Stores\\North\"/>");
    const std::wstring heading = Text(pane, DlgComputer::kIdHeader);
    EXPECT_NE(std::wstring::npos, heading.find(L"Computer - New Computer")) << heading;
    EXPECT_NE(std::wstring::npos, heading.find(L"North")) << heading;

    Type(pane, DlgComputer::kIdName, L"NEW-1");
    SendMessageW(pane->GetHwnd(), WM_COMMAND, DlgComputer::kIdSave, 0);
    ASSERT_EQ(1u, Count("api/api_objNew.php"));
    Fields sent = Forms("api/api_objNew.php")[0];
    EXPECT_EQ("6", sent["TYPE"]);
    EXPECT_EQ("610", sent["PARENT"]);
    EXPECT_EQ("NEW-1", sent["ATTRIBID_185"]);

    // Asset type 1 goes to the first location of the second list.
    HWND assetType = GetDlgItem(pane->GetHwnd(), DlgComputer::kIdAssetType);
    SendMessageW(assetType, CB_SETCURSEL, SendMessageW(assetType, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                       reinterpret_cast<LPARAM>(L"Available")), 0);
    SendMessageW(pane->GetHwnd(), WM_COMMAND, DlgComputer::kIdSave, 0);
    ASSERT_EQ(2u, Count("api/api_objNew.php"));
    EXPECT_EQ("620", Forms("api/api_objNew.php")[1]["PARENT"]);

    t.notices.list.clear();
    Deliver(pane, DlgComputer::kReqCreate, 0, "<insert_id>901</insert_id>" + Computer(901, 620));
    EXPECT_EQ(nullptr, main->FindConsole(DlgComputer::kConsoleType, pane->m_key));
    std::vector<int> consoles;
    for (const MainNotice& notice : t.notices.list)
        if (notice.requestId == 1003)
            consoles.push_back(notice.consoleType);
    EXPECT_EQ((std::vector<int>{1026, 1031}), consoles);
}

TEST_F(NewComputerPane, TwoPanesForOneViewGetTheirOwnRepliesAndAClosedViewStopsSave)
{
    DlgComputer* first = OpenNew();
    DlgComputer* second = OpenNew();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(first, second);
    EXPECT_NE(first->m_key, second->m_key);
    EXPECT_EQ(kView, first->m_viewKey);
    EXPECT_EQ(kView, second->m_viewKey);

    Deliver(second, DlgComputer::kReqCreate, 0, "<insert_id>902</insert_id>" + Computer(902, 610));
    EXPECT_EQ(nullptr, main->FindConsole(DlgComputer::kConsoleType, second->m_key));
    EXPECT_EQ(first, main->FindConsole(DlgComputer::kConsoleType, first->m_key));

    RemoveView();
    SendMessageW(first->GetHwnd(), WM_COMMAND, DlgComputer::kIdSave, 0);
    EXPECT_EQ(0u, Count("api/api_objNew.php"));
}

} // namespace

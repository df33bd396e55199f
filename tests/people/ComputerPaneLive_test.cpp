// The computer pane against the fixture server: a computer opened from the main window is edited,
// saved and shown again from the reload, with its deployments; a new computer is created from a
// schedule-group view; a computer is sent along a route and received at once.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "app/App.h"
#include "app/MainWindow.h"
#include "framework/CTWndMessageBox.h"
#include "framework/MessageBoxAnswerer.h"
#include "framework/PopupMenuDriver.h"
#include "people/DlgComputer.h"
#include "people/DlgComputerPageTransfers.h"
#include "people/PeopleWindows.h"
#include "schedulegroups/DlgScheduleGroup.h"
#include "session/FixtureServer.h"
#include "session/RequestResult.h"

#include "app/SignedInSession.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;

// tests/fixtures/sample/directory.json
constexpr __int64 kDepot = 2300, kSaved = 2310, kSent = 2311, kRebuild = 2320, kHandover = 2321;

std::wstring Text(DlgComputer* pane, int id)
{
    wchar_t text[512] = {};
    GetDlgItemTextW(pane->GetHwnd(), id, text, 512);
    return text;
}

void SelectTab(DlgComputer* pane, int index)
{
    HWND tab = GetDlgItem(pane->GetHwnd(), DlgComputer::kIdTabs);
    NMHDR changing = {tab, DlgComputer::kIdTabs, static_cast<UINT>(TCN_SELCHANGING)};
    SendMessageW(pane->GetHwnd(), WM_NOTIFY, DlgComputer::kIdTabs, reinterpret_cast<LPARAM>(&changing));
    SendMessageW(tab, TCM_SETCURSEL, index, 0);
    NMHDR changed = {tab, DlgComputer::kIdTabs, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(pane->GetHwnd(), WM_NOTIFY, DlgComputer::kIdTabs, reinterpret_cast<LPARAM>(&changed));
}

// A schedule-group view that has no window and keeps the objects announced to it.
class RecordingView : public DlgScheduleGroup {
public:
    std::vector<Object> announced;
    void OnReply(RequestResult& result) override
    {
        if (result.route.requestId == ReqObjectSaved && result.attached)
            announced.push_back(*static_cast<Object*>(result.attached));
    }
};

// Chooses the route whose text holds a word; ticks the box's check box and continues.
class RouteChoice : public PopupMenuDriver, public MessageBoxAnswerer {
public:
    explicit RouteChoice(const wchar_t* word) : m_word(word)
    {
        PopupMenuDriver::Install(this);
        MessageBoxAnswerer::Install(this);
    }
    ~RouteChoice() override
    {
        PopupMenuDriver::Install(nullptr);
        MessageBoxAnswerer::Install(nullptr);
    }
    UINT ChooseCommand(HMENU menu, UINT, int, int, HWND) override
    {
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[256] = {};
            MENUITEMINFOW info = {};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_STRING | MIIM_ID;
            info.dwTypeData = text;
            info.cch = 256;
            GetMenuItemInfoW(menu, i, TRUE, &info);
            if (wcsstr(text, m_word))
                return info.wID;
        }
        return 0;
    }
    void OnMessageBox(CTWndMessageBox& box, HWND dialog) override
    {
        offered = (box.m_style & CTWndMessageBox::kStyleCheckBox) != 0 && GetDlgItem(dialog, CTWndMessageBox::kCheckBoxId);
        if (offered)
            box.SetChecked(true);
        box.Press(11);
    }
    bool offered = false;

private:
    const wchar_t* m_word;
};

class ComputerPaneLive : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (s_app)
            RegisterPeopleWindows(s_app->m_catalogue);
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }

    static DlgComputer* OpenComputer(__int64 id)
    {
        Object object;
        object.id = id;
        object.type = s_app->m_mainWindow->GetTypeId(CTString(L"Computer"));
        s_app->m_mainWindow->OpenObject(object, false, false);
        auto* pane = dynamic_cast<DlgComputer*>(s_app->m_mainWindow->FindConsole(DlgComputer::kConsoleType, id));
        if (!pane)
            return nullptr;
        EXPECT_TRUE(PumpUntil(*s_app, [&] { return pane->m_computer.id == id; }));
        Settle(*s_app);
        return pane;
    }

    static App* s_app;
};

App* ComputerPaneLive::s_app = nullptr;

} // namespace

TEST_F(ComputerPaneLive, AComputerIsSavedAndShownFromTheReloadWithItsDeployments)
{
    ASSERT_NE(s_app, nullptr);
    DlgComputer* pane = OpenComputer(kSaved);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(L"Latitude 5440", Text(pane, DlgComputer::kIdModel));
    EXPECT_EQ(L"Depot rebuild", Text(pane, DlgComputer::kIdLockLink));
    EXPECT_NE(L"<not assigned>", Text(pane, DlgComputer::kIdUserLink));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(pane->GetHwnd(), DlgComputer::kIdOrders)));
    EXPECT_TRUE(PumpUntil(*s_app, [&] { return pane->m_orders.GetItemCount() == 1; }));

    SelectTab(pane, 1);
    CTListCtrlReportEx* deployments = pane->DeploymentsList();
    ASSERT_NE(deployments, nullptr);
    EXPECT_TRUE(PumpUntil(*s_app, [&] { return deployments->GetItemCount() == 2; }));
    Settle(*s_app);
    for (const auto& [id, name] : {std::pair<__int64, const wchar_t*>{kRebuild, L"Depot rebuild (DR-2320)"},
                                   {kHandover, L"Depot handover ()"}}) {
        CAttribute cell;
        ASSERT_TRUE(deployments->GetCell(deployments->FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id))), 0, cell));
        EXPECT_NE(std::wstring::npos, std::wstring(cell.GetText()).find(name)) << cell.GetText();
    }

    SetDlgItemTextW(pane->GetHwnd(), DlgComputer::kIdModel, L"Latitude 7450");
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(pane->GetHwnd(), DlgComputer::kIdSave)));
    SendMessageW(pane->GetHwnd(), WM_COMMAND, DlgComputer::kIdSave, 0);
    EXPECT_TRUE(PumpUntil(*s_app, [&] { return !pane->m_modified; }));
    Settle(*s_app);
    EXPECT_EQ(L"Latitude 7450", Text(pane, DlgComputer::kIdModel));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(pane->GetHwnd(), DlgComputer::kIdSave)));
    CAttribute model;
    EXPECT_STREQ(L"Latitude 7450", s_app->m_dir.Lookup(kSaved)->GetAttribute(model, CTString(L"model")).GetText());
    pane->Close();
    Settle(*s_app);
}

TEST_F(ComputerPaneLive, ANewComputerIsCreatedBelowTheViewsLocation)
{
    ASSERT_NE(s_app, nullptr);
    MainWindow* main = s_app->m_mainWindow;
    auto* view = new RecordingView();
    view->m_key = 2399;
    view->m_owner = main;
    view->m_legacyRoutes[kDepot] = Object();
    main->m_panes.AddTail(view);

    ASSERT_TRUE(main->ShowConsole(DlgComputer::kConsoleNew, view->m_key, false));
    auto* pane = dynamic_cast<DlgComputer*>(main->m_current);
    ASSERT_NE(pane, nullptr);
    Settle(*s_app);
    SetDlgItemTextW(pane->GetHwnd(), DlgComputer::kIdName, L"DEP-NEW-2399");
    SetDlgItemTextW(pane->GetHwnd(), DlgComputer::kIdSerial, L"SN2399");
    const __int64 key = pane->m_key;
    SendMessageW(pane->GetHwnd(), WM_COMMAND, DlgComputer::kIdSave, 0);
    EXPECT_TRUE(PumpUntil(*s_app, [&] { return main->FindConsole(DlgComputer::kConsoleType, key) == nullptr; }));
    Settle(*s_app);
    ASSERT_EQ(1u, view->announced.size());
    const Object& created = view->announced[0];
    EXPECT_EQ(kDepot, created.parent);
    CAttribute serial;
    EXPECT_STREQ(L"SN2399", created.GetAttribute(serial, CTString(L"serial_number")).GetText());

    main->m_panes.Remove(view);
    delete view;
}

TEST_F(ComputerPaneLive, AComputerIsSentAlongARouteAndReceivedAtOnce)
{
    ASSERT_NE(s_app, nullptr);
    DlgComputer* pane = OpenComputer(kSent);
    ASSERT_NE(pane, nullptr);
    SelectTab(pane, 2);
    DlgComputer::CPageTransfers* page = pane->m_transfersPage;
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(PumpUntil(*s_app, [&] { return page->m_outbound.size() == 2; }));
    Settle(*s_app);
    EXPECT_EQ(0, page->m_list.m_report.GetItemCount());

    {
        RouteChoice choice(L"outpost");
        page->ShowRouteMenu();
        Settle(*s_app);
        EXPECT_TRUE(choice.offered);
    }
    EXPECT_TRUE(PumpUntil(*s_app, [&] { return page->m_list.m_report.GetItemCount() == 1; }));
    Settle(*s_app);
    CTString text;
    int image = -1;
    void* data = nullptr;
    ASSERT_TRUE(page->m_list.m_report.GetRowDetails(0, text, image, data));
    EXPECT_EQ(page->m_receivedImage, image);
    EXPECT_EQ(pane, s_app->m_mainWindow->FindConsole(DlgComputer::kConsoleType, kSent));
    pane->Close();
    Settle(*s_app);
}

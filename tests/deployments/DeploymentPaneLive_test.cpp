// The deployment pane on a main window signed in to the fixture server: a sample deployment opened
// from MainWindow::OpenObject through the real transport with its heading, links, lists, warnings,
// pages and notes count; a change pushed on the realtime socket reloads it; the build sheet is
// downloaded into a test Downloads folder and opened through the launcher.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/SignedInSession.h"
#include "deployments/BuildSheetFile.h"
#include "deployments/DeploymentLinks.h"
#include "deployments/DeploymentWindows.h"
#include "deployments/DlgDeployment.h"
#include "deployments/DlgDeploymentPages.h"
#include "foundation/IShellLauncher.h"
#include "framework/CTWndMessageBox.h"
#include "framework/MessageBoxAnswerer.h"
#include "session/FixtureServer.h"

namespace {

// The sample group that holds the deployments these tests create, so that other groups keep their counts.
constexpr int kPaneChecks = 1200;

std::wstring Text(HWND window)
{
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring Item(DlgDeployment* pane, int id)
{
    return Text(GetDlgItem(pane->GetHwnd(), id));
}

bool Shown(DlgDeployment* pane, int id)
{
    return (GetWindowLongPtrW(GetDlgItem(pane->GetHwnd(), id), GWL_STYLE) & WS_VISIBLE) != 0;
}

struct Launches : IShellLauncher {
    std::vector<std::wstring> opened;
    HRESULT Open(const wchar_t* file) override
    {
        opened.push_back(file);
        return S_OK;
    }
};

std::wstring g_folder;
bool TestFolder(CTString& folder)
{
    folder = g_folder.c_str();
    return true;
}

class DeploymentPaneLive : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (s_app)
            RegisterDeploymentWindows(s_app->m_catalogue);
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }

    DlgDeployment* OpenDeployment(__int64 id)
    {
        MainWindow* main = s_app->m_mainWindow;
        Object deployment;
        deployment.id = id;
        deployment.type = main->GetTypeId(CTString(L"Deployment"));
        main->OpenObject(deployment, false, false);
        DlgDeployment* pane = nullptr;
        signedin::PumpUntil(*s_app, [&] {
            pane = static_cast<DlgDeployment*>(main->FindConsole(DlgDeployment::kConsoleType, id));
            return pane && pane->GetSlot(DlgDeployment::SlotDeployment).id == id;
        });
        signedin::Settle(*s_app);
        return pane;
    }

    // A deployment of the test's own in a group of its own, so that the sample stays as other tests expect it.
    __int64 NewDeployment(const wchar_t* name, const wchar_t* tag)
    {
        __int64 id = 0;
        CAttributes form;
        form.SetNumber(CTString(L"TYPE"), static_cast<int>(s_app->m_mainWindow->GetTypeId(CTString(L"Deployment"))));
        form.SetNumber(CTString(L"PARENT"), kPaneChecks);
        form.SetText(CTString(L"NAME"), CTString(name));
        form.SetText(CTString(L"ATTRIBID_105"), CTString(L"70"));
        form.SetText(CTString(L"ATTRIBID_106"), CTString(L"1"));
        form.SetText(CTString(L"ATTRIBID_193"), CTString(tag));
        form.SetText(CTString(L"ATTRIBID_191"), CTString(L"/70/"));
        form.SetText(CTString(L"ATTRIBID_108"), CTString(L"0"));
        s_app->m_db.Post(CTString(L"api/api_objNew.php"), form, [&](DB::DBEvent& reply) {
            TiXmlDocument doc;
            reply.ReadXmlReply(doc);
            TiXmlElement* root = doc.FirstChildElementNamed(L"result");
            TiXmlElement* inserted = root ? root->FirstChildElementNamed(L"insert_id") : nullptr;
            if (inserted && inserted->FirstChild())
                id = ReadDecimal64(inserted->FirstChild()->Value());
        });
        signedin::PumpUntil(*s_app, [&] { return id != 0; });
        return id;
    }

    static App* s_app;
};

App* DeploymentPaneLive::s_app = nullptr;

TEST_F(DeploymentPaneLive, ASampleDeploymentOpensWithAllItShows)
{
    ASSERT_NE(s_app, nullptr);
    DlgDeployment* pane = OpenDeployment(300);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(DlgDeployment::kConsoleType, s_app->m_mainWindow->m_current->GetConsoleType());

    // Heading: the path with the business id, then the type name.
    EXPECT_NE(std::wstring::npos, std::wstring(pane->m_path.GetBuffer()).find(L"Spring refresh\\Grace Hopper"));
    EXPECT_EQ(L"Grace Hopper", Item(pane, DlgDeployment::kIdUserLink));
    EXPECT_EQ(L"MAN-LT-0101", Item(pane, DlgDeployment::kIdLegacyLink));
    EXPECT_EQ(L"NEW-LT-0401", Item(pane, DlgDeployment::kIdDeployedLink));
    EXPECT_EQ(L"https://surveys.example.test/=GH-LINK", Item(pane, DlgDeployment::kIdLinkAccess));   // the settings' "web_address"
    // The user and both computers are outside the deployment's schedule group.
    EXPECT_TRUE(Shown(pane, DlgDeployment::kIdUserWarning));
    EXPECT_TRUE(Shown(pane, DlgDeployment::kIdLegacyWarning));
    EXPECT_TRUE(Shown(pane, DlgDeployment::kIdDeployedWarning));
    EXPECT_EQ(L"Notes [1]", Item(pane, DlgDeployment::kIdNotes));
    EXPECT_NE(std::wstring::npos, Text(pane->m_tags.m_hWnd).find(L"VIP"));

    HWND types = GetDlgItem(pane->GetHwnd(), DlgDeployment::kIdType);
    ASSERT_EQ(2, SendMessageW(types, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(70, SendMessageW(types, CB_GETITEMDATA, SendMessageW(types, CB_GETCURSEL, 0, 0), 0));
    // The deployment windows of the schedule group, with the deployment's own selected.
    HWND slots = GetDlgItem(pane->GetHwnd(), DlgDeployment::kIdSlots);
    EXPECT_GT(SendMessageW(slots, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(279, SendMessageW(slots, CB_GETITEMDATA, SendMessageW(slots, CB_GETCURSEL, 0, 0), 0));
    // The fail codes the settings list, with <none> first.
    EXPECT_EQ(3, SendDlgItemMessageW(pane->GetHwnd(), DlgDeployment::kIdFailCode, CB_GETCOUNT, 0, 0));

    // Pages of the "Refresh" type: Details, Exceptions, Tasks and Settings.
    EXPECT_EQ(4, SendMessageW(pane->m_tab, TCM_GETITEMCOUNT, 0, 0));
    EXPECT_TRUE(pane->m_settingsPage->IsEnabled());
    EXPECT_FALSE(pane->m_emailsPage->IsEnabled());
    EXPECT_NE(std::wstring::npos, Text(pane->m_settingsPage->m_location.m_hWnd).find(L"Central warehouse"));
    // Routes of the location: the default one is the legacy route.
    EXPECT_EQ(540, pane->GetSlot(DlgDeployment::SlotLegacyRoute).id);
    EXPECT_FALSE(pane->m_modified);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(pane->GetHwnd(), DlgDeployment::kIdSave)));
}

TEST_F(DeploymentPaneLive, APushedChangeReloadsThePane)
{
    ASSERT_NE(s_app, nullptr);
    // A deployment of this test's own, so that the sample stays as other tests expect it.
    __int64 id = 0;
    CAttributes form;
    form.SetNumber(CTString(L"TYPE"), static_cast<int>(s_app->m_mainWindow->GetTypeId(CTString(L"Deployment"))));
    form.SetNumber(CTString(L"PARENT"), kPaneChecks);
    form.SetText(CTString(L"NAME"), CTString(L"Pushed change"));
    form.SetText(CTString(L"ATTRIBID_105"), CTString(L"70"));
    form.SetText(CTString(L"ATTRIBID_106"), CTString(L"1"));
    form.SetText(CTString(L"ATTRIBID_193"), CTString(L"\"First\""));
    s_app->m_db.Post(CTString(L"api/api_objNew.php"), form, [&](DB::DBEvent& reply) {
        TiXmlDocument doc;
        reply.ReadXmlReply(doc);
        TiXmlElement* root = doc.FirstChildElementNamed(L"result");
        TiXmlElement* inserted = root ? root->FirstChildElementNamed(L"insert_id") : nullptr;
        if (inserted && inserted->FirstChild())
            id = ReadDecimal64(inserted->FirstChild()->Value());
    });
    ASSERT_TRUE(signedin::PumpUntil(*s_app, [&] { return id != 0; }));
    DlgDeployment* pane = OpenDeployment(id);
    ASSERT_NE(pane, nullptr);
    ASSERT_NE(std::wstring::npos, Text(pane->m_tags.m_hWnd).find(L"First"));

    bool changed = false;
    CAttributes change;
    change.SetNumber(CTString(L"ID"), static_cast<int>(id));
    change.SetNumber(CTString(L"SERIAL"), 1);
    change.SetText(CTString(L"ATTRIBID_193"), CTString(L"\"Second\""));
    s_app->m_db.Post(CTString(L"api/api_objSet.php"), change, [&](DB::DBEvent&) { changed = true; });
    ASSERT_TRUE(signedin::PumpUntil(*s_app, [&] { return changed; }));
    fixture::WebSocketActions(fixture::Shared(), "/socket.io",
                              nlohmann::json::array({{{"text", "{\"channel\":\"dirupdates\",\"data\":{\"" +
                                                                   std::to_string(id) + "\":{\"a\":\"u\",\"s\":2}}}"}}}));
    EXPECT_TRUE(signedin::PumpUntil(*s_app, [&] {
        return Text(pane->m_tags.m_hWnd).find(L"Second") != std::wstring::npos;
    })) << Text(pane->m_tags.m_hWnd);
    EXPECT_EQ(2, pane->m_loaded.serial);
}

TEST_F(DeploymentPaneLive, TheBuildSheetIsSavedAndOpened)
{
    ASSERT_NE(s_app, nullptr);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    g_folder = std::wstring(temp) + L"qel-live-downloads-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(g_folder.c_str(), nullptr);
    BuildSheetFile::FolderFn previousFolder = BuildSheetFile::s_downloadsFolder;
    BuildSheetFile::s_downloadsFolder = &TestFolder;
    Launches launches;
    IShellLauncher* previous = SetShellLauncher(&launches);

    DlgDeployment* pane = OpenDeployment(300);
    ASSERT_NE(pane, nullptr);
    SendMessageW(pane->GetHwnd(), WM_COMMAND, DlgDeployment::kIdBuildSheet, 0);
    EXPECT_TRUE(signedin::PumpUntil(*s_app, [&] { return !launches.opened.empty(); }));
    const std::wstring path = g_folder + L"\\build sheet 300.pdf";
    ASSERT_EQ(1u, launches.opened.size());
    EXPECT_EQ(path, launches.opened[0]);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));

    SetShellLauncher(previous);
    BuildSheetFile::s_downloadsFolder = previousFolder;
    DeleteFileW(path.c_str());
    RemoveDirectoryW(g_folder.c_str());
}

TEST_F(DeploymentPaneLive, PagesLoadWhenTheirTabsAreFirstShown)
{
    ASSERT_NE(s_app, nullptr);
    DlgDeployment* pane = OpenDeployment(300);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(0, pane->m_tasksPage->m_loads);
    EXPECT_EQ(0, pane->m_settingsPage->m_loads);
    const int count = static_cast<int>(SendMessageW(pane->m_tab, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 1; i < count; ++i) {
        NMHDR changing = {pane->m_tab, DlgDeployment::kIdTabs, static_cast<UINT>(TCN_SELCHANGING)};
        SendMessageW(pane->GetHwnd(), WM_NOTIFY, DlgDeployment::kIdTabs, reinterpret_cast<LPARAM>(&changing));
        SendMessageW(pane->m_tab, TCM_SETCURSEL, i, 0);
        NMHDR change = {pane->m_tab, DlgDeployment::kIdTabs, static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(pane->GetHwnd(), WM_NOTIFY, DlgDeployment::kIdTabs, reinterpret_cast<LPARAM>(&change));
        signedin::Settle(*s_app);
    }
    EXPECT_EQ(1, pane->m_tasksPage->m_loads);
    EXPECT_EQ(1, pane->m_settingsPage->m_loads);
    EXPECT_EQ(1, pane->m_exceptionsPage->m_loads);
    // The time zones of the server are listed; saving the page keeps the stored zone.
    const CTString zone = AttributeText(pane->GetSlot(DlgDeployment::SlotDeployment), L"time_zone");
    EXPECT_EQ(3, SendDlgItemMessageW(pane->m_settingsPage->m_hWnd, DlgDeployment::CPageSettings::kIdTimeZone,
                                     CB_GETCOUNT, 0, 0));
    EXPECT_TRUE(pane->m_settingsPage->Save());
    EXPECT_EQ(std::wstring(zone.GetBuffer() ? zone.GetBuffer() : L""),
              std::wstring(AttributeText(pane->GetSlot(DlgDeployment::SlotDeployment), L"time_zone").GetBuffer()));
}

TEST_F(DeploymentPaneLive, ASaveGoesOutComputersFirstAndReloadsThePane)
{
    ASSERT_NE(s_app, nullptr);
    const __int64 id = NewDeployment(L"Saved live", L"\"First\"");
    ASSERT_NE(0, id);
    DlgDeployment* pane = OpenDeployment(id);
    ASSERT_NE(pane, nullptr);
    const __int64 serial = pane->m_loaded.serial;

    // A new legacy computer and a new tag: the assignment, then the attribute pass, then the
    // change notice reloads the pane with nothing left to save.
    pane->SlotRef(DlgDeployment::SlotDeployment)
        .SetAttribute(CTString(L"link_legacy_computer"), CAttribute(CAttribute::Integer, 232));
    SetWindowTextW(pane->m_tags.m_hWnd, L"\"Second\"");
    pane->SetModified(true);
    SendMessageW(pane->GetHwnd(), WM_COMMAND, DlgDeployment::kIdSave, 0);
    EXPECT_TRUE(signedin::PumpUntil(*s_app, [&] {
        return pane->m_loaded.serial >= serial + 2 && !pane->m_modified &&
               Text(pane->m_tags.m_hWnd).find(L"Second") != std::wstring::npos;
    })) << pane->m_loaded.serial;
    signedin::Settle(*s_app);
    EXPECT_EQ(232, LinkId(pane->m_loaded, L"link_legacy_computer"));
    EXPECT_EQ(L"MAN-DT-0103", Item(pane, DlgDeployment::kIdLegacyLink));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(pane->GetHwnd(), DlgDeployment::kIdSave)));

    // Something that is no computer is refused: both links come back and nothing else is saved.
    struct Boxes : MessageBoxAnswerer {
        std::vector<std::wstring> texts;
        void OnMessageBox(CTWndMessageBox& box, HWND) override
        {
            texts.push_back(box.m_text ? box.m_text : L"");
            box.Press(IDOK);
        }
    } boxes;
    MessageBoxAnswerer* previous = MessageBoxAnswerer::Installed();
    MessageBoxAnswerer::Install(&boxes);
    const __int64 saved = pane->m_loaded.serial;
    pane->SlotRef(DlgDeployment::SlotDeployment)
        .SetAttribute(CTString(L"link_legacy_computer"), CAttribute(CAttribute::Integer, 52));
    pane->SetModified(true);
    SendMessageW(pane->GetHwnd(), WM_COMMAND, DlgDeployment::kIdSave, 0);
    EXPECT_TRUE(signedin::PumpUntil(*s_app, [&] { return !boxes.texts.empty(); }));
    signedin::Settle(*s_app);
    MessageBoxAnswerer::Install(previous);
    ASSERT_FALSE(boxes.texts.empty());
    EXPECT_EQ(L"Error assigning device", boxes.texts[0]);
    EXPECT_EQ(232, LinkId(pane->GetSlot(DlgDeployment::SlotDeployment), L"link_legacy_computer"));
    EXPECT_EQ(saved, pane->m_loaded.serial);
}

} // namespace

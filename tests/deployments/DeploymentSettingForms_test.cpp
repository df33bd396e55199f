// The deployment status and type forms beside a settings pane on a main window with a recording
// server client: the form shows the list tab's copy, then the server's object; every option follows
// the stored flags and bits without an option survive a save; the accepted save reaches the list
// tab; OK on an unchanged form sends nothing; the form is read-only while requests are pending; the
// type form keeps its active statuses in step with the enabled ones, and leaves both lists alone
// when the statuses were not loaded.
#include <gtest/gtest.h>
#include "app/AppFixture.h"
#include "deployments/DeploymentWindows.h"
#include "deployments/DlgDeploymentStatus.h"
#include "deployments/DlgDeploymentType.h"
#include "lists/DlgListTab.h"
#include "lists/ListWindows.h"
#include "lists/SettingsTabsPane.h"

using namespace apptest;

namespace {

std::string TypeXml(int number, const char* name)
{
    return "<type id=\"" + std::to_string(number) + "\" type=\"" + std::to_string(number) +
           "\" parent=\"0\" serial=\"1\" name=\"" + name +
           "\"><attrib id=\"5\" name=\"console_edit_attribs\" edit=\"\" type=\"value_varchar\">Name</attrib></type>";
}

std::string Attrib(int id, const char* name, const char* type, const std::string& value)
{
    return "<attrib id=\"" + std::to_string(id) + "\" name=\"" + name + "\" edit=\"\" default=\"0\" inherit=\"0\" type=\"" +
           type + "\">" + value + "</attrib>";
}

std::string ObjectXml(int id, int type, int parent, const std::string& name, const std::string& inner, int serial = 1)
{
    return "<object id=\"" + std::to_string(id) + "\" type=\"" + std::to_string(type) + "\" parent=\"" +
           std::to_string(parent) + "\" serial=\"" + std::to_string(serial) + "\" name=\"" + name +
           "\" created=\"1700000000\" updated=\"1700000000\">" + inner + "</object>";
}

std::string Status(int id, const char* name, long long flags, int serial = 1)
{
    return ObjectXml(id, 11, 5, name,
                     Attrib(30, "code", "value_int", std::to_string(id - 79)) +
                         Attrib(60, "deployment_attribs", "value_int", std::to_string(flags)),
                     serial);
}

std::string Loaded(int id, const std::string& object)
{
    return "<parameters ID=\"" + std::to_string(id) + "\"/>" + object;
}

struct Forms : TestApp {
    BoxRecorder boxes;
    SettingsTabsPane* pane = nullptr;
    explicit Forms(bool statusesLoaded = true)
    {
        RegisterListWindows(app->m_catalogue);
        RegisterDeploymentWindows(app->m_catalogue);
        MainWindowCache& cache = app->m_mainWindow->m_cache;
        cache.systemSettings.parent = 6;
        cache.deploymentTypesFolder = 3;
        cache.deploymentStatusFolder = 5;
        for (auto [id, name] : {std::pair<int, const wchar_t*>{80, L"Scheduled"}, {81, L"Completed"}, {82, L"In progress"}}) {
            Object status;
            status.id = id;
            status.type = 11;
            status.name = name;
            cache.deploymentStatuses.push_back(status);
        }
        if (statusesLoaded)
            cache.loaded |= MainWindowCache::LoadStatuses;
        app->m_mainWindow->ShowConsole(SettingsTabsPane::kConsoleType, 0, false);
        Pump();
        pane = dynamic_cast<SettingsTabsPane*>(app->m_mainWindow->FindConsole(SettingsTabsPane::kConsoleType, 0));
    }
    void Reply(const std::string& path, const std::string& inner) { Answer(path, XmlHeaders(), Doc(inner)); }
    DlgListTab* LoadTab(int tabId, const std::string& type, const std::string& objects)
    {
        pane->SelectTab(tabId);
        DlgListTab* tab = pane->FindTab(tabId);
        tab->Refresh();
        Reply("api/api_objType.php", type);
        Reply("api/api_objSearch.php", objects);
        return tab;
    }
    template <class Form>
    Form* OpenForm(int type, UINT64 key)
    {
        app->m_windows.OpenWindow(type, key, 0);
        Pump();
        return dynamic_cast<Form*>(app->m_windows.FindWindow(type, key));
    }
    const Sent* Last(const std::string& path) const
    {
        for (auto it = transport->m_sent.rbegin(); it != transport->m_sent.rend(); ++it)
            if (it->path == path)
                return &*it;
        return nullptr;
    }
};

std::vector<std::wstring> Ticked(CTWndSettings& list)
{
    std::vector<std::wstring> out;
    for (CTWndSettings::CItem* item = list.GetNextItem(nullptr); item; item = list.GetNextItem(item))
        if (item->value)
            out.push_back(item->text.GetBuffer());
    return out;
}

std::vector<std::pair<std::wstring, int>> Options(CTWndSettings& list)
{
    std::vector<std::pair<std::wstring, int>> out;
    for (CTWndSettings::CItem* item = list.GetNextItem(nullptr); item; item = list.GetNextItem(item))
        out.push_back({item->text.GetBuffer(), item->value});
    return out;
}

void Toggle(CTWndSettings& list, __int64 data)
{
    CTWndSettings::CItem* item = list.FindItemByData(data);
    ASSERT_NE(item, nullptr) << data;
    list.ToggleItem(item, false);
}

} // namespace

TEST(DlgDeploymentStatus, FlagsFollowTheStoredValueAndUnknownBitsSurviveTheSave)
{
    Forms t;
    ASSERT_NE(t.pane, nullptr);
    DlgListTab* tab = t.LoadTab(1049, TypeXml(11, "Deployment Status"), Status(81, "Completed", 0x24));
    ASSERT_EQ(tab->Report().GetItemCount(), 1);

    // The list's copy shows at once; then the object is asked.
    auto* form = t.OpenForm<DlgDeploymentStatus>(43, 81);
    ASSERT_NE(form, nullptr);
    ASSERT_NE(form->m_general, nullptr);
    CTWndSettings& options = form->m_general->m_flags.m_list;
    EXPECT_EQ(Ticked(options), (std::vector<std::wstring>{L"Succeeded", L"Console Edit"}));
    EXPECT_EQ(t.transport->CountPath("api/api_objGet.php"), 1u);

    // The server's object has "Succeeded" cleared and a bit no option shows: the option unticks.
    t.Reply("api/api_objGet.php", Loaded(81, Status(81, "Completed", 0x2020, 2)));
    EXPECT_EQ(Ticked(options), (std::vector<std::wstring>{L"Console Edit"}));
    EXPECT_FALSE(form->IsModified());

    Toggle(options, 0x10000);
    EXPECT_TRUE(form->IsModified());
    SendMessageW(form->m_hWnd, WM_COMMAND, IDOK, 0);
    t.Pump();
    const Sent* set = t.Last("api/api_objSet.php");
    ASSERT_NE(set, nullptr);
    EXPECT_NE(set->body.find("ATTRIBID_60=" + std::to_string(0x2000 | 0x20 | 0x10000)), std::string::npos) << set->body;
    // Still open until the save is accepted; then the list tab shows the saved object and the form closes.
    EXPECT_NE(t.app->m_windows.FindWindow(43, 81), nullptr);
    t.Reply("api/api_objSet.php", Loaded(81, ObjectXml(81, 11, 5, "Completed (saved)",
                                                       Attrib(60, "deployment_attribs", "value_int", "73760"), 3)));
    Object row;
    EXPECT_EQ(std::wstring(tab->GetRowObject(row, 81).name.GetBuffer()), L"Completed (saved)");
    EXPECT_EQ(t.app->m_windows.FindWindow(43, 81), nullptr);

    // A second form: read-only while requests are pending; OK unchanged sends nothing and closes.
    form = t.OpenForm<DlgDeploymentStatus>(43, 81);
    ASSERT_NE(form, nullptr);
    RequestResult busy;
    busy.route.requestId = 1019;
    busy.returnCode = 1;
    t.app->m_windows.NotifyWindows(43, 0, &busy);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(form->m_hWnd, IDOK)));
    busy.returnCode = 0;
    t.app->m_windows.NotifyWindows(43, 0, &busy);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(form->m_hWnd, IDOK)));
    const size_t sets = t.transport->CountPath("api/api_objSet.php");
    SendMessageW(form->m_hWnd, WM_COMMAND, IDOK, 0);
    t.Pump();
    EXPECT_EQ(t.transport->CountPath("api/api_objSet.php"), sets);
    EXPECT_EQ(t.app->m_windows.FindWindow(43, 81), nullptr);
}

TEST(DlgDeploymentType, FlagTableAndStatusListsInStep)
{
    Forms t;
    ASSERT_NE(t.pane, nullptr);
    const std::string type = ObjectXml(70, 10, 3, "Refresh",
                                       Attrib(60, "deployment_attribs", "value_int", std::to_string(0x2302 | 0x40)) +
                                           Attrib(61, "deployment_status_available", "value_iddirectory_array", "/80/82/") +
                                           Attrib(62, "deployment_status_active", "value_iddirectory_array", "/82/"));
    t.LoadTab(1048, TypeXml(10, "Deployment Type"), type);
    auto* form = t.OpenForm<DlgDeploymentType>(39, 70);
    ASSERT_NE(form, nullptr);
    ASSERT_NE(form->m_status, nullptr);
    t.Reply("api/api_objGet.php", Loaded(70, type));
    CTWndSettings& options = form->m_general->m_flags.m_list;
    EXPECT_EQ(Ticked(options),
              (std::vector<std::wstring>{L"New Asset", L"Show Details", L"Show Components", L"Show Tasks"}));

    // The Status page has to exist for its lists: show it.
    TabCtrl_SetCurSel(GetDlgItem(form->m_hWnd, 1187), 1);
    NMHDR change = {GetDlgItem(form->m_hWnd, 1187), 1187, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(form->m_hWnd, WM_NOTIFY, 1187, reinterpret_cast<LPARAM>(&change));
    t.Pump();
    DlgDeploymentType::CStatusPage& status = *form->m_status;
    ASSERT_NE(status.m_hWnd, nullptr);
    form->LoadPages();
    using List = std::vector<std::pair<std::wstring, int>>;
    EXPECT_EQ(Options(status.m_enabled), (List{{L"Scheduled", 1}, {L"Completed", 0}, {L"In progress", 1}}));
    EXPECT_EQ(Options(status.m_active), (List{{L"Scheduled", 0}, {L"In progress", 1}}));

    // A tick adds the status, unticked, at its place in the status order; an untick drops it with its tick.
    Toggle(status.m_enabled, 81);
    EXPECT_EQ(Options(status.m_active), (List{{L"Scheduled", 0}, {L"Completed", 0}, {L"In progress", 1}}));
    Toggle(status.m_enabled, 82);
    EXPECT_EQ(Options(status.m_active), (List{{L"Scheduled", 0}, {L"Completed", 0}}));

    // Saved: "Build Asset" and "Show Post Deployment Survey" added, the bit without an option kept.
    Toggle(options, 0x20);
    Toggle(options, 0x8000);
    SendMessageW(form->m_hWnd, WM_COMMAND, IDOK, 0);
    t.Pump();
    const Sent* set = t.Last("api/api_objSet.php");
    ASSERT_NE(set, nullptr);
    EXPECT_NE(set->body.find("ATTRIBID_60=" + std::to_string(0x2302 | 0x40 | 0x8020)), std::string::npos) << set->body;
    EXPECT_NE(set->body.find("ATTRIBID_61=%2F80%2F81%2F"), std::string::npos) << set->body;
    EXPECT_NE(set->body.find("_62="), std::string::npos) << set->body;
    EXPECT_EQ(set->body.find("_62=%2F82"), std::string::npos) << set->body;
}

TEST(DlgDeploymentType, StatusListsStayAsStoredWithoutLoadedStatuses)
{
    Forms t(false);
    ASSERT_NE(t.pane, nullptr);
    const std::string type = ObjectXml(70, 10, 3, "Refresh",
                                       Attrib(60, "deployment_attribs", "value_int", "2") +
                                           Attrib(61, "deployment_status_available", "value_iddirectory_array", "/80/82/") +
                                           Attrib(62, "deployment_status_active", "value_iddirectory_array", "/82/"));
    t.LoadTab(1048, TypeXml(10, "Deployment Type"), type);
    auto* form = t.OpenForm<DlgDeploymentType>(39, 70);
    ASSERT_NE(form, nullptr);
    t.Reply("api/api_objGet.php", Loaded(70, type));
    Toggle(form->m_general->m_flags.m_list, 0x1);
    form->SavePages();
    form->SetModified(true);
    SendMessageW(form->m_hWnd, WM_COMMAND, IDOK, 0);
    t.Pump();
    const Sent* set = t.Last("api/api_objSet.php");
    ASSERT_NE(set, nullptr);
    EXPECT_NE(set->body.find("ATTRIBID_60=3"), std::string::npos) << set->body;
    EXPECT_EQ(set->body.find("ATTRIBID_61"), std::string::npos) << set->body;
    EXPECT_EQ(set->body.find("ATTRIBIDDEL_61"), std::string::npos) << set->body;
    EXPECT_EQ(set->body.find("ATTRIBID_62"), std::string::npos) << set->body;
}

#pragma once
// A main window on a recording transport with the deployment pane registered, the caches a
// deployment pane reads (types, statuses, deployment types, fail codes, system settings) and
// object replies built in the server's shape.
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>
#include "app/AppFixture.h"
#include "app/MainWindow.h"
#include "deployments/DeploymentLinks.h"
#include "deployments/DeploymentWindows.h"
#include "deployments/DlgDeployment.h"
#include "foundation/TiXmlDocument.h"

namespace deptest {

using namespace apptest;

struct Attr {
    const char* name;
    std::string value;
};

// Attribute ids and value kinds as the sample directory defines them.
inline std::pair<int, const char*> AttrSpec(const std::string& name)
{
    static const std::vector<std::tuple<const char*, int, const char*>> specs = {
        {"email_address", 102, "value_varchar"}, {"tree_image", 103, "value_varchar"},
        {"link_deployment_type", 105, "value_iddirectory"}, {"deployment_status", 106, "value_int"},
        {"link_legacy_computer", 108, "value_iddirectory"}, {"link_deployed_computer", 109, "value_iddirectory"},
        {"code", 111, "value_int"}, {"deployment_attribs", 112, "value_int"}, {"link_user", 113, "value_iddirectory"},
        {"ou_attribs", 120, "value_int"}, {"enable", 121, "value_int"}, {"link_container", 123, "value_iddirectory"},
        {"link_deployment_slot", 132, "value_iddirectory"}, {"completed", 133, "value_date"},
        {"link_administrator", 159, "value_iddirectory"}, {"linkaccess_id", 160, "value_varchar"},
        {"link_fail_code", 162, "value_iddirectory"}, {"link_deployment_location", 163, "value_iddirectory_array"},
        {"deployment_id", 166, "value_varchar"}, {"web_address", 169, "value_varchar"},
        {"deployment_type_available", 172, "value_iddirectory_array"},
        {"deployment_status_available", 173, "value_iddirectory_array"},
        {"deployment_status_active", 174, "value_iddirectory_array"}, {"code_next_success", 175, "value_varchar"},
        {"code_prev", 176, "value_varchar"}, {"linkaccess_expire", 177, "value_date"}, {"tag", 178, "value_varchar"},
        {"deployable_available", 179, "value_iddirectory_array"}, {"link_deploy_model", 180, "value_iddirectory"},
        {"link_deployment_prev", 181, "value_iddirectory"}, {"link_deployment_next", 182, "value_iddirectory"},
        {"exceptions", 183, "value_iddirectory_array"}, {"persistent", 184, "value_int"},
        {"amber_days", 135, "value_int"}, {"dashboard_display", 136, "value_int"}, {"survey_page", 185, "value_varchar"},
        {"time_zone", 170, "value_varchar"}, {"end_date", 110, "value_date"}, {"subject", 142, "value_varchar"},
        {"description", 124, "value_varchar"}, {"deployable", 186, "value_iddirectory_array"},
        {"deployable_mandatory", 187, "value_iddirectory_array"}, {"type", 122, "value_varchar"},
    };
    for (const auto& [n, id, kind] : specs)
        if (name == n)
            return {id, kind};
    int id = 600;
    for (char c : name)
        id = (id * 31 + c) % 300 + 600;
    return {id, "value_varchar"};
}

inline std::string ObjectXml(__int64 id, int type, __int64 parent, const std::string& name,
                             const std::vector<Attr>& attrs, int serial = 1, const std::string& privs = "")
{
    std::string xml = "<object id=\"" + std::to_string(id) + "\" type=\"" + std::to_string(type) + "\" parent=\"" +
                      std::to_string(parent) + "\" serial=\"" + std::to_string(serial) + "\" name=\"" + name +
                      "\" created=\"1700000000\" updated=\"1700000000\">";
    for (const Attr& a : attrs) {
        auto [aid, kind] = AttrSpec(a.name);
        xml += "<attrib id=\"" + std::to_string(aid) + "\" name=\"" + a.name + "\" edit=\"\" default=\"0\" inherit=\"0\" type=\"" +
               kind + "\">" + a.value + "</attrib>";
    }
    return xml + privs + "</object>";
}

inline Object ObjectOf(const std::string& xml)
{
    std::wstring wide(xml.begin(), xml.end());
    TiXmlDocument doc;
    doc.Parse(wide.c_str(), nullptr, 0);
    Object object;
    if (TiXmlElement* element = doc.FirstChildElementNamed(L"object"))
        object.ReadFromXml(element, true);
    return object;
}

enum : int { kDeploymentType = 8, kGroupType = 7, kUserType = 5, kComputerType = 6, kAdminType = 9 };
enum : __int64 { kGroup = 52, kOtherGroup = 53, kUser = 200, kLegacy = 230, kDeployed = 237, kAdmin = 90,
                 kTypeA = 700, kTypeB = 701, kFailEnabled = 113, kFailDisabled = 115 };

inline std::string TodayPlusDays(int days)
{
    return std::to_string(static_cast<long long>(time(nullptr)) / 86400 * 86400 + days * 86400LL);
}

// Statuses: 1 Scheduled (edit, show fail), 2 In progress (edit, show succeed, reschedule),
// 3 Completed (succeeded), 4 Failed (failed).
struct PaneFixture : testing::Test {
    TestApp t;
    BoxRecorder boxes;
    MainWindow* main = nullptr;

    void SetUp() override
    {
        RegisterDeploymentWindows(t.app->m_catalogue);
        main = t.app->m_mainWindow;
        ASSERT_NE(main, nullptr);
        MainWindowCache& cache = main->m_cache;
        cache.loaded |= MainWindowCache::LoadStatuses | MainWindowCache::LoadDeploymentTypes |
                        MainWindowCache::LoadTypes | MainWindowCache::LoadSettingObjects;
        main->m_idle = true;
        DefineType(*t.app, kDeploymentType, L"Deployment");
        DefineType(*t.app, kGroupType, L"Schedule Group");
        cache.deploymentStatuses = {
            ObjectOf(ObjectXml(80, 11, 5, "Scheduled", {{"code", "1"}, {"deployment_attribs", "34"}, {"code_next_success", "2"}})),
            ObjectOf(ObjectXml(81, 11, 5, "In progress", {{"code", "2"}, {"deployment_attribs", "49"},
                                                          {"code_next_success", "3"}, {"code_prev", "1"}})),
            ObjectOf(ObjectXml(82, 11, 5, "Completed", {{"code", "3"}, {"deployment_attribs", "4"}, {"code_prev", "2"}})),
            ObjectOf(ObjectXml(83, 11, 5, "Failed", {{"code", "4"}, {"deployment_attribs", "8"}}))};
        cache.statusByCode.clear();
        SetTypeFlags(0x3F00 | 0x1 | 0x2 | 0x4, "");
        cache.settings[MainWindowCache::FailCode] = {
            ObjectOf(ObjectXml(kFailEnabled, 41, 6, "Disk failure", {{"enable", "1"}})),
            ObjectOf(ObjectXml(kFailDisabled, 41, 6, "Retired code", {{"enable", "0"}}))};
        cache.systemSettings = ObjectOf(ObjectXml(6, 1, 1, "Settings", {{"ou_attribs", "4"}, {"web_address", "https://portal"}}));
    }

    void SetTypeFlags(DWORD flags, const std::string& active)
    {
        main->m_cache.deploymentTypes = {
            ObjectOf(ObjectXml(kTypeA, 10, 3, "Refresh", {{"deployment_attribs", std::to_string(flags)},
                                                         {"deployment_status_available", "/80/81/82/83/"},
                                                         {"deployment_status_active", active}})),
            ObjectOf(ObjectXml(kTypeB, 10, 3, "Hidden type", {{"deployment_attribs", "0"}}))};
    }

    static std::string Deployment(__int64 id, __int64 parent, const std::vector<Attr>& extra, int serial = 1)
    {
        std::vector<Attr> attrs = {{"link_deployment_type", std::to_string(kTypeA)},
                                   {"deployment_type_available", "/700/"},
                                   {"deployment_status", "1"},
                                   {"deployment_id", "SR-0001"}};
        for (const Attr& a : extra) {
            bool replaced = false;
            for (Attr& have : attrs)
                if (std::string(have.name) == a.name) {
                    have.value = a.value;
                    replaced = true;
                }
            if (!replaced)
                attrs.push_back(a);
        }
        return ObjectXml(id, kDeploymentType, parent, "Grace Hopper", attrs, serial);
    }
    static std::string Group(__int64 id) { return ObjectXml(id, kGroupType, 2, "Spring refresh", {}); }
    static std::string User(int serial = 1, const std::string& name = "Grace")
    {
        return ObjectXml(kUser, kUserType, kGroup, name,
                         {{"email_address", "grace@example.test"}, {"linkaccess_expire", TodayPlusDays(30)}}, serial,
                         "<priv id=\"4\" name=\"Logon\" value=\"1\"/>");
    }

    size_t Count(const std::string& path) const { return t.transport->CountPath(path); }

    // Answers every request to path not answered yet, each with the same body.
    void ReplyAll(const std::string& path, const std::string& body, const std::wstring& headers = XmlHeaders())
    {
        // Only what is out now: answering may send more.
        const size_t waiting = t.transport->m_sent.size();
        for (size_t i = 0; i < waiting; ++i) {
            if (t.transport->m_sent[i].path != path || answered.count(i))
                continue;
            answered.insert(i);
            auto completion = t.transport->m_sent[i].completion;
            TxRx result;
            CTByteArray headerBytes = Utf16Bytes(headers), bodyBytes = Bytes(body);
            result.SwapBytes(1u, headerBytes);
            result.SwapBytes(2u, bodyBytes);
            completion(result);
            t.Pump();
        }
    }
    // The linked objects of a fetch: every object fetch still waiting gets all of them.
    void AnswerLinked(const std::string& objects) { ReplyAll("api/api_objGet.php", Doc("<parameters ID=\"1\"/>" + objects)); }
    std::set<size_t> answered;

    // Opens the pane and answers the deployment's fetch with the deployment and its parent.
    DlgDeployment* Open(__int64 id, const std::string& deployment)
    {
        EXPECT_TRUE(main->ShowConsole(DlgDeployment::kConsoleType, id, false));
        t.Pump();
        auto* pane = static_cast<DlgDeployment*>(main->FindConsole(DlgDeployment::kConsoleType, id));
        if (!pane)
            return nullptr;
        ReplyAll("api/api_objGet.php",
                 Doc("<parameters ID=\"" + std::to_string(id) + "\"/>" + deployment + Group(kGroup) + Group(kOtherGroup)));
        return pane;
    }

    static std::wstring Text(DlgDeployment* pane, int id)
    {
        wchar_t text[512] = {};
        GetDlgItemTextW(pane->GetHwnd(), id, text, 512);
        return text;
    }
    static bool Shown(DlgDeployment* pane, int id)
    {
        return (GetWindowLongPtrW(GetDlgItem(pane->GetHwnd(), id), GWL_STYLE) & WS_VISIBLE) != 0;
    }
    static bool Enabled(DlgDeployment* pane, int id) { return IsWindowEnabled(GetDlgItem(pane->GetHwnd(), id)) != FALSE; }
};

} // namespace deptest

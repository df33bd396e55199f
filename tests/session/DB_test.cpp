// ctest-env: LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8
// The server client against a recording transport: the exact path, headers and body of every
// endpoint operation, the form encoding, the base URL, the events of a finished transfer, the
// progress events and the reply check.
#include <gtest/gtest.h>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>
#include "foundation/CFileVersion.h"
#include "framework/CTApp.h"
#include "framework/CTWndMessageBox.h"
#include "framework/MessageBoxAnswerer.h"
#include "session/DB.h"
#include "BoxRecorder.h"
#include "RecordingTransport.h"

namespace {

// A client connected to "srv" through a recording transport.
struct Client {
    RecordingTransport* transport = nullptr;
    std::unique_ptr<DB> db;

    explicit Client(bool connect = true)
    {
        auto owned = std::make_unique<RecordingTransport>();
        transport = owned.get();
        db = std::make_unique<DB>(std::move(owned));
        if (connect)
            db->Connect(CTString(L"srv"));
    }
};

CTString W(const char* text)
{
    CTString out;
    while (*text)
        out.AppendChar(static_cast<unsigned char>(*text++));
    return out;
}

// The raw header text of a response as the transport hands it over (UTF-16LE).
CTByteArray RawHeaders(const wchar_t* text)
{
    CTByteArray bytes;
    size_t length = wcslen(text) * sizeof(wchar_t);
    BYTE* place = bytes.Extend(static_cast<unsigned>(length));
    memcpy(place, text, length);
    return bytes;
}

CTByteArray Bytes(const std::string& text)
{
    CTByteArray bytes;
    if (!text.empty())
        memcpy(bytes.Extend(static_cast<unsigned>(text.size())), text.data(), text.size());
    return bytes;
}

std::string EncodeForm(const CAttributes& form, const char* start = "")
{
    CTByteArray out = Bytes(start);
    form.FormEncode(out);
    return BytesOf(out);
}

CTString TempFile(const wchar_t* name, unsigned size)
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    CTString path(folder);
    path.AppendText(name);
    HANDLE file = CreateFileW(path.GetBuffer(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::vector<char> bytes(size, 'x');
    DWORD written = 0;
    if (size)
        WriteFile(file, bytes.data(), size, &written, nullptr);
    CloseHandle(file);
    return path;
}

} // namespace

TEST(FormUrlEncode, EscapesByteByByte)
{
    struct Case {
        const char* text;
        const char* encoded;
    } cases[] = {
        {"", ""},
        {"*-.09@AZ_az", "*-.09@AZ_az"},
        {"a b", "a+b"},
        {"~", "%7E"},
        {"50%", "50%25"},
        {"a&b=c", "a%26b%3Dc"},
        {"\xC3\xA9", "%C3%A9"},
        {"\x01\x1F\x7F", "%01%1F%7F"},
        {"/\\|+", "%2F%5C%7C%2B"},
    };
    for (const Case& c : cases) {
        int counted = FormUrlEncode(nullptr, c.text);
        std::string out(static_cast<size_t>(counted) + 1, '#');
        int written = FormUrlEncode(out.data(), c.text);
        EXPECT_EQ(counted, written) << c.text;
        EXPECT_EQ(std::string(c.encoded) + "#", out) << c.text;   // no terminator written
    }
}

TEST(FormEncode, ItemsByType)
{
    CAttributes empty;
    EXPECT_EQ("", EncodeForm(empty));
    EXPECT_EQ("x=1", EncodeForm(empty, "x=1"));

    CAttributes form;
    form.SetText(L"empty", L"");
    form.SetNumber(L"n", 42);
    form.Set(L"d", CAttribute(CAttribute::Date, static_cast<__int64>(0)));
    form.Set(L"dt", CAttribute(CAttribute::DateTime, static_cast<__int64>(-86400)));
    form.Set(L"big", CAttribute(CAttribute::Date, static_cast<__int64>(1700000000)));
    form.SetText(L"pct", L"50%");
    form.SetText(L"t", L"a~b c");
    form.SetText(L"\u00e9", L"\u01c1");
    EXPECT_EQ("empty=&n=42&d=0&dt=-86400&big=1700000000&pct=50%25&t=a%7Eb+c&%C3%A9=%C7%81", EncodeForm(form));
    // A body already holding pairs is continued.
    CAttributes one;
    one.SetText(L"k", L"v");
    EXPECT_EQ("a=b&k=v", EncodeForm(one, "a=b"));
}

TEST(DB, ConnectBuildsBaseUrlOriginAndAgent)
{
    struct Case {
        const wchar_t* server;
        const char* base;
    } cases[] = {
        {L"host.example", "https://host.example"},
        {L"http://host.example//", "http://host.example"},
        {L"HTTPS://host.example/b//", "HTTPS://host.example/b"},
        {L"Http://h/", "Http://h"},
        {L"htt", "https://htt"},
        {L"host/", "https://host"},
    };
    for (const Case& c : cases) {
        Client client(false);
        EXPECT_EQ(0, client.db->Connect(CTString(c.server)));
        EXPECT_EQ(c.base, Narrow(client.db->m_baseUrl));
        EXPECT_EQ(std::string("Origin: ") + c.base, Narrow(client.db->m_origin));
        EXPECT_EQ(c.base, client.transport->m_url);
        EXPECT_EQ(1, client.db->m_sendState);
    }

    Client client;
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    CFileVersion version(exe);
    char expected[64];
    _snprintf(expected, sizeof(expected), "QELConsole/%u.%u.%u.%u", version.fileVersion.major,
              version.fileVersion.minor, version.fileVersion.build, version.fileVersion.revision);
    EXPECT_EQ(expected, client.transport->m_agent);
    EXPECT_EQ(3u, client.transport->m_listeners.size());
    EXPECT_TRUE(client.transport->m_listeners.count("request_count"));
    EXPECT_TRUE(client.transport->m_listeners.count("request_data_available"));
    EXPECT_TRUE(client.transport->m_listeners.count("ws_status"));
}

TEST(DB, EveryEndpointSendsItsPathHeadersAndBody)
{
    struct Case {
        const char* name;
        std::function<void(DB&, const RequestRoute&)> call;
        const char* path;
        const char* body;
    };
    CAttributes none;
    CAttributes firstSet;
    firstSet.SetNumber(L"A", 1);
    CAttributes secondSet;
    secondSet.Set(L"B", CAttribute(CAttribute::Date, static_cast<__int64>(86400)));
    CAttributes changes;
    changes.SetText(L"ATTRIBID_5", L"x y");
    changes.SetText(L"ATTRIBIDDEL_6", L"");
    CAttributes privileges;
    privileges.SetNumber(L"PRIVID_2", 1);
    CAttributes rename;
    rename.SetText(L"NAME", L"renamed");   // a fixed key: replaced in its place
    rename.SetText(L"ATTRIBID_4", L"v");

    LookupField plain;
    plain.parent = 5;
    plain.field = W("f");
    plain.attrib = W("a");
    plain.sgLink = W("s");
    plain.value = W("v");
    plain.field2 = W("f2");   // without its value: neither is sent
    plain.scope = 3;          // never sent
    LookupField paired;
    paired.parent = -1;
    paired.cookie = 9;
    paired.field2 = W("g");
    paired.value2 = W("h");

    const Case cases[] = {
        // Session and directory pages.
        {"Logon", [](DB& db, const RequestRoute& r) { db.Logon(W("a"), W("b"), r); }, "api/api_logon.php",
         "Email=a&Passwd=b&PRIVILEGE=QELConsole"},
        {"DirGetLookup",
         [](DB& db, const RequestRoute& r) { db.DirGetLookup(5, W("CUSTOMLOOKUP=AccessList|RETURNOBJ=1"), r); },
         "api/api_dirGetLookup.php", "EDIT=CUSTOMLOOKUP%3DAccessList%7CRETURNOBJ%3D1&PARENT=5"},
        {"DirGetLookupValues",
         [&](DB& db, const RequestRoute& r) { db.DirGetLookupValues({plain, paired}, r); },
         "api/api_dirGetLookupValues.php",
         "PARENT_0=5&ATTRIB_0=a&SGLINK_0=s&FIELD_0=f&VALUE_0=v&PARENT_1=4294967295&ATTRIB_1=&SGLINK_1=&FIELD_1=&"
         "VALUE_1=&FIELD2_1=g&VALUE2_1=h&COOKIE_1=9"},
        {"DirChangePassword", [](DB& db, const RequestRoute& r) { db.DirChangePassword(W("o"), W("n"), W("c"), r); },
         "api/api_dirChangePassword.php", "OldPasswd=o&NewPasswd=n&ConfirmPasswd=c"},
        {"DirResetPassword", [](DB& db, const RequestRoute& r) { db.DirResetPassword(7, W("p w"), r); },
         "api/api_dirResetPassword.php", "NewPasswd=p+w&ID=7"},
        {"DirPathToID", [](DB& db, const RequestRoute& r) { db.DirPathToID({W("\\A\\B"), W("C")}, r); },
         "api/api_dirPathToID.php", "PATH=A%5CB%C7%81C"},
        {"DirPathToID three", [](DB& db, const RequestRoute& r) { db.DirPathToID({W("\\\\x"), W(""), W("y")}, r); },
         "api/api_dirPathToID.php", "PATH=x%C7%81%C7%81y"},
        {"DirPathToID empty", [](DB& db, const RequestRoute& r) { db.DirPathToID({}, r); }, "api/api_dirPathToID.php",
         "PATH="},
        {"DirPathToIDUnder", [](DB& db, const RequestRoute& r) { db.DirPathToIDUnder(W("\\System"), r); },
         "api/api_dirPathToID.php", "PATH=%5CSystem&PARENT=0"},
        {"DirIDToPath", [](DB& db, const RequestRoute& r) { db.DirIDToPath(0xFFFFFFFFu, r); },
         "api/api_dirIDToPath.php", "ID=4294967295"},
        {"DirIDsToPaths", [](DB& db, const RequestRoute& r) { db.DirIDsToPaths({7, 3}, r); },
         "api/api_dirIDToPath.php", "ID_1=7&ID_2=3"},
        {"DirGetLookupUnique",
         [](DB& db, const RequestRoute& r) {
             db.DirGetLookupUnique({W("a"), W("b")}, {{5, {W("x"), W("y z")}}, {-1, {}}}, r);
         },
         "api/api_dirGetLookupUnique.php", "FIELD_0=a&FIELD_1=b&COOKIE_0=5&VALUE_0_0=x&VALUE_0_1=y+z&COOKIE_1=-1"},
        {"DirGetCount", [](DB& db, const RequestRoute& r) { db.DirGetCount(3, W("Site"), r); },
         "api/api_dirGetCount.php", "ID=3&TYPE=Site"},
        {"DirGetLookupTree", [](DB& db, const RequestRoute& r) { db.DirGetLookupTree(W("Site"), r); },
         "api/api_dirGetLookupTree.php", "TYPE=Site&PARENTS=0"},
        // Object pages.
        {"ObjGet", [](DB& db, const RequestRoute& r) { db.ObjGet(5, true, false, r); }, "api/api_objGet.php",
         "ID=5&CHILDREN=1&PARENTS=0"},
        {"ObjGet parents", [](DB& db, const RequestRoute& r) { db.ObjGet(5, false, true, r); }, "api/api_objGet.php",
         "ID=5&CHILDREN=0&PARENTS=1"},
        {"ObjGetByPath", [](DB& db, const RequestRoute& r) { db.ObjGetByPath(W("\\System"), r); },
         "api/api_objGet.php", "PATH=%5CSystem&CHILDREN=1&PARENTS=0"},
        {"ObjGetSerials", [](DB& db, const RequestRoute& r) { db.ObjGetSerials(5, W("1"), W("2,3"), r); },
         "api/api_objGet.php", "ID=5&CHILDREN=1&PARENTS=0&SERIALS=2%2C3"},
        {"ObjGetIds", [](DB& db, const RequestRoute& r) { db.ObjGetIds(W("12,15"), W("1,2"), 0, r); },
         "api/api_objGet.php", "IDS=12%2C15&SERIALS=1%2C2"},
        {"ObjGetIds flags", [](DB& db, const RequestRoute& r) { db.ObjGetIds(W("12"), W("1"), 11, r); },
         "api/api_objGet.php", "IDS=12&SERIALS=1&CHILDREN=1&PARENTS=1&PASSIVE=1"},
        {"ObjGetIds passive", [](DB& db, const RequestRoute& r) { db.ObjGetIds(W("12"), W("1"), 8, r); },
         "api/api_objGet.php", "IDS=12&SERIALS=1&PASSIVE=1"},
        {"ObjGetPassive", [](DB& db, const RequestRoute& r) { db.ObjGetPassive(9, r); }, "api/api_objGet.php",
         "ID=9&PASSIVE=1"},
        {"ObjSearch all",
         [](DB& db, const RequestRoute& r) { db.ObjSearch(W(""), DB::kParentAll, W(""), W(""), true, DB::kNoMax, r); },
         "api/api_objSearch.php", "PARENT=ALL&RETURNPATH=1"},
        {"ObjSearch site",
         [](DB& db, const RequestRoute& r) { db.ObjSearch(W("Site"), 42, W(""), W(""), false, 10, r); },
         "api/api_objSearch.php", "TYPE=Site&PARENT=42&MAX=10&RETURNPATH=0"},
        {"ObjSearch inherit",
         [](DB& db, const RequestRoute& r) {
             db.ObjSearch(W(""), DB::kParentAllInherit, W("link_data_point"), W("7"), false, 0, r);
         },
         "api/api_objSearch.php", "PARENT=ALL-INHERIT&ATTRIB=link_data_point&SEARCH=7&MAX=0&RETURNPATH=0"},
        {"ObjSearchIds", [](DB& db, const RequestRoute& r) { db.ObjSearchIds(W("/5/9/"), true, r); },
         "api/api_objSearch.php", "IDARRAY=%2F5%2F9%2F&RETURNPATH=1"},
        {"ObjFind", [&](DB& db, const RequestRoute& r) { db.ObjFind(3, 4, W("n"), firstSet, secondSet, r); },
         "api/api_objFind.php", "TYPE=3&PARENT=4&NAME=n&A=1&B=86400"},
        {"ObjNew", [&](DB& db, const RequestRoute& r) { db.ObjNew(3, 4, W("n"), changes, privileges, r); },
         "api/api_objNew.php", "TYPE=3&PARENT=4&NAME=n&ATTRIBID_5=x+y&ATTRIBIDDEL_6=&PRIVID_2=1"},
        {"ObjSet", [&](DB& db, const RequestRoute& r) { db.ObjSet(7, 3, W("n"), changes, none, r); },
         "api/api_objSet.php", "ID=7&NAME=n&SERIAL=3&ATTRIBID_5=x+y&ATTRIBIDDEL_6="},
        {"ObjSet fixed key", [&](DB& db, const RequestRoute& r) { db.ObjSet(7, 3, W("n"), rename, privileges, r); },
         "api/api_objSet.php", "ID=7&NAME=renamed&SERIAL=3&ATTRIBID_4=v&PRIVID_2=1"},
        {"ObjDelete", [](DB& db, const RequestRoute& r) { db.ObjDelete(7, 3, r); }, "api/api_objDelete.php",
         "ID=7&SERIAL=3"},
        {"ObjCopy", [](DB& db, const RequestRoute& r) { db.ObjCopy(7, 8, r); }, "api/api_objCopy.php", "ID=7&DestID=8"},
        {"ObjMove", [](DB& db, const RequestRoute& r) { db.ObjMove(7, 3, 8, r); }, "api/api_objMove.php",
         "ID=7&DestID=8&SERIAL=3"},
        {"ObjType", [](DB& db, const RequestRoute& r) { db.ObjType(W(""), r); }, "api/api_objType.php", "TYPE="},
        {"ObjGetAttrib", [&](DB& db, const RequestRoute& r) { db.ObjGetAttrib(7, firstSet, r); },
         "api/api_objGetAttrib.php", "ID=7&A=1"},
        {"ObjGetLog", [](DB& db, const RequestRoute& r) { db.ObjGetLog(7, W("api_objSet"), r); },
         "api/api_objGetLog.php", "ID=7&API=api_objSet"},
        {"ObjAccessGet", [](DB& db, const RequestRoute& r) { db.ObjAccessGet(7, r); }, "api/api_objAccessGet.php",
         "ID=7"},
        {"ObjAccessSet", [](DB& db, const RequestRoute& r) { db.ObjAccessSet(7, 0, true, false, true, false, r); },
         "api/api_objAccessSet.php", "ID=7&READ=1&WRITE=0&PERM=1&PRIV=0"},
        {"ObjAccessSet grantee",
         [](DB& db, const RequestRoute& r) { db.ObjAccessSet(7, 9, false, true, false, true, r); },
         "api/api_objAccessSet.php", "ID=7&GRANTID=9&READ=0&WRITE=1&PERM=0&PRIV=1"},
        // Deployment, communication, administration and query pages.
        {"QelGetScheduleGroup", [](DB& db, const RequestRoute& r) { db.QelGetScheduleGroup(11, r); },
         "api/api_qelGetScheduleGroup.php", "ID=11"},
        {"QelGetDeploymentWindow", [](DB& db, const RequestRoute& r) { db.QelGetDeploymentWindow(12, r); },
         "api/api_qelGetDeploymentWindow.php", "PARENT=12"},
        {"QelCreateDeploymentWindow",
         [](DB& db, const RequestRoute& r) {
             db.QelCreateDeploymentWindow(1, 2, 1700000000, 1700086400, W("2/day"), true, false, true, r);
         },
         "api/api_qelCreateDeploymentWindow.php",
         "ID=1&PARENT=2&START_DATE=1700000000&END_DATE=1700086400&RUNRATE=2%2Fday&ADD=1&UPDATE=0&REMOVE=1"},
        {"QelSetDeploymentComputer omitted",
         [](DB& db, const RequestRoute& r) { db.QelSetDeploymentComputer(1, 2, 0, DB::kNoComputer, 7, r); },
         "api/api_qelSetDeploymentComputer.php", "ID=1&SERIAL=2&DEPLOYED_COMPUTER=7"},
        {"QelSetDeploymentComputer all",
         [](DB& db, const RequestRoute& r) { db.QelSetDeploymentComputer(1, 2, 5, 3, 4, r); },
         "api/api_qelSetDeploymentComputer.php", "ID=1&SERIAL=2&LEGACY_COMPUTER=3&DEPLOYED_COMPUTER=4&DEPLOYMENT_TYPE=5"},
        {"QelMoveDeployment", [](DB& db, const RequestRoute& r) { db.QelMoveDeployment(1, 2, r); },
         "api/api_qelMoveDeployment.php", "ID=1&OUID=2"},
        {"QelReSchedule", [](DB& db, const RequestRoute& r) { db.QelReSchedule(1, r); }, "api/api_qelReSchedule.php",
         "ID=1"},
        {"QelGetDeploymentRoutes", [](DB& db, const RequestRoute& r) { db.QelGetDeploymentRoutes(1, r); },
         "api/api_qelGetDeploymentRoutes.php", "ID=1"},
        {"QelGetDashboardSG", [](DB& db, const RequestRoute& r) { db.QelGetDashboardSG(1, r); },
         "api/api_qelGetDashboardSG.php", "ID=1"},
        {"QelApplyTemplate", [](DB& db, const RequestRoute& r) { db.QelApplyTemplate(1, 2, r); },
         "api/api_qelApplyTemplate.php", "ID=1&TEMPLATE=2"},
        {"QelTask", [](DB& db, const RequestRoute& r) { db.QelTask(W("1,2"), r); }, "api/api_qelTask.php",
         "TASKLIST=1%2C2"},
        {"QelGetAssetLocation", [](DB& db, const RequestRoute& r) { db.QelGetAssetLocation(1, r); },
         "pageAsset/api_qelGetAssetLocation.php", "ID=1"},
        {"QelAssetTransfer", [&](DB& db, const RequestRoute& r) { db.QelAssetTransfer(1, 2, 0, secondSet, r); },
         "api/api_qelAssetTransfer.php", "ROUTEID=1&RECORDID=2&AUTORECEIVE=0&B=86400"},
        {"QelSendEmail", [](DB& db, const RequestRoute& r) { db.QelSendEmail(1, 2, 3, W("e-4"), r); },
         "api/api_qelSendEmail.php", "ID=1&TASKID=2&OUID=3&EMAILID=e-4"},
        {"QelPreviewEmail", [](DB& db, const RequestRoute& r) { db.QelPreviewEmail(1, 2, 3, W("e"), r); },
         "api/api_qelPreviewEmail.php", "ID=1&TASKID=2&OUID=3&EMAILID=e"},
        {"QelGetComms", [](DB& db, const RequestRoute& r) { db.QelGetComms(W("n"), W("list"), r); },
         "api/api_qelGetComms.php", "NAME=n&TYPE=list"},
        {"QelCopyReports", [](DB& db, const RequestRoute& r) { db.QelCopyReports(1, 2, r); },
         "api/api_qelCopyReports.php", "ID=1&SOURCEID=2"},
        {"QelLocaleGet", [](DB& db, const RequestRoute& r) { db.QelLocaleGet(true, 16, r); },
         "api/api_qelLocaleGet.php", "ENABLED=1&FLAGSIZE=16"},
        {"QelLocaleSet", [&](DB& db, const RequestRoute& r) { db.QelLocaleSet(firstSet, r); },
         "api/api_qelLocaleSet.php", "A=1"},
        {"QelLangSearch", [](DB& db, const RequestRoute& r) { db.QelLangSearch(W("007"), r); },
         "api/api_qelLangSearch.php", "ID=007"},
        {"QelAdministratorElevate", [](DB& db, const RequestRoute& r) { db.QelAdministratorElevate(1, true, r); },
         "api/api_qelAdministratorElevate.php", "ID=1&ENABLE=1"},
        {"QelSyncPassword", [](DB& db, const RequestRoute& r) { db.QelSyncPassword(1, W("p&q"), r); },
         "api/api_qelSyncPassword.php", "ID=1&Passwd=p%26q"},
        {"QelSyncRun", [](DB& db, const RequestRoute& r) { db.QelSyncRun(1, true, r); }, "api/api_qelSyncRun.php",
         "ID=1&test=1"},
        {"QelCustomDir", [](DB& db, const RequestRoute& r) { db.QelCustomDir(W("images"), r); },
         "api/api_qelCustomDir.php", "FOLDER=images"},
        {"QelCustomDel", [](DB& db, const RequestRoute& r) { db.QelCustomDel(W("a.png|b.png"), r); },
         "api/api_qelCustomDel.php", "DELETES=a.png%7Cb.png"},
        {"QelBuildsheetGeneration", [](DB& db, const RequestRoute& r) { db.QelBuildsheetGeneration(W("<bs/>"), r); },
         "pageBuildSheet/api_qelBuildsheetGeneration.php", "BS=%3Cbs%2F%3E"},
        {"QelSheetSave", [](DB& db, const RequestRoute& r) { db.QelSheetSave(1, W("d"), r); },
         "api/api_qelSheetSave.php", "ID=1&DATA=d"},
        {"QelSheetLoad", [](DB& db, const RequestRoute& r) { db.QelSheetLoad(1, r); }, "api/api_qelSheetLoad.php",
         "ID=1"},
    };

    // Run under en-GB, or with no supported language, so that no LOCALE key goes.
    CTApp::Instance()->m_supported.clear();
    RequestRoute route;
    route.targetType = 96;
    route.requestId = 1052;
    route.param2 = 77;
    for (const Case& c : cases) {
        Client client;
        c.call(*client.db, route);
        ASSERT_EQ(1u, client.transport->m_sent.size()) << c.name;
        const Sent& sent = client.transport->m_sent[0];
        EXPECT_EQ("POST", sent.verb) << c.name;
        EXPECT_EQ(c.path, sent.path) << c.name;
        EXPECT_EQ((std::vector<std::string>{"Content-Type: application/x-www-form-urlencoded; charset=UTF-8",
                                            "Origin: https://srv"}),
                  sent.headers)
            << c.name;
        EXPECT_EQ(c.body, sent.body) << c.name;
        // Only the sign-in bounds its reply tightly.
        int small = std::string(c.path) == "api/api_logon.php" ? CWinHttp2::FlagSmallReply : 0;
        EXPECT_EQ(CWinHttp2::FlagIgnoreCertErrors | CWinHttp2::FlagRunOnWorker | small, sent.flags) << c.name;
    }
}

TEST(DB, DirIDsToPathsSendsBatchesOfAThousand)
{
    struct Case {
        size_t ids;
        std::vector<size_t> perRequest;
    } cases[] = {{0, {0}}, {1000, {1000}}, {1001, {1000, 1}}, {2500, {1000, 1000, 500}}};
    for (const Case& c : cases) {
        Client client;
        std::vector<__int64> ids;
        for (size_t i = 0; i < c.ids; ++i)
            ids.push_back(static_cast<__int64>(i) + 100);
        RequestRoute route;
        route.requestId = 1028;
        client.db->DirIDsToPaths(ids, route);
        ASSERT_EQ(c.perRequest.size(), client.transport->m_sent.size()) << c.ids;
        size_t next = 100;
        for (size_t r = 0; r < c.perRequest.size(); ++r) {
            std::string expected;
            for (size_t i = 1; i <= c.perRequest[r]; ++i)
                expected += (i > 1 ? "&ID_" : "ID_") + std::to_string(i) + "=" + std::to_string(next++);
            EXPECT_EQ(expected, client.transport->m_sent[r].body) << c.ids << " request " << r;
        }
    }
}

TEST(DB, DirGetLookupUniqueFoldsMoreThanAThousandKeys)
{
    // One field and 333 entries of a cookie and two values: exactly 1000 keys, sent as they are.
    std::vector<DB::UniqueEntry> entries;
    for (int m = 0; m < 333; ++m)
        entries.push_back({m, {W("v"), W("a|b")}});
    RequestRoute route;
    {
        Client client;
        client.db->DirGetLookupUnique({W("f")}, entries, route);
        ASSERT_EQ(1u, client.transport->m_sent.size());
        const std::string& body = client.transport->m_sent[0].body;
        EXPECT_EQ(0u, body.find("FIELD_0=f&COOKIE_0=0&VALUE_0_0=v&VALUE_0_1=a%7Cb&COOKIE_1=1&"));
        EXPECT_EQ(std::string::npos, body.find("FATPARAM"));
    }
    {
        // One key more: everything goes as FATPARAM, name U+00A6 value, joined with "|".
        Client client;
        client.db->DirGetLookupUnique({W("f"), W("g")}, entries, route);
        ASSERT_EQ(1u, client.transport->m_sent.size());
        const std::string& body = client.transport->m_sent[0].body;
        EXPECT_EQ(0u, body.find("FATPARAM=FIELD_0%C2%A6f%7CFIELD_1%C2%A6g%7CCOOKIE_0%C2%A60%7CVALUE_0_0%C2%A6v%7C"
                                "VALUE_0_1%C2%A6a%7Cb%7CCOOKIE_1%C2%A61"));
        EXPECT_EQ(std::string::npos, body.find('&'));
        EXPECT_NE(std::string::npos, body.find("VALUE_332_1%C2%A6a%7Cb"));
    }
}

TEST(DB, DirGetLookupValuesSendsLocaleOnlyForASupportedLanguageOtherThanEnGb)
{
    wchar_t language[16] = {}, country[16] = {};
    GetLocaleInfoW(GetUserDefaultLCID(), LOCALE_SISO639LANGNAME, language, 16);
    GetLocaleInfoW(GetUserDefaultLCID(), LOCALE_SISO3166CTRYNAME, country, 16);
    std::wstring name = std::wstring(language) + L"-" + country;
    char lang[64] = {};
    GetEnvironmentVariableA("LANG", lang, sizeof(lang));
    if (strncmp(lang, "de_DE", 5) == 0)
        EXPECT_EQ(L"de-DE", name);   // the second run of this program

    LookupField field;
    field.parent = 1;
    RequestRoute route;
    const char* rest = "PARENT_0=1&ATTRIB_0=&SGLINK_0=&FIELD_0=&VALUE_0=";

    CTApp* app = CTApp::Instance();
    ASSERT_TRUE(app->SetSupportedLocales({L"de-DE", L"fr-FR", L"en-GB"}));
    {
        Client client;
        client.db->DirGetLookupValues({field}, route);
        ASSERT_EQ(1u, client.transport->m_sent.size());
        if (name == L"de-DE")
            EXPECT_EQ(std::string("LOCALE=de-DE&") + rest, client.transport->m_sent[0].body);
        else
            EXPECT_EQ(rest, client.transport->m_sent[0].body) << "user locale " << Narrow(CTString(name.c_str()));
    }
    // The same user language, not supported by the application.
    ASSERT_TRUE(app->SetSupportedLocales({L"fr-FR"}));
    {
        Client client;
        client.db->DirGetLookupValues({field}, route);
        ASSERT_EQ(1u, client.transport->m_sent.size());
        EXPECT_EQ(rest, client.transport->m_sent[0].body);
    }
    app->m_supported.clear();
}

TEST(DB, CustomAddSendsUpToTheLimitAndNothingItCannotRead)
{
    CTString exact = TempFile(L"qel_upload_exact.bin", DB::kMaxUploadBytes);
    CTString over = TempFile(L"qel_upload_over.bin", DB::kMaxUploadBytes + 1);
    CTString small = TempFile(L"qel_upload_small.txt", 0);
    {
        HANDLE file = CreateFileW(small.GetBuffer(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, "hello", 5, &written, nullptr);
        CloseHandle(file);
    }
    RequestRoute route;
    route.requestId = 1079;

    Client client;
    EXPECT_TRUE(client.db->QelCustomAdd(W("images"), small, route));
    ASSERT_EQ(1u, client.transport->m_sent.size());
    EXPECT_EQ("api/api_qelCustomAdd.php", client.transport->m_sent[0].path);
    EXPECT_EQ("FOLDER=images&FILENAME=qel_upload_small.txt&FILEDATA=aGVsbG8%3D", client.transport->m_sent[0].body);

    EXPECT_TRUE(client.db->QelCustomAdd(W("images"), exact, route));
    ASSERT_EQ(2u, client.transport->m_sent.size());
    const std::string& big = client.transport->m_sent[1].body;
    EXPECT_EQ(0u, big.find("FOLDER=images&FILENAME=qel_upload_exact.bin&FILEDATA=eHh4"));
    EXPECT_EQ(std::string("FOLDER=images&FILENAME=qel_upload_exact.bin&FILEDATA=").size() + (DB::kMaxUploadBytes + 2) / 3 * 4 + 2,
              big.size());   // one "=" pad, escaped to three characters

    // One byte more: nothing is sent and the caller is told.
    EXPECT_FALSE(client.db->QelCustomAdd(W("images"), over, route));
    // A file that cannot be read is not sent either (an empty upload would replace the server's file).
    EXPECT_FALSE(client.db->QelCustomAdd(W("images"), W("C:\\no\\such\\file.png"), route));
    EXPECT_EQ(2u, client.transport->m_sent.size());

    DeleteFileW(exact.GetBuffer());
    DeleteFileW(over.GetBuffer());
    DeleteFileW(small.GetBuffer());
}

TEST(DB, GetPostFormAndNotConnected)
{
    RequestRoute route;
    route.requestId = 1022;
    {
        Client client(false);
        client.db->ObjGet(1, false, false, route);   // not connected yet: dropped
        EXPECT_TRUE(client.transport->m_sent.empty());

        std::vector<__int64> keys;
        CAttributes form;
        form.SetNumber(L"GetTitleBarColours", 1);
        int calls = 0;
        client.db->Post(W("api/api_qelQuery.php"), form, [&](DB::DBEvent& event) {
            ++calls;
            for (auto& entry : event.m_map)
                keys.push_back(entry.first.m_int);
            __int64 code = 0;
            EXPECT_TRUE(event.GetInt64(9u, code));
            EXPECT_EQ(111, code);
        });
        EXPECT_EQ(1, calls);   // at once, before Post returns
        EXPECT_EQ(std::vector<__int64>{9}, keys);
        EXPECT_TRUE(client.transport->m_sent.empty());
    }
    Client client;
    client.db->Get(W(""), route);
    EXPECT_TRUE(client.transport->m_sent.empty());
    client.db->Get(W("icons/site.png"), route);
    client.db->GetUrl(W(""), route);
    ASSERT_EQ(2u, client.transport->m_sent.size());
    EXPECT_EQ("GET", client.transport->m_sent[0].verb);
    EXPECT_EQ("icons/site.png", client.transport->m_sent[0].path);
    EXPECT_EQ(std::vector<std::string>{"Origin: https://srv"}, client.transport->m_sent[0].headers);
    EXPECT_EQ("", client.transport->m_sent[0].body);
    EXPECT_EQ("", client.transport->m_sent[1].path);

    CAttributes slot;
    slot.SetNumber(L"PARENT", 4);
    slot.Set(L"END_DATE", CAttribute(CAttribute::Date, static_cast<__int64>(1700000000)));
    client.db->PostForm(W("api\\api_qelCreateDeploymentSlot.php"), slot, route);
    ASSERT_EQ(3u, client.transport->m_sent.size());
    EXPECT_EQ("api\\api_qelCreateDeploymentSlot.php", client.transport->m_sent[2].path);
    EXPECT_EQ("PARENT=4&END_DATE=1700000000", client.transport->m_sent[2].body);

    CAttributes query;
    query.SetNumber(L"GetTitleBarColours", 1);
    client.db->Post(W("api/api_qelQuery.php"), query, [](DB::DBEvent&) {});
    ASSERT_EQ(4u, client.transport->m_sent.size());
    EXPECT_EQ("GetTitleBarColours=1", client.transport->m_sent[3].body);
    EXPECT_EQ(0, client.transport->m_sent[3].flags);
    EXPECT_EQ((std::vector<std::string>{"Content-Type: application/x-www-form-urlencoded; charset=UTF-8",
                                        "Origin: https://srv"}),
              client.transport->m_sent[3].headers);

    // Requests after a disconnect still go to the transport, which drops them itself.
    client.transport->m_pending = 2;
    client.transport->m_queued = 3;
    EXPECT_EQ(5, client.db->GetBusyCount());
    client.db->Disconnect();
    EXPECT_EQ(1, client.transport->m_closed);
    EXPECT_TRUE(client.db->m_origin.IsEmpty());
    client.db->ObjGet(1, false, false, route);
    ASSERT_EQ(5u, client.transport->m_sent.size());
    EXPECT_EQ(std::vector<std::string>{"Content-Type: application/x-www-form-urlencoded; charset=UTF-8"},
              client.transport->m_sent[4].headers);
}

TEST(DB, CompletionBuildsConnectionRecvEvent)
{
    struct Case {
        const wchar_t* headers;
        __int64 error;
        bool silent;
        __int64 result;
        bool hasKey9;
    } cases[] = {
        {L"HTTP/1.1 200 OK\r\nContent-Type: application/xml\r\n\r\n", 0, false, 0, false},
        {L"HTTP/1.1 500 Internal Server Error\r\n\r\n", 0, true, 5007, false},
        {L"", 12002, false, 5007, false},
        {L"", 12002, true, 5007, true},
    };
    for (const Case& c : cases) {
        Client client;
        std::vector<unsigned> keys;
        __int64 result = -1, error = -1;
        std::string body, path;
        RequestRoute back;
        client.db->Bind(W("connection_recv"), [&](DB::DBEvent& event) {
            for (auto& entry : event.m_map)
                keys.push_back(entry.first.m_int);
            event.GetInt64(8u, result);
            event.GetInt64(9u, error);
            CTByteArray bytes;
            event.SwapBytes(4u, bytes);
            body = BytesOf(bytes);
            path = Narrow(event.At(6u).AsText());
            CDataString record;
            event.SwapBytes(5u, record);
            EXPECT_EQ(44u, record.GetSize());
            record.Rewind();
            ReadRoute(record, back);
        });
        RequestRoute route;
        route.targetType = 0xffff;
        route.consoleType = 1035;
        route.requestId = 1047;
        route.param2 = -3;
        route.silent = c.silent;
        client.db->ObjType(W(""), route);
        ASSERT_EQ(1u, client.transport->m_sent.size());
        CWinHttp2::ReqEvent done;
        CTByteArray raw = RawHeaders(c.headers);
        done.SwapBytes(1u, raw);
        CTByteArray reply = Bytes("<?xml?>");
        done.SwapBytes(2u, reply);
        if (c.error)
            done.SetInt64(3u, static_cast<unsigned __int64>(c.error));
        client.transport->m_sent[0].completion(done);

        std::vector<unsigned> expectedKeys = {4, 5, 6, 7, 8};
        if (c.hasKey9)
            expectedKeys = {4, 5, 6, 7, 8, 9};
        EXPECT_EQ(expectedKeys, keys) << c.error;
        EXPECT_EQ(c.result, result);
        EXPECT_EQ(c.hasKey9 ? c.error : -1, error);
        EXPECT_EQ("<?xml?>", body);
        EXPECT_EQ("api/api_objType.php", path);
        EXPECT_EQ(0xffff, back.targetType);
        EXPECT_EQ(1035, back.consoleType);
        EXPECT_EQ(1047, back.requestId);
        EXPECT_EQ(-3, back.param2);
        EXPECT_EQ(c.silent, back.silent);
    }
    // Without a handler the event is dropped.
    Client client;
    RequestRoute route;
    client.db->ObjType(W(""), route);
    CWinHttp2::ReqEvent done;
    client.transport->m_sent[0].completion(done);
}

TEST(DB, PostCompletionCarriesHeadersBodyAndPathOnly)
{
    Client client;
    std::vector<unsigned> keys;
    int calls = 0;
    CAttributes form;
    form.SetNumber(L"ID", 5);
    client.db->Post(W("api/api_objGet.php"), form, [&](DB::DBEvent& event) {
        ++calls;
        for (auto& entry : event.m_map)
            keys.push_back(entry.first.m_int);
        TiXmlDocument doc;
        EXPECT_EQ(0, event.ReadXmlReply(doc));   // a failed transfer: no response
    });
    ASSERT_EQ(1u, client.transport->m_sent.size());
    EXPECT_EQ("ID=5", client.transport->m_sent[0].body);
    CWinHttp2::ReqEvent failed;
    failed.SetInt64(3u, 12029);
    client.transport->m_sent[0].completion(failed);
    EXPECT_EQ(1, calls);
    EXPECT_EQ((std::vector<unsigned>{4, 6, 7}), keys);
}

TEST(DB, HandlerTableConnectDisconnectAndProgress)
{
    Client client;
    std::vector<std::string> seen;
    client.db->Bind(W("request_count"), [&](DB::DBEvent& event) {
        __int64 count = -1;
        seen.push_back(event.GetInt64(3u, count) ? "count " + std::to_string(count) : "count none");
    });
    client.db->Bind(W("download"), [&](DB::DBEvent& event) {
        if (!event.Has(2u)) {
            seen.push_back("download none");
            return;
        }
        CAttribute size;
        CDataString& data = event.At(2u).m_data;
        data.Rewind();
        data.ReadAttribute(size);
        seen.push_back("download " + std::to_string(size.GetValue()) + " type " + std::to_string(size.GetType()));
    });
    client.db->Bind(W("ws_status"), [&](DB::DBEvent& event) {
        __int64 status = -1;
        event.GetInt64(10u, status);
        seen.push_back("ws " + std::to_string(status));
    });
    // Names compare with case.
    EXPECT_FALSE(client.db->IsBound(W("Download")));

    client.transport->m_pending = 4;
    client.transport->m_bytes = 1234;
    CWinHttp2::HttpEvent notice;
    client.transport->m_listeners["request_count"](notice);
    EXPECT_EQ((std::vector<std::string>{"count 4", "download 1234 type 6"}), seen);

    // Throttle: one "download" per 200 ms while data arrives.
    seen.clear();
    static DWORD now;
    client.db->m_tick = [] { return now; };
    client.db->m_lastDownload = 1000;
    for (DWORD t : {1100u, 1200u, 1201u, 1351u, 1402u})
        now = t, client.transport->m_listeners["request_data_available"](notice);
    EXPECT_EQ((std::vector<std::string>{"download 1234 type 6", "download 1234 type 6"}), seen);
    EXPECT_EQ(1402u, client.db->m_lastDownload);

    seen.clear();
    CWinHttp2::HttpEvent status;
    status.SetInt64(1u, 1);
    client.transport->m_listeners["ws_status"](status);
    EXPECT_EQ(std::vector<std::string>{"ws 1"}, seen);

    // Disconnect tells the progress handlers that nothing is pending; they stay bound.
    seen.clear();
    client.db->Disconnect();
    EXPECT_EQ((std::vector<std::string>{"count none", "download none"}), seen);
    EXPECT_TRUE(client.db->IsBound(W("download")));
    // Connect empties the table.
    client.db->Connect(W("srv"));
    EXPECT_FALSE(client.db->IsBound(W("download")));
    EXPECT_FALSE(client.db->IsBound(W("request_count")));
}

TEST(DB, HandlersCanBeBoundWhileTheWorkerRaisesEvents)
{
    // The main window binds its handlers while replies complete on the worker thread.
    Client client;
    std::atomic<int> received{0};
    client.db->Bind(W("connection_recv"), [&](DB::DBEvent&) { ++received; });
    RequestRoute route;
    for (int i = 0; i < 200; ++i)
        client.db->ObjGet(static_cast<unsigned>(i), false, false, route);
    std::thread worker([&] {
        for (Sent& sent : client.transport->m_sent) {
            CWinHttp2::ReqEvent done;
            sent.completion(done);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        CTString name;
        name.Format(L"channel_%d", i);
        client.db->Bind(name, [](DB::DBEvent&) {});
    }
    worker.join();
    EXPECT_EQ(200, received.load());
    EXPECT_EQ(2001u, client.db->m_handlers.size());
}

TEST(DBEvent, ReadXmlReplyChecksStatusContentTypeAndDeclaration)
{
    struct Case {
        const char* name;
        const wchar_t* headers;
        std::string body;
        int statusClass;
        bool parsed;            // the document has a result element
        const wchar_t* box;     // the "System Error" text, or null
        bool bodyLeft;          // key 4 still holds the body
    } cases[] = {
        {"xml", L"HTTP/1.1 200 OK\r\nContent-Type: application/xml\r\n\r\n",
         "<?xml version=\"1.0\"?><result><RC id=\"0\" text=\"OK\"/></result>", 2, true, nullptr, false},
        {"charset", L"HTTP/1.1 200 OK\r\nContent-Type: application/xml; charset=UTF-8\r\n\r\n",
         "<?xml version=\"1.0\"?><result/>", 2, false, nullptr, false},
        {"case", L"HTTP/1.1 200 OK\r\nContent-Type: Application/XML\r\n\r\n", "<?xml version=\"1.0\"?><result/>", 2,
         false, nullptr, false},
        {"html", L"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n", "<html>oops</html>", 2, false, nullptr, false},
        {"empty", L"HTTP/1.1 200 OK\r\nContent-Type: application/xml\r\n\r\n", "", 2, false, nullptr, false},
        {"warning", L"HTTP/1.1 200 OK\r\nContent-Type: application/xml\r\n\r\n",
         "Warning: x\n<?xml version=\"1.0\"?><result/>", 2, false, L"Warning: x\n", false},
        {"no declaration", L"HTTP/1.1 200 OK\r\nContent-Type: application/xml\r\n\r\n", "<result/> \xC3\xA9", 2, true,
         L"<result/> \u00e9", false},
        {"500", L"HTTP/1.1 500 Internal Server Error\r\nContent-Type: application/xml\r\n\r\n",
         "<?xml version=\"1.0\"?><result/>", 11, false, nullptr, true},
        {"404", L"HTTP/1.1 404 Not Found\r\n\r\n", "x", 9, false, nullptr, true},
    };
    for (const Case& c : cases) {
        BoxRecorder boxes;
        DB::DBEvent event;
        CTByteArray raw = RawHeaders(c.headers);
        event.SwapBytes(7u, raw);
        CTByteArray body = Bytes(c.body);
        event.SwapBytes(4u, body);
        TiXmlDocument doc;
        EXPECT_EQ(c.statusClass, event.ReadXmlReply(doc)) << c.name;
        EXPECT_EQ(c.parsed, doc.FirstChildElementNamed(L"result") != nullptr) << c.name;
        if (c.box) {
            ASSERT_EQ(1u, boxes.texts.size()) << c.name;
            EXPECT_EQ(c.box, boxes.texts[0]) << c.name;
            EXPECT_EQ(L"System Error", boxes.captions[0]) << c.name;
        } else {
            EXPECT_TRUE(boxes.texts.empty()) << c.name;
        }
        CTByteArray left;
        event.SwapBytes(4u, left);
        EXPECT_EQ(c.bodyLeft ? c.body : std::string(), BytesOf(left)) << c.name;
    }

    // White space inside element text is kept as sent, and a second check finds no body.
    DB::DBEvent event;
    CTByteArray raw = RawHeaders(L"HTTP/1.1 200 OK\r\nContent-Type: application/xml\r\n\r\n");
    event.SwapBytes(7u, raw);
    CTByteArray body = Bytes("<?xml version=\"1.0\"?><result><error id=\"5\">a  b</error></result>");
    event.SwapBytes(4u, body);
    TiXmlDocument doc;
    EXPECT_EQ(2, event.ReadXmlReply(doc));
    TiXmlElement* result = doc.FirstChildElementNamed(L"result");
    ASSERT_NE(nullptr, result);
    TiXmlElement* error = result->FirstChildElementNamed(L"error");
    ASSERT_NE(nullptr, error);
    ASSERT_NE(nullptr, error->FirstChild());
    EXPECT_STREQ(L"a  b", error->FirstChild()->Value());
    TiXmlDocument second;
    EXPECT_EQ(2, event.ReadXmlReply(second));
    EXPECT_EQ(nullptr, second.FirstChild());
}

#include <gtest/gtest.h>
#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>
#include "foundation/CTOpenFile.h"
#include "framework/CTApp.h"
#include "lists/_ExportData.h"
#include "lists/ListsFixture.h"

namespace {
std::wstring TempPath(const wchar_t* name)
{
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + L"qel_export_" + name;
}

std::string ReadBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary);
    out << bytes;
}

class ExportDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Object& group = AddType(cache, 30, L"Schedule Group");
        AddAttribute(group, 1, L"capacity", CAttribute(CAttribute::Integer, 10ll), L"", Object::Attribute::Default);
        AddAttribute(group, 2, L"offset", CAttribute(CAttribute::Integer, 0ll));
        AddAttribute(group, 3, L"notes", CAttribute(CAttribute::Text, L""));
        AddAttribute(group, 4, L"opened", CAttribute(CAttribute::DateTime, 0ll));
        AddAttribute(group, 5, L"closed", CAttribute(CAttribute::DateTime, 0ll));
        AddAttribute(group, 6, L"path_link_site", CAttribute(CAttribute::Text, L""));
        Object& code = AddType(cache, 31, L"Fail_Code");
        AddAttribute(code, 1, L"code", CAttribute(CAttribute::Text, L""));
        AddType(cache, 32, L"Fail Code");
        Object& deployment = AddType(cache, 33, L"Deployment");
        AddAttribute(deployment, 1, L"amber_days", CAttribute(CAttribute::Integer, 3ll));
        IndexTypes(cache);
    }

    Object Group(const wchar_t* name) const
    {
        Object object;
        cache.GetTypeByName(object, CTString(L"Schedule Group"));
        object.id = 900;
        object.name = name;
        return object;
    }

    MainWindowCache cache;
};
} // namespace

TEST_F(ExportDataTest, WritesTheGoldenFile)
{
    _ExportData data(cache);
    Object first = Group(L"North & \"Main\"");
    first.SetAttribute(L"offset", CAttribute(CAttribute::Integer, -42ll));
    first.SetAttribute(L"notes", CAttribute(CAttribute::Text, L"a<b"));
    first.attributes[4].flags = 0;   // a date-time of 0 of its own: still no element
    first.SetAttribute(L"closed", CAttribute(CAttribute::DateTime, 1700000000ll));
    data.WriteObject(first);
    Object second = Group(L"Empty");
    for (auto& [id, attribute] : second.attributes)
        attribute.flags |= Object::Attribute::Default;
    data.WriteObject(second);
    Object code;
    cache.GetTypeByName(code, CTString(L"Fail_Code"));
    code.name = L"F1";
    code.SetAttribute(L"code", CAttribute(CAttribute::Text, L"E\u00e9"));
    data.WriteObject(code);

    const std::wstring path = TempPath(L"golden.xml");
    ASSERT_TRUE(data.Save(path.c_str()));
    EXPECT_EQ("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
              "<Root xmlns:QEL=\"urn:qel:console:objects\">\r\n"
              "    <Schedule_Group name='North &amp; &quot;Main&quot;'>\r\n"
              "        <offset>-42</offset>\r\n"
              "        <notes>a&lt;b</notes>\r\n"
              "        <closed>1700000000</closed>\r\n"
              "        <path_link_site></path_link_site>\r\n"
              "    </Schedule_Group>\r\n"
              "    <Schedule_Group name=\"Empty\" />\r\n"
              "    <Fail_Code name=\"F1\">\r\n"
              "        <code>E\xC3\xA9</code>\r\n"
              "    </Fail_Code>\r\n"
              "</Root>\r\n",
              ReadBytes(path));
    DeleteFileW(path.c_str());
}

TEST_F(ExportDataTest, ReadsBackWhatItWrote)
{
    _ExportData out(cache);
    Object group = Group(L"North");
    group.SetAttribute(L"offset", CAttribute(CAttribute::Integer, -42ll));
    group.SetAttribute(L"notes", CAttribute(CAttribute::Text, L"  kept  "));
    group.SetAttribute(L"closed", CAttribute(CAttribute::DateTime, 1700000000ll));
    out.WriteObject(group);
    Object code;
    cache.GetTypeByName(code, CTString(L"Fail_Code"));
    code.name = L"F1";
    code.SetAttribute(L"code", CAttribute(CAttribute::Text, L"E7"));
    out.WriteObject(code);
    const std::wstring path = TempPath(L"roundtrip.xml");
    ASSERT_TRUE(out.Save(path.c_str()));

    _ExportData in(cache);
    in.fileName = path.c_str();
    ASSERT_TRUE(in.Load());
    Object read;
    CTString objectPath;
    std::vector<LookupField> lookups;
    ASSERT_TRUE(in.ReadObject(read, objectPath, lookups));
    EXPECT_EQ(read.type, 30);
    EXPECT_EQ(Narrow(read.name.GetBuffer()), "North");
    CAttribute value;
    EXPECT_EQ(read.GetAttribute(value, L"offset").GetValue(), -42);
    EXPECT_EQ(read.GetAttribute(value, L"capacity").GetValue(), 10);   // the default, never written
    EXPECT_TRUE(read.IsAttributeDefault(L"capacity"));
    EXPECT_EQ(Narrow(read.GetAttribute(value, L"notes").GetText()), "kept");
    EXPECT_EQ(read.GetAttribute(value, L"closed").GetValue(), 1700000000);
    EXPECT_EQ(read.GetAttribute(value, L"opened").GetValue(), 0);
    EXPECT_TRUE(lookups.empty());   // the empty site path fills no lookup

    ASSERT_TRUE(in.ReadObject(read, objectPath, lookups));
    EXPECT_EQ(read.type, 31);   // "Fail_Code" is a type of its own, not "Fail Code"
    EXPECT_EQ(Narrow(read.GetAttribute(value, L"code").GetText()), "E7");

    read.id = 77;
    EXPECT_FALSE(in.ReadObject(read, objectPath, lookups));
    EXPECT_EQ(read.id, 77);
    DeleteFileW(path.c_str());
}

TEST_F(ExportDataTest, RefusesWhatIsNotAnObjectFile)
{
    const std::wstring path = TempPath(L"refused.xml");
    struct Case {
        const char* label;
        const char* bytes;
        int errorRow;
    };
    const Case cases[] = {
        {"lower-case root", "<root><OU name=\"a\" /></root>", 0},
        {"no element", "<?xml version=\"1.0\" ?>\r\n<!-- nothing -->", 0},
        {"parse error keeps its place", "<Root>\r\n  <OU name=\"a\">\r\n    <x>1</y>\r\n</Root>", 2},   // rows from 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        WriteBytes(path, c.bytes);
        _ExportData data(cache);
        data.fileName = path.c_str();
        EXPECT_FALSE(data.Load());
        EXPECT_EQ(data.cursor, nullptr);
        EXPECT_FALSE(CTApp::Instance()->SetWaitCursor());   // the wait cursor ends with the load
        if (c.errorRow) {
            EXPECT_TRUE(data.Error());
            EXPECT_EQ(data.ErrorRow(), c.errorRow);
            EXPECT_GT(data.ErrorCol(), 0);
        }
    }
    DeleteFileW(path.c_str());
    _ExportData missing(cache);
    missing.fileName = path.c_str();
    EXPECT_FALSE(missing.Load());

    WriteBytes(path, "<Root />");
    _ExportData empty(cache);
    empty.fileName = path.c_str();
    EXPECT_TRUE(empty.Load());
    EXPECT_FALSE(CTApp::Instance()->SetWaitCursor());
    Object target;
    CTString objectPath;
    std::vector<LookupField> lookups;
    EXPECT_FALSE(empty.ReadObject(target, objectPath, lookups));
    DeleteFileW(path.c_str());
}

TEST_F(ExportDataTest, ReadsLinksPathsAndMergedDeployments)
{
    const std::wstring path = TempPath(L"links.xml");
    WriteBytes(path,
               "<Root>\r\n"
               "  <Schedule_Group name=\"G\">\r\n"
               "    <link field=\"f1\" attrib=\"a1\" value=\"v1\" parent=\"scheduleGROUP\" />\r\n"
               "    <LINK field=\"ignored\" value=\"x\" />\r\n"
               "    <link field=\"f2\" attrib=\"a2\" SGlink=\"s2\" value=\"v2\" parent=\"all\" />\r\n"
               "    <link field=\"f3\" value=\"v3\" parent=\"Elsewhere\" />\r\n"
               "    <link field=\"f4\" parent=\"All\" />\r\n"
               "    <PATH>\\\\Org\\Site</PATH>\r\n"
               "    <path_link_site>\\\\Org\\North</path_link_site>\r\n"
               "  </Schedule_Group>\r\n"
               "  <deployment_application><deployment_id>D1</deployment_id><package_id>P1</package_id>"
               "<path>x1</path></deployment_application>\r\n"
               "  <deployment><deployment_id>d1</deployment_id></deployment>\r\n"
               "  <deployment_application><deployment_id>D1</deployment_id><package_id>P2</package_id>"
               "</deployment_application>\r\n"
               "  <deployment_application><deployment_id>D9</deployment_id><package_id>P9</package_id>"
               "</deployment_application>\r\n"
               "  <deployment_peripheral><peripheral_id>Q1</peripheral_id></deployment_peripheral>\r\n"
               "</Root>\r\n");
    _ExportData data(cache);
    data.fileName = path.c_str();
    ASSERT_TRUE(data.Load());
    data.MergeDeploymentApplications();
    data.MergeDeploymentPeripherals();

    Object target;
    CTString objectPath;
    std::vector<LookupField> lookups;
    ASSERT_TRUE(data.ReadObject(target, objectPath, lookups));
    EXPECT_EQ(Narrow(objectPath.GetBuffer()), "\\\\Org\\Site");
    struct Expected {
        int scope;
        const char* field;
        const char* attrib;
        const char* sgLink;
        const char* value;
    };
    const Expected expected[] = {
        {2, "path_link_site", "link_site", "", "\\\\Org\\North"},
        {1, "f1", "a1", "", "v1"},
        {2, "f2", "a2", "s2", "v2"},
        {0, "f3", "", "", "v3"},
    };
    ASSERT_EQ(lookups.size(), std::size(expected));
    for (size_t i = 0; i < lookups.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lookups[i].scope, expected[i].scope);
        EXPECT_EQ(Narrow(lookups[i].field.GetBuffer()), expected[i].field);
        EXPECT_EQ(Narrow(lookups[i].attrib.GetBuffer()), expected[i].attrib);
        EXPECT_EQ(Narrow(lookups[i].sgLink.GetBuffer()), expected[i].sgLink);
        EXPECT_EQ(Narrow(lookups[i].value.GetBuffer()), expected[i].value);
    }

    // Both applications of D1 went into the one deployment (matched ignoring case); D9 got its own.
    ASSERT_TRUE(data.ReadObject(target, objectPath, lookups));
    EXPECT_EQ(target.type, 33);
    ASSERT_EQ(lookups.size(), 2u);
    EXPECT_EQ(Narrow(lookups[0].value.GetBuffer()), "P1");
    EXPECT_EQ(Narrow(lookups[1].value.GetBuffer()), "P2");
    EXPECT_EQ(Narrow(objectPath.GetBuffer()), "x1");
    ASSERT_TRUE(data.ReadObject(target, objectPath, lookups));
    ASSERT_EQ(lookups.size(), 1u);
    EXPECT_EQ(Narrow(lookups[0].value.GetBuffer()), "P9");
    EXPECT_FALSE(data.ReadObject(target, objectPath, lookups));   // the peripheral had no deployment id
    DeleteFileW(path.c_str());
}

TEST_F(ExportDataTest, ReadsOnAWorkerWhileTheCachesReload)
{
    _ExportData out(cache);
    const int count = 400;
    for (int i = 0; i < count; ++i) {
        Object group = Group(L"G");
        group.SetAttribute(L"offset", CAttribute(CAttribute::Integer, static_cast<__int64>(i)));
        out.WriteObject(group);
    }
    const std::wstring path = TempPath(L"worker.xml");
    ASSERT_TRUE(out.Save(path.c_str()));

    _ExportData in(cache);
    in.fileName = path.c_str();
    ASSERT_TRUE(in.Load());
    std::atomic<bool> done{false};
    int typed = 0;
    std::thread worker([&] {
        Object target;
        CTString objectPath;
        std::vector<LookupField> lookups;
        CAttribute value;
        for (int i = 0; in.ReadObject(target, objectPath, lookups); ++i)
            if (target.type == 30 && target.GetAttribute(value, L"offset").GetValue() == i)
                ++typed;
        done = true;
    });
    const MainWindowCache reloaded = cache;
    while (!done) {
        cache.Clear();
        cache.types = reloaded.types;
        cache.typeNames = reloaded.typeNames;
    }
    worker.join();
    EXPECT_EQ(typed, count);
    DeleteFileW(path.c_str());
}

namespace {
// The Save As dialog, answered with the path a case gives (empty: cancelled).
struct SaveDialog {
    std::wstring answer;
    std::wstring title;
    std::vector<std::wstring> filter;
    HWND owner = nullptr;
    int shown = 0;
} g_save;

BOOL WINAPI FakeSaveDialog(OPENFILENAMEW* ofn)
{
    ++g_save.shown;
    g_save.title = ofn->lpstrTitle ? ofn->lpstrTitle : L"";
    g_save.owner = ofn->hwndOwner;
    g_save.filter.clear();
    for (const wchar_t* entry = ofn->lpstrFilter; entry && *entry; entry += wcslen(entry) + 1)
        g_save.filter.push_back(entry);
    if (g_save.answer.empty())
        return FALSE;
    wcsncpy(ofn->lpstrFile, g_save.answer.c_str(), ofn->nMaxFile - 1);
    ofn->lpstrFile[ofn->nMaxFile - 1] = 0;
    return TRUE;
}
} // namespace

TEST_F(ExportDataTest, SaveAsAsksForTheFileAndWritesOnlyWhenOneIsChosen)
{
    static const CTOpenFileDialogs dialogs = {nullptr, &FakeSaveDialog, nullptr};
    CTOpenFile::SetDialogs(&dialogs);
    const std::wstring path = TempPath(L"save_as.xml");
    DeleteFileW(path.c_str());
    _ExportData data(cache);
    data.WriteObject(Group(L"Wave"));
    HWND owner = reinterpret_cast<HWND>(0x1234);

    g_save = SaveDialog();
    EXPECT_FALSE(data.SaveAs(owner));   // cancelled
    EXPECT_EQ(g_save.shown, 1);
    EXPECT_EQ(g_save.title, L"Save File");
    EXPECT_EQ(g_save.owner, owner);
    EXPECT_EQ(g_save.filter, (std::vector<std::wstring>{L"Supported Files Types(*.XML)", L"*.XML",
                                                         L"All Files (*.*)", L"*.*"}));
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);

    g_save.answer = path;
    EXPECT_TRUE(data.SaveAs(owner));
    const std::wstring direct = TempPath(L"save_direct.xml");
    ASSERT_TRUE(data.Save(direct.c_str()));
    EXPECT_EQ(ReadBytes(path), ReadBytes(direct));
    EXPECT_NE(ReadBytes(path).find("<Schedule_Group name=\"Wave\""), std::string::npos);

    g_save.answer = L"C:\\no such folder\\x.xml";   // cannot be written
    EXPECT_FALSE(data.SaveAs(owner));
    CTOpenFile::SetDialogs(nullptr);
    DeleteFileW(path.c_str());
    DeleteFileW(direct.c_str());
}

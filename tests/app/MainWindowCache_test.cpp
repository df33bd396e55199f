#include <gtest/gtest.h>

#include <string>
#include "app/MainWindowCache.h"
#include "foundation/TiXmlDocument.h"

namespace {

void Parse(TiXmlDocument& doc, const std::wstring& inner)
{
    std::wstring text = L"<result><RC id=\"0\"/>" + inner + L"</result>";
    doc.Parse(text.c_str(), nullptr, 0);
    ASSERT_FALSE(doc.Error()) << doc.ErrorDesc();
}

std::wstring Type(int number, int parent, const wchar_t* name)
{
    return L"<type id=\"" + std::to_wstring(number) + L"\" type=\"" + std::to_wstring(number) + L"\" parent=\"" +
           std::to_wstring(parent) + L"\" name=\"" + name + L"\"/>";
}

std::wstring Obj(int id, int type, const std::wstring& attribs)
{
    return L"<object id=\"" + std::to_wstring(id) + L"\" type=\"" + std::to_wstring(type) + L"\" parent=\"1\" name=\"o" +
           std::to_wstring(id) + L"\">" + attribs + L"</object>";
}

std::wstring Int(const wchar_t* name, int id, long long value)
{
    return L"<attrib id=\"" + std::to_wstring(id) + L"\" name=\"" + name + L"\" type=\"value_int\">" +
           std::to_wstring(value) + L"</attrib>";
}

std::wstring Text(const wchar_t* name, int id, const wchar_t* value)
{
    return L"<attrib id=\"" + std::to_wstring(id) + L"\" name=\"" + name + L"\" type=\"value_varchar\">" + value +
           L"</attrib>";
}

std::wstring Links(const wchar_t* name, int id, const wchar_t* value)
{
    return L"<attrib id=\"" + std::to_wstring(id) + L"\" name=\"" + name +
           L"\" type=\"value_iddirectory_array\">" + value + L"</attrib>";
}

// Types: 10 Computer, 11 Laptop (a Computer), 12 Tablet (a Laptop), 20 Deployment Slot, 30 Plugin,
// 31 Request Type, 32 Build Sheet, 40 a type whose parent chain loops (41 -> 40 -> 41).
struct Loaded : MainWindowCache {
    Loaded()
    {
        TiXmlDocument doc;
        Parse(doc, Type(10, 0, L"Computer") + Type(11, 10, L"Laptop") + Type(12, 11, L"Tablet") +
                       Type(20, 0, L"Deployment Slot") + Type(30, 0, L"Plugin") + Type(31, 0, L"Request Type") +
                       Type(32, 0, L"Build Sheet") + Type(40, 41, L"Loop A") + Type(41, 40, L"Loop B"));
        ReadTypes(doc);
    }
};

} // namespace

TEST(MainWindowCache, TypesByIdAndName)
{
    Loaded cache;
    Object out;
    EXPECT_STREQ(L"Computer", cache.GetTypeByName(out, CTString(L"computer")).name.GetBuffer());
    EXPECT_EQ(20, cache.GetTypeByName(out, CTString(L"DEPLOYMENT SLOT")).type);
    EXPECT_EQ(20, cache.GetTypeByName(out, CTString(L"deployment slot")).type);
    EXPECT_EQ(0, cache.GetTypeByName(out, CTString(L"Unknown")).type);
    EXPECT_TRUE(cache.GetTypeByName(out, CTString(L"Unknown")).name.IsEmpty());

    // By exact name only.
    EXPECT_EQ(10, cache.GetTypeId(CTString(L"Computer")));
    EXPECT_EQ(0, cache.GetTypeId(CTString(L"computer")));

    EXPECT_STREQ(L"Laptop", cache.GetTypeById(out, 11).name.GetBuffer());
    EXPECT_EQ(0, cache.GetTypeById(out, 99).type);

    // A reload replaces the types.
    TiXmlDocument doc;
    Parse(doc, Type(50, 0, L"Other"));
    cache.ReadTypes(doc);
    EXPECT_EQ(0, cache.GetTypeId(CTString(L"Computer")));
    EXPECT_EQ(50, cache.GetTypeId(CTString(L"Other")));
}

TEST(MainWindowCache, Subtypes)
{
    Loaded cache;
    EXPECT_TRUE(cache.IsSubtypeOf(12, 10));
    EXPECT_TRUE(cache.IsSubtypeOf(11, 10));
    EXPECT_FALSE(cache.IsSubtypeOf(10, 10));
    EXPECT_FALSE(cache.IsSubtypeOf(10, 12));
    EXPECT_FALSE(cache.IsSubtypeOf(99, 10));
    EXPECT_FALSE(cache.IsSubtypeOf(40, 10));   // a loop ends the walk

    EXPECT_TRUE(cache.IsTypeOf(77, 77));       // itself, without a definition
    EXPECT_FALSE(cache.IsTypeOf(77, 10));
    EXPECT_TRUE(cache.IsTypeOf(12, 10));
    EXPECT_TRUE(cache.typeAncestry[12][10]);  // remembered
    EXPECT_FALSE(cache.IsTypeOf(10, 12));
    EXPECT_FALSE(cache.IsTypeOf(40, 10));
    EXPECT_TRUE(cache.IsTypeOf(40, 41));

    std::vector<__int64> numbers;
    cache.GetTypeWithSubtypes(CTString(L"Computer"), numbers);
    EXPECT_EQ((std::vector<__int64>{10, 11, 12}), numbers);
}

TEST(MainWindowCache, DeploymentStatusesAreSortedAndLookedUpByCode)
{
    Loaded cache;
    TiXmlDocument doc;
    // The folder first, then its children out of display order.
    Parse(doc, Obj(5, 1, L"") + Obj(81, 11, Int(L"display_order", 104, 3) + Int(L"code", 111, 30)) +
                   Obj(82, 11, Int(L"display_order", 104, 1) + Int(L"code", 111, 10)) +
                   Obj(83, 11, Int(L"display_order", 104, 2) + Int(L"code", 111, 20)));
    Object status;
    EXPECT_EQ(0, cache.GetDeploymentStatus(status, CAttribute(CAttribute::Integer, 10)).id);   // not loaded
    EXPECT_EQ(5, cache.ReadSystemFolder(MainWindowCache::LoadStatuses, doc));
    cache.loaded |= MainWindowCache::LoadStatuses;
    ASSERT_EQ(3u, cache.deploymentStatuses.size());
    EXPECT_EQ(82, cache.deploymentStatuses[0].id);
    EXPECT_EQ(83, cache.deploymentStatuses[1].id);
    EXPECT_EQ(81, cache.deploymentStatuses[2].id);

    EXPECT_EQ(83, cache.GetDeploymentStatus(status, CAttribute(CAttribute::Integer, 20)).id);
    EXPECT_EQ(1u, cache.statusByCode.size());
    EXPECT_EQ(0, cache.GetDeploymentStatus(status, CAttribute(CAttribute::Integer, 99)).id);
    EXPECT_EQ(1u, cache.statusByCode.size());   // an unknown code is not remembered

    // Type 70 allows statuses 82 and 83 and counts 83 as active; type 71 lists none.
    TiXmlDocument typesDoc;
    Parse(typesDoc, Obj(3, 1, L"") +
                        Obj(70, 10, Links(L"deployment_status_available", 120, L"/82/83/") +
                                        Links(L"deployment_status_active", 121, L"/83/") +
                                        Int(L"deployment_attribs", 112, 5)) +
                        Obj(71, 10, L""));
    cache.ReadSystemFolder(MainWindowCache::LoadDeploymentTypes, typesDoc);
    TiXmlDocument deploymentDoc;
    Parse(deploymentDoc, Obj(60, 8, L"<attrib id=\"105\" name=\"link_deployment_type\" type=\"value_iddirectory\">70</attrib>" +
                                        Int(L"deployment_status", 106, 20)) +
                             Obj(61, 8, L"<attrib id=\"105\" name=\"link_deployment_type\" type=\"value_iddirectory\">71</attrib>"));
    Object deployment, other;
    deployment.ReadFromXml(deploymentDoc.FirstChildElementNamed(L"result")->FirstChildElementNamed(L"object"), true);
    other.ReadFromXml(deploymentDoc.FirstChildElementNamed(L"result")->FirstChildElementNamed(L"object")
                          ->NextSiblingElementNamed(L"object"), true);

    std::vector<Object> available;
    ASSERT_TRUE(cache.GetAvailableStatuses(available, deployment));
    EXPECT_EQ(2u, available.size());
    ASSERT_TRUE(cache.GetAvailableStatuses(available, other));
    EXPECT_EQ(3u, available.size());   // an empty list allows every status

    std::vector<CTString> codes{CTString(L"10"), CTString(L"20"), CTString(L"30")};
    cache.FilterAvailableStatusCodes(codes, deployment);
    ASSERT_EQ(2u, codes.size());
    EXPECT_STREQ(L"10", codes[0].GetBuffer());
    EXPECT_STREQ(L"20", codes[1].GetBuffer());
    std::vector<CTString> none{CTString(L"10")};
    cache.FilterAvailableStatusCodes(none, other);
    EXPECT_TRUE(none.empty());   // but the filter keeps nothing then

    EXPECT_TRUE(cache.HasDeploymentTypeFlag(deployment, 4));
    EXPECT_FALSE(cache.HasDeploymentTypeFlag(deployment, 2));
    EXPECT_FALSE(cache.HasDeploymentTypeFlag(other, 4));
    EXPECT_TRUE(cache.IsDeploymentStatusActive(deployment));
    EXPECT_FALSE(cache.IsDeploymentStatusActive(other));
}

TEST(MainWindowCache, SlotDataByCode)
{
    Loaded cache;
    TiXmlDocument doc;
    Parse(doc, Obj(4, 1, L"") + Obj(91, 12, Text(L"code", 111, L"MORNING") + Int(L"display_order", 104, 2)) +
                   Obj(90, 12, Text(L"code", 111, L"Evening") + Int(L"display_order", 104, 1)));
    EXPECT_EQ(4, cache.ReadSystemFolder(MainWindowCache::LoadSlotData, doc));
    EXPECT_EQ(0, cache.FindSlotDataId(CTString(L"morning")));   // not marked loaded yet
    cache.loaded |= MainWindowCache::LoadSlotData;
    EXPECT_EQ(91, cache.FindSlotDataId(CTString(L"morning")));
    EXPECT_EQ(90, cache.FindSlotDataId(CTString(L"EVENING")));
    EXPECT_EQ(0, cache.FindSlotDataId(CTString(L"noon")));
    CTString code;
    EXPECT_STREQ(L"MORNING", cache.GetSlotDataCode(code, 91).GetBuffer());
    EXPECT_TRUE(cache.GetSlotDataCode(code, 5).IsEmpty());
    EXPECT_EQ(90, cache.slotData[0].id);
}

TEST(MainWindowCache, SettingObjects)
{
    Loaded cache;
    TiXmlDocument doc;
    // Two plug-ins (one twice, as search reply and announcement would bring it), a request type,
    // a build sheet and an object of a type that is no setting type.
    Parse(doc, Obj(200, 30, Int(L"enable", 130, 1) + Text(L"type", 131, L"DashboardButton")) +
                   Obj(201, 30, Int(L"enable", 130, 0) + Text(L"type", 131, L"DashboardButton")) +
                   Obj(200, 30, L"") + Obj(210, 31, L"") + Obj(220, 32, L"") + Obj(230, 10, L""));
    int stored = 0;
    cache.ReadSettingObjects(doc, [&](const Object&) { ++stored; });
    EXPECT_EQ(6, stored);
    EXPECT_EQ(2u, cache.settings[MainWindowCache::Plugin].size());
    EXPECT_EQ(1u, cache.settings[MainWindowCache::RequestType].size());
    EXPECT_EQ(1u, cache.settings[MainWindowCache::BuildSheet].size());

    std::vector<Object> plugins;
    cache.GetPlugins(CTString(L"dashboardbutton"), plugins);
    ASSERT_EQ(1u, plugins.size());
    EXPECT_EQ(200, plugins[0].id);

    Object request;
    EXPECT_EQ(210, cache.GetRequestType(request, 210).id);
    EXPECT_EQ(0, cache.GetRequestType(request, 200).id);

    // Adding by the list windows does not look for duplicates; build sheets are not kept current.
    Object again = cache.settings[MainWindowCache::Plugin][0];
    cache.UpdateSettingCache(1, &again);
    EXPECT_EQ(3u, cache.settings[MainWindowCache::Plugin].size());
    cache.UpdateSettingCache(2, &again);
    EXPECT_EQ(1u, cache.settings[MainWindowCache::Plugin].size());
    Object sheet = cache.settings[MainWindowCache::BuildSheet][0];
    cache.UpdateSettingCache(2, &sheet);
    EXPECT_EQ(1u, cache.settings[MainWindowCache::BuildSheet].size());

    EXPECT_TRUE(cache.IsSettingTypeNumber(31));
    EXPECT_FALSE(cache.IsSettingTypeNumber(10));
}

TEST(MainWindowCache, FolderIdsFollowThePathsInAnyOrder)
{
    MainWindowCache cache;
    TiXmlDocument doc;
    Parse(doc, L"<value id=\"12\" path=\"\\System\\Groups\"/><value id=\"7\" path=\"\\System\\Users\"/>"
               L"<value id=\"9\" path=\"\\system\\tags\"/>");
    cache.folderIds[MainWindowCache::FolderTags] = 3;
    cache.ReadFolderIds(doc);
    EXPECT_EQ(12, cache.folderIds[MainWindowCache::FolderGroups]);
    EXPECT_EQ(7, cache.folderIds[MainWindowCache::FolderUsers]);
    EXPECT_EQ(3, cache.folderIds[MainWindowCache::FolderTags]);   // compared exactly: kept
    EXPECT_EQ(0, cache.folderIds[MainWindowCache::FolderReports]);
}

#pragma once
// The directory definitions the main window loads after sign-in and every window consults: object
// types, deployment types, statuses and slot data, setting objects, the administrator's links,
// templates, time zones and the system folder ids, with the set of start-up loads received so far.
// Filled from replies on the user-interface thread; lookups answer "not loaded" (false, 0 or an
// empty object) until the load they depend on has arrived.
#include <windows.h>
#include <functional>
#include <map>
#include <utility>
#include <vector>
#include "foundation/CAttribute.h"
#include "foundation/CTString.h"
#include "session/Object.h"
#include "session/TimeZoneList.h"

class TiXmlDocument;
class TiXmlElement;

class MainWindowCache {
public:
    // Start-up loads (bits of the loaded set).
    enum Load : DWORD {
        LoadFolders = 0x1,
        LoadTypes = 0x10,
        LoadSystemSettings = 0x40,
        LoadTemplates = 0x100,        // on demand, not part of the start-up set
        LoadDeploymentTypes = 0x400,
        LoadSettingObjects = 0x800,
        LoadGroups = 0x1000,
        LoadRequests = 0x2000,
        LoadSlotData = 0x8000,
        LoadTimeZones = 0x10000,
        LoadStatuses = 0x20000,
        LoadLookupTree = 0x80000,
    };
    static constexpr DWORD kStartupMask = 0xBBC51;

    // The setting types, each with its own vector, in this order.
    enum SettingType : int {
        Plugin, Exception, AttributeMapping, StagingTemplate, FailCode, UserPortal, UserPortalType,
        AdminPortalPage, AdminPortalType, AdminPortalAction, PortalFilter, ReportPortalType,
        ReportPortalFetch, BuildSheet, RequestType, SettingTypeCount
    };
    static const wchar_t* const kSettingTypeNames[SettingTypeCount];
    // The type text of the setting-object search ("Portal Render" objects reach the directory cache only).
    static const wchar_t* const kSettingSearchTypes;

    // The system folders whose ids the start-up asks for, in the order they are asked.
    enum Folder : int {
        FolderDeployable, FolderUsers, FolderTemplates, FolderOrganisations, FolderSuperUsers,
        FolderDeploymentSlots, FolderStaging, FolderReports, FolderTags, FolderGroups, FolderRequests,
        FolderCount
    };
    static const wchar_t* const kFolderPaths[FolderCount];

    // Where objects read from a reply are also kept (the directory cache); may be empty.
    using StoreFn = std::function<void(const Object&)>;

    MainWindowCache() = default;

    // Empties every cache, the loaded set, the administrator and the system settings object.
    void Clear();

    // Reply readers. Each reads the first "result" element of doc.
    void ReadTypes(TiXmlDocument& doc);
    void ReadLinks(int which, TiXmlDocument& doc);                  // 0 [AT], 1 [SG], 2 [OF]
    void ReadSettingObjects(TiXmlDocument& doc, const StoreFn& store);
    void ReadTemplates(TiXmlDocument& doc);
    // 1024 deployment types, 0x8000 slot data, 0x20000 statuses; answers the folder id (0 for
    // another param).
    __int64 ReadSystemFolder(__int64 param, TiXmlDocument& doc);
    void ReadTimeZones(TiXmlDocument& doc);
    // "value" elements with "id" and "path"; a path not listed keeps its id.
    void ReadFolderIds(TiXmlDocument& doc);
    void ReadLookupTree(TiXmlDocument& doc, const StoreFn& store);

    // Setting objects.
    void AddSettingObject(const Object& obj);
    // op 1 add, 2 remove, 3 replace.
    void UpdateSettingCache(int op, const Object* obj);
    // The setting-type numbers, built from the type names on first use after each setting load.
    bool IsSettingTypeNumber(__int64 typeNumber);
    Object& GetRequestType(Object& out, __int64 id) const;

    // Types.
    __int64 GetTypeId(const CTString& name) const;
    Object& GetTypeByName(Object& out, const CTString& name) const;
    Object& GetTypeById(Object& out, __int64 typeNumber) const;
    bool IsSubtypeOf(__int64 type, __int64 base) const;
    bool IsTypeOf(__int64 type, __int64 base);
    void GetTypeWithSubtypes(const CTString& name, std::vector<__int64>& out) const;

    // Templates: true with a copy once loaded.
    bool GetTemplates(std::vector<Object>& out) const;

    // Deployment statuses, types and slot data.
    bool GetDeploymentStatuses(std::vector<Object>& out) const;
    Object& GetDeploymentStatus(Object& out, const CAttribute& code);
    CAttribute& GetDeploymentStatusAttribute(CAttribute& out, const Object& deployment, const CTString& name);
    bool GetAvailableStatuses(std::vector<Object>& out, const Object& deployment) const;
    void FilterAvailableStatusCodes(std::vector<CTString>& codes, const Object& deployment) const;
    bool HasDeploymentTypeFlag(const Object& deployment, __int64 mask) const;
    CTString& GetDeploymentTypeName(CTString& out, __int64 deploymentTypeId) const;
    bool IsDeploymentStatusActive(const Object& deployment);
    __int64 FindSlotDataId(const CTString& code) const;
    CTString& GetSlotDataCode(CTString& out, __int64 id) const;

    // Setting-object lookups.
    void GetPlugins(const CTString& type, std::vector<Object>& out) const;
    bool GetExceptionInfo(__int64 id, CTString& description, bool& persistent) const;

    // Links of the signed-in administrator.
    void GetLinkedScheduleGroups(std::vector<__int64>& out) const;
    bool IsScheduleGroupLinked(__int64 id) const;
    bool IsOrderFolderLinked(__int64 id) const;
    bool CheckAssetLocationLink(__int64 locationId, int kind) const;

    bool HasSetupRights() const;

    // Custom attribute mappings ("Attribute Mapping" setting objects). The mappings of a type are
    // worked out once per key and kept until the setting objects are reloaded. Type numbers and
    // deployment-type ids are kept apart, and the list of all mappings never stands in for a type.
    enum MappingKeyKind : int { MappingsAll = 0, MappingsOfType = 1, MappingsOfDeploymentType = 2 };
    using MappingKey = std::pair<int, __int64>;
    // Every mapping, sorted by display order.
    void GetAttributeMappings(std::vector<Object>& out);
    // The mappings that apply to the object, sorted by display order; true when out is not empty.
    bool GetCustomAttributes(const Object& object, std::vector<Object>& out);

    bool IsLoaded(DWORD bits) const { return (loaded & bits) == bits; }

    // Contents (read by the main window and by tests).
    DWORD loaded = 0;
    Object administrator;
    Object systemSettings;
    std::vector<Object> types;
    std::map<CTString, Object, CTStringLess> typeNames;   // lower-cased name -> definition
    std::map<__int64, std::map<__int64, bool>> typeAncestry;
    std::vector<Object> links[3];
    std::vector<Object> settings[SettingTypeCount];
    std::vector<__int64> settingTypeNumbers;
    std::vector<Object> templates;
    std::vector<Object> deploymentTypes;
    std::vector<Object> deploymentStatuses;
    std::vector<Object> slotData;
    __int64 deploymentTypesFolder = 0;
    __int64 deploymentStatusFolder = 0;
    __int64 slotDataFolder = 0;
    std::map<CAttribute, Object, bool (*)(const CAttribute&, const CAttribute&)> statusByCode{&AttributeLess};
    TimeZoneList timeZones;
    __int64 folderIds[FolderCount] = {};
    std::vector<__int64> lookupTree;
    std::vector<__int64> pendingRequests;
    std::vector<__int64> attentionRequests;
    std::map<MappingKey, std::vector<Object>> attributeCache;

    static bool AttributeLess(const CAttribute& a, const CAttribute& b) { return a.IsLess(b); }

private:
    const Object* FindDeploymentType(const Object& deployment) const;
    void AllowedStatuses(const Object& deployment, std::vector<__int64>& allowed) const;
};

// Orderings used for sorting objects throughout the console.
bool ObjectSortsByDisplayOrder(const Object& a, const Object& b);
bool ObjectSortsByName(const Object& a, const Object& b);
bool ObjectSortsByTypeAndTitle(const Object& a, const Object& b);

// Calls fn with each "object" element following the first one of the first "result" of doc (the
// first included); other nodes are skipped.
void ForEachReplyObject(TiXmlDocument& doc, const std::function<void(TiXmlElement*)>& fn);

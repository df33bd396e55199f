#include "app/MainWindowCache.h"

#include <algorithm>
#include <set>
#include "foundation/CTStringLocale.h"
#include "foundation/CTTokenString.h"
#include "foundation/TiXmlDocument.h"
#include "foundation/TiXmlElement.h"

const wchar_t* const MainWindowCache::kSettingTypeNames[SettingTypeCount] = {
    L"Plugin", L"Exception", L"Attribute Mapping", L"Staging Template", L"Fail Code", L"User Portal",
    L"User Portal Type", L"Admin Portal Page", L"Admin Portal Type", L"Admin Portal Action", L"Portal Filter",
    L"Report Portal Type", L"Report Portal Fetch", L"Build Sheet", L"Request Type",
};

const wchar_t* const MainWindowCache::kSettingSearchTypes =
    L"Attribute Mapping,Exception,Plugin,Staging Template,Fail Code,User Portal,User Portal Type,"
    L"Admin Portal Page,Admin Portal Type,Admin Portal Action,Portal Filter,Portal Render,"
    L"Report Portal Fetch,Report Portal Type,Build Sheet,Request Type";

const wchar_t* const MainWindowCache::kFolderPaths[FolderCount] = {
    L"\\System\\Deployable", L"\\System\\Users", L"\\System\\Templates", L"\\System\\Organisations",
    L"\\System\\SuperUsers", L"\\System\\DeploymentSlots", L"\\System\\Staging", L"\\System\\Reports",
    L"\\System\\Tags", L"\\System\\Groups", L"\\System\\Requests",
};

namespace {

TiXmlElement* FirstResult(TiXmlDocument& doc)
{
    return doc.FirstChildElementNamed(L"result");
}

// A link attribute as an id; text-typed and missing attributes count as 0.
__int64 LinkValue(const Object& obj, const wchar_t* name)
{
    CAttribute value;
    obj.GetAttribute(value, CTString(name));
    return value.GetValue();
}

bool Contains(const std::vector<__int64>& ids, __int64 id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

CTString Lowered(const CTString& name)
{
    CTString lower(name);
    lower.MakeLower();
    return lower;
}

} // namespace

void ForEachReplyObject(TiXmlDocument& doc, const std::function<void(TiXmlElement*)>& fn)
{
    TiXmlElement* result = FirstResult(doc);
    if (!result)
        return;
    for (TiXmlElement* element = result->FirstChildElementNamed(L"object"); element;
         element = element->NextSiblingElementNamed(L"object"))
        fn(element);
}

void MainWindowCache::Clear()
{
    loaded = 0;
    administrator.Clear();
    systemSettings.Clear();
    types.clear();
    typeNames.clear();
    typeAncestry.clear();
    for (auto& list : links)
        list.clear();
    for (auto& list : settings)
        list.clear();
    settingTypeNumbers.clear();
    templates.clear();
    deploymentTypes.clear();
    deploymentStatuses.clear();
    slotData.clear();
    deploymentTypesFolder = deploymentStatusFolder = slotDataFolder = 0;
    statusByCode.clear();
    timeZones = TimeZoneList();
    std::fill(std::begin(folderIds), std::end(folderIds), 0);
    lookupTree.clear();
    pendingRequests.clear();
    attentionRequests.clear();
    attributeCache.clear();
}

// ---------------------------------------------------------------------------------------------
// Reply readers

void MainWindowCache::ReadTypes(TiXmlDocument& doc)
{
    types.clear();
    typeNames.clear();
    typeAncestry.clear();
    TiXmlElement* result = FirstResult(doc);
    if (!result)
        return;
    for (TiXmlElement* element = result->FirstChildElementNamed(L"type"); element;
         element = element->NextSiblingElementNamed(L"type")) {
        Object definition;
        definition.ReadFromXml(element, true);
        types.push_back(definition);
        typeNames[Lowered(definition.name)] = definition;
    }
}

void MainWindowCache::ReadLinks(int which, TiXmlDocument& doc)
{
    if (which < 0 || which > 2)
        return;
    std::vector<Object>& list = links[which];
    list.clear();
    ForEachReplyObject(doc, [&](TiXmlElement* element) {
        list.emplace_back();
        list.back().ReadFromXml(element, true);
    });
}

void MainWindowCache::ReadSettingObjects(TiXmlDocument& doc, const StoreFn& store)
{
    for (auto& list : settings)
        list.clear();
    attributeCache.clear();
    pendingRequests.clear();
    settingTypeNumbers.clear();
    ForEachReplyObject(doc, [&](TiXmlElement* element) {
        Object obj;
        obj.ReadFromXml(element, true);
        if (store)
            store(obj);
        AddSettingObject(obj);
    });
}

void MainWindowCache::ReadTemplates(TiXmlDocument& doc)
{
    templates.clear();
    ForEachReplyObject(doc, [&](TiXmlElement* element) {
        templates.emplace_back();
        templates.back().ReadFromXml(element, true);
    });
    loaded |= LoadTemplates;
}

__int64 MainWindowCache::ReadSystemFolder(__int64 param, TiXmlDocument& doc)
{
    std::vector<Object>* list = nullptr;
    __int64* folder = nullptr;
    switch (param) {
    case LoadDeploymentTypes:
        list = &deploymentTypes;
        folder = &deploymentTypesFolder;
        break;
    case LoadSlotData:
        list = &slotData;
        folder = &slotDataFolder;
        break;
    case LoadStatuses:
        list = &deploymentStatuses;
        folder = &deploymentStatusFolder;
        statusByCode.clear();
        break;
    default:
        return 0;
    }
    list->clear();
    bool first = true;
    ForEachReplyObject(doc, [&](TiXmlElement* element) {
        Object obj;
        obj.ReadFromXml(element, true);
        if (first) {
            *folder = obj.id;
            first = false;
        } else {
            list->push_back(obj);
        }
    });
    std::sort(list->begin(), list->end(), ObjectSortsByDisplayOrder);
    return *folder;
}

void MainWindowCache::ReadTimeZones(TiXmlDocument& doc)
{
    timeZones = TimeZoneList();
    if (TiXmlElement* result = FirstResult(doc))
        timeZones.ReadXml(result);
}

void MainWindowCache::ReadFolderIds(TiXmlDocument& doc)
{
    TiXmlElement* result = FirstResult(doc);
    if (!result)
        return;
    for (TiXmlElement* value = result->FirstChildElementNamed(L"value"); value;
         value = value->NextSiblingElementNamed(L"value")) {
        const wchar_t* path = value->GetAttribute(L"path");
        if (!path)
            continue;
        for (int i = 0; i < FolderCount; ++i) {
            if (wcscmp(path, kFolderPaths[i]) == 0)
                folderIds[i] = ReadDecimal64(value->GetAttribute(L"id"));
        }
    }
}

void MainWindowCache::ReadLookupTree(TiXmlDocument& doc, const StoreFn& store)
{
    lookupTree.clear();
    ForEachReplyObject(doc, [&](TiXmlElement* element) {
        Object obj;
        obj.ReadFromXml(element, true);
        lookupTree.push_back(obj.id);
        if (store)
            store(obj);
    });
}

// ---------------------------------------------------------------------------------------------
// Setting objects

void MainWindowCache::AddSettingObject(const Object& obj)
{
    for (int i = 0; i < SettingTypeCount; ++i) {
        Object definition;
        GetTypeByName(definition, CTString(kSettingTypeNames[i]));
        if (definition.name.IsEmpty() || definition.type != obj.type)
            continue;
        std::vector<Object>& list = settings[i];
        for (const Object& held : list) {
            if (held.id == obj.id)
                return;
        }
        list.push_back(obj);
        return;
    }
}

void MainWindowCache::UpdateSettingCache(int op, const Object* obj)
{
    if (!obj)
        return;
    // Report portal types, report portal fetches and build sheets are not kept current here.
    static const int kKept[] = {Plugin, Exception, AttributeMapping, StagingTemplate, FailCode, UserPortal,
                                UserPortalType, AdminPortalPage, AdminPortalType, AdminPortalAction,
                                PortalFilter, RequestType};
    std::vector<Object>* list = nullptr;
    for (int kind : kKept) {
        __int64 number = GetTypeId(CTString(kSettingTypeNames[kind]));
        if (number != 0 && number == obj->type) {
            list = &settings[kind];
            break;
        }
    }
    if (!list)
        return;
    switch (op) {
    case 1:
        list->push_back(*obj);
        break;
    case 2:
        list->erase(std::remove_if(list->begin(), list->end(), [&](const Object& held) { return held.id == obj->id; }),
                    list->end());
        break;
    case 3:
        for (Object& held : *list) {
            if (held.id == obj->id) {
                held = *obj;
                break;
            }
        }
        break;
    default:
        break;
    }
}

bool MainWindowCache::IsSettingTypeNumber(__int64 typeNumber)
{
    if (settingTypeNumbers.empty()) {
        for (const wchar_t* name : kSettingTypeNames) {
            Object definition;
            GetTypeByName(definition, CTString(name));
            settingTypeNumbers.push_back(definition.name.IsEmpty() ? 0 : definition.type);
        }
    }
    return typeNumber != 0 && Contains(settingTypeNumbers, typeNumber);
}

Object& MainWindowCache::GetRequestType(Object& out, __int64 id) const
{
    out.Clear();
    for (const Object& held : settings[RequestType]) {
        if (held.id == id) {
            out = held;
            break;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Types

__int64 MainWindowCache::GetTypeId(const CTString& name) const
{
    const wchar_t* wanted = name.GetBuffer() ? name.GetBuffer() : L"";
    for (const Object& definition : types) {
        const wchar_t* held = definition.name.GetBuffer() ? definition.name.GetBuffer() : L"";
        if (wcscmp(held, wanted) == 0)
            return definition.type;
    }
    return 0;
}

Object& MainWindowCache::GetTypeByName(Object& out, const CTString& name) const
{
    out.Clear();
    auto found = typeNames.find(Lowered(name));
    if (found != typeNames.end())
        out = found->second;
    return out;
}

Object& MainWindowCache::GetTypeById(Object& out, __int64 typeNumber) const
{
    out.Clear();
    for (const Object& definition : types) {
        if (definition.type == typeNumber) {
            out = definition;
            break;
        }
    }
    return out;
}

bool MainWindowCache::IsSubtypeOf(__int64 type, __int64 base) const
{
    std::set<__int64> seen;
    __int64 current = type;
    while (seen.insert(current).second) {
        const Object* definition = nullptr;
        for (const Object& held : types) {
            if (held.type == current) {
                definition = &held;
                break;
            }
        }
        if (!definition || definition->parent == 0)
            return false;
        if (definition->parent == base)
            return true;
        current = definition->parent;
    }
    return false;   // the parent chain loops
}

bool MainWindowCache::IsTypeOf(__int64 type, __int64 base)
{
    if (type == base)
        return true;
    std::set<__int64> seen;
    // Walks up iteratively; every type on the way remembers its answer.
    std::vector<__int64> chain;
    __int64 current = type;
    bool answer = false;
    while (true) {
        auto memo = typeAncestry.find(current);
        if (memo != typeAncestry.end()) {
            auto hit = memo->second.find(base);
            if (hit != memo->second.end()) {
                answer = hit->second;
                break;
            }
        }
        if (!seen.insert(current).second) {
            answer = false;   // the parent chain loops
            break;
        }
        Object definition;
        GetTypeById(definition, current);
        if (definition.parent == base) {
            answer = true;
            chain.push_back(current);
            break;
        }
        if (definition.parent == 0) {
            answer = false;
            break;
        }
        chain.push_back(current);
        current = definition.parent;
    }
    for (__int64 visited : chain)
        typeAncestry[visited][base] = answer;
    return answer;
}

void MainWindowCache::GetTypeWithSubtypes(const CTString& name, std::vector<__int64>& out) const
{
    out.clear();
    __int64 number = GetTypeId(name);
    out.push_back(number);
    for (const Object& definition : types) {
        if (definition.parent == number || IsSubtypeOf(definition.parent, number))
            out.push_back(definition.type);
    }
}

bool MainWindowCache::GetTemplates(std::vector<Object>& out) const
{
    if (!(loaded & LoadTemplates))
        return false;
    out = templates;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Deployment statuses, types and slot data

bool MainWindowCache::GetDeploymentStatuses(std::vector<Object>& out) const
{
    if (!(loaded & LoadStatuses))
        return false;
    out = deploymentStatuses;
    return true;
}

Object& MainWindowCache::GetDeploymentStatus(Object& out, const CAttribute& code)
{
    out.Clear();
    if (!(loaded & LoadStatuses))
        return out;
    auto memo = statusByCode.find(code);
    if (memo != statusByCode.end()) {
        out = memo->second;
        return out;
    }
    for (const Object& status : deploymentStatuses) {
        CAttribute value;
        status.GetAttribute(value, CTString(L"code"));
        if (value.IsEqual(code)) {
            out = status;
            statusByCode.emplace(code, status);
            break;
        }
    }
    return out;
}

CAttribute& MainWindowCache::GetDeploymentStatusAttribute(CAttribute& out, const Object& deployment,
                                                          const CTString& name)
{
    out.Clear();
    CAttribute code;
    deployment.GetAttribute(code, CTString(L"deployment_status"));
    Object status;
    GetDeploymentStatus(status, code);
    if (status.id != 0)
        status.GetAttribute(out, name);
    return out;
}

const Object* MainWindowCache::FindDeploymentType(const Object& deployment) const
{
    __int64 id = LinkValue(deployment, L"link_deployment_type");
    for (const Object& type : deploymentTypes) {
        if (type.id == id)
            return &type;
    }
    return nullptr;
}

void MainWindowCache::AllowedStatuses(const Object& deployment, std::vector<__int64>& allowed) const
{
    allowed.clear();
    if (const Object* type = FindDeploymentType(deployment))
        type->GetLinkArray(allowed, CTString(L"deployment_status_available"));
}

bool MainWindowCache::GetAvailableStatuses(std::vector<Object>& out, const Object& deployment) const
{
    if (!(loaded & LoadStatuses))
        return false;
    out.clear();
    std::vector<__int64> allowed;
    AllowedStatuses(deployment, allowed);
    for (const Object& status : deploymentStatuses) {
        if (allowed.empty() || Contains(allowed, status.id))
            out.push_back(status);
    }
    return true;
}

void MainWindowCache::FilterAvailableStatusCodes(std::vector<CTString>& codes, const Object& deployment) const
{
    if (!(loaded & LoadStatuses))
        return;
    std::vector<__int64> allowed;
    AllowedStatuses(deployment, allowed);
    std::vector<CTString> result;
    for (const CTString& code : codes) {
        for (const Object& status : deploymentStatuses) {
            CAttribute value;
            status.GetAttribute(value, CTString(L"code"));
            if (lstrcmpW(value.GetText(), code.GetBuffer() ? code.GetBuffer() : L"") == 0 &&
                Contains(allowed, status.id))
                result.push_back(code);
        }
    }
    codes = result;
}

bool MainWindowCache::HasDeploymentTypeFlag(const Object& deployment, __int64 mask) const
{
    const Object* type = FindDeploymentType(deployment);
    if (!type)
        return false;
    CAttribute flags;
    type->GetAttribute(flags, CTString(L"deployment_attribs"));
    return (flags.GetValue() & mask) != 0;
}

CTString& MainWindowCache::GetDeploymentTypeName(CTString& out, __int64 deploymentTypeId) const
{
    out.Empty();
    for (const Object& type : deploymentTypes) {
        if (type.id == deploymentTypeId) {
            CAttribute name;
            type.GetAttribute(name, CTString(L"name"));
            CTStringLocale text(name.GetString());
            out.AssignText(text.GetUserText());
            break;
        }
    }
    return out;
}

bool MainWindowCache::IsDeploymentStatusActive(const Object& deployment)
{
    const Object* type = FindDeploymentType(deployment);
    if (!type)
        return false;
    std::vector<__int64> active;
    type->GetLinkArray(active, CTString(L"deployment_status_active"));
    CAttribute code;
    deployment.GetAttribute(code, CTString(L"deployment_status"));
    Object status;
    GetDeploymentStatus(status, code);
    return Contains(active, status.id);
}

__int64 MainWindowCache::FindSlotDataId(const CTString& code) const
{
    if (!(loaded & LoadSlotData))
        return 0;
    for (const Object& data : slotData) {
        CAttribute value;
        data.GetAttribute(value, CTString(L"code"));
        if (lstrcmpiW(value.GetText(), code.GetBuffer() ? code.GetBuffer() : L"") == 0)
            return data.id;
    }
    return 0;
}

CTString& MainWindowCache::GetSlotDataCode(CTString& out, __int64 id) const
{
    out.Empty();
    if (!(loaded & LoadSlotData))
        return out;
    for (const Object& data : slotData) {
        if (data.id == id) {
            CAttribute value;
            data.GetAttribute(value, CTString(L"code"));
            out.AssignText(value.GetText());
            break;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Setting-object lookups and links

void MainWindowCache::GetPlugins(const CTString& type, std::vector<Object>& out) const
{
    for (const Object& plugin : settings[Plugin]) {
        CAttribute enable, kind;
        plugin.GetAttribute(enable, CTString(L"enable"));
        plugin.GetAttribute(kind, CTString(L"type"));
        if (CAttribute::IsTextType(enable.GetType()) || enable.GetValue() <= 0)
            continue;
        if (lstrcmpiW(kind.GetText(), type.GetBuffer() ? type.GetBuffer() : L"") == 0)
            out.push_back(plugin);
    }
}

bool MainWindowCache::GetExceptionInfo(__int64 id, CTString& description, bool& persistent) const
{
    for (const Object& exception : settings[Exception]) {
        if (exception.id != id)
            continue;
        CAttribute enable;
        exception.GetAttribute(enable, CTString(L"enable"));
        if (CAttribute::IsTextType(enable.GetType()) || enable.GetValue() <= 0)
            continue;
        CAttribute text, flag;
        exception.GetAttribute(text, CTString(L"description"));
        exception.GetAttribute(flag, CTString(L"persistent"));
        description.AssignText(text.GetText());
        persistent = flag.GetValue() != 0;
        return true;
    }
    return false;
}

void MainWindowCache::GetLinkedScheduleGroups(std::vector<__int64>& out) const
{
    out.clear();
    for (const Object& link : links[1])
        out.push_back(LinkValue(link, L"link_container"));
}

bool MainWindowCache::IsScheduleGroupLinked(__int64 id) const
{
    for (const Object& link : links[1]) {
        if (LinkValue(link, L"link_container") == id)
            return true;
    }
    return false;
}

bool MainWindowCache::IsOrderFolderLinked(__int64 id) const
{
    for (const Object& link : links[2]) {
        if (LinkValue(link, L"link_order_folder") == id)
            return true;
    }
    return false;
}

bool MainWindowCache::CheckAssetLocationLink(__int64 locationId, int kind) const
{
    for (const Object& link : links[0]) {
        if (LinkValue(link, L"link_asset_location") != locationId)
            continue;
        switch (kind) {
        case 0:
            return true;
        case 1:
            return LinkValue(link, L"send") != 0;
        case 2:
            return LinkValue(link, L"receive") != 0;
        default:
            return false;
        }
    }
    return false;
}

bool MainWindowCache::HasSetupRights() const
{
    return administrator.GetPrivilege(CTString(L"SuperUser")) ||
           administrator.GetPrivilege(CTString(L"QELConsoleSetup"));
}

// ---------------------------------------------------------------------------------------------
// Orderings

bool ObjectSortsByDisplayOrder(const Object& a, const Object& b)
{
    CAttribute first, second;
    a.GetAttribute(first, CTString(L"display_order"));
    b.GetAttribute(second, CTString(L"display_order"));
    return first.IsLess(second);
}

bool ObjectSortsByName(const Object& a, const Object& b)
{
    const wchar_t* first = a.name.GetBuffer() ? a.name.GetBuffer() : L"";
    const wchar_t* second = b.name.GetBuffer() ? b.name.GetBuffer() : L"";
    return lstrcmpW(first, second) < 0;
}

namespace {

CTString Title(const Object& obj)
{
    CTStringLocale name(obj.name);
    CTString title(name.GetUserText());
    CAttribute display;
    obj.GetAttribute(display, CTString(L"display_name"));
    if (display.GetTextLength() != 0) {
        title.AppendText(L" - ");
        title.AppendText(display.GetText());
    }
    return title;
}

} // namespace

bool ObjectSortsByTypeAndTitle(const Object& a, const Object& b)
{
    if (a.type != b.type)
        return a.type < b.type;
    CTString first = Title(a), second = Title(b);
    return lstrcmpW(first.GetBuffer() ? first.GetBuffer() : L"", second.GetBuffer() ? second.GetBuffer() : L"") < 0;
}

// ---------------------------------------------------------------------------------------------
// Custom attribute mappings

namespace {

// A numeric attribute above 0; texts and missing attributes are not.
bool NumericAbove0(const Object& obj, const wchar_t* name)
{
    CAttribute value;
    obj.GetAttribute(value, CTString(name));
    return !CAttribute::IsTextType(value.GetType()) && value.GetValue() > 0;
}

CTString TextOf(const Object& obj, const wchar_t* name)
{
    CAttribute value;
    obj.GetAttribute(value, CTString(name));
    return value.GetString();
}

} // namespace

void MainWindowCache::GetAttributeMappings(std::vector<Object>& out)
{
    auto cached = attributeCache.find(MappingKey(MappingsAll, 0));
    if (cached != attributeCache.end()) {
        out = cached->second;
        return;
    }
    const std::vector<Object>& mappings = settings[AttributeMapping];
    out.insert(out.end(), mappings.begin(), mappings.end());
    std::stable_sort(out.begin(), out.end(), ObjectSortsByDisplayOrder);
    attributeCache[MappingKey(MappingsAll, 0)] = out;
}

bool MainWindowCache::GetCustomAttributes(const Object& object, std::vector<Object>& out)
{
    if (object.type == 0)
        return !out.empty();
    Object deploymentDefinition;
    __int64 deploymentType = GetTypeByName(deploymentDefinition, CTString(L"Deployment")).type;
    bool isDeployment = deploymentType != 0 && object.type == deploymentType;
    MappingKey key(MappingsOfType, object.type);
    if (isDeployment) {
        CAttribute link;
        object.GetAttribute(link, CTString(L"link_deployment_type"));
        key = MappingKey(MappingsOfDeploymentType, link.GetValue());
    }

    auto cached = attributeCache.find(key);
    if (cached == attributeCache.end()) {
        // What applies to the type (or deployment type) alone; the object's own attributes are
        // looked at below, so the entry serves new and saved objects alike.
        std::vector<Object> accepted;
        const Object* chosenType = nullptr;
        if (isDeployment)
            for (const Object& candidate : deploymentTypes)
                if (key.second != 0 && candidate.id == key.second)
                    chosenType = &candidate;   // the last one with that id
        CTTokenString listed;
        if (chosenType) {
            listed = TextOf(*chosenType, L"deployment_custom_attributes");
            listed.SetSeparators(L"|", 0);
        }
        for (const Object& mapping : settings[AttributeMapping]) {
            Object mappedType;
            __int64 base = GetTypeByName(mappedType, TextOf(mapping, L"attrib_object")).type;
            if (base == 0 || !IsTypeOf(object.type, base))
                continue;
            if (!NumericAbove0(mapping, L"enable") || !NumericAbove0(mapping, L"console_display_type"))
                continue;
            // A deployment shows only what its deployment type lists; without a known deployment
            // type (none set, or not cached) it shows nothing.
            if (isDeployment && (!chosenType || !listed.ContainsToken(TextOf(mapping, L"attrib_name"))))
                continue;
            accepted.push_back(mapping);
        }
        std::stable_sort(accepted.begin(), accepted.end(), ObjectSortsByDisplayOrder);
        if (accepted.empty()) {
            out.clear();
            return false;
        }
        cached = attributeCache.emplace(key, std::move(accepted)).first;
    }
    out.clear();
    for (const Object& mapping : cached->second)
        if (object.id == 0 || object.HasAttribute(TextOf(mapping, L"attrib_name")))
            out.push_back(mapping);
    return !out.empty();
}

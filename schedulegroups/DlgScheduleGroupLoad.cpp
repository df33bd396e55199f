// Loading the schedule-group view and keeping it current: the group reply, the routes of each
// deployment location, the return ids fetched in batches, the loaded bits that rebuild the pages
// once, the change notices and the realtime slot records.
#include "schedulegroups/DlgScheduleGroup.h"

#include <algorithm>
#include "app/App.h"
#include "app/MainWindow.h"
#include "framework/CTApp.h"
#include "schedulegroups/ScheduleGroupPage.h"
#include "session/RequestResult.h"
#include "session/TxRx.h"

namespace {

// The application's wait cursor for the length of one reply.
class WaitCursor {
public:
    WaitCursor()
    {
        if (CTApp* app = CTApp::Instance())
            app->AddWaitCursor(1);
    }
    ~WaitCursor()
    {
        if (CTApp* app = CTApp::Instance())
            app->AddWaitCursor(-1);
    }
};

TiXmlElement* ResultOf(TiXmlDocument& document)
{
    return document.FirstChildElementNamed(L"result");
}

bool IsClean(const RequestResult& result)
{
    return result.resultCode == 0 && result.returnCode == 0;
}

} // namespace

std::vector<__int64> DlgScheduleGroup::ParseIdList(const CTString& text)
{
    std::vector<__int64> ids;
    const wchar_t* p = text.GetBuffer();
    if (!p || !*p)
        return ids;
    const wchar_t* start = p;
    for (;; ++p) {
        if (*p == L',' || *p == 0) {
            if (*p == 0 && p == start && !ids.empty())
                break;   // a comma at the very end adds no item
            ids.push_back(_wcstoi64(start, nullptr, 10));
            if (*p == 0)
                break;
            start = p + 1;
        }
    }
    return ids;
}

void DlgScheduleGroup::TakeBatch(std::deque<__int64>& ids, const std::map<__int64, Object>& cache, CTString& idsText,
                                 CTString& serialsText)
{
    idsText = CTString();
    serialsText = CTString();
    for (int n = 0; n < kBatchSize && !ids.empty(); ++n) {
        const __int64 id = ids.front();
        ids.pop_front();
        wchar_t item[48];
        _snwprintf(item, 48, n ? L",%I64d" : L"%I64d", id);
        idsText.AppendText(item);
        auto cached = cache.find(id);
        if (cached != cache.end()) {
            _snwprintf(item, 48, serialsText.IsEmpty() ? L"%I64d=%I64d" : L",%I64d=%I64d", id,
                       cached->second.id ? cached->second.serial : 0);
            serialsText.AppendText(item);
        }
    }
}

void DlgScheduleGroup::Refresh()
{
    if (!m_shown) {
        m_refreshPendingView = true;
        for (CPageBase* page : Pages())
            page->m_stale = true;
        return;
    }
    m_refreshPendingView = false;
    m_windowsStale = false;
    m_lookupTexts.clear();
    m_listTexts.clear();
    m_lookupRequests.clear();
    m_listNames.clear();
    m_linkUsage.clear();
    m_legacyRoutes.clear();
    m_otherRoutes.clear();
    m_logonQueue.clear();
    m_logonMap.clear();
    m_pathsAsked.clear();
    m_loadedBits = 0;
    for (CPageBase* page : Pages())
        page->OnLoadState(0);
    m_group.id = m_key;
    App* app = GetApp();
    if (!app)
        return;
    app->GetDeploymentWindowsCached(static_cast<unsigned>(m_key), ReplyRoute(ReqWindows));
    app->m_db.QelGetScheduleGroup(static_cast<unsigned>(m_key), ReplyRoute(ReqGroup));
}

void DlgScheduleGroup::OnReply(RequestResult& result)
{
    WaitCursor wait;
    const std::vector<CPageBase*> pages = Pages();
    switch (result.route.requestId) {
    case ReqRefresh:
        Refresh();
        break;
    case ReqObjectSaved:
        if (result.attached)
            OnObjectChanged(*static_cast<Object*>(result.attached));
        break;
    case ReqReloadWindows:
        if (App* app = GetApp())
            app->GetDeploymentWindowsCached(static_cast<unsigned>(m_key), ReplyRoute(ReqWindows));
        break;
    case ReqObjectDeleted:
        if (result.attached) {
            const Object deleted = *static_cast<Object*>(result.attached);
            for (CPageBase* page : pages)
                page->RemoveObjectRow(deleted);
            m_objects.erase(deleted.id);
            CountLinkUsage();
            BuildSummary();
        }
        break;
    case ReqGroupSaved:
        if (result.attached) {
            const Object& saved = *static_cast<Object*>(result.attached);
            if (saved.id == m_group.id && saved.serial > m_group.serial) {
                m_group = saved;
                UpdateHeading();
            }
        }
        break;
    case ReqIcon:
        if (result.route.param2 == m_iconIndex) {
            if (App* app = GetApp()) {
                CAttribute image;
                m_group.GetAttribute(image, CTString(L"tree_image"));
                ApplyIcon(app->GetIcon(1, image.GetString(), ReplyRoute(ReqIcon)));
            }
        } else {
            for (CPageBase* page : pages)
                page->OnIconArrived(result);
        }
        break;
    case ReqPaths:
        if (result.resultCode == 0) {
            TiXmlElement* root = ResultOf(result.document);
            if (root && root->FirstChildElementNamed(L"value"))
                BuildSummary();
        }
        break;
    case ReqPanelPaths:
        for (CPageBase* page : pages)
            page->OnIconArrived(result);
        break;
    case ReqLookup:
        OnLookup(result);
        break;
    case ReqObject:
        --m_pendingObjectRequests;
        if (IsClean(result)) {
            ReadObjectReply(result.document, static_cast<int>(result.route.param2));
        } else if (result.route.param2 == FetchClicked) {
            ReportObjectGone(result.statusText);
            return;
        } else if (result.route.param2 == FetchReturn) {
            // The batch's objects stay unknown; the rest are still fetched.
            TiXmlDocument empty;
            FetchReturnObjects(empty);
        } else if (m_pendingObjectRequests <= 0) {
            for (CPageBase* page : pages)
                page->RefreshIfCurrent();
        }
        if (m_pendingObjectRequests <= 0)
            SetLoaded(LoadedObjects);
        break;
    case ReqWindows:
        for (CPageBase* page : pages)
            page->OnIconArrived(result);
        BuildSummary();
        break;
    case ReqGroup:
        if (IsClean(result))
            ReadScheduleGroupReply(result.document);
        break;
    case ReqCommsList:
        OnCommsList(result);
        break;
    case ReqRoutes:
        OnRoutes(result);
        break;
    case ReqChanged:
        if (result.attached) {
            App* app = GetApp();
            const auto& ids = *static_cast<std::list<__int64>*>(result.attached);
            for (__int64 id : ids) {
                auto cached = m_objects.find(id);
                if (cached == m_objects.end() || !app)
                    continue;
                const Object* now = app->m_dir.Lookup(id);
                if (now && now->id != 0 && now->serial > cached->second.serial) {
                    const Object copy = *now;
                    OnObjectChanged(copy);
                }
            }
        }
        break;
    case ReqSlots:
        OnSlots(result.body);
        break;
    case ReqWindowsChanged:
        m_windowsStale = true;
        break;
    default:
        break;
    }
}

void DlgScheduleGroup::StoreObjects(TiXmlDocument& document, std::map<__int64, Object>& cache, int* count)
{
    TiXmlElement* root = ResultOf(document);
    if (!root)
        return;
    for (TiXmlElement* element = root->FirstChildElementNamed(L"object"); element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object object;
        object.ReadFromXml(element, true);
        const __int64 id = object.id;
        cache[id] = std::move(object);
        if (count)
            ++*count;
    }
}

void DlgScheduleGroup::ReadScheduleGroupReply(TiXmlDocument& document)
{
    TiXmlElement* root = ResultOf(document);
    if (!root)
        return;
    TiXmlElement* element = root->FirstChildElementNamed(L"object");
    if (element) {
        m_group.ReadFromXml(element, true);
        for (element = element->NextSiblingElementNamed(L"object"); element;
             element = element->NextSiblingElementNamed(L"object")) {
            Object object;
            object.ReadFromXml(element, true);
            const __int64 id = object.id;
            m_objects[id] = std::move(object);
        }
    }

    auto listOf = [root](const wchar_t* name) {
        TiXmlElement* rc = root->FirstChildElementNamed(L"RC");
        TiXmlElement* item = rc ? rc->FirstChildElementNamed(name) : nullptr;
        TiXmlNode* text = item ? item->FirstChild() : nullptr;
        if (!text || text->GetType() != TiXmlNode::TEXT)
            return std::vector<__int64>();
        return ParseIdList(CTString(text->Value()));
    };

    const std::vector<__int64> locations = listOf(L"deploymentlocation_ids");
    m_pendingRouteRequests = static_cast<int>(locations.size());
    if (App* app = GetApp())
        for (__int64 location : locations)
            app->m_db.QelGetDeploymentRoutes(static_cast<unsigned>(location), ReplyRoute(ReqRoutes, 0, true));
    if (locations.empty())
        SetLoaded(LoadedRoutes);

    UpdateHeading();

    m_returnIds.clear();
    for (__int64 id : listOf(L"return_ids"))
        m_returnIds.push_back(id);
    TiXmlDocument empty;
    FetchReturnObjects(empty);
}

void DlgScheduleGroup::FetchReturnObjects(TiXmlDocument& document)
{
    if (!m_returnIds.empty()) {
        CTString ids, serials;
        TakeBatch(m_returnIds, m_objects, ids, serials);
        ++m_pendingObjectRequests;
        if (DB* db = Server())
            db->ObjGetIds(ids, serials, 0, ReplyRoute(ReqObject, FetchReturn, true));
    }
    StoreObjects(document, m_objects);
    if (m_returnIds.empty() && m_pendingObjectRequests <= 0) {
        SetLoaded(LoadedReturn);
        SetLoaded(LoadedObjects);
    }
}

void DlgScheduleGroup::FetchPendingObjects()
{
    if (m_pendingContacts.empty())
        return;
    CTString ids, serials;
    TakeBatch(m_pendingContacts, m_contacts, ids, serials);
    ++m_pendingObjectRequests;
    if (DB* db = Server())
        db->ObjGetIds(ids, serials, 0, ReplyRoute(ReqObject, FetchContacts, true));
}

void DlgScheduleGroup::ReadObjectReply(TiXmlDocument& document, int fetch)
{
    switch (fetch) {
    case FetchCell:
        StoreObjects(document, m_objects);
        if (m_pendingObjectRequests <= 0)
            for (CPageBase* page : Pages())
                page->RefreshIfCurrent();
        break;
    case FetchContacts: {
        int count = 0;
        StoreObjects(document, m_contacts, &count);
        if (count > 0 && m_pendingObjectRequests <= 0)
            for (CPageBase* page : Pages())
                page->RefreshIfCurrent();
        break;
    }
    case FetchReturn:
        FetchReturnObjects(document);
        break;
    case FetchClicked: {
        TiXmlElement* root = ResultOf(document);
        TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr;
        MainWindow* main = Main();
        if (!element || !main)
            break;
        Object object;
        object.ReadFromXml(element, true);
        Object type;
        if (main->GetTypeById(type, object.type).name.Compare(L"Asset Location") == 0)
            main->OpenAssetLocation(object.id);
        else
            main->OpenObject(object, false, true);
        break;
    }
    default:
        break;
    }
}

void DlgScheduleGroup::SetLoaded(int bits)
{
    const int old = m_loadedBits;
    const int now = old | bits;
    m_loadedBits = now;
    if (now == old || (now & LoadedAll) != LoadedAll)
        return;
    CountLinkUsage();
    for (CPageBase* page : Pages()) {
        page->OnLoadState(now);
        page->RefreshIfCurrent();
    }
    BuildSummary();
    if (App* app = GetApp()) {
        // Placeholders of objects still being fetched stay with the view.
        std::map<__int64, Object> loaded;
        for (const auto& [id, object] : m_objects)
            if (id != 0 && object.id != 0)
                loaded.emplace(id, object);
        app->m_dir.MergeObjects(loaded);
    }
}

void DlgScheduleGroup::CountLinkUsage()
{
    m_linkUsage.clear();
    const __int64 deployment = TypeId(L"Deployment");
    if (deployment == 0)
        return;
    static const wchar_t* const links[] = {L"link_deployed_computer", L"link_legacy_computer", L"link_user"};
    for (const auto& [id, object] : m_objects) {
        if (object.type != deployment || object.id == 0)
            continue;
        for (const wchar_t* name : links) {
            CAttribute value;
            object.GetAttribute(value, CTString(name));
            if (!value.HasValue())
                continue;
            if (m_objects.count(value.GetValue()))
                ++m_linkUsage[value.GetValue()];
        }
    }
}

void DlgScheduleGroup::OnObjectChanged(const Object& object)
{
    const __int64 deployment = TypeId(L"Deployment");
    const __int64 computer = TypeId(L"Computer");
    const bool held = m_objects.count(object.id) != 0;
    bool relevant = false;
    if (deployment != 0 && object.type == deployment)
        relevant = object.parent == m_group.id;
    else if (IsUserType(object.type))
        relevant = object.parent == m_group.id || held;
    else if (computer != 0 && object.type == computer)
        relevant = held;
    if (!relevant || object.id == 0)
        return;
    Object old;
    bool hadOld = false;
    auto cached = m_objects.find(object.id);
    if (cached != m_objects.end() && cached->second.id != 0) {
        old = cached->second;
        hadOld = true;
    }
    m_objects[object.id] = object;
    for (CPageBase* page : Pages())
        page->UpdateObjectRow(object, hadOld ? &old : nullptr);
}

void DlgScheduleGroup::OnSlots(CTByteArray& body)
{
    CDataString stream;
    stream.Swap(body);
    stream.Rewind();
    DB::Slot slot;
    ReadTxRx(stream, slot);
    for (CPageBase* page : Pages())
        page->OnSlotUpdate(slot);
}

void DlgScheduleGroup::OnRoutes(RequestResult& result)
{
    --m_pendingRouteRequests;
    if (result.resultCode == 0) {
        TiXmlElement* root = ResultOf(result.document);
        if (root) {
            __int64 legacy = 0;
            if (TiXmlElement* rc = root->FirstChildElementNamed(L"RC"))
                if (const wchar_t* text = rc->GetAttribute(L"legacy_route"))
                    legacy = static_cast<int>(_wtoi(text));
            for (TiXmlElement* element = root->FirstChildElementNamed(L"object"); element;
                 element = element->NextSiblingElementNamed(L"object")) {
                Object route;
                route.ReadFromXml(element, true);
                const __int64 location = route.parent;
                if (route.id == legacy)
                    m_legacyRoutes[location] = std::move(route);
                else
                    m_otherRoutes[location] = std::move(route);
            }
        }
    }
    if (m_pendingRouteRequests <= 0)
        SetLoaded(LoadedRoutes);
}

void DlgScheduleGroup::OnLookup(RequestResult& result)
{
    if (result.route.param2 == 9) {
        for (CPageBase* page : Pages())
            page->OnIconArrived(result);
        return;
    }
    auto asked = m_lookupRequests.find(result.route.param2);
    if (asked == m_lookupRequests.end())
        return;
    const std::wstring column = asked->second;
    m_lookupRequests.erase(asked);
    // A failed lookup leaves its column on the base values.
    if (result.resultCode != 0)
        return;
    std::map<__int64, CTString>& texts = m_lookupTexts[column];
    texts.clear();
    texts[0] = CTString();
    if (TiXmlElement* root = ResultOf(result.document)) {
        for (TiXmlElement* element = root->FirstChildElementNamed(L"object"); element;
             element = element->NextSiblingElementNamed(L"object")) {
            const wchar_t* id = element->GetAttribute(L"id");
            const wchar_t* name = element->GetAttribute(L"name");
            if (id)
                texts[_wtoi64(id)] = CTString(name ? name : L"");
        }
    }
    const CTString key(column.c_str());
    for (CPageBase* page : Pages())
        page->RefreshColumn(key);
}

void DlgScheduleGroup::OnCommsList(RequestResult& result)
{
    CDataString body;
    body.Swap(result.body);
    body.Rewind();
    CTString listName;
    body.ReadString(listName);
    auto column = m_listNames.find(Key(listName));
    App* app = GetApp();
    if (column == m_listNames.end() || !app)
        return;
    App::LookupList items;
    if (!app->GetCommsList(CAttribute(listName), items, RequestRoute()))
        return;
    std::map<std::wstring, CTString>& texts = m_listTexts[column->second];
    texts[L""] = CTString();
    for (const auto& [value, text] : items)
        texts[Key(value.GetString())] = text;
    const CTString key(column->second.c_str());
    for (CPageBase* page : Pages())
        page->RefreshColumn(key);
}

// Lookup lists, named lists, object lists, deletion notices and data-point lists: answers the
// application gives every window from its own caches, asking the server only for what it lacks.
#include "app/App.h"
#include "app/MainWindow.h"
#include "controls/CTListCtrlReport.h"
#include "foundation/CDataString.h"
#include "foundation/CTTokenString.h"

namespace {

const wchar_t* TextOf(const CTString& text)
{
    return text.GetBuffer() ? text.GetBuffer() : L"";
}

bool SameRoute(const RequestRoute& a, const RequestRoute& b)
{
    return a.targetType == b.targetType && a.targetKey == b.targetKey && a.consoleType == b.consoleType &&
           a.consoleKey == b.consoleKey && a.requestId == b.requestId && a.param2 == b.param2 && a.silent == b.silent;
}

// The parts of a lookup string the client reads itself.
struct LookupSpec {
    CTString type;
    __int64 parent = 0;
    CTString attrib;
    CTString search;
    CTString display;
    bool returnPath = false;
};

LookupSpec ParseLookupString(const CTString& lookup)
{
    LookupSpec spec;
    CTTokenString items(lookup);
    items.SetSeparators(L"|", 0);
    CTString item;
    for (unsigned i = 0; items.GetToken(i, item); ++i) {
        CTTokenString parts(item);
        parts.SetSeparators(L"=", 0);
        CTString name, value;
        parts.GetToken(0, name);
        if (!parts.GetToken(1, value))
            value.Empty();
        if (name.Compare(L"TYPE") == 0) {
            spec.type = value;
        } else if (name.Compare(L"PARENT") == 0) {
            if (value.Compare(L"ALL") == 0)
                spec.parent = -1;
            else if (value.Compare(L"ALL-INHERIT") == 0)
                spec.parent = -2;
            else
                spec.parent = value.IsEmpty() ? 0 : _wtoi64(TextOf(value));
        } else if (name.Compare(L"ATTRIB") == 0) {
            spec.attrib = value;
        } else if (name.Compare(L"SEARCH") == 0) {
            spec.search = value;
        } else if (name.Compare(L"DISPLAY") == 0) {
            spec.display = value;
        } else if (name.Compare(L"RETURNPATH") == 0) {
            spec.returnPath = value.Compare(L"1") == 0;
        }
    }
    return spec;
}

bool StartsWithNoCase(const wchar_t* text, const CTString& prefix)
{
    size_t length = prefix.GetLength();
    return text && wcslen(text) >= length && _wcsnicmp(text, TextOf(prefix), length) == 0;
}

} // namespace

void App::TellWaiting(LookupEntry& entry, const CAttribute& key)
{
    std::vector<RequestRoute> told;
    std::vector<RequestRoute> waiting;
    waiting.swap(entry.waiting);
    for (const RequestRoute& route : waiting) {
        bool already = false;
        for (const RequestRoute& done : told)
            already = already || SameRoute(done, route);
        if (already)
            continue;
        told.push_back(route);
        RequestResult result;
        result.route = route;
        CDataString body;
        body.WriteString(key.GetString());
        result.body.Swap(body);
        m_windows.NotifyWindows(route.targetType, route.targetKey, &result);
    }
}

App::LookupEntry& App::FindOrAddLookup(const CAttribute& key)
{
    LookupEntry& entry = m_lookups[key];
    if (entry.number == 0)
        entry.number = m_nextLookupNumber++;
    return entry;
}

bool App::ServeOrWait(const CAttribute& key, LookupList& out, const RequestRoute& route, LookupEntry*& entry)
{
    entry = &FindOrAddLookup(key);
    if (entry->loaded) {
        for (auto& item : entry->items)
            out[item.second.value] = item.second.text;
        return true;
    }
    entry->waiting.push_back(route);
    return false;
}

bool App::ParseLookup(const CTString& key, const CTString& lookup, LookupList& out, const RequestRoute& route)
{
    LookupEntry* entry = nullptr;
    if (ServeOrWait(CAttribute(key), out, route, entry))
        return true;
    if (entry->requested)
        return false;
    LookupSpec spec = ParseLookupString(lookup);
    entry->display = spec.display;
    RequestRoute own;
    own.requestId = kReqLookup;
    own.param2 = entry->number;
    entry->requested = true;
    m_db.ObjSearch(spec.type, static_cast<unsigned>(spec.parent), spec.attrib, spec.search, spec.returnPath, DB::kNoMax, own);
    return false;
}

void App::OnLookupResult(RequestResult& reply)
{
    // The entry is found by the number its request carried, which no later entry can shift.
    LookupCache::iterator found = m_lookups.end();
    for (auto it = m_lookups.begin(); it != m_lookups.end(); ++it)
        if (it->second.number == reply.route.param2)
            found = it;
    if (found == m_lookups.end())
        return;
    TiXmlElement* root = reply.document.FirstChildElementNamed(L"result");
    if (!root)
        return;
    LookupEntry& entry = found->second;
    if (!entry.loaded) {
        int sequence = 1;
        for (TiXmlElement* element = root->FirstChildElementNamed(L"object"); element;
             element = element->NextSiblingElementNamed(L"object")) {
            Object object;
            object.ReadFromXml(element, true);
            LookupItem item;
            item.value = CAttribute(1, object.id);
            if (entry.display.IsEmpty()) {
                item.text = object.name;
            } else if (entry.display.Compare(L"path") == 0) {
                item.text = object.path;
            } else {
                CAttribute value;
                if (object.HasAttribute(entry.display))
                    object.GetAttribute(value, entry.display);
                item.text = value.GetString();
            }
            entry.items[sequence++] = item;
        }
    }
    entry.loaded = true;
    TellWaiting(entry, found->first);
}

bool App::GetCommsList(const CAttribute& name, LookupList& out, const RequestRoute& route)
{
    LookupEntry* entry = nullptr;
    if (ServeOrWait(name, out, route, entry))
        return true;
    if (entry->requested)
        return false;
    RequestRoute own;
    own.requestId = kReqCommsList;
    entry->requested = true;
    m_db.QelGetComms(name.GetString(), CTString(L"list"), own);
    return false;
}

void App::OnCommsListResult(TiXmlDocument& document)
{
    TiXmlElement* root = document.FirstChildElementNamed(L"result");
    TiXmlElement* parameters = root ? root->FirstChildElementNamed(L"parameters") : nullptr;
    if (!parameters)
        return;
    const wchar_t* nameText = parameters->GetAttribute(L"NAME");
    CAttribute key(CTString(nameText ? nameText : L""));
    LookupEntry& entry = FindOrAddLookup(key);
    if (!entry.loaded) {
        int sequence = 1;
        for (TiXmlElement* lang = root->FirstChildElementNamed(L"lang"); lang; lang = lang->NextSiblingElementNamed(L"lang")) {
            if (!StartsWithNoCase(lang->GetAttribute(L"name"), key.GetString()))
                continue;
            for (TiXmlElement* text = lang->FirstChildElementNamed(L"Text"); text; text = text->NextSiblingElementNamed(L"Text")) {
                const wchar_t* valueName = text->GetAttribute(L"name");
                LookupItem item;
                if (!valueName || _wcsnicmp(valueName, L"null", 4) == 0)
                    item.value = CAttribute(CTString(L""));
                else
                    item.value = CAttribute(CTString(valueName));
                if (TiXmlElement* source = text->FirstChildElementNamed(L"Source")) {
                    TiXmlNode* first = source->FirstChild();
                    if (first && first->GetType() == TiXmlNode::TEXT)
                        item.text = first->Value();
                }
                entry.items[sequence++] = item;
            }
        }
    }
    entry.loaded = true;
    TellWaiting(entry, key);
}

void App::DeliverObjects(const RequestRoute& route, const std::vector<__int64>& ids)
{
    ObjectBranch branch;
    for (__int64 id : ids)
        for (const Object& cached : m_objects.children)
            if (cached.id == id)
                branch.AddChild(cached);
    RequestResult result;
    result.route = route;
    result.attached = &branch;
    m_windows.NotifyWindows(route.targetType, route.targetKey, &result);
}

void App::RequestObjects(const std::vector<__int64>& ids, const RequestRoute& route)
{
    std::vector<__int64> missing;
    for (__int64 id : ids) {
        bool cached = false;
        for (const Object& object : m_objects.children)
            cached = cached || object.id == id;
        if (!cached)
            missing.push_back(id);
    }
    if (missing.empty()) {
        DeliverObjects(route, ids);
        return;
    }
    auto* pending = new deployableReq();
    pending->route = route;
    pending->ids = ids;
    m_objectRequests.AddTail(pending);
    CTString idArray(L"/");
    for (__int64 id : missing) {
        CTString number;
        number.Format(L"%I64d/", id);
        idArray.Append(number);
    }
    RequestRoute own;
    own.requestId = kReqObjectList;
    m_db.ObjSearchIds(idArray, false, own);
}

void App::OnObjectListResult(RequestResult& reply)
{
    if (TiXmlElement* root = reply.document.FirstChildElementNamed(L"result")) {
        for (TiXmlElement* element = root->FirstChildElementNamed(L"object"); element;
             element = element->NextSiblingElementNamed(L"object")) {
            Object object;
            object.ReadFromXml(element, true);
            m_objects.AddChild(object);
        }
    }
    CLinkedListMTLock lock(m_objectRequests);
    CLinkedListObject* item = m_objectRequests.GetHead();
    while (item) {
        CLinkedListObject* next = item->m_next;
        auto* pending = static_cast<deployableReq*>(item);
        bool complete = true;
        for (__int64 id : pending->ids) {
            bool cached = false;
            for (const Object& object : m_objects.children)
                cached = cached || object.id == id;
            complete = complete && cached;
        }
        if (complete) {
            RequestRoute route = pending->route;
            std::vector<__int64> ids = pending->ids;
            m_objectRequests.Delete(pending);
            DeliverObjects(route, ids);
        }
        item = next;
    }
}

void App::OnDeleteResult(RequestResult& reply)
{
    if (reply.resultCode != 0 || reply.returnCode != 0)
        return;
    TiXmlElement* root = reply.document.FirstChildElementNamed(L"result");
    if (!root)
        return;
    int consoleOfObject = static_cast<int>(reply.route.param2);
    for (TiXmlElement* element = root->FirstChildElementNamed(L"object"); element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object object;
        object.ReadFromXml(element, true);
        RequestResult notice;
        notice.route.targetType = kMainWindowType;
        notice.route.requestId = 1005;
        notice.attached = &object;
        std::vector<int> consoles;
        if (consoleOfObject == 1013 || consoleOfObject == 1027)
            consoles = {1026};
        else if (consoleOfObject == 1029)
            consoles = {1027, 1026};
        else
            continue;
        for (int console : consoles) {
            notice.route.consoleType = console;
            NotifyMain(notice);
        }
        if (m_mainWindow)
            m_mainWindow->CloseConsole(consoleOfObject, static_cast<UINT64>(object.id));
    }
}

void App::LoadDataPointList(__int64 id, int image, CTListCtrlReport* list, const RequestRoute& route)
{
    auto fill = [this, id, image, list]() {
        if (!list)
            return;
        list->DeleteAllRows();
        const Object* object = m_dir.Lookup(id);
        CTString xml;
        if (object && object->HasAttribute(CTString(L"xml_data"))) {
            CAttribute value;
            object->GetAttribute(value, CTString(L"xml_data"));
            xml = value.GetString();
        }
        TiXmlDocument document;
        document.Parse(TextOf(xml), nullptr, TIXML_ENCODING_UNKNOWN);
        TiXmlElement* point = document.FirstChildElementNamed(L"data_point");
        TiXmlElement* data = point ? point->FirstChildElementNamed(L"data") : nullptr;
        TiXmlElement* display = point ? point->FirstChildElementNamed(L"display") : nullptr;
        if (data && display) {
            for (TiXmlElement* categories = display->FirstChildElementNamed(L"Catagories"); categories;
                 categories = categories->NextSiblingElementNamed(L"Catagories")) {
                for (TiXmlNode* node = categories->FirstChild(); node; node = node->NextSibling()) {
                    TiXmlElement* category = node->ToElement();
                    if (!category)
                        continue;
                    CTListCtrlReport::Row heading;
                    heading.AddText(CTString(category->Value())).AddText(CTString());
                    int row = list->AddRow(0, heading);
                    list->SetRowBold(row);
                    for (TiXmlNode* fieldNode = category->FirstChild(); fieldNode; fieldNode = fieldNode->NextSibling()) {
                        TiXmlElement* field = fieldNode->ToElement();
                        if (!field)
                            continue;
                        CTString label, value;
                        if (TiXmlElement* caption = field->FirstChildElementNamed(L"label")) {
                            TiXmlNode* first = caption->FirstChild();
                            if (first && first->GetType() == TiXmlNode::TEXT)
                                label = first->Value();
                        }
                        if (TiXmlElement* valueElement = data->FirstChildElementNamed(field->Value())) {
                            TiXmlNode* first = valueElement->FirstChild();
                            if (first && first->GetType() == TiXmlNode::TEXT)
                                value = first->Value();
                        }
                        CTListCtrlReport::Row line;
                        line.AddText(label).AddAttribute(CAttribute(value));
                        int added = list->AddRow(image, line);
                        list->SetRowIndent(added);
                    }
                }
            }
        }
        if (CTListCtrlReport::Column* first = list->GetShownColumn(0))
            first->m_fixedWidth = true;
    };
    m_dir.RequestObject(id, 0, route, fill, nullptr);
}

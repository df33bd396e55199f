// Tables the application keeps for windows: day keys and keyed lists, pages of the embedded
// browser, the deployment-window replies of schedule groups, and the access-list test.
#include "app/App.h"
#include "app/MainWindow.h"

namespace {

bool SameRoute(const RequestRoute& a, const RequestRoute& b)
{
    return a.targetType == b.targetType && a.targetKey == b.targetKey && a.consoleType == b.consoleType &&
           a.consoleKey == b.consoleKey && a.requestId == b.requestId && a.param2 == b.param2 && a.silent == b.silent;
}

void DeliverDocument(CWindowManager& windows, const RequestRoute& route, const TiXmlDocument& document)
{
    RequestResult result;
    result.route = route;
    result.document.Assign(document);
    windows.NotifyWindows(route.targetType, route.targetKey, &result);
}

} // namespace

__int64 App::GetDayKeyId(const CTString& prefix, __int64 time, __int64 number)
{
    CTString key;
    unsigned __int64 day = static_cast<unsigned __int64>(time) / 86400 * 86400;
    key.Format(L"%s-%I64u-%I64u", prefix.GetBuffer() ? prefix.GetBuffer() : L"", day,
               static_cast<unsigned __int64>(number));
    auto it = m_dayKeys.find(key);
    if (it != m_dayKeys.end())
        return it->second;
    __int64 id = m_nextDayKey++;
    m_dayKeys[key] = id;
    return id;
}

void App::SetKeyedList(__int64 key, const std::vector<Object>& list)
{
    m_keyedLists[key] = list;
    RequestResult result;
    result.route.consoleType = 1008;
    result.route.consoleKey = key;
    result.route.requestId = kReqKeyedListReady;
    m_windows.NotifyWindows(kMainWindowType, 0, &result);
}

void App::RemoveFromKeyedList(__int64 key, __int64 objectId)
{
    auto it = m_keyedLists.find(key);
    if (it == m_keyedLists.end())
        return;
    std::vector<Object>& list = it->second;
    bool removed = false;
    for (auto object = list.begin(); object != list.end();) {
        if (object->id == objectId) {
            object = list.erase(object);
            removed = true;
        } else {
            ++object;
        }
    }
    if (!removed || !list.empty())
        return;
    RequestResult result;
    result.route.targetType = kMainWindowType;
    result.route.consoleType = 1012;
    result.route.requestId = kReqKeyedListEmptied;
    result.attached = reinterpret_cast<void*>(static_cast<INT_PTR>(key));
    m_windows.NotifyWindows(kMainWindowType, 0, &result);
}

__int64 App::RegisterWebPage(__int64 key, int kind, const CTString& page, const CTString& first, const CTString& second)
{
    CTString address;
    if (kind == 1) {
        address = page;
    } else {
        GetBaseAddress(address);
        address.AppendText(L"/console.php?Page=");
        address.Append(page);
    }
    __int64 handle = 0;
    for (auto& entry : m_webPages) {
        const WebPage& known = entry.second;
        if (known.kind == kind && known.key == key && (kind == 1 || known.address.Compare(address) == 0)) {
            handle = entry.first;
            break;
        }
    }
    if (handle == 0)
        handle = ++m_nextWebPage;
    WebPage& stored = m_webPages[handle];
    stored.key = key;
    stored.address = address;
    stored.first = first;
    stored.second = second;
    stored.kind = kind;
    return handle;
}

void App::GetWebPageField(CTString& out, __int64 handle, int which)
{
    WebPage& page = m_webPages[handle];
    switch (which) {
    case 0: out = page.address; break;
    case 1: out = page.first; break;
    case 2: out = page.second; break;
    default: out.Empty(); break;
    }
}

void App::GetDeploymentWindowsCached(unsigned groupId, const RequestRoute& route)
{
    auto it = m_deploymentWindows.find(groupId);
    if (it == m_deploymentWindows.end()) {
        DeploymentWindowEntry& entry = m_deploymentWindows[groupId];
        entry.routes.push_back(route);
        entry.outstanding = true;
        m_db.QelGetDeploymentWindow(groupId, route);
        return;
    }
    DeploymentWindowEntry& entry = it->second;
    if (entry.outstanding) {
        // Answered with the others when the reply comes, rather than with an empty document now.
        entry.routes.push_back(route);
        return;
    }
    DeliverDocument(m_windows, route, entry.document);
}

void App::OnDeploymentWindowResult(RequestResult& reply)
{
    TiXmlElement* root = reply.document.FirstChildElementNamed(L"result");
    TiXmlElement* parameters = root ? root->FirstChildElementNamed(L"parameters") : nullptr;
    if (!parameters)
        return;
    const wchar_t* parent = parameters->GetAttribute(L"PARENT");
    unsigned groupId = parent ? static_cast<unsigned>(wcstoul(parent, nullptr, 10)) : 0;
    if (groupId == 0)
        return;
    DeploymentWindowEntry& entry = m_deploymentWindows[groupId];
    entry.document.Assign(reply.document);
    std::vector<RequestRoute> waiting;
    waiting.swap(entry.routes);
    entry.outstanding = false;
    // The reply itself goes on to its own route; every other window that asked meanwhile gets a copy.
    for (const RequestRoute& route : waiting)
        if (!SameRoute(route, reply.route))
            DeliverDocument(m_windows, route, entry.document);
}

void App::DropDeploymentWindowCache(unsigned groupId)
{
    m_deploymentWindows.erase(groupId);
}

void App::FetchObjectsThen(__int64 userId, const std::vector<__int64>& principals, std::function<void(bool)> callback,
                           const RequestRoute& route)
{
    if (!callback)
        return;
    std::list<__int64> ids(principals.begin(), principals.end());
    std::vector<__int64> order = principals;
    auto answer = [this, userId, order, callback]() {
        for (__int64 principal : order) {
            const Object* object = m_dir.Lookup(principal);
            if (!object || object->id == 0)
                continue;
            Object type;
            CTString typeName;
            if (m_mainWindow) {
                m_mainWindow->GetTypeById(type, object->type);
                typeName = type.name;
            }
            Object user;
            if (m_mainWindow)
                user = m_mainWindow->GetLogonUser();
            CTString name(object->name);
            if ((typeName.Compare(L"Schedule User") == 0 || typeName.Compare(L"Administrator") == 0) &&
                object->id == userId) {
                callback(true);
                return;
            }
            if (typeName.Compare(L"Group") == 0) {
                std::vector<__int64> users;
                object->GetLinkArray(users, CTString(L"users"));
                for (__int64 user : users)
                    if (user == userId) {
                        callback(true);
                        return;
                    }
            }
            if (typeName.Compare(L"System Group") == 0) {
                if (name.Compare(L"Everyone") == 0 ||
                    (name.Compare(L"QELConsole") == 0 && user.GetPrivilege(CTString(L"QELConsole"))) ||
                    (name.Compare(L"Self") == 0 && user.id == userId)) {
                    callback(true);
                    return;
                }
            }
        }
        callback(false);
    };
    m_dir.FetchObjects(ids, route, answer, nullptr);
}

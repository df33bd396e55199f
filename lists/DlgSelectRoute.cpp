#include "lists/DlgSelectRoute.h"

#include <algorithm>
#include <commctrl.h>
#include <unordered_map>
#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/TiXmlDocument.h"
#include "framework/CTRegKey.h"

CTString DlgSelectRoute::SettingsPath()
{
    CTString path(L"Settings\\");
    if (App* app = App::Instance())
        path.Append(app->m_server);
    path.AppendText(L"\\DlgSelectRoute");
    return path;
}

__int64 DlgSelectRoute::LinkedLocation(const Object& route)
{
    CAttribute link;
    route.GetAttribute(link, CTString(L"link_asset_location"));
    return link.GetValue();
}

BOOL DlgSelectRoute::OnInitDialog()
{
    BOOL result = DlgPicker::OnInitDialog();
    Search();
    return result;
}

void DlgSelectRoute::SendSearch(App& app, const RequestRoute& route)
{
    m_pathAnswersDue = 0;
    app.m_db.ObjSearch(CTString(L"Route [AT]"), DB::kParentAll, CTString(), CTString(), false, DB::kNoMax, route);
}

void DlgSelectRoute::OnSearchReply(RequestResult& result)
{
    CTRegKey settings(kLayoutRoot, nullptr, SettingsPath().GetBuffer());
    auto lastItem = static_cast<__int64>(settings.ReadQword(kValueLastItem, 0));

    m_list.SetEmptyText(CTString(L"No Results Found"));
    m_list.EnableAutoSort(false);
    bool redraw = m_list.m_hWnd != nullptr;
    if (redraw)
        m_list.SendMessage(WM_SETREDRAW, FALSE);
    bool lastFound = false;
    std::vector<__int64> ids;
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        // Every route is listed as it comes, a repeated one too.
        Object& route = m_results.emplace_back();
        route.ReadFromXml(element, true);
        CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(route.id)));
        row.AddText(CTString(route.name)).AddText(CTString()).AddText(CTString());
        m_list.AddRow(ImageFor(route), row);
        if (lastItem != 0 && route.id == lastItem)
            lastFound = true;
        ids.push_back(route.parent);
        ids.push_back(LinkedLocation(route));
    }
    if (redraw) {
        m_list.SendMessage(WM_SETREDRAW, TRUE);
        InvalidateRect(m_list.m_hWnd, nullptr, TRUE);
    }
    m_list.EnableAutoSort(true);
    if (m_list.m_sortColumn >= 0)
        m_list.SortBy(m_list.m_sortColumn, m_list.m_ascending);
    if (lastFound) {
        int item = m_list.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(lastItem)));
        if (item >= 0) {
            ListView_SetItemState(m_list.m_hWnd, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            ScrollSelectionIntoView();
        }
    }

    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    ids.erase(std::remove(ids.begin(), ids.end(), 0), ids.end());
    App* app = GetApp();
    if (!app || ids.empty())
        return;
    // The application answers the cached paths at once and asks the server for the rest in batches.
    size_t uncached = 0;
    for (__int64 id : ids) {
        CTString path;
        if (!app->GetCachedPath(id, path))
            ++uncached;
    }
    m_pathAnswersDue = 1 + static_cast<int>((uncached + DB::kPathBatch - 1) / DB::kPathBatch);
    // Silent: a failed answer must still reach the picker to be counted.
    app->IDsToPaths(ids, Route(kReqPath, m_searchSerial, true));
}

void DlgSelectRoute::OnPathReply(RequestResult& result)
{
    if (result.route.param2 != m_searchSerial || m_pathAnswersDue <= 0)
        return;
    --m_pathAnswersDue;
    TiXmlElement* root = result.returnCode == 0 ? result.document.FirstChildElementNamed(L"result") : nullptr;
    __int64 single = 0;
    if (TiXmlElement* parameters = root ? root->FirstChildElementNamed(L"parameters") : nullptr) {
        int64_t value = 0;
        parameters->GetAttributeInt64(L"ID", &value);
        single = value;
    }
    for (TiXmlElement* value = root ? root->FirstChildElementNamed(L"value") : nullptr; value;
         value = value->NextSiblingElementNamed(L"value")) {
        int64_t id = 0;
        if (!value->GetAttributeInt64(L"ID", &id) || id == 0)
            id = single;
        if (id == 0)
            continue;
        const wchar_t* path = value->GetAttribute(L"path");
        m_paths[id] = CTString(path ? path : L"");
    }
    if (m_pathAnswersDue == 0)
        FillPathCells();
}

void DlgSelectRoute::FillPathCells()
{
    bool autoSort = m_list.m_autoSort;
    m_list.EnableAutoSort(false);
    m_list.SendMessage(WM_SETREDRAW, FALSE);
    auto pathOf = [this](__int64 id) {
        auto it = m_paths.find(id);
        return it == m_paths.end() ? CTString() : it->second;
    };
    std::unordered_map<__int64, const Object*> routes;
    for (const Object& route : m_results)
        routes.emplace(route.id, &route);
    int count = m_list.GetItemCount();
    for (int item = 0; item < count; ++item) {
        auto id = static_cast<__int64>(reinterpret_cast<INT_PTR>(m_list.GetRowData(item)));
        auto route = routes.find(id);
        if (route == routes.end())
            continue;
        m_list.SetCell(item, 1, CTListCtrlReport::Cell(CAttribute::Text, pathOf(route->second->parent)));
        m_list.SetCell(item, 2, CTListCtrlReport::Cell(CAttribute::Text, pathOf(LinkedLocation(*route->second))));
    }
    m_list.SendMessage(WM_SETREDRAW, TRUE);
    InvalidateRect(m_list.m_hWnd, nullptr, TRUE);
    m_list.EnableAutoSort(autoSort);
    if (autoSort && m_list.m_sortColumn >= 0)
        m_list.SortBy(m_list.m_sortColumn, m_list.m_ascending);
    ScrollSelectionIntoView();
}

void DlgSelectRoute::ScrollSelectionIntoView()
{
    int item = static_cast<int>(m_list.SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (item >= 0)
        m_list.SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
}

void DlgSelectRoute::Answer(__int64 id, bool none)
{
    if (none) {
        ::SendMessageW(Owner(), kMsgRoute, static_cast<WPARAM>(m_key), 0);
        return;
    }
    CTRegKey settings(kLayoutRoot, nullptr, SettingsPath().GetBuffer());
    settings.WriteQword(kValueLastItem, static_cast<ULONGLONG>(id));
    PostMessageW(Owner(), kMsgRoute, static_cast<WPARAM>(m_key), static_cast<LPARAM>(id));
}

void DlgSelectRoute::OnCancel()
{
    PostMessageW(Owner(), kMsgRoute, static_cast<WPARAM>(m_key), 0);
}

void DlgSelectRoute::EnableSearchControls(bool enable)
{
    EnableWindow(GetDlgItem(m_hWnd, kIdList), enable);
}

void DlgSelectRoute::OnDestroyWork()
{
    m_list.SaveColumnLayout();
}

#include "app/SearchResultList.h"

#include <commctrl.h>
#include <unordered_map>
#include "app/App.h"
#include "controls/CTListCtrlReport.h"
#include "foundation/TiXmlDocument.h"

int SearchResultList::ImageFor(App* app, CTListCtrlReport& list, const Object& object, const RequestRoute& iconRoute)
{
    if (!app)
        return 0;
    CAttribute image;
    object.GetAttribute(image, CTString(L"tree_image"));
    CTString name(image.GetText());
    if (name.IsEmpty())
        return 0;
    int index = app->FindIcon(name);
    if (index < 0)
        index = app->AddIcon(name, iconRoute);
    if (index < 0)
        return 0;
    if (!list.HasImageForKey(index)) {
        if (HICON icon = app->GetIcon(0, name, iconRoute)) {
            list.AddImageForKey(icon, index);
            DestroyIcon(icon);
        }
    }
    const int listImage = list.HasImageForKey(index) ? list.GetImageForKey(index) : 0;
    return listImage > 0 ? listImage : 0;
}

void SearchResultList::OnPathReply(CTListCtrlReport& list, const std::deque<Object>& results,
                                   std::map<__int64, CTString>& paths, RequestResult& result)
{
    if (result.returnCode != 0)
        return;
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    if (!root)
        return;
    __int64 id = 0;
    if (TiXmlElement* parameters = root->FirstChildElementNamed(L"parameters")) {
        int64_t value = 0;
        parameters->GetAttributeInt64(L"ID", &value);
        id = value;
    }
    if (id == 0)
        id = result.route.param2;
    TiXmlElement* value = root->FirstChildElementNamed(L"value");
    if (id == 0 || !value)
        return;
    const wchar_t* text = value->GetAttribute(L"path");
    CTString path(text ? text : L"");
    paths[id] = path;
    std::unordered_map<__int64, __int64> parents;
    for (const Object& object : results)
        parents[object.id] = object.parent;
    // Sorting stays off while the cells change, or rows would move under the loop.
    const bool autoSort = list.m_autoSort;
    list.EnableAutoSort(false);
    const int count = list.GetItemCount();
    for (int item = 0; item < count; ++item) {
        auto objectId = static_cast<__int64>(reinterpret_cast<INT_PTR>(list.GetRowData(item)));
        auto parent = parents.find(objectId);
        if (parent != parents.end() && parent->second == id)
            list.SetCell(item, 0, CTListCtrlReport::Cell(CAttribute::Text, path));
    }
    list.EnableAutoSort(autoSort);
    if (autoSort && list.m_sortColumn >= 0)
        list.SortBy(list.m_sortColumn, list.m_ascending);
}

void SearchResultList::OnIconReply(App* app, CTListCtrlReport& list, RequestResult& result)
{
    const int index = static_cast<int>(result.route.param2);
    if (!app || !app->m_smallImages || !list.HasImageForKey(index))
        return;
    HICON icon = ImageList_GetIcon(app->m_smallImages, index, ILD_TRANSPARENT);
    if (!icon)
        return;
    list.ReplaceImage(icon, list.GetImageForKey(index));
    DestroyIcon(icon);
    InvalidateRect(list.m_hWnd, nullptr, TRUE);
}

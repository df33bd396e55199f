// The icon cache (two image lists, one index per icon name) and the id-to-path cache.
#include "app/App.h"
#include <algorithm>
#include "foundation/CTImage.h"

namespace {

constexpr UINT kAppIcon = 2;
constexpr UINT kItemIcon = 161;

HICON LoadSizedIcon(UINT id, int cx, int cy)
{
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR));
}

// Appends icon resource id to the list at the list's size; the new index, or -1.
int AppendIcon(HIMAGELIST list, UINT id)
{
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    HICON icon = LoadSizedIcon(id, cx, cy);
    int index = ImageList_ReplaceIcon(list, -1, icon);
    if (icon)
        DestroyIcon(icon);
    return index;
}

} // namespace

void App::ResetImageLists()
{
    ImageList_RemoveAll(m_largeImages);
    ImageList_RemoveAll(m_smallImages);
    m_iconNames.clear();
    for (UINT id : {kAppIcon, kItemIcon}) {
        AppendIcon(m_largeImages, id);
        AppendIcon(m_smallImages, id);
    }
}

int App::FindIcon(const CTString& name)
{
    auto it = m_iconNames.find(name);
    return it == m_iconNames.end() ? -1 : it->second;
}

int App::AddIcon(const CTString& name, const RequestRoute& routeTemplate)
{
    int index = AppendIcon(m_largeImages, kAppIcon);
    if (index < 0)
        return -1;
    // Both lists keep one index per icon.
    if (AppendIcon(m_smallImages, kAppIcon) != index) {
        ImageList_Remove(m_largeImages, index);
        return -1;
    }
    m_iconNames[name] = index;
    RequestRoute route = routeTemplate;
    route.requestId = kReqIcon;
    route.param2 = index;
    m_db.Get(name, route);
    return index;
}

HICON App::GetIcon(int sizeKind, const CTString& name, const RequestRoute& routeTemplate)
{
    if (name.IsEmpty())
        return nullptr;
    int index = FindIcon(name);
    if (index < 0)
        index = AddIcon(name, routeTemplate);
    if (index < 0)
        return nullptr;
    return ImageList_GetIcon(sizeKind == 1 ? m_largeImages : m_smallImages, index, ILD_TRANSPARENT);
}

// The picture at a list's icon size as a 32-bit bitmap whose alpha the list can draw with: a
// picture without an alpha channel becomes opaque, one with it keeps its transparency.
HBITMAP App::MakeListBitmap(const CTImage& picture, int cx, int cy)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = cx;
    info.bmiHeader.biHeight = -cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT dest = {0, 0, cx, cy};
    if (picture.HasAlphaChannel()) {
        picture.Draw(dc, dest);
    } else {
        SetStretchBltMode(dc, COLORONCOLOR);
        picture.StretchBlt(dc, dest, SRCCOPY);
    }
    GdiFlush();
    if (!picture.HasAlphaChannel()) {
        auto* pixel = static_cast<BYTE*>(bits);
        for (int i = 0; i < cx * cy; ++i)
            pixel[i * 4 + 3] = 0xFF;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

void App::StoreIconPicture(RequestResult& reply)
{
    reply.response.Parse();
    if (reply.response.GetStatusClass() != 2 || reply.body.GetSize() == 0)
        return;
    CTImage picture;
    if (FAILED(picture.LoadFromMemory(reply.body)) || picture.IsNull())
        return;
    int index = static_cast<int>(reply.route.param2);
    if (index < 0 || index >= ImageList_GetImageCount(m_largeImages))
        return;
    // A picture of the icon size is copied as it is; any other size is stretched into each list.
    for (HIMAGELIST list : {m_largeImages, m_smallImages}) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(list, &cx, &cy);
        if (HBITMAP bitmap = MakeListBitmap(picture, cx, cy)) {
            ImageList_Replace(list, index, bitmap, nullptr);
            DeleteObject(bitmap);
        }
    }
}

bool App::GetCachedPath(__int64 id, CTString& text)
{
    auto it = m_paths.find(id);
    if (it == m_paths.end())
        return false;
    if (text.IsEmpty()) {
        m_paths.erase(it);
        return true;
    }
    text = it->second;
    return true;
}

void App::IDToPath(__int64 id, const RequestRoute& route)
{
    auto it = m_paths.find(id);
    if (it == m_paths.end()) {
        m_db.DirIDToPath(static_cast<unsigned>(id), route);
        return;
    }
    RequestResult result;
    result.route = route;
    auto* root = new TiXmlElement(L"result");
    auto* parameters = new TiXmlElement(L"parameters");
    parameters->SetAttributeInt64(L"ID", id);
    root->LinkEndChild(parameters);
    auto* value = new TiXmlElement(L"value");
    value->SetAttribute(L"path", it->second.GetBuffer() ? it->second.GetBuffer() : L"");
    root->LinkEndChild(value);
    result.document.LinkEndChild(root);
    m_windows.NotifyWindows(route.targetType, route.targetKey, &result);
}

void App::IDsToPaths(std::vector<__int64>& ids, const RequestRoute& route)
{
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    ids.erase(std::remove(ids.begin(), ids.end(), 0), ids.end());

    RequestResult result;
    result.route = route;
    auto* root = new TiXmlElement(L"result");
    result.document.LinkEndChild(root);
    std::vector<__int64> missing;
    for (__int64 id : ids) {
        auto it = m_paths.find(id);
        if (it == m_paths.end()) {
            missing.push_back(id);
            continue;
        }
        auto* value = new TiXmlElement(L"value");
        value->SetAttributeInt64(L"ID", id);
        value->SetAttribute(L"path", it->second.GetBuffer() ? it->second.GetBuffer() : L"");
        root->LinkEndChild(value);
    }
    m_windows.NotifyWindows(route.targetType, route.targetKey, &result);
    if (!missing.empty())
        m_db.DirIDsToPaths(missing, route);
}

void App::StorePaths(TiXmlDocument& document)
{
    TiXmlElement* root = document.FirstChildElementNamed(L"result");
    if (!root)
        return;
    int single = 0;
    if (TiXmlElement* parameters = root->FirstChildElementNamed(L"parameters"))
        parameters->GetAttributeInt(L"ID", &single);
    TiXmlElement* value = root->FirstChildElementNamed(L"value");
    if (!value)
        return;
    if (single != 0) {
        const wchar_t* path = value->GetAttribute(L"path");
        m_paths[single] = CTString(path ? path : L"");
        return;
    }
    for (; value; value = value->NextSiblingElementNamed(L"value")) {
        int id = 0;
        value->GetAttributeInt(L"ID", &id);
        if (id == 0)
            continue;
        const wchar_t* path = value->GetAttribute(L"path");
        m_paths[id] = CTString(path ? path : L"");
    }
}

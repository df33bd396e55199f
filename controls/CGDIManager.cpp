#include "controls/CGDIManager.h"

#include "framework/CTREngine.h"

CGDIManager* CGDIManager::Instance()
{
    static CGDIManager cache;
    return &cache;
}

CGDIManager::CObject* CGDIManager::Find(int id)
{
    for (auto* item = GetHead(); item; item = item->GetNext()) {
        auto* entry = static_cast<CObject*>(item);
        if (entry->id == id) return entry;
    }
    return nullptr;
}

CGDIManager::CObject* CGDIManager::AddRef(int id)
{
    CObject* entry = Find(id);
    if (entry) ++entry->refs;
    return entry;
}

CGDIManager::CObject* CGDIManager::AddFont(int id, int weight, int height, int escapement, int orientation)
{
    if (CObject* entry = AddRef(id)) return entry;
    LOGFONTW lf = {};
    CTREngine* engine = CTREngine::Instance();
    if (engine->m_menuFont) GetObjectW(engine->m_menuFont, sizeof(lf), &lf);
    lf.lfQuality = CLEARTYPE_QUALITY;
    lf.lfWeight = weight;
    if (height) lf.lfHeight = height;
    if (escapement) lf.lfEscapement = escapement;
    if (orientation) lf.lfOrientation = orientation;
    auto* entry = new CFont(id, CreateFontIndirectW(&lf));
    AddTail(entry);
    return entry;
}

CGDIManager::CObject* CGDIManager::AddBrush(int id, HBRUSH brush)
{
    if (CObject* entry = AddRef(id)) return entry;
    auto* entry = new CBrush(id, brush);
    AddTail(entry);
    return entry;
}

CGDIManager::CObject* CGDIManager::AddPen(int id, COLORREF colour, int width)
{
    if (CObject* entry = AddRef(id)) return entry;
    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    if (!dpi.loaded) dpi.Load();
    auto* entry = new CPen(id, CreatePen(PS_SOLID, MulDiv(width, dpi.x, 96), colour));
    AddTail(entry);
    return entry;
}

CGDIManager::CObject* CGDIManager::AddColour(int id, COLORREF colour)
{
    if (CObject* entry = AddRef(id)) return entry;
    auto* entry = new CColour(id, colour);
    AddTail(entry);
    return entry;
}

CGDIManager::CObject* CGDIManager::AddIcon(int id, UINT iconId, int size)
{
    if (CObject* entry = AddRef(id)) return entry;
    auto* entry = new CIcon(id);
    entry->icon.LoadFromExe(iconId, size);
    AddTail(entry);
    return entry;
}

CGDIManager::CObject* CGDIManager::AddIconCopy(int id, HICON icon)
{
    if (CObject* entry = AddRef(id)) return entry;
    auto* entry = new CIcon(id);
    entry->icon.SetCopy(icon);
    AddTail(entry);
    return entry;
}

void CGDIManager::Release(int id)
{
    auto* item = GetHead();
    while (item) {
        auto* next = item->GetNext();
        auto* entry = static_cast<CObject*>(item);
        if (entry->id == id && --entry->refs == 0) Delete(entry);
        item = next;
    }
}

#include "framework/CDrawGDI.h"

#include <cstring>

namespace CDraw {

GDI::Font::~Font()
{
    if (font)
        DeleteObject(font);
}

HFONT GDI::GetFont(const LOGFONTW& logFont)
{
    for (CLinkedListObject* item = fonts.GetHead(); item; item = item->GetNext()) {
        auto* entry = static_cast<Font*>(item);
        if (memcmp(&entry->logFont, &logFont, sizeof(LOGFONTW)) == 0)
            return entry->font;
    }
    HFONT font = CreateFontIndirectW(&logFont);
    if (!font)
        return nullptr;
    auto* entry = new Font;
    entry->font = font;
    entry->logFont = logFont;
    fonts.AddTail(entry);
    return font;
}

void GDI::Clear()
{
    fonts.DeleteAll();
}

} // namespace CDraw

#pragma once
#include <windows.h>

#include "foundation/CLinkedList.h"

namespace CDraw {

// The mark-up font cache: fonts made for mark-up documents, shared by every document that is
// handed the cache, and emptied by the engine when its palette is rebuilt.
struct GDI {
    // One cached font and the LOGFONTW it was made from.
    struct Font : CLinkedListObject {
        HFONT font = nullptr;
        LOGFONTW logFont = {};
        ~Font() override;
    };

    int dpiX = 96;
    int dpiY = 96;
    CLinkedList fonts;

    // The font of the entry whose LOGFONTW matches byte for byte, else a new entry.
    HFONT GetFont(const LOGFONTW& logFont);
    // Deletes every cached font.
    void Clear();
};

} // namespace CDraw

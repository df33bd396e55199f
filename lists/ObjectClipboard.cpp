#include "lists/ObjectClipboard.h"

#include <cstring>
#include <cwchar>

bool CopyObjectIdToClipboard(HWND owner, UINT format, __int64 id)
{
    HGLOBAL idBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(__int64));
    wchar_t text[32];
    _snwprintf(text, 32, L"ID=%d", static_cast<int>(id));
    text[31] = 0;
    const size_t textBytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL textBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, textBytes);
    if (idBlock)
        if (void* target = GlobalLock(idBlock)) {
            memcpy(target, &id, sizeof(id));
            GlobalUnlock(idBlock);
        }
    if (textBlock)
        if (void* target = GlobalLock(textBlock)) {
            memcpy(target, text, textBytes);
            GlobalUnlock(textBlock);
        }
    if (!idBlock || !textBlock || !OpenClipboard(owner)) {
        if (idBlock)
            GlobalFree(idBlock);
        if (textBlock)
            GlobalFree(textBlock);
        return false;
    }
    EmptyClipboard();
    if (!SetClipboardData(format, idBlock))
        GlobalFree(idBlock);
    if (!SetClipboardData(CF_UNICODETEXT, textBlock))
        GlobalFree(textBlock);
    CloseClipboard();
    return true;
}

__int64 PasteObjectIdFromClipboard(HWND owner, UINT format)
{
    __int64 id = 0;
    if (!OpenClipboard(owner))
        return 0;
    if (HANDLE data = GetClipboardData(format))
        if (GlobalSize(data) >= sizeof(id))
            if (const void* source = GlobalLock(data)) {
                memcpy(&id, source, sizeof(id));
                GlobalUnlock(data);
            }
    CloseClipboard();
    return id;
}

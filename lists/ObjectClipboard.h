#pragma once
// A copied list row on the clipboard: the object id as an 8-byte integer in the list's private
// format, and the text "ID=<id>".
#include <windows.h>

// False when the clipboard could not be opened (nothing is left allocated then).
bool CopyObjectIdToClipboard(HWND owner, UINT format, __int64 id);
// The id held in the private format; 0 when the clipboard holds none.
__int64 PasteObjectIdFromClipboard(HWND owner, UINT format);

#pragma once
// Copying one cell of a report-view list: the right-click menu with its single "Copy" item and the
// copy of the cell's text (at most 259 characters) to the clipboard as Unicode text.
#include <windows.h>
#include <commctrl.h>

class ListCellCopy {
public:
    enum : UINT { kCmdCopy = 32779, kStrCopy = 113 };
    // Characters of a cell that a copy reads, the terminating NUL included.
    static constexpr int kCopyBuffer = 260;

    // Puts the text of the cell on the clipboard; false when nothing was copied.
    static bool CopyCell(HWND list, int item, int subItem);
    // Shows the Copy menu at the click (owned by owner) and copies the clicked cell when chosen.
    static void ShowCopyMenu(HWND list, HWND owner, const NMITEMACTIVATE& click);
};

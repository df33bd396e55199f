#include "structure/StandInPage.h"

#include <vector>

StandInPage::StandInPage(const wchar_t* title, bool enabled) : m_enabled(enabled) { m_title = title; }

bool StandInPage::CreatePage(HWND parent)
{
    // DLGTEMPLATE, then empty menu, class and title words; no controls.
    std::vector<WORD> data(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(data.data());
    dialog->style = WS_CHILD | DS_CONTROL;
    dialog->dwExtendedStyle = WS_EX_CONTROLPARENT;
    dialog->cx = 200;
    dialog->cy = 150;
    m_hParent = parent;
    m_isDialog = true;
    m_hWnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog, parent, CTWnd2::DialogProc,
                                        reinterpret_cast<LPARAM>(static_cast<CTWnd2*>(this)));
    return m_hWnd != nullptr;
}

#include "people/ComputerPaneStandInPage.h"

#include <vector>

ComputerPaneStandInPage::ComputerPaneStandInPage(const wchar_t* title, UINT templateId, bool withList)
    : m_templateId(templateId), m_withList(withList)
{
    m_title = title;
}

bool ComputerPaneStandInPage::Load()
{
    if (!m_hWnd || !IsWindowVisible(m_hWnd)) {
        m_loadPending = true;
        return true;
    }
    m_loadPending = false;
    ++m_loads;
    return true;
}

bool ComputerPaneStandInPage::CreatePage(HWND parent)
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

bool ComputerPaneStandInPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    if (msg == WM_INITDIALOG) {
        CTWndSize::Init(m_hWnd, false, 0, 0, false);
        if (m_withList && m_list.Create(m_hWnd, kIdList, false, 0)) {
            RECT rc = {};
            GetClientRect(m_hWnd, &rc);
            MoveWindow(m_list.m_hWnd, 0, 0, rc.right, rc.bottom, FALSE);
            AddItem(m_list.m_hWnd, 12);
        }
        *result = TRUE;
        return true;
    }
    if (handled)
        return true;
    return CWMFormPage::OnMessage(msg, wParam, lParam, result);
}

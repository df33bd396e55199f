#pragma once
// A plain tab of the computer pane for a page whose own class is not in this module yet: a title,
// an optional list frame (control 1016) that the pane fills, and nothing else. Its window is built
// from a template made in memory.
#include "app/CWMFormPage.h"
#include "controls/CTWndListCtrlEx2.h"

class ComputerPaneStandInPage : public CWMFormPage {
public:
    enum : int { kIdList = 1016 };
    UINT m_templateId = 0;
    bool m_withList = false;
    CTWndListCtrlEx2 m_list;
    int m_loads = 0;   // loads done while on show

    ComputerPaneStandInPage(const wchar_t* title, UINT templateId, bool withList = false);
    bool Load() override;
    bool Save() override { return true; }
    UINT GetTemplateId() override { return m_templateId; }
    bool CreatePage(HWND parent) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

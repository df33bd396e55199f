#pragma once
// An empty form page with a title and an enabled flag, for tabs whose content other modules add
// later. It needs no dialog template: its window is built from a template made in memory.
#include "framework/CWMForm.h"

class StandInPage : public CWindowManager::CWMFormPage {
public:
    bool m_enabled = true;

    StandInPage(const wchar_t* title, bool enabled);
    bool Load() override { return true; }
    bool Save() override { return true; }
    UINT GetTemplateId() override { return 0; }
    bool IsEnabled() override { return m_enabled; }
    bool CreatePage(HWND parent) override;
};

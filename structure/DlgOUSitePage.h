#pragma once
// The "Site" page of the unit form: the site's postal address, the country inheritable.
#include "structure/DlgOU.h"

class DlgOU::CSitePage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 403;
    static constexpr int kCountryToggle = 1316;

    struct Field {
        int edit;
        const wchar_t* attribute;
    };
    static const Field kFields[7];   // in the order they are loaded and stored; the country last

    bool m_enabled = false;

    explicit CSitePage(DlgOU* form);

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }
    bool IsEnabled() override { return m_enabled; }

private:
    DlgOU* m_ou = nullptr;
    void EnableCountry();
};

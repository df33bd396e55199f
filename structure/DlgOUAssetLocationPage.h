#pragma once
// The "Asset Location" page of the unit form: the location's type, and the administrators the
// location is assigned to, found through their "Link [AT]" objects and named when each arrives.
#include "controls/CTListCtrlReport.h"
#include "structure/DlgOU.h"

class DlgOU::CAssetLocationPage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 339;
    static constexpr int kTypeCombo = 1137;
    static constexpr int kList = 1016;
    static constexpr __int64 kSearchTag = 8;
    static constexpr __int64 kAdministratorTag = 9;

    CTListCtrlReport m_list;
    bool m_enabled = false;

    explicit CAssetLocationPage(DlgOU* form);
    ~CAssetLocationPage() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }
    bool IsEnabled() override { return m_enabled; }

    // Replies 1047 (the links) and 1052 (an administrator) tagged for this page.
    void OnResult(RequestResult& reply);

private:
    DlgOU* m_ou = nullptr;
};

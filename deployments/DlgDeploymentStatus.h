#pragma once
// The form of a deployment status (window type 43, keyed by its id): name, code, description,
// display order and the workflow flags of "deployment_attribs".
#include "controls/CTWndEditLocale.h"
#include "deployments/DeploymentFlagOptions.h"
#include "deployments/DeploymentSettingForm.h"

class DlgDeploymentStatus : public DeploymentSettingForm {
public:
    class CGeneralPage;
    static constexpr int kWindowType = 43;
    static constexpr int kListTab = 1049;
    static const DeploymentFlagOption kFlags[13];

    DlgDeploymentStatus();

    CGeneralPage* m_general = nullptr;

protected:
    void AddPages() override;
};

class DlgDeploymentStatus::CGeneralPage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 409;
    enum : int { kName = 1017, kCode = 1280, kDescription = 1081, kDisplayOrder = 1018, kOptions = 1250 };

    explicit CGeneralPage(DlgDeploymentStatus* form);

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }

    CTWndEditLocale m_description;
    DeploymentFlagOptions m_flags;

private:
    DlgDeploymentStatus* m_status = nullptr;
};

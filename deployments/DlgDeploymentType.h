#pragma once
// The form of a deployment type (window type 39, keyed by its id): the General page with its kind
// and page flags, and the Status page with the statuses its deployments may take and those that
// count as active.
#include <vector>
#include "controls/CTWndEditLocale.h"
#include "deployments/DeploymentFlagOptions.h"
#include "deployments/DeploymentSettingForm.h"
#include "foundation/CLinkedList.h"

class DlgDeploymentType : public DeploymentSettingForm {
public:
    class CGeneralPage;
    class CStatusPage;
    class CDepStatus;
    static constexpr int kWindowType = 39;
    static constexpr int kListTab = 1048;
    static const DeploymentFlagOption kFlags[14];

    DlgDeploymentType();

    CGeneralPage* m_general = nullptr;
    CStatusPage* m_status = nullptr;

protected:
    void AddPages() override;
};

// One deployment-status id in the lists that SyncActiveStatuses compares.
class DlgDeploymentType::CDepStatus : public CLinkedListCompare {
public:
    explicit CDepStatus(unsigned id) : m_id(id) {}
    int Compare(CLinkedListCompare* key) override;
    unsigned m_id = 0;
};

class DlgDeploymentType::CGeneralPage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 419;
    enum : int {
        kName = 1017, kEnable = 1140, kDisplayOrder = 1018, kAttribs = 1020, kType = 1019, kDescription = 1081,
        kOptions = 1250,
    };

    explicit CGeneralPage(DlgDeploymentType* form);

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }

    CTWndEditLocale m_description;
    DeploymentFlagOptions m_flags;

private:
    DlgDeploymentType* m_type = nullptr;
};

class DlgDeploymentType::CStatusPage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 420;
    enum : int { kEnabled = 1070, kActive = 413 };

    explicit CStatusPage(DlgDeploymentType* form);

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }

    // Keeps the active list equal to the ticked enabled statuses, in the main window's status order.
    void SyncActiveStatuses();

    CTWndSettings m_enabled;
    CTWndSettings m_active;
    // The cached statuses the lists were built from; without them the stored lists are left alone.
    std::vector<Object> m_statuses;
    bool m_statusesLoaded = false;

private:
    DlgDeploymentType* m_type = nullptr;
};

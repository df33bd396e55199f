#pragma once
// The tabbed pages of the deployment pane, in tab order: Details, Components, E-mails, Exceptions,
// Tasks, requests and Settings. Each is a child dialog of its own template that loads from the
// pane's working copy of the deployment only while it is on show.
#include <windows.h>
#include <vector>
#include "app/CWMFormPage.h"
#include "deployments/DlgDeployment.h"
#include "framework/CTHyperLink.h"

// Base of the pages: the pane that hosts them and its working copy.
class DeploymentPageBase : public CWMFormPage {
public:
    DlgDeployment* GetPane() const { return dynamic_cast<DlgDeployment*>(m_host); }
    // The pane's working copy; an empty object without a pane.
    const Object& GetDeployment() const;
    bool m_readOnly = false;
    // Loads only while the page's window exists and is shown; otherwise waits until it is.
    bool Load() override;
    virtual void Fill() {}
    virtual void SetReadOnly(bool readOnly);
    HWND ListWindow() const { return m_hWnd ? GetDlgItem(m_hWnd, 1016) : nullptr; }
    int RowCount() const;
    int m_loads = 0;   // loads done, for the pane's tests
};

class DlgDeployment::CPageDeployment : public DeploymentPageBase {
public:
    enum : UINT { kTemplate = 356 };
    UINT GetTemplateId() override { return kTemplate; }
    void OnChoicesArrived(int attributeId) { (void)attributeId; }
};

class DlgDeployment::CDeployablePage : public DeploymentPageBase {
public:
    enum : UINT { kTemplate = 372 };
    UINT GetTemplateId() override { return kTemplate; }
    void SetModelRestriction(const Object& model) { m_model = model; }
    void OnDeployablesArrived(ObjectBranch* branch) { (void)branch; }
    void OnIconArrived(RequestResult& result) { (void)result; }
    Object m_model;
};

class DlgDeployment::CPageEmails : public DeploymentPageBase {
public:
    enum : UINT { kTemplate = 352 };
    UINT GetTemplateId() override { return kTemplate; }
    void Clear();
    void AddRow(const Object& email, int image);
};

class DlgDeployment::CPageExceptions : public DeploymentPageBase {
public:
    enum : UINT { kTemplate = 374 };
    UINT GetTemplateId() override { return kTemplate; }
};

class DlgDeployment::CPageTasks : public DeploymentPageBase {
public:
    enum : UINT { kTemplate = 393 };
    UINT GetTemplateId() override { return kTemplate; }
    int m_dueState = 1;   // the worst due state of the rows: 1 open, 3 due soon, 4 overdue
    void UpdateTaskRow(const Object& task) { (void)task; }
    void SetAdministratorName(int column, __int64 administratorId, const CTString& name);
    void RemoveRow(__int64 taskId);
    void FitColumns() {}
};

// Holds the place of the requests tab; present only while requests about the deployment exist.
class DlgDeployment::CRequestsPage : public DeploymentPageBase {
public:
    enum : UINT { kTemplate = 0 };
    CRequestsPage() { m_enabled = false; }
    UINT GetTemplateId() override { return kTemplate; }
    void OnRequestChanged(__int64 requestId) { m_changed.push_back(requestId); }
    std::vector<__int64> m_changed;
};

class DlgDeployment::CPageSettings : public DeploymentPageBase {
public:
    enum : UINT { kTemplate = 389 };
    enum : int { kIdLocation = 1046, kIdSurvey = 1087, kIdSurveyInherit = 1062 };
    UINT GetTemplateId() override { return kTemplate; }
    CTHyperLink m_location;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void SetLocationText(const wchar_t* text);
    void FillSurveys(TiXmlDocument& document);
    void UpdateEnables() {}
};

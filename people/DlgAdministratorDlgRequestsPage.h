#pragma once
// The requests tab of the administrator form: the cached requests whose "link_request_object" is
// the administrator. Its caption is the number of rows; it has no tab until a request-changed
// notice names such a request, and then while it has rows.
#include <list>
#include <vector>
#include "controls/CTWndListCtrlEx2.h"
#include "people/DlgAdministratorDlg.h"

class DlgAdministratorDlg::DlgRequestsPage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 447;
    enum : int { kList = 1016 };

    CTWndListCtrlEx2 m_list;
    bool m_enabled = false;
    std::vector<Object> m_requests;   // the rows' requests, as collected

    explicit DlgRequestsPage(DlgAdministratorDlg* form);
    ~DlgRequestsPage() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override { return true; }
    UINT GetTemplateId() override { return kTemplateId; }
    bool IsEnabled() override { return m_enabled; }
    bool CreatePage(HWND parent) override;

    void OnRequestChanged(__int64 requestId);
    void UpdateCount();
    void FillPeople();

private:
    DlgAdministratorDlg* m_admin = nullptr;
    void Init();
    bool Concerns(const Object& request) const;
    void AddRequestRow(const Object& request, std::list<__int64>& missing);
    void SetPeople(int item, const Object& request);
    void FetchPeople(std::list<__int64>& missing);
};

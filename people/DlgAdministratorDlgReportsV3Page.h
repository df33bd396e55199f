#pragma once
// The "Reports (v3)" tab of the administrator form: the enabled report definitions with a tick for
// access, kept in each report's "users", and the "AllReports" privilege that grants every report
// and locks the list. Loads when first shown; a page never loaded saves nothing.
#include <map>
#include <vector>
#include "controls/CTListCtrlEdit.h"
#include "controls/CTWndListCtrlEx2.h"
#include "people/DlgAdministratorDlg.h"

class DlgAdministratorDlg::CReportsV3Page : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 358;
    enum : int { kList = 1016, kSelectAll = 1083, kAllReports = 1191 };

    CTWndListCtrlEx2 m_list;
    CTListCtrlEdit m_editor;
    std::vector<Object> m_reports;
    std::map<__int64, std::vector<__int64>> m_loadedUsers;   // each report's "users" as loaded
    int m_pendingSaves = 0;
    bool m_visible = false;
    bool m_loadPending = true;     // nothing loaded yet
    bool m_selectAll = false;

    explicit CReportsV3Page(DlgAdministratorDlg* form);
    ~CReportsV3Page() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }
    bool CreatePage(HWND parent) override;

    // Replies 1047 and 1051 with second parameter 4; any other reply is ignored.
    void OnResult(RequestResult& reply);
    void AddReportRow(const Object& report);
    // The report's "users" gains or loses the administrator.
    void OnCheckChanged(__int64 reportId, bool ticked);
    void ToggleSelectAll();
    void UpdateEnabled();

private:
    DlgAdministratorDlg* m_admin = nullptr;
    void Init();
    Object* FindReport(__int64 id);
    static void OnValueChanged(void* context, int item, int column, CAttribute* value);
};

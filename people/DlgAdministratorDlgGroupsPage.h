#pragma once
// The "Groups" tab of the administrator form: every group below the groups folder with a tick for
// membership. Each changed group is saved with the administrator added to or removed from its
// "users"; the page edits copies and stores a group in the cache only when its save succeeded. Its
// share of the form's save is complete once every group save has answered.
#include <set>
#include <vector>
#include "controls/CTListCtrlEdit.h"
#include "controls/CTWndListCtrlEx2.h"
#include "session/DB.h"
#include "people/DlgAdministratorDlg.h"

class DlgAdministratorDlg::CGroupsPage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 336;
    enum : int { kList = 1016, kCmdSelect = 122, kCmdAll = 32808, kCmdNone = 32809, kCmdInvert = 32810, kMenu = 204 };

    CTWndListCtrlEx2 m_list;
    CTListCtrlEdit m_editor;
    std::vector<Object> m_groups;
    std::set<__int64> m_changed;
    int m_pendingSaves = 0;
    bool m_failed = false;        // a group save of this save was refused
    bool m_visible = false;
    bool m_loadPending = false;

    explicit CGroupsPage(DlgAdministratorDlg* form);
    ~CGroupsPage() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }
    bool CreatePage(HWND parent) override;

    void Fill();
    // All, None or Invert on every editable row.
    void SelectRows(int command);
    bool IsTicked(__int64 groupId);
    void SetTicked(__int64 groupId, bool ticked);
    void OnSaved(__int64 groupId, DB::DBEvent& reply);

private:
    DlgAdministratorDlg* m_admin = nullptr;
    void Init();
    void ShowSelectMenu();
    static void OnValueChanged(void* context, int item, int column, CAttribute* value);
};

#pragma once
// The component-defaults page of the schedule-group form: every deployable component of the
// system with the group's three marks (available, deployed by default, mandatory), each mark
// allowed only under the one before it; the three may be inherited together.
#include <windows.h>
#include <map>
#include <vector>

#include "controls/CTListCtrlEdit.h"
#include "controls/CTWndListCtrlEx2.h"
#include "framework/CTIcon.h"
#include "framework/CTMenu.h"
#include "schedulegroups/DlgScheduleGroupDlg.h"

class DlgScheduleGroupDlg::CDeployablePage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 371;
    enum : int {
        IdList = 1016, ColumnType = 0, ColumnName = 1, ColumnAvailable = 2, ColumnDefault = 3, ColumnMandatory = 4,
        CmdSelect = 122, CmdInherit = 388, CmdView = 389, CmdAll = 32808, CmdNone = 32809, CmdInvert = 32810,
        CmdViewAll = 32826, CmdFirstType = 5000, CmdLastType = 5198,
        MenuSelect = 204, MenuView = 205, IconSelect = 188, IconInherit = 207, IconView = 208,
    };

    CTWndListCtrlEx2 m_list;
    CTListCtrlEdit m_editor;
    ObjectBranch m_components;
    std::vector<__int64> m_available;
    std::vector<__int64> m_byDefault;
    std::vector<__int64> m_mandatory;
    CTMenu m_selectMenu;
    CTMenu m_viewMenu;
    bool m_inheritClicked = false;
    std::map<int, __int64> m_viewMap;
    std::vector<CTIcon> m_menuIcons;
    std::vector<__int64> m_types;
    std::vector<CTString> m_typeNames;
    __int64 m_viewFilter = 0;
    bool m_firstFill = true;
    // Set by each load of the form: the page shows the loaded object once per reply of a load,
    // and searches the components only the first time.
    bool m_searchNeeded = false;
    HIMAGELIST m_viewImages = nullptr;   // the view menu's copy of the console's small icons, owned

    CDeployablePage() { m_title = L"Component Defaults"; }
    ~CDeployablePage() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }

    // The good reply of the components search (the children of the deployable folder).
    void OnSearchReply(TiXmlElement* result);
    void Fill();
    // Default needs Available and Mandatory needs Default; copies the row's marks into the id lists.
    void ApplyRowMarks(int item, bool byUser);
    bool IsInheritChecked() const;
    // The row's mark in one of the check-box columns.
    bool Mark(int item, int column);

private:
    DlgScheduleGroupDlg* Form() { return static_cast<DlgScheduleGroupDlg*>(m_form); }
    void Initialise();
    void SetInheritState(BYTE state);
    void SetMark(int item, int column, bool on);
    void ApplySelect(int command);
    void BuildViewMenu();
    void RunMenu(int button);
    static void OnValueChanged(void* context, int item, int column, CAttribute* value);
};

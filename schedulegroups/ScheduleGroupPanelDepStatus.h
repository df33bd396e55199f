#pragma once
// The "Status" panel of the deployments page: all, active, completed, succeeded and failed
// deployments, then one entry per deployment status in the main window's order, each with the
// number of the view's deployments it holds.
#include <windows.h>
#include <map>
#include "controls/CTWndList.h"
#include "schedulegroups/ScheduleGroupPanels.h"

class DlgScheduleGroup::DlgLHSDepStatus : public DlgScheduleGroup::DlgLHSBase, public CTWndList {
public:
    enum Entry : int { EntryAll = 0, EntryActive = 1, EntryCompleted = 2, EntrySucceeded = 3, EntryFailed = 4 };

    DlgLHSDepStatus(HWND host, CPageBase* owner);
    std::map<__int64, int> m_counts;

    HWND GetHwnd() override { return m_hWnd; }
    bool Accepts(const Object& object) override;
    void Rebuild() override;
    void OnObjectChanged(const Object& now, const Object* old) override;
    int GetKind() override { return KindStatus; }
    void LoadChoice(CTRegKey& key) override { LoadDword(key, L"LHSDepStatus"); }
    void SaveChoice(CTRegKey& key) override { SaveDword(key, L"LHSDepStatus"); }
    void OnSelectionChanged(unsigned __int64 key) override { ChoiceChanged(key); }
    bool GetItemMarkup(unsigned __int64 key, const CTString& escapedText, DWORD state, CTString& out) override;

    // The counts of the entries over the deployments of a cache. A deployment whose status is not
    // found counts only under "<all deployments>", not a second time under status id 0.
    static std::map<__int64, int> Count(const std::map<__int64, Object>& objects, __int64 deploymentType,
                                        MainWindow& main);
    // Whether a deployment passes an entry of this panel.
    static bool PassesChoice(const Object& deployment, unsigned __int64 choice, MainWindow& main);
};

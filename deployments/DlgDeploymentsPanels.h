#pragma once
// The left-hand filter panels of the deployments view and the host that shows one of them under a
// header naming it. Each panel counts the loaded deployments of the ticked groups per entry; the
// entry chosen in the shown panel filters the view's list.
#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "controls/CTListCtrlEdit.h"
#include "controls/CTListCtrlReport.h"
#include "controls/CTWndDraw.h"
#include "controls/CTWndList.h"
#include "deployments/DlgDeployments.h"
#include "framework/CTIcon.h"
#include "framework/CTMenu.h"
#include "framework/CTWndSize.h"
#include "framework/CTWndTheme.h"
#include "framework/CTWndToolbar.h"

class DlgDeployments::DlgLHSBase {
public:
    DlgLHSBase(DlgDeployments* owner, const wchar_t* name) : m_name(name), m_owner(owner) {}
    virtual ~DlgLHSBase() = default;

    virtual void SetFocus();
    virtual HWND GetWindow() = 0;
    virtual bool HasChoice() { return m_choice != 0; }
    virtual bool Accepts(const Object& object) = 0;
    // While dragging: the entry under the point (0 for none or no change); at the end: the entry
    // dropped on (0 for none).
    virtual UINT32 DragOver(bool dragging, const POINT* screen) { (void)dragging, (void)screen; return 0; }
    virtual void Drop(UINT32 value);
    virtual void MouseWheel(WPARAM wParam) { (void)wParam; }
    virtual void OnReply(RequestResult& result) { (void)result; }
    virtual void Rebuild() {}
    virtual void Update(const Object& object, const Object* previous) { (void)object, (void)previous; }
    virtual void LoadChoice(CTRegKey& key) { (void)key; }
    virtual void SaveChoice(CTRegKey& key) { (void)key; }
    virtual int GetKind() = 0;
    virtual void Reset() {}
    virtual void BeforeReload() {}

    // The deployments the panels count: of the deployment type, in an enabled group.
    bool Counted(const Object& object, __int64 deploymentType);

    int m_kind = 0;
    CTString m_name;
    UINT64 m_choice = 0;
    DlgDeployments* m_owner = nullptr;
};

class DlgDeployments::DlgLHS : public CTWnd2, public CTWndSize {
public:
    enum : int { kTemplate = 375, kIdHeader = 1197, kIdPlaceholder = 1199, kMenuFirst = 5000, kGdiHotTrack = 25 };

    ~DlgLHS() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    virtual bool Create(HWND parent);

    void Add(DlgLHSBase* panel) { m_panels.emplace_back(panel); }
    bool SelectPanel(int kind);
    void RebuildOthers(int kind);
    void UpdateAll(const Object& object, const Object* previous);
    DlgLHSBase* Find(int kind);
    void ShowPanelMenu();
    static CTString BuildHeaderMarkup(const CTString& name);

    CTWndDraw m_header;
    std::vector<std::unique_ptr<DlgLHSBase>> m_panels;
    DlgLHSBase* m_current = nullptr;
};

class DlgDeployments::DlgLHSSelectSG : public DlgDeployments::DlgLHSBase, public CTWndTheme, public CTWndSize {
public:
    enum : int { kCmdSelect = 122, kIconSelect = 188, kIconGroup = 200, kMenuSelect = 204, kStrSelect = 146 };
    enum : int { kCmdAll = 32808, kCmdNone = 32809, kCmdInvert = 32810 };

    DlgLHSSelectSG(DlgDeployments* owner, HWND parent);
    ~DlgLHSSelectSG() override;

    HWND GetWindow() override { return m_hWnd; }
    bool Accepts(const Object&) override { return true; }
    int GetKind() override { return kKindGroups; }
    void BeforeReload() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Lists the group; true when it is to be ticked.
    bool AddGroup(const Object& group);
    void StoreEnable(__int64 id, const CAttribute& value);
    void ShowSelectMenu();
    void ApplySelection(int command);
    static void OnValueChanged(void* context, int item, int column, CAttribute* value);

    CTWndToolbar m_toolbar;
    CTListCtrlReport m_groupList;
    CTListCtrlEdit m_editor;
    UINT32 m_groupCount = 0;
    CTMenu m_selectMenu;
    bool m_laidOut = false;
};

class DlgDeployments::DlgLHSSlot : public DlgDeployments::DlgLHSBase, public CTWndTheme, public CTWndSize {
public:
    enum : int { kTemplate = 217, kIdList = 1016, kIdNext = 1155, kIdPrevious = 1156, kIconNext = 218, kIconPrevious = 219 };
    static constexpr UINT32 kAll = 0xFFFFFFFEu;      // -2
    static constexpr UINT32 kUnassigned = 0xFFFFFFFDu; // -3
    static constexpr __int64 kDay = 86400;
    static constexpr int kDays = 35;

    DlgLHSSlot(DlgDeployments* owner, HWND parent);
    ~DlgLHSSlot() override;

    HWND GetWindow() override { return m_hWnd; }
    bool Accepts(const Object& object) override;
    UINT32 DragOver(bool dragging, const POINT* screen) override;
    void Rebuild() override;
    void Update(const Object& object, const Object* previous) override;
    void LoadChoice(CTRegKey& key) override;
    void SaveChoice(CTRegKey& key) override;
    int GetKind() override { return kKindSchedule; }
    void Reset() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // The Sunday that starts the week of today's local calendar date, as a day value.
    static __int64 FirstSundayOfThisWeek();
    void MoveWeeks(int weeks);
    void DrawItem(DRAWITEMSTRUCT* dis);
    HWND List() const { return GetDlgItem(m_hWnd, kIdList); }
    int CountOn(__int64 day) const;

    std::map<__int64, std::vector<__int64>> m_days;
    __int64 m_firstDay = 0;
    int m_hoverIndex = -1;
    UINT32 m_hoverValue = static_cast<UINT32>(-1);
    CTIcon m_nextIcon;
    CTIcon m_previousIcon;
};

// Tag texts ordered ignoring case, so that texts differing only in case share one entry.
struct TagLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
};

class DlgDeployments::DlgLHSDepStatus : public DlgDeployments::DlgLHSBase, public CTWndList {
public:
    DlgLHSDepStatus(DlgDeployments* owner, HWND parent);

    HWND GetWindow() override { return m_hWnd; }
    bool Accepts(const Object& object) override;
    UINT32 DragOver(bool dragging, const POINT* screen) override;
    void MouseWheel(WPARAM wParam) override;
    void Rebuild() override;
    void Update(const Object& object, const Object* previous) override;
    void LoadChoice(CTRegKey& key) override;
    void SaveChoice(CTRegKey& key) override;
    int GetKind() override { return kKindStatus; }
    void Reset() override;

    void OnSelectionChanged(unsigned __int64 key) override;
    bool GetItemMarkup(unsigned __int64 key, const CTString& escapedText, DWORD state, CTString& out) override;
    __int64 StatusIdOf(const Object& deployment);

    std::map<UINT64, int> m_counts;
};

class DlgDeployments::DlgLHSTag : public DlgDeployments::DlgLHSBase, public CTWndList {
public:
    struct Entry {
        int count = 0;
        __int64 rowKey = 0;
    };

    DlgLHSTag(DlgDeployments* owner, HWND parent, const CTString& allText, __int64 deploymentType);

    HWND GetWindow() override { return m_hWnd; }
    bool Accepts(const Object& object) override;
    UINT32 DragOver(bool dragging, const POINT* screen) override;
    void MouseWheel(WPARAM wParam) override;
    void Rebuild() override;
    void Update(const Object& object, const Object* previous) override;
    void LoadChoice(CTRegKey& key) override;
    void SaveChoice(CTRegKey& key) override;
    int GetKind() override { return kKindTags; }
    void Reset() override;

    void OnSelectionChanged(unsigned __int64 key) override;
    bool GetItemMarkup(unsigned __int64 key, const CTString& escapedText, DWORD state, CTString& out) override;
    // The tag text of a row key; empty when no entry has it.
    CTString TagOfRow(__int64 rowKey) const;

    std::map<std::wstring, Entry, TagLess> m_tags;
    CTString m_allText;
    CTString m_chosen;
    __int64 m_deploymentType = 0;
};

// The count box and row mark-up of the Status and Tags lists.
CTString PanelRowMarkup(unsigned __int64 key, const CTString& escapedText, int count, bool withCount);
// Scrolls a panel list by a wheel delta, within its content.
void ScrollPanelList(CTWndList& list, WPARAM wParam);

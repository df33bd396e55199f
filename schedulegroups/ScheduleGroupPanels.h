#pragma once
// The left-hand filter panels of the schedule-group pages: each counts the view's objects per entry,
// shows the counts as badges and lets the page list only the objects of the chosen entry. This file
// holds the panel interface and the four list panels of fail codes, administrators, exceptions and
// tags.
#include <windows.h>
#include <map>
#include <string>
#include <vector>
#include "controls/CTWndList.h"
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "framework/CTRegKey.h"
#include "schedulegroups/DlgScheduleGroup.h"

struct RequestResult;

class DlgScheduleGroup::DlgLHSBase : public CLinkedListObject {
public:
    enum Kind : int { KindSlot = 1, KindStatus = 2, KindFailCode = 3, KindAdministrator = 4, KindExcept = 5, KindTag = 6 };

    DlgLHSBase(CPageBase* owner, const CTString& name) : m_name(name), m_owner(owner) {}
    ~DlgLHSBase() override = default;

    int m_key = 0;
    CTString m_name;
    unsigned __int64 m_choice = 0;
    CPageBase* m_owner = nullptr;   // not owned

    virtual void SetFocus();
    virtual HWND GetHwnd() = 0;
    virtual bool HasChoice() const { return m_choice != 0; }
    virtual bool Accepts(const Object& object) = 0;
    // The entry under the cursor while dragging; with tracking false the entry dropped on (0: none).
    virtual int DragOver(bool tracking, POINT screenPoint) { (void)tracking, (void)screenPoint; return 0; }
    virtual void OnMouseWheel(WPARAM wParam) { (void)wParam; }
    virtual void OnResult(const RequestResult& result) { (void)result; }
    virtual void Rebuild() {}
    virtual void OnObjectChanged(const Object& now, const Object* old) { (void)now, (void)old; }
    virtual void OnSlotUpdate(const DB::Slot& slot) { (void)slot; }
    virtual int GetKind() = 0;
    virtual void LoadChoice(CTRegKey& key) { (void)key; }
    virtual void SaveChoice(CTRegKey& key) { (void)key; }

    DlgScheduleGroup* View() const;
    MainWindow* Main() const;

    // The row mark-up of the list panels. Width pieces W1 and W2, text openings T1 and T2.
    enum Width : int { W1 = 1, W2 = 2 };
    enum Opening : int { T1 = 1, T2 = 2 };
    static CTString RowMarkup(unsigned __int64 key, const CTString& escapedText, int width, int opening,
                              const CTString& badge);
    static CTString CountBadge(int count);
    static CTString EmptyBadge();
    // Half the system highlight colour, as the headings use it.
    static COLORREF HeadingColour();

protected:
    // Creates the panel's list window in the host: control 1016, bordered, a tab stop.
    static bool CreateList(CTWndList& list, HWND host);
    // Common start of a rebuild: false when the window is hidden; else the rows are gone and, when
    // keepSelection, the selected key is set again.
    static bool BeginRebuild(CTWndList& list, bool keepSelection);
    static void EndRebuild(CTWndList& list);
    void ChoiceChanged(unsigned __int64 key);
    // The numeric value of a link attribute; 0 when missing or text.
    static __int64 LinkOf(const Object& object, const wchar_t* name);
    __int64 DeploymentType() const;
    // Choice kept as a signed DWORD under name.
    void LoadDword(CTRegKey& key, const wchar_t* name);
    void SaveDword(CTRegKey& key, const wchar_t* name);
};

// Fail codes (key 3): deployments only; a code passes only deployments that failed with it.
class DlgScheduleGroup::DlgLHSFailCode : public DlgScheduleGroup::DlgLHSBase, public CTWndList {
public:
    DlgLHSFailCode(HWND host, CPageBase* owner);
    std::map<__int64, int> m_counts;

    HWND GetHwnd() override { return m_hWnd; }
    bool Accepts(const Object& object) override;
    void Rebuild() override;
    void OnObjectChanged(const Object& now, const Object* old) override;
    int GetKind() override { return KindFailCode; }
    void LoadChoice(CTRegKey& key) override { LoadDword(key, L"LHSFailCode"); }
    void SaveChoice(CTRegKey& key) override { SaveDword(key, L"LHSFailCode"); }
    void OnSelectionChanged(unsigned __int64 key) override { ChoiceChanged(key); }
    bool GetItemMarkup(unsigned __int64 key, const CTString& escapedText, DWORD state, CTString& out) override;
};

// Administrators (key 4): deployments only, named by the last part of their path.
class DlgScheduleGroup::DlgLHSAdministrator : public DlgScheduleGroup::DlgLHSBase, public CTWndList {
public:
    DlgLHSAdministrator(HWND host, CPageBase* owner);
    std::map<__int64, int> m_counts;
    std::vector<__int64> m_listed;   // administrators with a row since the last rebuild

    HWND GetHwnd() override { return m_hWnd; }
    bool Accepts(const Object& object) override;
    void Rebuild() override;
    void OnResult(const RequestResult& result) override;
    void OnObjectChanged(const Object& now, const Object* old) override;
    int GetKind() override { return KindAdministrator; }
    void LoadChoice(CTRegKey& key) override { LoadDword(key, L"LHSAdministrator"); }
    void SaveChoice(CTRegKey& key) override { SaveDword(key, L"LHSAdministrator"); }
    void OnSelectionChanged(unsigned __int64 key) override { ChoiceChanged(key); }
    bool GetItemMarkup(unsigned __int64 key, const CTString& escapedText, DWORD state, CTString& out) override;
    // The part of a path after its last backslash.
    static CTString LastPart(const wchar_t* path);

private:
    void AddAdministrator(__int64 id, const CTString& path);
};

// Exceptions (key 5): the enabled exceptions of the page's object type.
class DlgScheduleGroup::DlgLHSExcept : public DlgScheduleGroup::DlgLHSBase, public CTWndList {
public:
    DlgLHSExcept(HWND host, CPageBase* owner, const CTString& typeName, const CTString& allText);
    std::map<__int64, int> m_counts;
    CTString m_typeName;
    Object m_typeDefinition;
    std::vector<__int64> m_types;
    CTString m_allText;

    HWND GetHwnd() override { return m_hWnd; }
    bool Accepts(const Object& object) override;
    void Rebuild() override;
    void OnObjectChanged(const Object& now, const Object* old) override;
    void OnMouseWheel(WPARAM wParam) override;
    int GetKind() override { return KindExcept; }
    void LoadChoice(CTRegKey& key) override { LoadDword(key, L"LHSExcept"); }
    void SaveChoice(CTRegKey& key) override { SaveDword(key, L"LHSExcept"); }
    void OnSelectionChanged(unsigned __int64 key) override { ChoiceChanged(key); }
    bool GetItemMarkup(unsigned __int64 key, const CTString& escapedText, DWORD state, CTString& out) override;
};

// Tags (key 6): the tags of the objects' comma-separated "tag" text, merged without regard to case.
class DlgScheduleGroup::DlgLHSTag : public DlgScheduleGroup::DlgLHSBase, public CTWndList {
public:
    struct Tag {
        CTString text;   // as first met
        int count = 0;
        int rowKey = 0;
    };

    static constexpr unsigned __int64 kNoRow = ~0ULL;   // a selected key no row has

    DlgLHSTag(HWND host, CPageBase* owner, __int64 type, const CTString& allText);
    std::map<std::wstring, Tag> m_tags;   // by lower-cased text
    CTString m_allText;
    CTString m_current;                   // the chosen tag; empty for all objects
    __int64 m_type = 0;
    std::vector<__int64> m_types;

    HWND GetHwnd() override { return m_hWnd; }
    bool Accepts(const Object& object) override;
    void Rebuild() override;
    void OnObjectChanged(const Object& now, const Object* old) override;
    int DragOver(bool tracking, POINT screenPoint) override;
    void OnMouseWheel(WPARAM wParam) override;
    int GetKind() override { return KindTag; }
    void LoadChoice(CTRegKey& key) override;
    void SaveChoice(CTRegKey& key) override;
    void OnSelectionChanged(unsigned __int64 key) override;
    bool GetItemMarkup(unsigned __int64 key, const CTString& escapedText, DWORD state, CTString& out) override;
    // The tag with that row key, or null.
    const Tag* FindByRowKey(int key) const;

    // The tokens a "tag" text counts under: items split at ",", trimmed of blanks and double quotes,
    // up to the first item that is empty.
    static std::vector<CTString> CountedTags(const CTString& text);
    // Whether any item of the text, trimmed, equals the tag ignoring case.
    static bool HasTag(const CTString& text, const CTString& tag);
    static std::wstring Fold(const CTString& text);
};

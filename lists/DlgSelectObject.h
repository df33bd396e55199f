#pragma once
// The object-tree picker (window type 15): a tree of directory objects of the types its owner
// names (sent 1041 with the set-up record), built at once from the objects cached at sign-in or
// level by level from the server. OK sends 1042 with the chosen object's id and a pointer to the
// picker's copy of it (valid during the call), or 0 and 0 for "not assigned".
#include <windows.h>
#include <commctrl.h>
#include <map>
#include <set>
#include <unordered_map>
#include <vector>
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "framework/CWindowManager.h"
#include "session/Object.h"
#include "session/RequestResult.h"

class App;
class MainWindow;

class DlgSelectObject : public CTWnd2, public CTWndSize, public CWindowManager::CWindow {
public:
    enum : int { kType = 15 };
    enum : UINT { kTemplate = 346, kMsgSetup = 1041, kMsgAnswer = 1042 };
    enum : int { kIdTree = 1014, kIdNone = 1056, kReqSearch = 1047, kReqIcon = 1022 };

    // Filled by the owner on 1041.
    struct Setup {
        CTString types;          // type names joined by ","; the server's TYPE and the cached tree's filter
        CTString selectable;     // the type names that may be chosen; empty: the type list
        BYTE allowNone = 0;      // shows "Set to not assigned"
        BYTE fromCache = 1;      // build the tree from the objects cached at sign-in
    };
    struct Node {
        Object object;
        HTREEITEM item = nullptr;
        bool loaded = false;
    };

    Setup m_setup;
    HWND m_tree = nullptr;
    std::map<__int64, Node> m_nodes;

    DlgSelectObject() = default;
    ~DlgSelectObject() override;

    bool Open() override;
    void Close() override;
    void Activate() override { BringToFront(); }
    void Notify(void* param) override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    HWND Owner() const { return reinterpret_cast<HWND>(m_param); }
    // Builds the part of the tree under parent from the cached objects, depth first.
    void FillFromCache(__int64 parent);
    // Whether objects of the type may be chosen.
    bool IsSelectable(__int64 type);
    // Whether objects of the type belong in the tree (its name is one of the listed types).
    bool IsListedType(__int64 type);

protected:
    // Where the cached objects come from: the main window's lookup-tree ids, the directory cache
    // and the type definitions. A benchmark supplies its own.
    virtual const std::vector<__int64>* CachedIds();
    virtual const Object* CachedObject(__int64 id);
    virtual CTString LookupTypeName(__int64 type);

private:
    void OnInitDialog();
    void OnSearchReply(RequestResult& result);
    void OnExpanding(NMTREEVIEWW* view);
    void SearchUnder(__int64 parent);
    // Stores the object and inserts or updates its tree item.
    void AddOrUpdate(const Object& object);
    void SetHasChildren(HTREEITEM item, bool children);
    void DeletePlaceholders(HTREEITEM parent);
    Node* SelectedNode();
    void UpdateOk();
    const CTString& TypeName(__int64 type);
    static CTString Label(const Object& object);
    int ImageFor(const Object& object);
    // The cached objects of the listed types by parent, built on the first fill from the cache.
    void IndexCache();

    std::unordered_map<__int64, CTString> m_typeNames;
    std::unordered_map<__int64, bool> m_listed;
    std::unordered_map<__int64, std::vector<__int64>> m_cacheChildren; // ids in sibling order
    bool m_cacheIndexed = false;
    bool m_answered = false;
};

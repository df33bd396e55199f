#pragma once
// The structure editor pane: the directory's navigation objects as a tree, beside it the objects
// directly below the selected node as a list. Children are searched when a node is first expanded;
// the pane keeps its own copy of every object it has read (the object map) and changes only
// through its own requests and Refresh. Rows are renamed, opened, created, deleted, moved and copied
// from here (moves and copies go one request at a time through the pending-id queue).
#include <windows.h>
#include <commctrl.h>
#include <map>
#include <set>
#include <vector>
#include "app/CTWndConsole.h"
#include "app/PaneKey.h"
#include "controls/CTListCtrlReportEx.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndRebar.h"
#include "framework/CTWndSize.h"
#include "framework/CTWndSplitter.h"
#include "framework/CTWndToolbar.h"
#include "session/Object.h"
#include "session/Table.h"

class TiXmlDocument;

class DlgStructure : public CTWnd2, public CTWndSize, public CTWndConsole {
public:
    // The tree's label edit box, subclassed so that Enter and Escape reach it inside the pane.
    class CTreeEdit : public CTWnd2 {
    public:
        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    };

    enum : int { kConsoleType = 1020, kIdTree = 1014, kIdList = 1016, kIcon = 144, kMenu = 136 };
    enum : int {
        kCmdNew = 120, kCmdImport = 174, kCmdCut = 32778, kCmdCopy = 32779, kCmdPaste = 32780,
        kCmdDelete = 32781, kCmdProperties = 32782, kCmdPlaceholder = 32783, kCmdRename = 32788,
    };
    enum : int {
        kReqIcon = 1022, kReqAllowedChild = 1024, kReqSearch = 1047, kReqNew = 1049, kReqRename = 1051,
        kReqCopy = 1055, kReqMove = 1056, kReqDelete = 1057,
    };
    enum : int { kFirstNewItem = 5000, kLastNewItem = 5199, kMaxDragImageRows = 30, kImportWindowType = 7 };
    enum : UINT { kStrNew = 107, kStrDelete = 108, kStrProperties = 111, kStrImport = 174, kStrSelected = 156 };
    enum : UINT { kStrDeleteCaption = 136, kStrDeleteText = 137, kStrDeleteManyCaption = 138, kStrDeleteManyText = 139 };
    enum : int { kReturnConflict = 6726 };
    static constexpr const wchar_t* kClassName = L"CTWndDlgStructure";
    static constexpr const wchar_t* kClipboardFormat = L"TavikQELDlgStructure";

    // One item of a "New" menu: the type it creates.
    struct NewItem {
        __int64 type = 0;
    };
    using NewItems = std::map<UINT, NewItem>;

    DlgStructure() = default;
    ~DlgStructure() override;

    // CTWndConsole
    bool Create() override;
    void Destroy() override;
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return kConsoleType; }
    void OnReply(RequestResult& result) override;
    void Refresh() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // The object the next command acts on; -1 when there is none.
    __int64 GetCurrentObjectId();
    // What the import wizard asks for its default destination.
    __int64 GetCurrentId() { return GetCurrentObjectId(); }

    // Tree and list.
    void CreateLayout();
    void LayoutBelowRebar();
    void ExpandNode(HTREEITEM item, __int64 id);
    void ReadChildren(TiXmlDocument& document);
    void MergeObject(const Object& object);
    void ShowChildren(__int64 node);
    const wchar_t* GetTypeLabel(__int64 type);
    void BuildTreeText(const Object& object, CTString& out);
    int TreeImage(const Object& object);
    int ListImage(const Object& object);
    void ListCells(const Object& object, CTListCtrlReport::Row& row);
    void UpdateStatusText();
    void OnIconArrived(int index);
    void RebuildTreeTexts();
    void SendRename(__int64 id, const CTString& name);
    void RenameFromList(__int64 id, const CTString& userText);
    void OpenCurrent();
    void OpenRow(int item);
    // Forgets an object: its tree item, its list row and its map entry.
    void RemoveObject(__int64 id);

    // Creation and deletion.
    void ShowContextMenu(POINT point);
    void ShowNewMenu();
    void FillNewMenu(__int64 parentType, HMENU popup, NewItems& items, UINT& nextId);
    void NewObject(__int64 type, __int64 parent);
    void DeleteSelection();
    void RemoveObjects(TiXmlDocument& document);
    void OnDeleteReply(RequestResult& result);

    // Moves, copies and the clipboard.
    void BeginDrag(const NMLISTVIEW& info);
    void OnDragMove(POINT screen);
    void OnDrop();
    __int64 EndDrag();
    __int64 TrackDropTarget(const POINT* screen);
    void CopyToClipboard(bool cut);
    void Paste();
    void SendNextPending();
    void OnCopyReply(RequestResult& result);
    void OnMoveReply(RequestResult& result);
    void ShowQueueError(RequestResult& result);
    // After a copy or move reply: the next pending id, or once none is left the destination's children.
    void FinishQueueStep(RequestResult& result);

    // Map access: the entry of id, or null; never creates one.
    Object* FindObject(__int64 id);
    RequestRoute Route(int requestId, bool silent = false) const;
    HTREEITEM TreeItemOf(__int64 id);
    bool TreeHasFocus() const;
    bool ListHasFocus() const;
    std::vector<__int64> SelectedRowIds();

    CTWnd2 m_tree;
    CTListCtrlReportEx m_list;
    CTWndSplitter m_splitter;
    std::map<__int64, Object> m_objects;
    // The ids below each parent id in the map, so a node lists without walking the whole map.
    std::map<__int64, std::set<__int64>> m_childIds;
    Table m_allowedChild;
    UINT m_clipboardFormat = 0;
    bool m_move = false;
    bool m_layoutPending = true;
    CTreeEdit m_treeEdit;
    bool m_editing = false;   // a tree label edit is running
    CTWndToolbar m_toolbar;
    CTWndRebar m_rebar;
    __int64 m_listedNode = -1;
    __int64 m_lastContextObject = -1;
    __int64 m_contextObject = 0;
    int m_toolbarBand = 0;
    HIMAGELIST m_dragImage = nullptr;
    unsigned m_dragCount = 0;
    int m_dragImageRows = 0;   // rows drawn into the drag image (at most kMaxDragImageRows)
    int m_dragCursor = 0;
    HTREEITEM m_dropItem = nullptr;
    __int64 m_destination = 0;
    std::vector<__int64> m_pending;
    int m_selectedCount = 0;
    int m_itemCount = 0;
    __int64 m_rootId = 0;
    std::map<__int64, CTString> m_typeLabels;   // GetTypeLabel's answers since the table arrived
    std::map<__int64, CTString> m_typeNames;    // type definition names since Refresh

    const CTString& TypeName(__int64 type);
    static void SetOrAddAttribute(Object& object, const wchar_t* name, const CAttribute& value);

private:
    void DetachObject(__int64 id, __int64 parent);
    void AttachObject(__int64 id, __int64 parent);
};

#pragma once
// A list box for short item lists that the user can extend, edit in place, delete from and
// reorder: an owner-drawn inner list, an optional toolbar with a caption strip, an in-place edit
// box with an optional "..." browse button, and items drawn as text with an icon or as mark-up.
// Every change is proposed to or reported to the parent by WM_NOTIFY (CTListBoxExNotify), and
// the parent's answer can veto or rewrite it.
#include <windows.h>
#include <commctrl.h>

#include "controls/CDrawDocument.h"
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "framework/CTWndTheme.h"
#include "framework/CTWndToolbar.h"

// The record of codes 1 to 5, 7, 8 and 10 to 12; valid during the call, and the parent may
// rewrite text, icon and value where the code says so (3 and 8).
struct CTListBoxExNotify {
    NMHDR hdr = {};
    int index = -1;
    CTString text;
    HICON icon = nullptr;
    __int64 value = 0;
};

// Code 6 (before moving).
struct CTListBoxExMoveNotify {
    NMHDR hdr = {};
    int from = -1;
    int to = -1;
};

// Codes 13 and 14 (context menu).
struct CTListBoxExMenuNotify {
    NMHDR hdr = {};
    int command = 0;
};

class CTListBoxEx : public CTWndTheme {
public:
    static constexpr const wchar_t* kClassName = L"TListBoxEx";

    enum Flags : DWORD {
        FlagAdd = 0x1,
        FlagDelete = 0x2,
        FlagReorder = 0x4,
        FlagEdit = 0x8,
        FlagBrowse = 0x10,
        FlagToolbar = 0x20,
        FlagToolbarText = 0x40,
        FlagMarkup = 0x80,
        FlagSorted = 0x200,
        FlagPostAddDelete = 0x400,
        FlagPostEscape = 0x800,
        FlagHasToolbar = 0x1000,
        FlagNoBorder = 0x2000,
        FlagSelectionAfterKey = 0x4000,
        FlagSeparator = 0x8000,
        FlagNoSelection = 0x10000,
        FlagHookNotify = 0x20000,
    };

    enum Code : UINT {
        NotifyAdding = 1,
        NotifyAdded = 2,
        NotifyEditEnd = 3,
        NotifyDeleting = 4,
        NotifyDeleted = 5,
        NotifyMoving = 6,
        NotifyMoved = 7,
        NotifyBrowse = 8,
        NotifySelChange = 10,
        NotifyMarkupUp = 11,
        NotifyMarkupDown = 12,
        NotifyMenuSubMenu = 13,
        NotifyMenuIcon = 14,
    };

    // WM_COMMAND codes to the parent (high word, with the control id in the low word).
    enum Command : WORD {
        CommandKillFocus = 5,
        CommandAdd = 10,
        CommandDelete = 11,
        CommandMoveUp = 12,
        CommandMoveDown = 13,
        CommandDoubleClick = 14,
        CommandBack = 16,
        CommandEscape = 27,
    };

    enum DrawState : int { StateSelected = 0x1, StateFocused = 0x10 };

    using MarkupCallback = void (*)(void* context, __int64 value, int state, CTString& text);
    using CompareCallback = int (*)(void* context, __int64 first, __int64 second);
    using NotifyHook = LRESULT (*)(void* context, WPARAM wParam, NMHDR* hdr, LRESULT* result);

    struct Button {
        int command = 0;
        int image = 0;       // 0xFFFF: a standard image chosen by the command
        UINT stringId = 0;
    };

    struct CreateInfo {
        HMODULE module = nullptr;     // of the toolbar bitmap
        int hasBitmap = 0;
        UINT bitmapId = 0;
        int buttonCount = 0;
        const Button* buttons = nullptr;
        int itemHeight = 0;           // mark-up items
        MarkupCallback markup = nullptr;
        CompareCallback compare = nullptr;
        NotifyHook hook = nullptr;
        void* context = nullptr;
        HWND toolbarParent = nullptr; // null: the control itself
    };

    class CData : public CLinkedListObject {
    public:
        CTString text;
        HICON icon = nullptr;  // not owned
        __int64 value = 0;
        CDraw::CDrawDocument doc;
        int drawState = -1;    // the state the document was built for; -1: none
    };

    class CListBox;

    class CEditBox : public CTWnd2 {
    public:
        CListBox* m_list = nullptr;
        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    };

    class CButton : public CTWnd2 {
    public:
        CListBox* m_list = nullptr;
        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    };

    class CListBox : public CTWnd2 {
    public:
        CEditBox m_edit;      // points back through m_list
        CButton m_button;
        DWORD m_flags = 0;
        bool m_newItem = false;
        bool m_browsing = false;
        bool m_searchMode = false;
        int m_itemHeight = 0;
        int m_controlId = 0;
        HBRUSH m_markBrush = nullptr;
        CTString m_search;
        int m_dropTarget = -1;
        bool m_moving = false;
        bool m_editCommit = true;
        bool m_notifications = true;
        bool m_keyUsed = false;
        CTString m_emptyText;
        CTWndToolbar* m_toolbar = nullptr;
        CLinkedList m_items;  // of CData
        MarkupCallback m_markup = nullptr;
        CompareCallback m_compare = nullptr;
        void* m_context = nullptr;
        NotifyHook m_hook = nullptr;
        int m_mouseX = -1;
        int m_mouseY = -1;

        CTListBoxEx* m_owner = nullptr;
        int m_editIndex = -1;
        bool m_ending = false;
        int m_hotIndex = -1;

        CListBox();
        ~CListBox() override;

        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
        bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
        virtual void OnResize(int width);

        int AddItem(const wchar_t* text, HICON icon, __int64 value, int after);
        bool DeleteItem(int index);
        void RedrawItem(int index, UINT flags);

        int GetCount();
        int GetSelection();
        CData* GetData(int index);
        bool EditOpen() const { return m_edit.m_hWnd != nullptr; }

        // The user's actions, also reached from keys and the toolbar.
        void Add();
        void DeleteSelected();
        bool Move(int from, int to);
        void StartEdit(wchar_t typed);
        void EndEdit();
        void CancelEdit();
        void Browse();
        void StartSearch();
        void EndSearch();

        // Drag and drop, context menu and mark-up items.
        LRESULT OnDragList(DRAGLISTINFO* info);
        void SetDropTarget(int index);
        void DrawInsertMark(int index);
        void ShowContextMenu(int x, int y);
        void OnMarkupButtonDown(int x, int y);
        void OnMarkupButtonUp(int x, int y);
        void OnMarkupMouseMove(int x, int y);

        void MeasureItem(MEASUREITEMSTRUCT* mis);
        void DrawItem(const DRAWITEMSTRUCT* dis);
        void OnDeleteItem(const DELETEITEMSTRUCT* dis);
        int CompareItems(const COMPAREITEMSTRUCT* cis);

        LRESULT Notify(UINT code, int index, const CData* data, CTListBoxExNotify* record = nullptr);
        LRESULT NotifyData(CTListBoxExNotify& record);
        void SelectAndNotify(int index);

    private:
        int ItemState(int index, bool selected, bool focused);
        // Builds (when its draw state changed) and lays out the mark-up of an item in its rectangle.
        CData* PrepareMarkup(int index, HDC dc, const RECT& rc, int state);
        CData* PrepareMarkupAt(int index);
        void PaintEmpty(HDC dc);
        void PlaceEditor();
        void ClearHotExcept(int index);
        int ItemFromPoint(int x, int y);  // client coordinates; -1 off the items
        void InvalidateItem(int index);   // repaint without forgetting the built mark-up
        void NotifyClick(UINT code, int index, __int64 click);
    };

    CListBox m_list;
    CTWndToolbar m_toolbar;
    UINT m_dragMessage = 0;
    DWORD m_flags = 0;
    int m_captionHeight = 0;

    CTListBoxEx();
    ~CTListBoxEx() override;

    static bool RegisterClass(HINSTANCE module);
    bool Create(HWND dialog, int id, DWORD flags, const CreateInfo& info);

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void ReopenTheme() override;
    virtual bool ForwardToolbarNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result);
    virtual void Layout(int width, int height);

    bool AddToolbarButton(int image, int command, UINT stringId, int firstBitmapIndex);
    void PaintCaption(HDC dc, bool nonClient);

    void DeleteAll();
    bool SetItem(int index, const wchar_t* text, HICON icon, __int64 value);
    int FindByValue(__int64 value);
    __int64 GetSelectedValue();
    void SetEmptyText(const wchar_t* text);
    bool GetItem(int index, CTString* text, HICON* icon, __int64* value);

private:
    void PostCommand(WORD code);
    void OnToolbarCommand(int command);
};

#pragma once
// Two-column property grid over an owner-drawn list box that a dialog already holds: one row per
// property (name left, value right), group headings, check-box rows, per-row buttons and one
// in-place editor on the current row. Every possible change of a value reaches the parent as
// WM_COMMAND with notification code 240. The host dialog passes its messages to OnParentMessage.
#include <windows.h>
#include <commctrl.h>
#include <map>
#include "foundation/CAttribute.h"
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"

class CTWndPropertyList : public CTWnd2 {
public:
    // Row kinds.
    enum Kind : int {
        KindChoice = 0,
        KindText = 1,
        KindMultiLine = 2,
        KindDialog = 3,
        KindCheckBox = 4,
        KindPassword = 5,
        KindHeading = 6,
        KindDateTime = 7,
        KindDate = 8,
        KindLocale = 9,
    };
    // Display flags of a row: the low 4 bits are the button type (0 none, 2 toggle, other push).
    static constexpr DWORD kButtonTypeMask = 0xF;
    static constexpr DWORD kButtonToggle = 2;
    static constexpr DWORD kButtonIcon = 0x1000;
    static constexpr DWORD kButtonInRow = 0x2000;
    static constexpr DWORD kButtonAlwaysUsable = 0x4000;
    // Row callback codes and results.
    enum RowCode : int { CodePressed = 0, CodeButtonState = 1, CodeButtonIcon = 2, CodeButtonText = 3 };
    static constexpr int kTakeValue = 1;
    static constexpr int kReportChange = 2;
    static constexpr int kKeepFocus = 4;
    // Notification code of a possible change, sent to the parent with WM_COMMAND.
    static constexpr WORD kNotifyChanged = 240;

    using RowCallback = int (*)(void* context, __int64 data, int code, CAttribute* value);
    using EditCallback = int (*)(void* context, HWND editor, int kind, __int64 data);

    struct AttributeLess {
        bool operator()(const CAttribute& a, const CAttribute& b) const { return a.IsLess(b); }
    };
    using ChoiceMap = std::map<CAttribute, CTString, AttributeLess>;

    // One row, kept as the list box item's data; the record itself is the row's name.
    class CItem : public CTString {
    public:
        CAttribute m_value;
        int m_kind = KindText;
        __int64 m_data = 0;
        ChoiceMap m_choices;
        std::map<__int64, CAttribute> m_comboIndex;  // rebuilt by the choice editor when it opens
        BYTE m_readOnly = 0;
        BYTE m_sortedChoices = 0;
        BYTE m_offerNone = 0;
        DWORD m_flags = 0;
        BYTE m_checked = 0;
        RowCallback m_rowCallback = nullptr;
        EditCallback m_editCallback = nullptr;
        void* m_context = nullptr;

        DWORD ButtonType() const { return m_flags & kButtonTypeMask; }
        bool IsChecked() const;   // a non-text value above 0
    };

    // The push button created on the current row when the row has a button type.
    class CButton : public CTWnd2 {
    public:
        CTWndPropertyList* m_list = nullptr;
        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    };

    class CControlBase;
    class CEdit;
    class CMEdit;
    class CDlg;
    class CCombo;
    class CComboEdit;
    class CDate;
    class CDateTime;
    class CEditLocale;
    class CEditLocaleEdit;
    class CCheckBox;

    int m_splitter = 0;            // x of the column boundary; 0 = not yet set
    int m_dragTop = 0;
    int m_dragBottom = 0;
    int m_dragLineX = 0;
    BYTE m_overSplitter = 0;
    BYTE m_dragging = 0;
    CControlBase* m_editor = nullptr;      // the open editor
    CControlBase* m_keptEditor = nullptr;  // closed last; deleted at the next close
    CButton m_button;
    HCURSOR m_arrowCursor = nullptr;
    HCURSOR m_sizeCursor = nullptr;
    HFONT m_headingFont = nullptr;
    int m_rowBase = 0;
    int m_lastIndex = -1;
    BYTE m_listReadOnly = 0;
    wchar_t m_maskChar = 0;
    int m_imgUnchecked = -1;
    int m_imgChecked = -1;
    int m_imgUncheckedDisabled = -1;
    int m_imgCheckedDisabled = -1;
    HIMAGELIST m_checkImages = nullptr;

    CTWndPropertyList();
    ~CTWndPropertyList() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // Attaches to the dialog's list box (owner-drawn, variable height, no strings).
    virtual bool Create(int id, HWND dialog);

    int InsertProperty(int kind, const CTString& name, const CAttribute& value, __int64 data, const wchar_t* group,
                       RowCallback rowCallback, EditCallback editCallback, void* context, DWORD flags);
    int FindProperty(const CTString& name) const;
    int FindPropertyByData(__int64 data) const;
    bool SetValue(int index, const CAttribute& value);
    bool GetValue(int index, CAttribute& out) const;
    bool GetValueText(int index, CTString& out, __int64& data) const;
    bool SetChecked(int index, bool checked);
    bool IsChecked(int index) const;
    bool SetReadOnly(int index, bool readOnly);
    bool IsReadOnly(int index) const;
    bool SetListReadOnly(bool readOnly);
    void SetChoiceList(int index, const CTString& items, bool offerNone);
    void SetChoices(const CTString& name, const ChoiceMap& choices);
    void RemoveAll();
    bool CloseEditor();
    void CommitEditor();
    bool OnParentMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Opens the current row: its editor, its button, or the toggle of a check-box row. A click
    // point (list client coordinates) places the caret; only a click or a key toggles a check box.
    void OpenEditor(const POINT* click, bool toggleCheckBox = false);
    CItem* GetItem(int index) const;
    int GetCount() const;
    int GetCurrent() const;
    void NotifyParent();
    HFONT GetListFont() const;
    static HFONT GetGuiFont();
    // Row height of a kind at the engine's DPI.
    int RowHeight(int kind) const;

    // The open editor's window, and whether the focus is inside the editor or the row button.
    HWND EditorWindow() const;
    bool FocusInsideEditor() const;
    // From the editors: focus left the editor window.
    void OnEditorKillFocus();
    // From the editors and the row button: Tab, Enter and Escape.
    bool OnNavigationKey(WPARAM key);

private:
    bool ValidIndex(int index) const;
    int ItemIndex(const CItem* item) const;
    void ToggleCheckBox(CItem* item);
    void RemoveRowButton();
    void CreateRowButton(CItem* item, RECT& valueRect);
    void ResizeNameColumn();
    void BuildCheckImages();
    void DrawRow(const DRAWITEMSTRUCT* dis);
    void DrawRowButton(HDC hdc, CItem* item, const RECT& rc, bool greyed);
    int ButtonState(CItem* item, bool greyed);
    void OnRowButton(HWND sender);
    void OnEditorCommand(WORD code, HWND sender);
    bool OnSplitterMouse(UINT msg, LPARAM lParam);
    void DrawDragLine(int x);
    bool IsGreyed(const CItem* item) const;
};

#pragma once
// The editor controls that in-place cell editing opens over one cell: text, number, password and
// multi-line edits, the multi-language edit, the drop-down list and the date, date-and-time and
// time pickers. Each is a child of the report, subclassed by its window part; Enter, Tab and focus
// loss commit and close it, Escape closes it without committing. The owner deletes closed editors.
#include <windows.h>
#include <commctrl.h>

#include "controls/CTListCtrlEdit.h"
#include "controls/CTWndEditLocale.h"
#include "framework/CTWnd2.h"

class CTListCtrlEdit::CControlBase {
public:
    static constexpr int kPickerId = 123456;
    static constexpr int kEdgeGrip = 6;   // pixels from a border that size the multi-line edit

    // The wrapper that subclasses the control and hands its messages to the editor.
    class Window : public CTWnd2 {
    public:
        explicit Window(CControlBase* editor) : m_editor(editor) {}
        void Destroy() override;
        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
        bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
        bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;

        CControlBase* m_editor;
    };

    RECT m_rect = {};              // report client coordinates; Open adjusts it
    CTListCtrlEdit* m_owner = nullptr;
    Cell* m_cell = nullptr;
    int m_item = -1;
    int m_column = -1;             // data column
    void* m_key = nullptr;         // the row key of the item when opened
    bool m_resizable = false;
    CTWnd2* m_window = nullptr;    // owned
    bool m_closing = false;        // set while the window goes, so its focus loss commits nothing
    int m_busy = 0;                // depth of the control's messages being handled

    CControlBase(CTListCtrlEdit* owner, Cell* cell, int item, int column, const RECT& rc);
    virtual ~CControlBase();
    CControlBase(const CControlBase&) = delete;
    CControlBase& operator=(const CControlBase&) = delete;

    // A click point other than (0, 0) places the caret there; (0, 0) or none selects everything.
    virtual bool Open(const POINT* click) = 0;
    virtual int GetKind() const = 0;
    // Writes the control's content into the cell; true when the value changed.
    virtual bool Commit();
    virtual bool HasFocus();
    virtual bool IsOpen();
    virtual HWND GetWindow();
    virtual void Close();
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Every message of the control passes here, so the owner can tell a busy editor.
    bool Dispatch(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // A time pattern without its seconds: "HH:mm:ss" gives "HH:mm ", "h:mm:ss tt" gives "h:mm  tt".
    static CTString& RemoveSeconds(CTString& pattern);
    // The typed text as the value keeps it: text types take it as it is, integer types when it is
    // that number's own text; otherwise the value becomes text, so nothing typed is lost.
    static CAttribute TypedText(const CAttribute& value, const CTString& text);

protected:
    HWND Report() const;
    // Subclasses the new control and gives it the report's font.
    void Adopt(HWND hwnd);
    void ShowPicker();                 // shows a control created hidden, then as Focus
    void Focus();                      // keyboard focus and a repaint
    void PlaceCaret(const POINT* click);
    // Finds the item that shows the editor's row now: rows inserted, sorted or deleted while the
    // editor was open move it (a frame takes the list's deletion notices itself). False when the
    // row is no longer shown: nothing is committed then.
    bool Locate();
    // When next differs from the cell's value: stores it, shows it in the report and tells the
    // owner; true when it did.
    bool Apply(const CAttribute& next);
    HWND CreatePicker(const CTString& format, const SYSTEMTIME& shown);
};

class CTListCtrlEdit::CEdit : public CTListCtrlEdit::CControlBase {
public:
    DWORD m_style = 0;             // 0, ES_NUMBER, ES_PASSWORD or ES_MULTILINE | ES_AUTOVSCROLL
    bool m_digitsOnly = false;

    CEdit(CTListCtrlEdit* owner, Cell* cell, int item, int column, const RECT& rc, DWORD style)
        : CControlBase(owner, cell, item, column, rc), m_style(style) {}
    bool Open(const POINT* click) override;
    int GetKind() const override;
    bool Commit() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // The characters a number edit lets through.
    static bool IsNumberChar(wchar_t ch);
    // A signed decimal number at the start of the text (leading blanks allowed); 0 when none.
    static __int64 ReadNumber(const wchar_t* text);
};

// The multi-language edit: the control shows one language's part, its window text is the whole
// multi-language text, and the report cell shows the user's own language.
class CTListCtrlEdit::CEditLocale : public CTListCtrlEdit::CControlBase {
public:
    class LocaleWindow : public CTWndEditLocale {
    public:
        explicit LocaleWindow(CEditLocale* editor) : m_editor(editor) {}
        void Destroy() override;
        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
        bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

        CEditLocale* m_editor;
    };

    CEditLocale(CTListCtrlEdit* owner, Cell* cell, int item, int column, const RECT& rc);
    ~CEditLocale() override;
    bool Open(const POINT* click) override;
    int GetKind() const override { return KindLocale; }
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    LocaleWindow* Edit() const { return static_cast<LocaleWindow*>(m_window); }
};

class CTListCtrlEdit::CDDLB : public CTListCtrlEdit::CControlBase {
public:
    CDDLB(CTListCtrlEdit* owner, Cell* cell, int item, int column, const RECT& rc)
        : CControlBase(owner, cell, item, column, rc) {}
    bool Open(const POINT* click) override;
    int GetKind() const override { return KindChoice; }
    bool Commit() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

// The date picker. A date-typed value (type 2) is a UTC calendar day and is shown and stored on
// the UTC calendar; every other value is a local time. Leaving the picker as it was opened keeps
// the value to the second.
class CTListCtrlEdit::CDate : public CTListCtrlEdit::CControlBase {
public:
    SYSTEMTIME m_shown = {};       // what Open put into the picker
    bool m_hadValue = false;       // false when the picker opened on the current time

    CDate(CTListCtrlEdit* owner, Cell* cell, int item, int column, const RECT& rc)
        : CControlBase(owner, cell, item, column, rc) {}
    bool Open(const POINT* click) override;
    int GetKind() const override { return KindDate; }
    bool Commit() override;

    // The type the committed value takes: its own, or a date type for a text-typed value.
    int StoredType() const;
    bool OnUtcCalendar() const { return StoredType() == CAttribute::Date; }

protected:
    virtual bool WithTime() const { return false; }
};

class CTListCtrlEdit::CDateTime : public CTListCtrlEdit::CDate {
public:
    CDateTime(CTListCtrlEdit* owner, Cell* cell, int item, int column, const RECT& rc)
        : CDate(owner, cell, item, column, rc) {}
    int GetKind() const override { return KindDateTime; }

protected:
    bool WithTime() const override { return true; }
};

// The time-of-day picker: the value is seconds since midnight; minutes are what it edits.
class CTListCtrlEdit::CTime : public CTListCtrlEdit::CControlBase {
public:
    SYSTEMTIME m_shown = {};

    CTime(CTListCtrlEdit* owner, Cell* cell, int item, int column, const RECT& rc)
        : CControlBase(owner, cell, item, column, rc) {}
    bool Open(const POINT* click) override;
    int GetKind() const override { return KindTime; }
    bool Commit() override;
};

#pragma once
// The in-place editors of the property list, one class per row kind. The list creates one over
// the value cell of the current row, commits it (Apply stores into the row's value) or closes it
// without storing, and keeps the closed one until the next close so its window procedure can end.
#include <windows.h>
#include "controls/CTWndEditLocale.h"
#include "controls/CTWndPropertyList.h"
#include "foundation/CLinkedList.h"

class CTWndPropertyList::CControlBase : public CTWnd2, public CLinkedListObject {
public:
    // Control id of the date pickers and the multi-language edit.
    static constexpr int kPickerId = 123456;

    BYTE m_closing = 0;
    RECT m_rect = {};          // value cell in list client coordinates, less the row button
    CItem* m_item = nullptr;
    CTWndPropertyList* m_list = nullptr;

    CControlBase(CTWndPropertyList* list, const RECT& rc, CItem* item);

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    virtual bool Create() = 0;
    virtual int GetKind() = 0;
    // Stores the editor's result into the row's value; true when that was a change.
    virtual bool Apply();
    virtual bool HasFocus();
    virtual bool IsOwnButton(HWND window);
    virtual void SetFocus();
    virtual bool Show(int command);
    virtual bool IsOpen();
    virtual HWND GetWindow();

    // The editor for the row's kind; null for headings and unknown kinds.
    static CControlBase* CreateEditor(CTWndPropertyList* list, const RECT& rc, CItem* item, const POINT* click);

protected:
    // Creates and subclasses the editor window.
    bool MakeWindow(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, const RECT& rc,
                    HWND parent, int id);
    const wchar_t* ValueText() const;
    // Stores a text as the row's text value when it differs; true when it did.
    bool StoreText(const CTString& text);
    // Caret at the character under the click (list client coordinates), else at the end.
    static void PlaceCaret(HWND edit, HWND list, const POINT* click);
};

class CTWndPropertyList::CEdit : public CControlBase {
public:
    BYTE m_password = 0;
    bool m_hasClick = false;
    POINT m_click = {};

    CEdit(CTWndPropertyList* list, const RECT& rc, CItem* item, const POINT* click, bool password);
    bool Create() override;
    int GetKind() override { return KindText; }
};

class CTWndPropertyList::CMEdit : public CControlBase {
public:
    using CControlBase::CControlBase;
    bool Create() override;
    int GetKind() override { return KindMultiLine; }
};

class CTWndPropertyList::CDlg : public CControlBase {
public:
    using CControlBase::CControlBase;
    bool Create() override;
    int GetKind() override { return KindDialog; }
    // The row callback sets the value: the button's own text is never a value.
    bool Apply() override { return false; }
    bool IsOwnButton(HWND window) override;
};

// The inner edit of a choice editor (drop-down lists have none).
class CTWndPropertyList::CComboEdit : public CTWnd2 {
public:
    CTWndPropertyList* m_list = nullptr;
};

class CTWndPropertyList::CCombo : public CControlBase {
public:
    CComboEdit m_edit;

    using CControlBase::CControlBase;
    bool Create() override;
    int GetKind() override { return m_item ? m_item->m_kind : KindChoice; }
    bool Apply() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Show(int command) override;
    bool IsDroppedDown();
};

// Both date pickers keep what they showed, so that leaving them unchanged never moves the value.
class CTWndPropertyList::CDate : public CControlBase {
public:
    DWORD m_shownState = GDT_NONE;
    SYSTEMTIME m_shown = {};

    using CControlBase::CControlBase;
    bool Create() override;
    int GetKind() override { return KindDate; }
    bool Apply() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

class CTWndPropertyList::CDateTime : public CControlBase {
public:
    DWORD m_shownState = GDT_NONE;
    SYSTEMTIME m_shown = {};

    using CControlBase::CControlBase;
    bool Create() override;
    int GetKind() override { return KindDateTime; }
    bool Apply() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

class CTWndPropertyList::CEditLocaleEdit : public CTWndEditLocale {
public:
    CTWndPropertyList* m_list = nullptr;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

class CTWndPropertyList::CEditLocale : public CControlBase {
public:
    CEditLocaleEdit m_edit;
    bool m_hasClick = false;
    POINT m_click = {};

    CEditLocale(CTWndPropertyList* list, const RECT& rc, CItem* item, const POINT* click);
    bool Create() override;
    int GetKind() override { return KindLocale; }
    bool Apply() override;
    bool HasFocus() override;
    void SetFocus() override;
    bool Show(int command) override;
    bool IsOpen() override;
    HWND GetWindow() override;
};

class CTWndPropertyList::CCheckBox : public CControlBase {
public:
    using CControlBase::CControlBase;
    bool Create() override { return true; }
    int GetKind() override { return KindCheckBox; }
    bool Apply() override { return true; }
};

// Date conversions of the editors. A date row shows and stores the UTC calendar day (the day its
// value's text shows); a date-and-time row shows and stores local time.
namespace PropertyDates {
// False when the seconds cannot be broken down.
bool ToUtcDate(__int64 seconds, SYSTEMTIME& out);
// UTC midnight of the date's day; 0 before 1900.
__int64 FromUtcDate(const SYSTEMTIME& date);
bool ToLocal(__int64 seconds, SYSTEMTIME& out);
// The local time's instant; 0 before 1900.
__int64 FromLocal(const SYSTEMTIME& time);
bool SameDay(const SYSTEMTIME& a, const SYSTEMTIME& b);
bool SameTime(const SYSTEMTIME& a, const SYSTEMTIME& b);
// The user's short date, a blank and the time pattern without seconds.
void DateTimeFormatWithoutSeconds(CTString& out);
} // namespace PropertyDates

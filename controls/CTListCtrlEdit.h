#pragma once
// In-place editing of a report list's cells. Not a window: the owner of the report keeps one beside
// it, attaches it once and offers it every WM_NOTIFY and window message it receives (before the
// report's own OnParentNotify, which frees the report's rows on deletion). The object keeps an
// editable row per report row key, with one typed cell per data column; check-box cells toggle in
// place, the other editable kinds open a small editor control over the cell (CTListCtrlEditControls.h).
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <vector>

#include "controls/CTListCtrlReport.h"
#include "foundation/CAttribute.h"
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"

class CTListCtrlEdit {
public:
    enum Kind : int {
        KindReadOnly = 0,
        KindCheck = 1,
        KindText = 2,
        KindNumber = 3,
        KindPassword = 4,
        KindMultiLine = 5,
        KindLocale = 6,
        KindTime = 7,
        KindChoice = 8,
        KindDate = 9,
        KindDateTime = 10,
    };
    // Check-box looks, in the order of their image indices.
    enum Look : int {
        UncheckedNormal,
        UncheckedHot,
        UncheckedPressed,
        UncheckedDisabled,
        CheckedNormal,
        CheckedHot,
        CheckedPressed,
        CheckedDisabled,
        LookCount
    };
    enum ChoiceFlag : DWORD { ChoiceSortByText = 1, ChoiceFilled = 2 };
    // Notifications of the report with toolbar that this object reacts to.
    static constexpr UINT kNotifyActivate = 4;
    static constexpr UINT kNotifyMouseLeft = 6;

    using Choices = std::map<unsigned, CTString>;
    using ValueChangedFn = void (*)(void* context, int item, int column, CAttribute* value);
    using FillChoicesFn = void (*)(void* context, const CTString* listName, Choices* entries);

    class Cell : public CLinkedListObject {
    public:
        int m_kind = KindReadOnly;
        CAttribute m_value;        // integer 0 until set
        CTString m_choiceList;     // kind 8: the name of its choice list
        bool m_readOnly = false;

        explicit Cell(int kind = KindReadOnly) : m_kind(kind) {}
        Cell(const Cell& other);
        ~Cell() override = default;
        Cell& operator=(const Cell& other);

        // Check-box state: a non-zero number (text types are never checked).
        bool IsChecked() const { return !CAttribute::IsTextType(m_value.GetType()) && m_value.GetValue() != 0; }
    };

    class Row : public CLinkedListObject {
    public:
        void* m_key = nullptr;     // the data pointer of the report row that shows this row
        CLinkedList m_cells;       // of Cell; the position is the data column

        explicit Row(void* key = nullptr) : m_key(key) {}
        Row(const Row& other);
        ~Row() override = default;
        Row& operator=(const Row& other);

        // Builders work on the last cell and return the row, so calls chain.
        Row& AddCell(int kind);
        Row& SetValue(const CAttribute& value);
        Row& SetBool(bool on);
        // Kind 8: the choice-list name; any other kind: the value becomes this text.
        Row& SetText(const CTString& text);

        Cell* GetCell(int column) const;
    };

    struct ChoiceList {
        Choices entries;
        DWORD flags = 0;
    };
    // Choice lists are named; names compare as the system compares texts (lstrcmpW).
    struct NameLess {
        bool operator()(const CTString& a, const CTString& b) const;
    };

    class CControlBase;
    class CEdit;
    class CEditLocale;
    class CDDLB;
    class CDate;
    class CDateTime;
    class CTime;

    CTListCtrlReport* m_report = nullptr;
    int m_controlId = 0;
    ValueChangedFn m_valueChanged = nullptr;
    FillChoicesFn m_fillChoices = nullptr;
    void* m_context = nullptr;
    int m_images[LookCount] = {};
    int m_hotItem = -1;
    int m_hotColumn = -1;          // data column
    CLinkedList m_rows;            // of Row
    std::map<void*, Row*> m_rowMap;
    CControlBase* m_editor = nullptr;
    std::map<CTString, ChoiceList, NameLess> m_choiceLists;
    bool m_allReadOnly = false;

    CTListCtrlEdit() = default;
    virtual ~CTListCtrlEdit();
    CTListCtrlEdit(const CTListCtrlEdit&) = delete;
    CTListCtrlEdit& operator=(const CTListCtrlEdit&) = delete;

    void Attach(int controlId, CTListCtrlReport* report, ValueChangedFn valueChanged, FillChoicesFn fillChoices,
                void* context);

    void AddRow(const Row& row);
    void UpdateRow(int item, const Row& row);
    void RemoveRow(void* key);
    void RemoveAllRows();

    void SetValue(void* key, int column, const CAttribute& value);
    CAttribute& GetValue(CAttribute& out, void* key, int column);
    void SetColumnValue(int column, const CAttribute& value);
    void SetReadOnly(void* key, int column, bool readOnly);
    bool IsReadOnly(void* key, int column);
    void SetAllReadOnly(bool readOnly);
    void SetChoices(const CTString& listName, const Choices& entries);

    Cell* FindCell(int item, int column);
    void CloseEditor();
    void SetHotCell(int item, int column);
    void ClearHotCell();

    // Neither ever claims a message: the owner carries on with its own handling.
    virtual bool OnNotify(int controlId, NMHDR* hdr, LRESULT* result);
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Makes the editor for the cell's kind and opens it; null for kinds without one.
    static CControlBase* CreateEditor(CTListCtrlEdit* owner, Cell* cell, int item, int column, const RECT* rc,
                                      const POINT* click);

    // Used by the editors.
    void ShowValue(int item, int column, Cell& cell);   // the report cell for the cell's present value
    void NotifyChanged(int item, int column, Cell& cell);
    ChoiceList* FindChoiceList(const CTString& name);
    int ListColumn(int column) const;                   // list-view column of a data column, -1 hidden
    int DataColumn(int listColumn) const;               // data column of a list-view column, -1 none

private:
    Row* FindRow(void* key) const;
    Row* FindRowOfItem(int item);
    int CheckImage(const Cell& cell, bool hot) const;
    void ShowCheck(int item, int column, const Cell& cell, bool hot);
    // Kind 8: the text of the value in its list. With addMissing an absent value gets an entry with
    // an empty text; without it an absent value answers false and changes nothing.
    bool ChoiceText(const Cell& cell, bool addMissing, CTString& out);
    void FillChoices(const CTString& name);
    void ShowSpecialCells(int item, Row& row, bool refreshChoices);
    void SetReportCell(int item, int column, const CAttribute& value);
    void InvalidateItem(int item);
    void Toggle(int item, int column, Cell& cell);
    void OpenEditor(int item, int column, Cell& cell, const POINT* click);
    RECT EditorRect(int item, int column);
    void DeleteEditor();

    // Editors closed from inside their own message handling (a callback that refills the list):
    // deleted once they have returned.
    std::vector<CControlBase*> m_retired;
};

#pragma once
// The system's report list: a subclassed report-view list-view with a model of its own (columns
// defined by a column definition text, rows the list copies and owns, typed cells), a column
// layout saved in the registry, and custom drawing for colours, fonts, change highlighting and the
// cell kinds the list-view cannot paint (progress bars, symbols, masked text).
//
// The list-view item of each row carries the list's copy of the row as its lParam. The deletion
// notice frees that copy, so the window that receives the list's notifications must offer them to
// OnParentNotify first.
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <vector>

#include "foundation/CAttribute.h"
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"

class CTRegKey;

class CTListCtrlReport : public CTWnd2 {
public:
    enum Option : DWORD {
        OptHighlight = 0x1,
        OptGridLines = 0x2,
        OptAlternate = 0x4,
        OptColumnMenu = 0x8,
        OptStretch = 0x10,
        OptMouseLeave = 0x20,
        OptCellFocus = 0x40,
        OptHotCell = 0x80,
        OptOwnFirstColumn = 0x100,
    };
    enum Highlight : int { HighlightNone = 0, HighlightAdded = 1, HighlightDeleting = 2, HighlightChanged = 3 };
    enum RowFlag : DWORD {
        RowBold = 0x1,
        RowOwnCells = 0x2,
        RowCellColours = 0x4,
        RowColour = 0x8,
        RowStrikeOut = 0x10,
    };
    static constexpr UINT_PTR kHighlightTimer = 1;
    static constexpr UINT kHighlightPeriod = 250;
    static constexpr DWORD kHighlightDuration = 1500;
    static constexpr UINT_PTR kFitTimer = 2;     // a deferred column fit
    static constexpr UINT_PTR kRepaintTimer = 3; // the quiet repaint after a fit
    static constexpr int kMinColumnWidth = 12;

    // Messages the list posts or sends to itself.
    enum : UINT {
        MsgRefit = WM_USER + 1,
        MsgRecomputeAndRefit = WM_USER + 2,
        MsgOrderChanged = WM_USER + 3,
        MsgLayoutChanged = WM_USER + 4,
        MsgResumeRedraw = WM_USER + 5,
    };
    // Notification codes the list sends to its parent.
    enum : int { NotifySorted = -201, NotifyLayout = -202 };
    // Commands of the header's column menu.
    enum : UINT { MenuRemove = 1, MenuLock = 2, MenuAutoSize = 3, MenuFirstColumn = 100 };

    class Column : public CLinkedListObject {
    public:
        CTString m_caption;
        int m_contentWidth = 0;
        int m_width = 0;
        int m_defaultWidth = 0;
        int m_captionWidth = 0;
        int m_format = 0;
        int m_dataColumn = 0;
        bool m_shown = true;
        bool m_fixedWidth = false;

        ~Column() override = default;
        void MeasureCaption(HWND hwnd);
        // The width the list gives the column when it fits the columns.
        int FitWidth() const { return m_fixedWidth || m_contentWidth > m_captionWidth ? m_contentWidth : m_captionWidth; }
    };

    class Cell : public CLinkedListObject {
    public:
        CAttribute m_value;
        BYTE m_textColour = 0;
        BYTE m_backColour = 0;
        int m_width = 0;

        Cell() = default;
        Cell(int type, const CTString& text);
        explicit Cell(const CAttribute& value);
        Cell(int type, __int64 value);
        Cell(const Cell& other);
        ~Cell() override = default;
        Cell& operator=(const Cell& other) { return Assign(other); }
        Cell& Assign(const Cell& other);

        // Types the list paints itself.
        bool IsOwnDrawn() const { return IsOwnDrawnType(m_value.GetType()); }
        static bool IsOwnDrawnType(int type) { return type == 3 || type == 4 || type == 7; }

        int Measure(int dataColumn, HDC hdc, DWORD options);
        bool Paint(HWND list, NMLVCUSTOMDRAW* cd, RECT* rc, HFONT* symbolFont, bool rowWithoutHighlight,
                   bool selected, bool hot, bool paintAlways, DWORD options);
    };

    class Row : public CLinkedListObject {
    public:
        DWORD m_flags = 0;
        BYTE m_rowColour = 0;
        void* m_data = nullptr;
        int m_highlight = HighlightNone;
        Row* m_stored = nullptr;
        DWORD m_highlightStart = 0;
        DWORD m_highlightDuration = 1000;
        CLinkedList m_cells; // of Cell, in data-column order
        // While the list sorts by a text column: the sort key of this row's text (never copied).
        const char* m_sortKey = nullptr;

        explicit Row(void* data = nullptr);
        Row(const Row& other);
        Row& operator=(const Row& other) { return Assign(other); }
        ~Row() override;

        Row& Assign(const Row& other);
        Row& AddText(const CTString& text);
        Row& AddNumber(__int64 value = 0);
        Row& AddAttribute(const CAttribute& value);
        Row& AddCell(const Cell& cell);
        void UpdateColourFlag();
        bool ModifyFlags(DWORD set, DWORD clear);
        bool SetFlag(DWORD bits, bool on);
        bool SetCell(int dataColumn, const Cell& cell);
        void Clear();
        Cell* GetCell(int dataColumn) const;
        int Compare(const Row& other, int dataColumn) const;

        void StartChangeHighlight();
        bool HighlightExpired();
        // Starts the given highlight; a row fading out for deletion stays so.
        void StartHighlight(int state);

    private:
        Row& Append(Cell* cell);
    };

    class TempMenu : public CLinkedListObject {
    public:
        Column* m_column = nullptr;
        int m_command = 0;
        int m_action = 0;
    };

    class CTListCtrlReportHeader : public CTWnd2 {
    public:
        bool m_normalLayout = true;
        int m_sortColumn = -1;
        bool m_descending = true;
        bool m_themed = false;

        WNDPROC m_hookPrev = nullptr; // the header's procedure before HookProc replaced it

        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
        void SetSortArrow(int item, bool ascending);
        void TransferWidths(CTRegKey& key, bool restore);

        // The header's messages reach OnMessage through a procedure of its own that finds the
        // wrapper in a small table: the list-view sends its header a message for nearly every
        // item change, and a window-property lookup per message (the framework's, or the common
        // controls' subclassing) is a server round trip under Wine that costs more than the change.
        bool Hook(HWND header);
        void Unhook();
        LRESULT CallDefault(UINT msg, WPARAM wParam, LPARAM lParam);
        static LRESULT CALLBACK HookProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    };

    CTListCtrlReportHeader m_header;
    DWORD m_options = OptGridLines;
    int m_focusedColumn = -1;
    HIMAGELIST m_imageList = nullptr;
    HDC m_measureDC = nullptr;
    HFONT m_boldFont = nullptr;
    HFONT m_symbolFont = nullptr;
    HFONT m_strikeFont = nullptr;
    COLORREF m_addedColour = 0x00FF00;
    COLORREF m_deletedColour = 0x0000FF;
    COLORREF m_changedColour = 0x20FFFF;
    COLORREF m_alternateColour = 0;
    std::map<BYTE, COLORREF> m_colours;
    COLORREF m_itemText = static_cast<COLORREF>(-1);
    COLORREF m_itemBack = static_cast<COLORREF>(-1);
    bool m_themed = false;
    std::map<int, int> m_imageKeys;
    bool m_notifying = false;
    bool m_quietRepaint = false;
    bool m_enabled = true;
    int m_deletingItem = -1;
    int m_trackLimit = 0;
    CLinkedList m_columns; // of Column: shown ones first, in list-view column order
    CLinkedList m_menuEntries;
    CLinkedList m_rows; // of Row: the list's copies, in insertion order
    bool m_ascending = true;
    bool m_autoSort = true;
    bool m_columnsLocked = true;
    bool m_autoSize = true;
    int m_shownCount = 0;
    int m_sortColumn = -1;
    int m_sortDataColumn = -1;
    int m_resizableTotal = 0;
    int m_fixedTotal = 0;
    UINT m_layoutStringId = 0;
    HINSTANCE m_layoutModule = nullptr;
    CTString m_layoutSubPath;
    bool m_fitDeferred = false;
    bool m_repaintPending = false;
    bool m_redrawEnabled = true;
    int m_subKeyIndex = 0;
    int* m_columnOrder = nullptr;
    int* m_columnPositions = nullptr;
    int m_hotItem = -1;
    int m_hotColumn = -1;
    // Redraw switched off by a row operation and left off until MsgResumeRedraw arrives, so that a
    // burst of row operations costs one repaint instead of one per row.
    bool m_redrawDeferred = false;
    bool m_deletingAll = false;
    bool m_sortKeyed = false; // the rows carry sort keys for the sort in progress

    CTListCtrlReport();
    ~CTListCtrlReport() override;

    void Destroy() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    virtual bool CreateReport(HWND parent, int id, DWORD style);
    virtual bool AttachReport(HWND dialog, int id);
    // Notifications the list sends to its parent, offered back to the list: custom drawing and the
    // deletion notices that free the rows.
    virtual bool OnParentNotify(NMHDR* hdr, LRESULT* result);

    bool PrepareReport();
    void Reset();

    // Columns.
    bool SetColumns(const CTString& spec, UINT layoutStringId, HINSTANCE layoutModule, const wchar_t* subPath);
    void SaveColumnLayout();
    void ModifyOptions(DWORD clear, DWORD set);
    int GetColumnPosition(int dataColumn);
    Column* GetShownColumn(int listViewColumn);
    void UpdateColumnOrder();

    // Sorting.
    bool SortBy(int column, bool ascending);
    void EnableAutoSort(bool on);
    static int CALLBACK CompareRows(LPARAM row1, LPARAM row2, LPARAM list);

    // Column sizing. Stretch mode: option 0x10 with auto size on.
    bool IsStretchMode() const { return (m_options & OptStretch) && m_autoSize; }
    bool FitColumnsToWidth(bool noDeferral);
    bool RefitColumns();
    int RecalcWidthTotals();
    void RefitAfterTrack(NMHEADERW* record);
    void FitColumnsToContent();
    int SetColumnFixedWidth(int position, int width);
    LRESULT NotifyLayoutChanged();

    // Header and column menu.
    void ShowColumnMenu();
    // The same menu as opened at a screen point (ShowColumnMenu takes the point of the last message).
    void ShowColumnMenuAt(POINT screen);
    static bool CompareMenuCaptions(const Column* a, const Column* b);
    bool ExecuteMenuCommand(int command);

    // Rows.
    int InsertRow(int item, int image, Row& row);
    int AddRow(int image, Row& row);
    bool UpdateRow(int item, int image, Row& row);
    bool SetCell(int item, int dataColumn, Cell cell);
    bool SetCellAttribute(int item, int dataColumn, const CAttribute& value);
    bool GetCell(int item, int dataColumn, CAttribute& out);
    Row* GetRow(int item);
    void* GetRowData(int item);
    int FindRowByData(void* data);
    bool GetRowDetails(int item, CTString& text, int& image, void*& data);
    bool DeleteRow(int item);
    bool DeleteAllRows();
    void SelectAll();
    int GetItemCount();

    // Decoration.
    void SetColour(BYTE key, COLORREF colour) { m_colours[key] = colour; }
    void SetCellTextColour(int item, int dataColumn, BYTE key);
    void SetCellBackColour(int item, int dataColumn, BYTE key);
    void SetRowColour(int item, BYTE key);
    void SetRowBold(int item);
    void SetRowStrikeOut(int item);
    bool SetRowIndent(int item);
    int GetItemIndent(int item);
    bool SetRowImage(int item, int image);
    bool SetRowOverlay(int item, int overlay);
    bool SetOverlayImage(int image);

    // Images.
    int AddImage(HICON icon);
    int AddBitmap(HBITMAP bitmap, COLORREF mask);
    bool ReplaceImage(HICON icon, int index);
    void AddImageForKey(HICON icon, int key);
    int GetImageForKey(int key);
    bool HasImageForKey(int key) const { return m_imageKeys.count(key) != 0; }
    bool RemoveAllImages();
    int ImageSize(bool vertical) const;

    // Painting and highlighting.
    void OnHighlightTimer();
    void SetHotCell(int item, int column);
    void RedrawRow(int item);
    void DrawHeaderItem(DRAWITEMSTRUCT* dis);
    COLORREF LookupColour(BYTE key) const;
    static COLORREF Tint(COLORREF background, COLORREF highlight);
    static COLORREF Lighten(COLORREF colour);
    static wchar_t PasswordChar();

    int MeasureColumn(int item, Column* column, Cell& cell, int dataColumn, HDC hdc);
    // A memory DC kept for measuring cell text: getting the window's DC for every row is a
    // server round trip under Wine. Measures as the screen does (compatible with it).
    HDC MeasureDC();

protected:
    // Sends a record that starts with an NMHDR to the parent, addressed from the list, with the
    // notifying flag set; the caller fills the code and what follows the header.
    LRESULT NotifyParent(NMHDR* record);
    LRESULT ListViewCall(UINT msg, WPARAM wParam, LPARAM lParam);
    void ResumeRedraw();

private:
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* cd);
    LRESULT SendNotify(int code);
    bool PostSelf(UINT msg);
    void QuietRepaint();
    void OnTimer(UINT_PTR id);
    void OnKeyDown(WPARAM key);
    bool OnHeaderNotify(NMHDR* hdr, LRESULT* result);
    void OnItemDeleted(NMLISTVIEW* record);
    Column* FindColumnByData(int dataColumn);
    void ShowHiddenColumn(Column* column, bool onItem, int hitItem);
    void HideColumn(int hitItem);
    void ToggleLock();
    void ToggleAutoSize();
    HFONT DerivedFont(HFONT& font, bool bold, bool strikeOut);
    bool EnsureImageList();
    void SetSubItemText(int item, int subItem, const CAttribute& value);
    bool RedrawOff();
    void RedrawOn(bool wasOn);
    void Resort();
    bool BuildSortKeys(std::vector<char>& storage);
    void ClearSortKeys();
    void StartRowHighlight(Row* row, int state);
    void FreeRow(Row* row);
    void ReleaseResources();
    void ClearColumns();
    void InsertShownColumns();
    static void FindPasswordChar(HWND list);
};

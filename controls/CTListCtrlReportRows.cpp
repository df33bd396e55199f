// Rows, cells, decorations and the small image list of the report list.
#include "controls/CTListCtrlReport.h"

#include <vector>

#include "foundation/TickSource.h"
#include "framework/CTIcon.h"
#include "framework/CTREngine.h"

namespace {
// A text cell keeps only its first line.
CTString FirstLine(const CTString& text)
{
    int cr = text.FindChar(L'\r');
    if (cr < 0) return text;
    CTString out;
    text.Left(out, static_cast<unsigned>(cr));
    return out;
}
} // namespace

// ---- Cell ----

CTListCtrlReport::Cell::Cell(int type, const CTString& text)
{
    m_value.SetText(type, type == CAttribute::Text ? FirstLine(text) : text);
}

CTListCtrlReport::Cell::Cell(const CAttribute& value)
{
    m_value.Assign(value);
    if (value.GetType() == CAttribute::Text) m_value.SetText(CAttribute::Text, FirstLine(value.GetString()));
}

CTListCtrlReport::Cell::Cell(int type, __int64 value) { m_value.SetValue(type, value); }

CTListCtrlReport::Cell::Cell(const Cell& other) : CLinkedListObject() { Assign(other); }

CTListCtrlReport::Cell& CTListCtrlReport::Cell::Assign(const Cell& other)
{
    if (this == &other) return *this;
    m_value.Assign(other.m_value);
    m_textColour = other.m_textColour;
    m_backColour = other.m_backColour;
    m_width = other.m_width;
    return *this;
}

int CTListCtrlReport::Cell::Measure(int dataColumn, HDC hdc, DWORD options)
{
    CTREngine* engine = CTREngine::Instance();
    HGDIOBJ old = SelectObject(hdc, engine->m_menuFont ? engine->m_menuFont : GetStockObject(DEFAULT_GUI_FONT));
    int width = 0;
    int type = m_value.GetType();
    wchar_t pw = PasswordChar();
    SIZE size = {};
    if (type == 3) {
        width = m_value.GetValue() != 0 ? 4 * GetSystemMetrics(SM_CXSMICON) : 0;
    } else if (type == 4 || type == 7) {
        GetTextExtentPoint32W(hdc, &pw, 1, &size);
        width = type == 4 ? size.cx : size.cx * static_cast<int>(m_value.GetTextLength());
    } else {
        int length = static_cast<int>(m_value.GetTextLength());
        if (length > 60) length = 60;
        if (length) GetTextExtentPoint32W(hdc, m_value.GetText(), length, &size);
        width = size.cx;
    }
    SelectObject(hdc, old);

    int edge = GetSystemMetrics(SM_CXEDGE);
    int d = engine->m_dpi.Scale(96);
    width += edge;
    if (dataColumn != 0)
        width += MulDiv(6 * edge, d, 96);
    else if (options & OptOwnFirstColumn)
        width += MulDiv(10 * edge, d, 96);
    else
        width += MulDiv(2, d, 96) + MulDiv(16, d, 96) + MulDiv(3 * edge, d, 96);
    m_width = width;
    return width;
}

// ---- Row ----

CTListCtrlReport::Row::Row(void* data) : m_data(data), m_highlightStart(TickSource::Now()) {}

CTListCtrlReport::Row::Row(const Row& other) : CLinkedListObject() { Assign(other); }

CTListCtrlReport::Row::~Row() { m_cells.DeleteAll(); }

CTListCtrlReport::Row& CTListCtrlReport::Row::Assign(const Row& other)
{
    if (this == &other) return *this;
    m_cells.DeleteAll();
    m_flags = other.m_flags;
    m_rowColour = other.m_rowColour;
    m_data = other.m_data;
    m_highlight = other.m_highlight;
    m_stored = other.m_stored;
    m_highlightStart = other.m_highlightStart;
    m_highlightDuration = other.m_highlightDuration;
    for (auto* p = other.m_cells.m_head; p; p = p->GetNext()) m_cells.AddTail(new Cell(*static_cast<Cell*>(p)));
    return *this;
}

CTListCtrlReport::Row& CTListCtrlReport::Row::Append(Cell* cell)
{
    if (cell->IsOwnDrawn()) m_flags |= RowOwnCells;
    m_cells.AddTail(cell);
    return *this;
}

CTListCtrlReport::Row& CTListCtrlReport::Row::AddText(const CTString& text) { return Append(new Cell(CAttribute::Text, text)); }
CTListCtrlReport::Row& CTListCtrlReport::Row::AddNumber(__int64 value) { return Append(new Cell(CAttribute::Integer, value)); }
CTListCtrlReport::Row& CTListCtrlReport::Row::AddAttribute(const CAttribute& value) { return Append(new Cell(value)); }
CTListCtrlReport::Row& CTListCtrlReport::Row::AddCell(const Cell& cell) { return Append(new Cell(cell)); }

void CTListCtrlReport::Row::UpdateColourFlag()
{
    bool any = false;
    for (auto* p = m_cells.m_head; p && !any; p = p->GetNext()) {
        auto* c = static_cast<Cell*>(p);
        any = c->m_textColour || c->m_backColour;
    }
    if (any) m_flags |= RowCellColours;
    else m_flags &= ~RowCellColours;
}

bool CTListCtrlReport::Row::ModifyFlags(DWORD set, DWORD clear)
{
    DWORD old = m_flags;
    m_flags = (m_flags & ~clear) | set;
    return old != m_flags;
}

bool CTListCtrlReport::Row::SetFlag(DWORD bits, bool on)
{
    bool changed = on ? (m_flags & bits) == 0 : (m_flags & bits) != 0;
    if (on) m_flags |= bits;
    else m_flags &= ~bits;
    return changed;
}

CTListCtrlReport::Cell* CTListCtrlReport::Row::GetCell(int dataColumn) const
{
    if (dataColumn < 0) return nullptr;
    auto* p = m_cells.m_head;
    for (int i = 0; p && i < dataColumn; ++i) p = p->GetNext();
    return static_cast<Cell*>(p);
}

bool CTListCtrlReport::Row::SetCell(int dataColumn, const Cell& cell)
{
    Cell* c = GetCell(dataColumn);
    if (!c || !c->m_value.IsNotEqual(cell.m_value)) return false;
    c->Assign(cell);
    return true;
}

void CTListCtrlReport::Row::Clear()
{
    m_flags = 0;
    m_data = nullptr;
    m_highlight = HighlightNone;
    m_stored = nullptr;
    m_cells.DeleteAll();
}

int CTListCtrlReport::Row::Compare(const Row& other, int dataColumn) const
{
    Cell* a = GetCell(dataColumn);
    Cell* b = other.GetCell(dataColumn);
    if (!a || !b) return a ? 1 : (b ? -1 : 0);
    if (CAttribute::IsTextType(a->m_value.GetType())) {
        // The one comparison IsLess and IsGreater would each make: sorting many text rows pays for
        // every linguistic comparison.
        const CAttribute& other = b->m_value;
        int r = lstrcmpW(a->m_value.GetText(), CAttribute::IsTextType(other.GetType()) ? other.GetText() : L"");
        return r < 0 ? -1 : (r > 0 ? 1 : 0);
    }
    if (a->m_value.IsLess(b->m_value)) return -1;
    if (a->m_value.IsGreater(b->m_value)) return 1;
    return 0;
}

void CTListCtrlReport::Row::StartChangeHighlight()
{
    m_highlightDuration = kHighlightDuration;
    DWORD now = TickSource::Now();
    if (now - m_highlightStart > m_highlightDuration) m_highlightStart = now;
}

void CTListCtrlReport::Row::StartHighlight(int state)
{
    // A row fading out for deletion must still go: a later change of the same row does not bring it back.
    if (m_highlight == HighlightDeleting && state != HighlightDeleting) return;
    m_highlight = state;
    StartChangeHighlight();
}

bool CTListCtrlReport::Row::HighlightExpired()
{
    DWORD now = TickSource::Now();
    if (now - m_highlightStart <= m_highlightDuration) return false;
    m_highlightStart = now;
    return true;
}

// ---- Row operations ----

// The row operations talk to the list-view procedure directly. Sent through the window, each
// message would first pass the framework's dispatch, whose window-property lookup is a server
// round trip under Wine and cost more than the list-view's own work.
LRESULT CTListCtrlReport::ListViewCall(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!m_hWnd) return 0;
    if (m_subclassed && m_prevProc) return CallWindowProcW(m_prevProc, m_hWnd, msg, wParam, lParam);
    return ::SendMessageW(m_hWnd, msg, wParam, lParam);
}

int CTListCtrlReport::GetItemCount() { return m_hWnd ? static_cast<int>(ListViewCall(LVM_GETITEMCOUNT, 0, 0)) : 0; }

// Row operations switch redraw off and leave it off until the posted MsgResumeRedraw arrives:
// switching it on again after every row makes the list-view recompute its scroll bars and
// invalidate itself once per row, which turns a fill of many rows into minutes. The posted message
// comes before any input or painting, so nothing shows the list in between.
bool CTListCtrlReport::RedrawOff()
{
    if (!m_hWnd) return false;
    if (m_redrawDeferred) return true;
    if (!m_redrawEnabled) return false;
    SendMessage(WM_SETREDRAW, FALSE);
    m_redrawEnabled = false;
    if (PostMessageW(m_hWnd, MsgResumeRedraw, 0, 0)) m_redrawDeferred = true;
    return true;
}

void CTListCtrlReport::RedrawOn(bool wasOn)
{
    if (!wasOn || m_redrawDeferred) return;
    SendMessage(WM_SETREDRAW, TRUE);
    m_redrawEnabled = true;
}

void CTListCtrlReport::ResumeRedraw()
{
    if (!m_redrawDeferred) return;
    m_redrawDeferred = false;
    if (!m_hWnd) return;
    SendMessage(WM_SETREDRAW, TRUE);
    m_redrawEnabled = true;
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CTListCtrlReport::SetSubItemText(int item, int subItem, const CAttribute& value)
{
    LVITEMW lvi = {};
    lvi.mask = LVIF_TEXT;
    lvi.iItem = item;
    lvi.iSubItem = subItem;
    lvi.pszText = const_cast<wchar_t*>(value.GetText());
    ListViewCall(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lvi));
}

void CTListCtrlReport::StartRowHighlight(Row* row, int state)
{
    row->StartHighlight(state);
    if (m_hWnd) SetTimer(m_hWnd, kHighlightTimer, kHighlightPeriod, nullptr);
}

int CTListCtrlReport::MeasureColumn(int item, Column* column, Cell& cell, int dataColumn, HDC hdc)
{
    if (column->m_fixedWidth) return column->m_contentWidth;
    int width = cell.Measure(dataColumn, hdc, m_options);
    if (dataColumn == 0) width += GetItemIndent(item) * GetSystemMetrics(SM_CXSMICON);
    if (column->m_contentWidth < width) column->m_contentWidth = width;
    return column->m_contentWidth;
}

namespace {
// For each data column, its list-view column (-1 when hidden) and its Column.
struct ShownMap {
    std::vector<int> position;
    std::vector<CTListCtrlReport::Column*> column;
    explicit ShownMap(CLinkedList& columns)
    {
        int p = 0;
        for (auto* o = columns.GetHead(); o; o = o->GetNext()) {
            auto* c = static_cast<CTListCtrlReport::Column*>(o);
            if (c->m_dataColumn >= static_cast<int>(position.size())) {
                position.resize(c->m_dataColumn + 1, -1);
                column.resize(c->m_dataColumn + 1, nullptr);
            }
            position[c->m_dataColumn] = c->m_shown ? p : -1;
            column[c->m_dataColumn] = c;
            if (c->m_shown) ++p;
        }
    }
    int At(int dataColumn) const
    {
        return dataColumn >= 0 && dataColumn < static_cast<int>(position.size()) ? position[dataColumn] : -1;
    }
};
} // namespace

int CTListCtrlReport::InsertRow(int item, int image, Row& row)
{
    auto* copy = new Row(row);
    m_rows.AddTail(copy);
    row.m_stored = copy;
    if (!m_hWnd) return -1;

    bool wasOn = RedrawOff();
    LVITEMW lvi = {};
    lvi.mask = LVIF_PARAM;
    lvi.iItem = item;
    lvi.lParam = reinterpret_cast<LPARAM>(copy);
    int n = static_cast<int>(ListViewCall(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lvi)));
    if (n < 0) {
        // Not in the list-view, so no deletion notice would ever free it.
        FreeRow(copy);
        row.m_stored = nullptr;
        RedrawOn(wasOn);
        return -1;
    }

    ShownMap shown(m_columns);
    bool widthChanged = false;
    HDC hdc = MeasureDC();
    int i = 0;
    for (auto* p = copy->m_cells.m_head; p; p = p->GetNext(), ++i) {
        int position = shown.At(i);
        if (position < 0) continue;
        auto* cell = static_cast<Cell*>(p);
        SetSubItemText(n, position, cell->m_value);
        Column* column = shown.column[i];
        int before = column->FitWidth();
        MeasureColumn(n, column, *cell, i, hdc);
        if (column->FitWidth() != before) widthChanged = true;
    }
    copy->UpdateColourFlag();

    if (image != -1 && shown.At(0) >= 0) {
        LVITEMW img = {};
        img.mask = LVIF_IMAGE;
        img.iItem = n;
        img.iImage = image;
        ListViewCall(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&img));
    }
    if (m_options & OptHighlight) StartRowHighlight(copy, HighlightAdded);
    // Only a resort moves the row from where the insert put it; finding it walks the items.
    if (m_autoSort && m_sortColumn >= 0 && m_sortColumn < m_shownCount) {
        Resort();
        LVFINDINFOW find = {};
        find.flags = LVFI_PARAM;
        find.lParam = reinterpret_cast<LPARAM>(copy);
        n = static_cast<int>(ListViewCall(LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    }
    if (widthChanged) FitColumnsToWidth(false);
    RedrawOn(wasOn);
    return n;
}

int CTListCtrlReport::AddRow(int image, Row& row) { return InsertRow(GetItemCount(), image, row); }

bool CTListCtrlReport::UpdateRow(int item, int image, Row& row)
{
    Row* stored = item == -1 ? nullptr : GetRow(item);
    if (!stored) return false;
    Row old(*stored);
    stored->Assign(row);
    stored->m_highlight = old.m_highlight;
    stored->m_highlightStart = old.m_highlightStart;
    stored->m_highlightDuration = old.m_highlightDuration;
    stored->m_stored = old.m_stored;
    if (!row.m_data) stored->m_data = old.m_data;

    bool wasOn = RedrawOff();
    ShownMap shown(m_columns);
    bool changed = false;
    if (image != -1 && shown.At(0) >= 0) {
        LVITEMW lvi = {};
        lvi.mask = LVIF_IMAGE;
        lvi.iItem = item;
        if (ListViewCall(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lvi)) && lvi.iImage != image) {
            lvi.iImage = image;
            ListViewCall(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lvi));
            changed = true;
        }
    }
    bool widthChanged = false, sortChanged = false;
    HDC hdc = MeasureDC();
    auto* oldCell = old.m_cells.m_head;
    int i = 0;
    for (auto* p = stored->m_cells.m_head; p; p = p->GetNext(), ++i) {
        auto* cell = static_cast<Cell*>(p);
        auto* previous = static_cast<Cell*>(oldCell);
        if (oldCell) oldCell = oldCell->GetNext();
        int position = shown.At(i);
        if (position < 0) continue;
        // A cell the old row did not have counts as changed.
        if (previous && !previous->m_value.IsNotEqual(cell->m_value)) continue;
        SetSubItemText(item, position, cell->m_value);
        changed = true;
        if (previous) cell->m_width = previous->m_width;
        Column* column = shown.column[i];
        int before = column->FitWidth();
        MeasureColumn(item, column, *cell, i, hdc);
        if (column->FitWidth() != before) widthChanged = true;
        if (position == m_sortColumn) sortChanged = true;
    }
    stored->UpdateColourFlag();
    if (changed && (m_options & OptHighlight)) {
        StartRowHighlight(stored, HighlightChanged);
        RedrawRow(item);
    }
    RedrawOn(wasOn);
    if (widthChanged) FitColumnsToWidth(false);
    if (sortChanged && m_autoSort && m_sortColumn >= 0) Resort();
    return true;
}

bool CTListCtrlReport::SetCell(int item, int dataColumn, Cell cell)
{
    Row* row = GetRow(item);
    Cell* stored = row ? row->GetCell(dataColumn) : nullptr;
    if (!stored || !stored->m_value.IsNotEqual(cell.m_value)) return false;
    stored->m_value.Assign(cell.m_value);
    stored->m_textColour = cell.m_textColour;
    stored->m_backColour = cell.m_backColour;
    stored->m_width = cell.m_width;
    if (stored->IsOwnDrawn()) row->m_flags |= RowOwnCells;

    bool wasOn = RedrawOff();
    bool widthChanged = false;
    int position = GetColumnPosition(dataColumn);
    if (position >= 0) {
        SetSubItemText(item, position, stored->m_value);
        Column* column = GetShownColumn(position);
        int before = column ? column->FitWidth() : 0;
        stored->m_width = 0;
        if (column) {
            MeasureColumn(item, column, *stored, dataColumn, MeasureDC());
            widthChanged = column->FitWidth() != before;
        }
        if (m_options & OptHighlight) StartRowHighlight(row, HighlightChanged);
        RedrawRow(item);
        if (m_autoSort && position == m_sortColumn) Resort();
    }
    RedrawOn(wasOn);
    if (widthChanged) FitColumnsToWidth(false);
    return true;
}

bool CTListCtrlReport::SetCellAttribute(int item, int dataColumn, const CAttribute& value)
{
    return SetCell(item, dataColumn, Cell(value));
}

bool CTListCtrlReport::GetCell(int item, int dataColumn, CAttribute& out)
{
    Row* row = GetRow(item);
    Cell* cell = row ? row->GetCell(dataColumn) : nullptr;
    if (!cell) return false;
    out.Assign(cell->m_value);
    return true;
}

CTListCtrlReport::Row* CTListCtrlReport::GetRow(int item)
{
    if (!m_hWnd || item < 0) return nullptr;
    LVITEMW lvi = {};
    lvi.mask = LVIF_PARAM;
    lvi.iItem = item;
    if (!ListViewCall(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lvi))) return nullptr;
    return reinterpret_cast<Row*>(lvi.lParam);
}

void* CTListCtrlReport::GetRowData(int item)
{
    Row* row = GetRow(item);
    return row ? row->m_data : nullptr;
}

int CTListCtrlReport::FindRowByData(void* data)
{
    if (!m_hWnd) return 0;
    for (auto* p = m_rows.m_head; p; p = p->GetNext()) {
        if (static_cast<Row*>(p)->m_data != data) continue;
        LVFINDINFOW find = {};
        find.flags = LVFI_PARAM;
        find.lParam = reinterpret_cast<LPARAM>(p);
        return static_cast<int>(ListViewCall(LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    }
    return -1;
}

bool CTListCtrlReport::GetRowDetails(int item, CTString& text, int& image, void*& data)
{
    Row* row = GetRow(item);
    if (!row) return false;
    Cell* first = row->GetCell(0);
    text = first ? first->m_value.GetText() : L"";
    LVITEMW lvi = {};
    lvi.mask = LVIF_IMAGE;
    lvi.iItem = item;
    ListViewCall(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lvi));
    image = lvi.iImage;
    data = row->m_data;
    return true;
}

bool CTListCtrlReport::DeleteRow(int item)
{
    if (item == -1) return false;
    if (m_options & OptHighlight) {
        Row* row = GetRow(item);
        if (!row) return false;
        LVITEMW lvi = {};
        lvi.stateMask = LVIS_SELECTED;
        SendMessage(LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&lvi));
        StartRowHighlight(row, HighlightDeleting);
        RedrawRow(item);
        return true;
    }
    if (!m_hWnd) return false;
    // Redraw stays off for a burst of deletions as for insertions (see RedrawOff).
    bool wasOn = RedrawOff();
    bool deleted = ListViewCall(LVM_DELETEITEM, item, 0) == 1;
    RedrawOn(wasOn);
    return deleted;
}

bool CTListCtrlReport::DeleteAllRows()
{
    if (!m_hWnd) return false;
    // The list-view repaints itself once afterwards; no per-item repaint of the rows below.
    m_deletingAll = true;
    bool ok = SendMessage(LVM_DELETEALLITEMS) != 0;
    m_deletingAll = false;
    return ok;
}

void CTListCtrlReport::SelectAll()
{
    if (!m_hWnd || (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & LVS_SINGLESEL)) return;
    LVITEMW lvi = {};
    lvi.state = lvi.stateMask = LVIS_SELECTED;
    SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&lvi));
}

// ---- Decoration ----

void CTListCtrlReport::SetCellTextColour(int item, int dataColumn, BYTE key)
{
    Row* row = GetRow(item);
    Cell* cell = row ? row->GetCell(dataColumn) : nullptr;
    if (!cell || cell->m_textColour == key) return;
    cell->m_textColour = key;
    row->UpdateColourFlag();
    RedrawRow(item);
}

void CTListCtrlReport::SetCellBackColour(int item, int dataColumn, BYTE key)
{
    Row* row = GetRow(item);
    Cell* cell = row ? row->GetCell(dataColumn) : nullptr;
    if (!cell || cell->m_backColour == key) return;
    cell->m_backColour = key;
    row->UpdateColourFlag();
    RedrawRow(item);
}

void CTListCtrlReport::SetRowColour(int item, BYTE key)
{
    Row* row = GetRow(item);
    if (!row) return;
    bool changed = row->SetFlag(RowColour, key != 0) || row->m_rowColour != key;
    row->m_rowColour = key;
    if (changed) RedrawRow(item);
}

void CTListCtrlReport::SetRowBold(int item)
{
    Row* row = GetRow(item);
    if (!row || !row->SetFlag(RowBold, true)) return;
    if (m_options & OptHighlight) StartRowHighlight(row, HighlightChanged);
    RedrawRow(item);
    UpdateWindow(m_hWnd);
}

void CTListCtrlReport::SetRowStrikeOut(int item)
{
    Row* row = GetRow(item);
    if (!row || !row->SetFlag(RowStrikeOut, true)) return;
    if (m_options & OptHighlight) StartRowHighlight(row, HighlightChanged);
    RedrawRow(item);
    UpdateWindow(m_hWnd);
}

bool CTListCtrlReport::SetRowIndent(int item)
{
    if (!m_hWnd) return false;
    LVITEMW lvi = {};
    lvi.mask = LVIF_INDENT;
    lvi.iItem = item;
    lvi.iIndent = 1;
    if (!SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lvi))) return false;
    Row* row = GetRow(item);
    Cell* first = row ? row->GetCell(0) : nullptr;
    int position = GetColumnPosition(0);
    Column* column = position >= 0 ? GetShownColumn(position) : nullptr;
    if (first && column) {
        MeasureColumn(item, column, *first, 0, MeasureDC());
    }
    return true;
}

int CTListCtrlReport::GetItemIndent(int item)
{
    if (!m_hWnd) return 0;
    LVITEMW lvi = {};
    lvi.mask = LVIF_INDENT;
    lvi.iItem = item;
    if (!ListViewCall(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lvi))) return 0;
    return lvi.iIndent;
}

bool CTListCtrlReport::SetRowImage(int item, int image)
{
    LVITEMW lvi = {};
    lvi.mask = LVIF_IMAGE;
    lvi.iItem = item;
    lvi.iImage = image;
    return m_hWnd && SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lvi)) != 0;
}

bool CTListCtrlReport::SetRowOverlay(int item, int overlay)
{
    LVITEMW lvi = {};
    lvi.mask = LVIF_STATE;
    lvi.iItem = item;
    lvi.state = INDEXTOOVERLAYMASK(overlay);
    lvi.stateMask = LVIS_OVERLAYMASK;
    return m_hWnd && SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lvi)) != 0;
}

bool CTListCtrlReport::SetOverlayImage(int image)
{
    return m_imageList && ImageList_SetOverlayImage(m_imageList, image, 1);
}

// ---- Images ----

int CTListCtrlReport::ImageSize(bool vertical) const
{
    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    return vertical ? dpi.ScaleY(18) : dpi.Scale(18);
}

bool CTListCtrlReport::EnsureImageList()
{
    if (m_imageList) return true;
    m_imageList = ImageList_Create(ImageSize(false), ImageSize(true), ILC_COLORDDB | ILC_MASK, 1, 0);
    if (!m_imageList) return false;
    HIMAGELIST old = reinterpret_cast<HIMAGELIST>(
        SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_imageList)));
    if (old && old != m_imageList) ImageList_Destroy(old);
    return true;
}

namespace {
HICON CenteredCopy(HICON icon, int cx, int cy)
{
    CTIcon copy;
    if (!copy.SetCopy(icon)) return nullptr;
    copy.CenterInSize(cx, cy);
    HICON out = copy.icon;
    copy.Detach();
    return out;
}
} // namespace

int CTListCtrlReport::AddImage(HICON icon)
{
    if (!EnsureImageList()) return -1;
    int cx = ImageSize(false), cy = ImageSize(true);
    if (!icon) {
        // An empty image: nothing drawn, everything masked.
        HDC screen = GetDC(nullptr);
        HBITMAP colour = CreateCompatibleBitmap(screen, cx, cy);
        ReleaseDC(nullptr, screen);
        HBITMAP mask = CreateBitmap(cx, cy, 1, 1, nullptr);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, colour);
        PatBlt(dc, 0, 0, cx, cy, BLACKNESS);
        SelectObject(dc, mask);
        PatBlt(dc, 0, 0, cx, cy, WHITENESS);
        SelectObject(dc, old);
        DeleteDC(dc);
        int index = ImageList_Add(m_imageList, colour, mask);
        DeleteObject(colour);
        DeleteObject(mask);
        return index;
    }
    HICON copy = CenteredCopy(icon, cx, cy);
    if (!copy) return -1;
    int index = ImageList_ReplaceIcon(m_imageList, -1, copy);
    DestroyIcon(copy);
    return index;
}

int CTListCtrlReport::AddBitmap(HBITMAP bitmap, COLORREF mask)
{
    if (!EnsureImageList() || !bitmap) return -1;
    int cx = ImageSize(false), cy = ImageSize(true);
    BITMAP info = {};
    GetObjectW(bitmap, sizeof(info), &info);
    HDC screen = GetDC(nullptr);
    HBITMAP canvas = CreateCompatibleBitmap(screen, cx, cy);
    ReleaseDC(nullptr, screen);
    HDC dc = CreateCompatibleDC(nullptr);
    HDC src = CreateCompatibleDC(nullptr);
    HGDIOBJ oldDc = SelectObject(dc, canvas);
    HGDIOBJ oldSrc = SelectObject(src, bitmap);
    RECT all = {0, 0, cx, cy};
    HBRUSH back = CreateSolidBrush(mask);
    FillRect(dc, &all, back);
    DeleteObject(back);
    int x = (cx - info.bmWidth) / 2, y = (cy - info.bmHeight) / 2;
    PatBlt(dc, x, y, info.bmWidth, info.bmHeight, WHITENESS);
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, src, 0, 0, SRCAND);
    SelectObject(src, oldSrc);
    SelectObject(dc, oldDc);
    DeleteDC(src);
    DeleteDC(dc);
    int index = ImageList_AddMasked(m_imageList, canvas, mask);
    DeleteObject(canvas);
    return index;
}

bool CTListCtrlReport::ReplaceImage(HICON icon, int index)
{
    if (!m_imageList || !icon) return false;
    HICON copy = CenteredCopy(icon, ImageSize(false), ImageSize(true));
    if (!copy) return false;
    bool ok = ImageList_ReplaceIcon(m_imageList, index, copy) != -1;
    DestroyIcon(copy);
    return ok;
}

void CTListCtrlReport::AddImageForKey(HICON icon, int key) { m_imageKeys[key] = AddImage(icon); }

int CTListCtrlReport::GetImageForKey(int key) { return m_imageKeys[key]; }

bool CTListCtrlReport::RemoveAllImages()
{
    m_imageKeys.clear();
    if (m_imageList) ImageList_Remove(m_imageList, -1);
    return true;
}

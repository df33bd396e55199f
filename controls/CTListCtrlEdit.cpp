// In-place cell editing: editable rows, check-box cells, choice lists, the hot cell and the
// report's notifications.
#include "controls/CTListCtrlEdit.h"

#include <uxtheme.h>
#include <vsstyle.h>

#include "controls/CTListCtrlEditControls.h"
#include "foundation/CTStringLocale.h"
#include "framework/CTREngine.h"

// ---- Cells and rows ----

CTListCtrlEdit::Cell::Cell(const Cell& other)
    : CLinkedListObject(), m_kind(other.m_kind), m_value(other.m_value), m_choiceList(other.m_choiceList),
      m_readOnly(other.m_readOnly)
{
}

CTListCtrlEdit::Cell& CTListCtrlEdit::Cell::operator=(const Cell& other)
{
    if (&other != this) {
        m_kind = other.m_kind;
        m_value.Assign(other.m_value);
        m_choiceList.Assign(other.m_choiceList);
        m_readOnly = other.m_readOnly;
    }
    return *this;
}

CTListCtrlEdit::Row::Row(const Row& other) : CLinkedListObject(), m_key(other.m_key)
{
    for (auto* p = other.m_cells.m_head; p; p = p->GetNext()) m_cells.AddTail(new Cell(*static_cast<Cell*>(p)));
}

CTListCtrlEdit::Row& CTListCtrlEdit::Row::operator=(const Row& other)
{
    if (&other == this) return *this;
    m_key = other.m_key;
    m_cells.DeleteAll();
    for (auto* p = other.m_cells.m_head; p; p = p->GetNext()) m_cells.AddTail(new Cell(*static_cast<Cell*>(p)));
    return *this;
}

CTListCtrlEdit::Row& CTListCtrlEdit::Row::AddCell(int kind)
{
    m_cells.AddTail(new Cell(kind));
    return *this;
}

CTListCtrlEdit::Row& CTListCtrlEdit::Row::SetValue(const CAttribute& value)
{
    if (auto* cell = static_cast<Cell*>(m_cells.m_tail)) cell->m_value.Assign(value);
    return *this;
}

CTListCtrlEdit::Row& CTListCtrlEdit::Row::SetBool(bool on)
{
    if (auto* cell = static_cast<Cell*>(m_cells.m_tail)) cell->m_value.SetValue(CAttribute::Integer, on ? 1 : 0);
    return *this;
}

CTListCtrlEdit::Row& CTListCtrlEdit::Row::SetText(const CTString& text)
{
    auto* cell = static_cast<Cell*>(m_cells.m_tail);
    if (!cell) return *this;
    if (cell->m_kind == KindChoice) cell->m_choiceList.Assign(text);
    else cell->m_value.SetText(CAttribute::Text, text);
    return *this;
}

CTListCtrlEdit::Cell* CTListCtrlEdit::Row::GetCell(int column) const
{
    if (column < 0) return nullptr;
    auto* p = m_cells.m_head;
    for (int i = 0; p && i < column; ++i) p = p->GetNext();
    return static_cast<Cell*>(p);
}

bool CTListCtrlEdit::NameLess::operator()(const CTString& a, const CTString& b) const
{
    // Equal names must be equivalent keys: same length and lstrcmpW equal.
    if (a.GetLength() != b.GetLength()) return a.GetLength() < b.GetLength();
    return lstrcmpW(a.GetBuffer() ? a.GetBuffer() : L"", b.GetBuffer() ? b.GetBuffer() : L"") < 0;
}

// ---- Life ----

CTListCtrlEdit::~CTListCtrlEdit()
{
    CloseEditor();
    for (CControlBase* editor : m_retired) delete editor;
    m_retired.clear();
    m_rowMap.clear();
    m_rows.DeleteAll();
    m_report = nullptr;
    m_choiceLists.clear();
}

void CTListCtrlEdit::Attach(int controlId, CTListCtrlReport* report, ValueChangedFn valueChanged,
                            FillChoicesFn fillChoices, void* context)
{
    m_controlId = controlId;
    m_report = report;
    m_valueChanged = valueChanged;
    m_fillChoices = fillChoices;
    m_context = context;
    if (!report || !report->m_hWnd) return;
    // Editors are the report's children.
    report->ModifyStyle(0, WS_CLIPCHILDREN, 0);
    m_rowMap.clear();

    CTREngine* engine = CTREngine::Instance();
    CTThemeApi* theme = CTREngine::ThemeApi();
    SIZE size = {};
    if (HTHEME data = theme->OpenThemeData(report->m_hWnd, L"BUTTON")) {
        HDC hdc = GetDC(report->m_hWnd);
        theme->GetThemePartSize(data, hdc, CBS_UNCHECKEDNORMAL, &size);
        ReleaseDC(report->m_hWnd, hdc);
        theme->CloseThemeData(data);
    }
    if (size.cx <= 0 || size.cy <= 0) {
        // Without visual styles: the classic check box, 13 pixels at 96 DPI.
        size.cx = engine->m_dpi.Scale(13);
        size.cy = engine->m_dpi.ScaleY(13);
    }
    RECT rc = {0, 0, size.cx + 2 * GetSystemMetrics(SM_CXEDGE) - 1, size.cy + 2 * GetSystemMetrics(SM_CYEDGE) - 1};

    struct Look {
        UINT flags;
        int themeState;
        int look;
    } looks[] = {
        {DFCS_FLAT, CBS_UNCHECKEDNORMAL, UncheckedNormal},
        {DFCS_FLAT | DFCS_CHECKED, CBS_CHECKEDNORMAL, CheckedNormal},
        {DFCS_FLAT | DFCS_INACTIVE, CBS_UNCHECKEDDISABLED, UncheckedDisabled},
        {DFCS_FLAT | DFCS_CHECKED | DFCS_INACTIVE, CBS_CHECKEDDISABLED, CheckedDisabled},
        {DFCS_FLAT, CBS_UNCHECKEDHOT, UncheckedHot},
        {DFCS_FLAT | DFCS_CHECKED, CBS_CHECKEDHOT, CheckedHot},
        {DFCS_FLAT, CBS_UNCHECKEDPRESSED, UncheckedPressed},
        {DFCS_FLAT | DFCS_CHECKED, CBS_CHECKEDPRESSED, CheckedPressed},
    };
    HBITMAP bitmap = nullptr;
    COLORREF mask = CLR_INVALID; // the engine picks one colour for all eight
    for (const Look& l : looks) {
        if (engine->RenderCheckBoxImage(report->m_hWnd, l.flags, l.themeState, rc, &bitmap, &mask) && bitmap)
            m_images[l.look] = report->AddBitmap(bitmap, mask);
    }
    if (bitmap) DeleteObject(bitmap);
}

// ---- Columns and lookups ----

int CTListCtrlEdit::ListColumn(int column) const
{
    return m_report ? m_report->GetColumnPosition(column) : -1;
}

int CTListCtrlEdit::DataColumn(int listColumn) const
{
    if (!m_report) return -1;
    CTListCtrlReport::Column* c = m_report->GetShownColumn(listColumn);
    return c ? c->m_dataColumn : -1;
}

CTListCtrlEdit::Row* CTListCtrlEdit::FindRow(void* key) const
{
    auto it = m_rowMap.find(key);
    return it == m_rowMap.end() ? nullptr : it->second;
}

CTListCtrlEdit::Row* CTListCtrlEdit::FindRowOfItem(int item)
{
    if (!m_report || !m_report->m_hWnd || item < 0) return nullptr;
    LVITEMW lvi = {};
    lvi.mask = LVIF_PARAM;
    lvi.iItem = item;
    if (!m_report->SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lvi)) || !lvi.lParam) return nullptr;
    return FindRow(reinterpret_cast<CTListCtrlReport::Row*>(lvi.lParam)->m_data);
}

CTListCtrlEdit::Cell* CTListCtrlEdit::FindCell(int item, int column)
{
    Row* row = FindRowOfItem(item);
    return row ? row->GetCell(column) : nullptr;
}

CTListCtrlEdit::ChoiceList* CTListCtrlEdit::FindChoiceList(const CTString& name)
{
    auto it = m_choiceLists.find(name);
    return it == m_choiceLists.end() ? nullptr : &it->second;
}

bool CTListCtrlEdit::ChoiceText(const Cell& cell, bool addMissing, CTString& out)
{
    unsigned id = static_cast<unsigned>(cell.m_value.GetValue());
    if (!addMissing) {
        ChoiceList* list = FindChoiceList(cell.m_choiceList);
        if (!list) return false;
        auto it = list->entries.find(id);
        if (it == list->entries.end()) return false;
        out.Assign(it->second);
        return true;
    }
    out.Assign(m_choiceLists[cell.m_choiceList].entries[id]);
    return true;
}

void CTListCtrlEdit::FillChoices(const CTString& name)
{
    if (!m_fillChoices) return;
    ChoiceList& list = m_choiceLists[name];
    if (list.flags & ChoiceFilled) return;
    m_fillChoices(m_context, &name, &list.entries);
    // The callback may have set choices itself; look the list up again.
    m_choiceLists[name].flags |= ChoiceFilled;
}

int CTListCtrlEdit::CheckImage(const Cell& cell, bool hot) const
{
    bool checked = cell.IsChecked();
    if (cell.m_readOnly || m_allReadOnly) return m_images[checked ? CheckedDisabled : UncheckedDisabled];
    if (hot) return m_images[checked ? CheckedHot : UncheckedHot];
    return m_images[checked ? CheckedNormal : UncheckedNormal];
}

void CTListCtrlEdit::SetReportCell(int item, int column, const CAttribute& value)
{
    if (m_report && item >= 0) m_report->SetCell(item, column, CTListCtrlReport::Cell(value));
}

void CTListCtrlEdit::ShowCheck(int item, int column, const Cell& cell, bool hot)
{
    // A centred symbol of kind 7 showing that image of the report's small image list.
    __int64 symbol = (static_cast<__int64>(CheckImage(cell, hot)) << 16) + 7;
    SetReportCell(item, column, CAttribute(4, symbol));
}

void CTListCtrlEdit::ShowValue(int item, int column, Cell& cell)
{
    switch (cell.m_kind) {
    case KindCheck:
        ShowCheck(item, column, cell, item == m_hotItem && column == m_hotColumn);
        return;
    case KindChoice: {
        CTString text;
        ChoiceText(cell, true, text);
        SetReportCell(item, column, CAttribute(text));
        return;
    }
    case KindLocale: {
        CTStringLocale text(cell.m_value.GetString());
        SetReportCell(item, column, CAttribute(CTString(text.GetUserText())));
        return;
    }
    default:
        SetReportCell(item, column, cell.m_value);
        return;
    }
}

void CTListCtrlEdit::NotifyChanged(int item, int column, Cell& cell)
{
    if (m_valueChanged) m_valueChanged(m_context, item, column, &cell.m_value);
}

void CTListCtrlEdit::InvalidateItem(int item)
{
    if (!m_report || !m_report->m_hWnd || item < 0) return;
    RECT rc = {};
    rc.left = LVIR_BOUNDS;
    if (m_report->SendMessage(LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rc)))
        InvalidateRect(m_report->m_hWnd, &rc, TRUE);
}

void CTListCtrlEdit::ShowSpecialCells(int item, Row& row, bool refreshChoices)
{
    if (item < 0) return;
    int column = 0;
    for (auto* p = row.m_cells.m_head; p; p = p->GetNext(), ++column) {
        auto* cell = static_cast<Cell*>(p);
        if (cell->m_kind == KindCheck) {
            ShowCheck(item, column, *cell, false);
        } else if (cell->m_kind == KindChoice && !cell->m_choiceList.IsEmpty() && refreshChoices) {
            FillChoices(cell->m_choiceList);
            CTString text;
            // A value its list does not hold keeps whatever text the owner gave the report.
            if (ChoiceText(*cell, false, text)) SetReportCell(item, column, CAttribute(text));
        }
    }
}

// ---- Rows ----

void CTListCtrlEdit::AddRow(const Row& row)
{
    auto* copy = new Row(row);
    m_rows.AddTail(copy);
    m_rowMap[copy->m_key] = copy;
    if (m_report) ShowSpecialCells(m_report->FindRowByData(copy->m_key), *copy, true);
}

void CTListCtrlEdit::UpdateRow(int item, const Row& row)
{
    CloseEditor();
    Row* stored = FindRow(row.m_key);
    if (!stored) return;
    *stored = row;
    ShowSpecialCells(item, *stored, m_fillChoices != nullptr);
}

void CTListCtrlEdit::RemoveRow(void* key)
{
    CloseEditor();
    auto it = m_rowMap.find(key);
    if (it == m_rowMap.end()) return;
    Row* row = it->second;
    m_rowMap.erase(it);
    m_rows.Delete(row);
}

void CTListCtrlEdit::RemoveAllRows()
{
    // An open editor points into a row: it commits and goes before the rows do.
    CloseEditor();
    m_hotItem = m_hotColumn = -1;
    m_rowMap.clear();
    m_rows.DeleteAll();
}

// ---- Values ----

void CTListCtrlEdit::SetValue(void* key, int column, const CAttribute& value)
{
    Row* row = FindRow(key);
    Cell* cell = row ? row->GetCell(column) : nullptr;
    if (!cell) return;
    cell->m_value.Assign(value);
    if (!m_report) return;
    int item = m_report->FindRowByData(key);
    if (item < 0) return;
    ShowValue(item, column, *cell);
    InvalidateItem(item);
}

CAttribute& CTListCtrlEdit::GetValue(CAttribute& out, void* key, int column)
{
    Row* row = FindRow(key);
    Cell* cell = row ? row->GetCell(column) : nullptr;
    if (cell) out.Assign(cell->m_value);
    else out.Assign(CAttribute());
    return out;
}

void CTListCtrlEdit::SetColumnValue(int column, const CAttribute& value)
{
    if (!m_report) return;
    int count = m_report->GetItemCount();
    for (int item = 0; item < count; ++item) {
        Row* row = FindRowOfItem(item);
        Cell* cell = row ? row->GetCell(column) : nullptr;
        if (!cell) continue;
        cell->m_value.Assign(value);
        ShowValue(item, column, *cell);
        InvalidateItem(item);
    }
}

void CTListCtrlEdit::SetReadOnly(void* key, int column, bool readOnly)
{
    Row* row = FindRow(key);
    Cell* cell = row ? row->GetCell(column) : nullptr;
    if (!cell) return;
    cell->m_readOnly = readOnly;
    if (cell->m_kind == KindCheck && m_report) {
        int item = m_report->FindRowByData(key);
        if (item >= 0) ShowCheck(item, column, *cell, item == m_hotItem && column == m_hotColumn);
    }
}

bool CTListCtrlEdit::IsReadOnly(void* key, int column)
{
    Row* row = FindRow(key);
    Cell* cell = row ? row->GetCell(column) : nullptr;
    return cell && cell->m_readOnly;
}

void CTListCtrlEdit::SetAllReadOnly(bool readOnly)
{
    if (readOnly == m_allReadOnly) return;
    m_allReadOnly = readOnly;
    if (!m_report) return;
    for (auto* p = m_rows.m_head; p; p = p->GetNext()) {
        auto* row = static_cast<Row*>(p);
        int item = m_report->FindRowByData(row->m_key);
        if (item < 0) continue;
        int column = 0;
        for (auto* c = row->m_cells.m_head; c; c = c->GetNext(), ++column) {
            auto* cell = static_cast<Cell*>(c);
            if (cell->m_kind == KindCheck) ShowCheck(item, column, *cell, item == m_hotItem && column == m_hotColumn);
        }
    }
}

void CTListCtrlEdit::SetChoices(const CTString& listName, const Choices& entries)
{
    m_choiceLists[listName].entries = entries;
    if (!m_report) return;
    for (auto* p = m_rows.m_head; p; p = p->GetNext()) {
        auto* row = static_cast<Row*>(p);
        int item = -2;
        int column = 0;
        for (auto* c = row->m_cells.m_head; c; c = c->GetNext(), ++column) {
            auto* cell = static_cast<Cell*>(c);
            if (cell->m_kind != KindChoice || cell->m_choiceList.GetLength() != listName.GetLength()) continue;
            if (NameLess()(cell->m_choiceList, listName) || NameLess()(listName, cell->m_choiceList)) continue;
            if (item == -2) item = m_report->FindRowByData(row->m_key);
            if (item < 0) break;
            CTString text;
            ChoiceText(*cell, true, text);
            SetReportCell(item, column, CAttribute(text));
        }
    }
}

// ---- Editing ----

void CTListCtrlEdit::DeleteEditor()
{
    CControlBase* editor = m_editor;
    m_editor = nullptr;
    if (!editor) return;
    if (editor->m_busy) m_retired.push_back(editor);
    else delete editor;
}

void CTListCtrlEdit::CloseEditor()
{
    // Editors retired earlier have long returned from their handlers by now unless still busy.
    for (size_t i = 0; i < m_retired.size();) {
        if (m_retired[i]->m_busy) {
            ++i;
            continue;
        }
        delete m_retired[i];
        m_retired.erase(m_retired.begin() + static_cast<long>(i));
    }
    if (!m_editor) return;
    CControlBase* editor = m_editor;
    if (editor->IsOpen()) {
        editor->Commit();
        // The commit's callback may have closed it already.
        if (m_editor == editor) editor->Close();
    }
    if (m_editor == editor) DeleteEditor();
}

void CTListCtrlEdit::Toggle(int item, int column, Cell& cell)
{
    bool checked = cell.IsChecked();
    cell.m_value.SetValue(CAttribute::Integer, checked ? 0 : 1);
    ShowCheck(item, column, cell, item == m_hotItem && column == m_hotColumn);
    NotifyChanged(item, column, cell);
}

RECT CTListCtrlEdit::EditorRect(int item, int column)
{
    RECT rc = {};
    int listColumn = ListColumn(column);
    rc.top = listColumn;
    rc.left = LVIR_LABEL;
    m_report->SendMessage(LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(&rc));
    if (listColumn == 0 && (m_report->m_options & CTListCtrlReport::OptOwnFirstColumn)) {
        // The editor covers the item's icon as well.
        RECT icon = {};
        icon.top = 0;
        icon.left = LVIR_ICON;
        m_report->SendMessage(LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(&icon));
        rc.left -= icon.right - icon.left;
    }
    return rc;
}

void CTListCtrlEdit::OpenEditor(int item, int column, Cell& cell, const POINT* click)
{
    if (ListColumn(column) < 0) return;
    RECT rc = EditorRect(item, column);
    // It becomes the open editor only once open: the report's focus loss while the editor takes the
    // focus must not close it.
    CControlBase* editor = CreateEditor(this, &cell, item, column, &rc, click);
    DeleteEditor();
    m_editor = editor;
}

CTListCtrlEdit::CControlBase* CTListCtrlEdit::CreateEditor(CTListCtrlEdit* owner, Cell* cell, int item, int column,
                                                           const RECT* rc, const POINT* click)
{
    if (!owner || !cell || !rc) return nullptr;
    CControlBase* editor = nullptr;
    switch (cell->m_kind) {
    case KindText: editor = new CEdit(owner, cell, item, column, *rc, 0); break;
    case KindNumber: editor = new CEdit(owner, cell, item, column, *rc, ES_NUMBER); break;
    case KindPassword: editor = new CEdit(owner, cell, item, column, *rc, ES_PASSWORD); break;
    case KindMultiLine: editor = new CEdit(owner, cell, item, column, *rc, ES_MULTILINE | ES_AUTOVSCROLL); break;
    case KindLocale: editor = new CEditLocale(owner, cell, item, column, *rc); break;
    case KindTime: editor = new CTime(owner, cell, item, column, *rc); break;
    case KindChoice: editor = new CDDLB(owner, cell, item, column, *rc); break;
    case KindDate: editor = new CDate(owner, cell, item, column, *rc); break;
    case KindDateTime: editor = new CDateTime(owner, cell, item, column, *rc); break;
    default: return nullptr;
    }
    editor->Open(click);
    return editor;
}

void CTListCtrlEdit::SetHotCell(int item, int column)
{
    if (m_allReadOnly) return;
    Cell* cell = FindCell(item, column);
    if (!cell || cell->m_kind == KindReadOnly) return;
    if (cell->m_kind == KindCheck) {
        m_hotItem = item;
        m_hotColumn = column;
        ShowCheck(item, column, *cell, true);
        return;
    }
    if (m_editor && m_editor->m_item == item && m_editor->m_column == column && m_editor->IsOpen()) return;
    m_hotItem = item;
    m_hotColumn = column;
    if (m_report) m_report->SetHotCell(item, ListColumn(column));
}

void CTListCtrlEdit::ClearHotCell()
{
    if (m_hotItem != -1 && m_hotColumn != -1) {
        Cell* cell = FindCell(m_hotItem, m_hotColumn);
        if (cell && cell->m_kind == KindCheck) ShowCheck(m_hotItem, m_hotColumn, *cell, false);
    }
    m_hotItem = m_hotColumn = -1;
    if (m_report && m_report->m_hotItem != -1 && m_report->m_hotColumn != -1) m_report->SetHotCell(-1, -1);
}

// ---- Messages ----

bool CTListCtrlEdit::OnNotify(int controlId, NMHDR* hdr, LRESULT*)
{
    if (!m_report || !hdr || controlId != m_controlId) return false;
    switch (hdr->code) {
    case kNotifyActivate: {
        CloseEditor();
        auto* act = reinterpret_cast<NMITEMACTIVATE*>(hdr);
        if (act->iItem < 0) return false;
        int listColumn = m_report->m_focusedColumn != -1 ? m_report->m_focusedColumn : act->iSubItem;
        int column = DataColumn(listColumn);
        Cell* cell = FindCell(act->iItem, column);
        if (!cell || cell->m_readOnly || m_allReadOnly) return false;
        if (cell->m_kind == KindCheck) {
            Toggle(act->iItem, column, *cell);
        } else if (cell->m_kind >= KindText && cell->m_kind <= KindDateTime) {
            ClearHotCell();
            OpenEditor(act->iItem, column, *cell, nullptr);
        }
        return false;
    }
    case NM_CLICK: {
        auto* act = reinterpret_cast<NMITEMACTIVATE*>(hdr);
        // A click the frame forwards from its toolbar or caption, not from the list.
        if ((act->uKeyFlags & 0x30) == 0x10) return false;
        CloseEditor();
        int column = DataColumn(act->iSubItem);
        Cell* cell = FindCell(act->iItem, column);
        if (!cell || cell->m_readOnly || m_allReadOnly || cell->m_kind == KindReadOnly) return false;
        if (cell->m_kind == KindCheck) {
            Toggle(act->iItem, column, *cell);
        } else {
            ClearHotCell();
            POINT click = act->ptAction;
            OpenEditor(act->iItem, column, *cell, &click);
        }
        return false;
    }
    case LVN_HOTTRACK: {
        auto* lv = reinterpret_cast<NMLISTVIEW*>(hdr);
        if (lv->iItem < 0) {
            if (m_hotItem != -1) ClearHotCell();
            return false;
        }
        int column = DataColumn(lv->iSubItem);
        if (lv->iItem == m_hotItem && column == m_hotColumn) return false;
        if (m_hotItem != -1) ClearHotCell();
        SetHotCell(lv->iItem, column);
        return false;
    }
    case kNotifyMouseLeft:
        if (m_hotItem != -1) ClearHotCell();
        return false;
    case LVN_BEGINSCROLL:
    case NM_KILLFOCUS:
        CloseEditor();
        return false;
    case LVN_DELETEITEM: {
        if (m_rowMap.empty()) return false;
        // The report passes the notice on before it frees the row; offered by an owner after the
        // report had it, the row may already be freed, so only a row still in the list is read.
        auto* reportRow = reinterpret_cast<CTListCtrlReport::Row*>(reinterpret_cast<NMLISTVIEW*>(hdr)->lParam);
        if (reportRow && (m_report->m_notifying || m_report->m_rows.Contains(reportRow)))
            RemoveRow(reportRow->m_data);
        return false;
    }
    default:
        return false;
    }
}

bool CTListCtrlEdit::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT*)
{
    if (msg == WM_SIZE) CloseEditor();
    return false;
}

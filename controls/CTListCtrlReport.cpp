// Creation, attachment, messages, the column definition and the saved column layout.
#include "controls/CTListCtrlReport.h"

#include <vector>

#include "controls/ListColumns.h"
#include "framework/CTREngine.h"
#include "framework/CTRegKey.h"

namespace {
wchar_t g_passwordChar = L'*';
bool g_passwordCharLooked = false;

// Layout counts read back from the registry are user-editable; nothing beyond this is a layout.
constexpr DWORD kMaxLayoutSkip = 0x100000;
} // namespace

wchar_t CTListCtrlReport::PasswordChar() { return g_passwordChar; }

COLORREF CTListCtrlReport::Lighten(COLORREF c)
{
    auto channel = [](int v) { return static_cast<BYTE>(static_cast<int>((v - 255) * 0.1 + 255)); };
    return RGB(channel(GetRValue(c)), channel(GetGValue(c)), channel(GetBValue(c)));
}

COLORREF CTListCtrlReport::Tint(COLORREF b, COLORREF h)
{
    auto channel = [](int bv, int hv) { return static_cast<BYTE>(static_cast<int>((bv - hv) * 0.8 + hv)); };
    return RGB(channel(GetRValue(b), GetRValue(h)), channel(GetGValue(b), GetGValue(h)),
               channel(GetBValue(b), GetBValue(h)));
}

CTListCtrlReport::CTListCtrlReport()
{
    m_alternateColour = Lighten(GetSysColor(COLOR_HIGHLIGHT));
    m_themed = CTREngine::ThemeApi()->IsAppThemed();
    m_header.m_themed = m_themed;
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
}

CTListCtrlReport::~CTListCtrlReport()
{
    Destroy();
    delete[] m_columnOrder;
    delete[] m_columnPositions;
    m_columnOrder = m_columnPositions = nullptr;
    // Rows whose deletion notices never reached the list (no parent offered them) go here.
    m_rows.DeleteAll();
    ReleaseResources();
}

bool CTListCtrlReport::CreateReport(HWND parent, int id, DWORD style)
{
    if (parent) m_hParent = parent;
    DWORD all = style | WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SORTASCENDING;
    if (!Create(WC_LISTVIEWW, false, m_hParent, all, 0, GetModuleHandleW(nullptr), nullptr)) return false;
    m_id = id;
    SetWindowLongPtrW(m_hWnd, GWLP_ID, id);
    MoveWindow(m_hWnd, 0, 0, 1, 1, FALSE);
    Subclass(true);
    if (!PrepareReport()) return false;
    if (m_options & OptHighlight) SetTimer(m_hWnd, kHighlightTimer, kHighlightPeriod, nullptr);
    return true;
}

bool CTListCtrlReport::AttachReport(HWND dialog, int id)
{
    bool ok = Attach(GetDlgItem(dialog, id), true);
    if (ok) {
        m_id = id;
        m_hParent = dialog;
        PrepareReport();
    }
    return ok;
}

void CTListCtrlReport::FindPasswordChar(HWND list)
{
    if (g_passwordCharLooked) return;
    g_passwordCharLooked = true;
    HWND edit = CreateWindowExW(0, L"Edit", nullptr, WS_CHILD | WS_BORDER | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL,
                                0, 0, 0, 0, list, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!edit) return;
    wchar_t ch = static_cast<wchar_t>(::SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0));
    if (ch) g_passwordChar = ch;
    DestroyWindow(edit);
}

bool CTListCtrlReport::PrepareReport()
{
    HWND header = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
    if (header) m_header.Hook(header);
    m_header.m_normalLayout = !(m_options & OptStretch);
    m_autoSize = (m_options & OptStretch) != 0;

    DWORD ex = LVS_EX_FULLROWSELECT;
    if ((m_options & OptColumnMenu) && !m_columnsLocked) ex |= LVS_EX_HEADERDRAGDROP;
    if (m_options & OptGridLines) ex |= LVS_EX_GRIDLINES;
    SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);

    if (m_hWnd && !(GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) ModifyExStyle(0, WS_EX_CLIENTEDGE);

    if (m_imageList) {
        HIMAGELIST old = reinterpret_cast<HIMAGELIST>(
            SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_imageList)));
        if (old && old != m_imageList) ImageList_Destroy(old);
    }
    if (m_hWnd) FindPasswordChar(m_hWnd);
    return true;
}

void CTListCtrlReport::Destroy()
{
    // The base takes the procedure away before the window goes, so the clean-up of WM_DESTROY
    // runs here while the list-view can still tell us about its items.
    if (m_hWnd && ::IsWindow(m_hWnd) && m_subclassed && !m_attached) {
        if (m_layoutStringId) SaveColumnLayout();
        Reset();
    }
    if (m_header.m_hWnd) {
        m_header.Unhook();
        m_header.Subclass(false);
        ClearOwner(m_header.m_hWnd, &m_header);
        m_header.m_hWnd = nullptr;
        m_header.m_attached = false;
    }
    m_imageList = nullptr; // the list-view destroys its own image lists
    CTWnd2::Destroy();
}

void CTListCtrlReport::ReleaseResources()
{
    m_imageKeys.clear();
    if (m_strikeFont) DeleteObject(m_strikeFont);
    if (m_boldFont) DeleteObject(m_boldFont);
    if (m_symbolFont) DeleteObject(m_symbolFont);
    m_strikeFont = m_boldFont = m_symbolFont = nullptr;
    if (m_measureDC) DeleteDC(m_measureDC);
    m_measureDC = nullptr;
}

HDC CTListCtrlReport::MeasureDC()
{
    if (!m_measureDC) m_measureDC = CreateCompatibleDC(nullptr);
    return m_measureDC;
}

void CTListCtrlReport::Reset()
{
    m_deletingAll = true;
    SendMessage(LVM_DELETEALLITEMS);
    m_deletingAll = false;
    m_rows.DeleteAll();
    m_columns.DeleteAll();
    m_menuEntries.DeleteAll();
    m_shownCount = 0;
    m_sortColumn = 0;
    m_sortDataColumn = 0;
    m_resizableTotal = m_fixedTotal = 0;
    // A resume still posted to a window that goes is never delivered.
    if (m_redrawDeferred) {
        m_redrawDeferred = false;
        m_redrawEnabled = true;
    }
    ReleaseResources();
    if (m_imageList) {
        // Detach it from the list-view first so that it is destroyed exactly once.
        SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, 0);
        ImageList_Destroy(m_imageList);
        m_imageList = nullptr;
    }
}

bool CTListCtrlReport::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_DESTROY:
        if (m_layoutStringId) SaveColumnLayout();
        Reset();
        return false;
    case WM_TIMER:
        if (wParam == kHighlightTimer || wParam == kFitTimer || wParam == kRepaintTimer) {
            OnTimer(wParam);
            *result = 1;
            return true;
        }
        return false; // the list-view's own timers
    case WM_SETREDRAW:
        // A caller's switch overrules a resume still pending from the row operations.
        m_redrawDeferred = false;
        m_redrawEnabled = wParam != 0;
        return false;
    case WM_PAINT:
    case WM_PRINT:
    case WM_PRINTCLIENT:
        ResumeRedraw();
        return false;
    case WM_SYSCOLORCHANGE:
        m_alternateColour = Lighten(GetSysColor(COLOR_HIGHLIGHT));
        m_themed = CTREngine::ThemeApi()->IsAppThemed();
        return false;
    case WM_ERASEBKGND: {
        BOOL full = FALSE;
        if (m_quietRepaint && SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full, 0) && full) {
            *result = 1;
            return true;
        }
        return false;
    }
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (!m_themed && dis && m_header.m_hWnd && dis->hwndItem == m_header.m_hWnd) {
            DrawHeaderItem(dis);
            *result = 1;
            return true;
        }
        return false;
    }
    case WM_WINDOWPOSCHANGED: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (pos && (pos->flags & SWP_NOSIZE)) {
            if (pos->flags & SWP_FRAMECHANGED) PostSelf(MsgRefit);
            return false;
        }
        // The list-view still needs the message (it derives its WM_SIZE from it), so the fit
        // never swallows it.
        FitColumnsToWidth(false);
        return false;
    }
    case WM_KEYDOWN:
        OnKeyDown(wParam);
        return false;
    case WM_SYSKEYDOWN:
        ReleaseCapture();
        return false;
    case MsgRefit:
        FitColumnsToWidth(false);
        return false;
    case MsgRecomputeAndRefit:
        RefitColumns();
        return false;
    case MsgOrderChanged:
        UpdateColumnOrder();
        NotifyLayoutChanged();
        return false;
    case MsgLayoutChanged:
        NotifyLayoutChanged();
        return false;
    case MsgResumeRedraw:
        ResumeRedraw();
        *result = 0;
        return true;
    default:
        return false;
    }
}

bool CTListCtrlReport::OnNotify(WPARAM, NMHDR* hdr, LRESULT* result)
{
    if (!hdr || !m_header.m_hWnd || hdr->hwndFrom != m_header.m_hWnd) return false;
    return OnHeaderNotify(hdr, result);
}

bool CTListCtrlReport::OnParentNotify(NMHDR* hdr, LRESULT* result)
{
    // While the list itself sends to its parent, a parent that offers everything back must not loop.
    if (!hdr || !m_hWnd || hdr->hwndFrom != m_hWnd || m_notifying) return false;
    switch (hdr->code) {
    case NM_CUSTOMDRAW: {
        auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(hdr);
        DWORD stage = cd->nmcd.dwDrawStage;
        if (stage != CDDS_PREPAINT && stage != CDDS_ITEMPREPAINT && stage != (CDDS_ITEMPREPAINT | CDDS_SUBITEM))
            return false;
        *result = OnCustomDraw(cd);
        return true;
    }
    case LVN_COLUMNCLICK: {
        int column = reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem;
        // A new column sorts ascending; the sort column again toggles the direction.
        SortBy(column, column != m_sortColumn || !m_ascending);
        return false; // the parent still sees the click
    }
    case LVN_DELETEALLITEMS:
        *result = FALSE; // one LVN_DELETEITEM per item follows, each freeing its row
        return true;
    case LVN_DELETEITEM:
        OnItemDeleted(reinterpret_cast<NMLISTVIEW*>(hdr));
        *result = 0;
        return true;
    default:
        return false;
    }
}

void CTListCtrlReport::FreeRow(Row* row)
{
    if (!row) return;
    // Unlinked directly rather than through CLinkedList::Remove, which searches from the head:
    // deleting many rows must not cost a walk of the row list each.
    if (row->m_prev) row->m_prev->m_next = row->m_next;
    else m_rows.m_head = row->m_next;
    if (row->m_next) row->m_next->m_prev = row->m_prev;
    else m_rows.m_tail = row->m_prev;
    row->m_next = row->m_prev = nullptr;
    if (m_rows.m_count) --m_rows.m_count;
    delete row;
}

// ---- Columns ----

void CTListCtrlReport::Column::MeasureCaption(HWND hwnd)
{
    HDC hdc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(hdc, CTREngine::Instance()->m_menuFont ? CTREngine::Instance()->m_menuFont
                                                                      : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size = {};
    if (m_caption.GetLength())
        GetTextExtentPoint32W(hdc, m_caption.GetBuffer(), static_cast<int>(m_caption.GetLength()), &size);
    SelectObject(hdc, old);
    ReleaseDC(hwnd, hdc);
    m_captionWidth = size.cx + 7 * GetSystemMetrics(SM_CXEDGE);
}

void CTListCtrlReport::ClearColumns()
{
    m_subKeyIndex = 0;
    m_columns.DeleteAll();
    if (m_hWnd)
        while (SendMessage(LVM_DELETECOLUMN, 0)) {}
    m_shownCount = 0;
    delete[] m_columnOrder;
    delete[] m_columnPositions;
    m_columnOrder = m_columnPositions = nullptr;
}

void CTListCtrlReport::InsertShownColumns()
{
    for (auto* p = m_columns.GetHead(); p; p = p->GetNext()) {
        auto* c = static_cast<Column*>(p);
        if (!c->m_shown) continue;
        LVCOLUMNW lvc = {};
        lvc.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM | LVCF_ORDER;
        lvc.fmt = c->m_format;
        lvc.cx = c->m_width;
        lvc.pszText = const_cast<wchar_t*>(c->m_caption.GetBuffer() ? c->m_caption.GetBuffer() : L"");
        lvc.iSubItem = c->m_dataColumn;
        lvc.iOrder = m_shownCount;
        SendMessage(LVM_INSERTCOLUMNW, m_shownCount, reinterpret_cast<LPARAM>(&lvc));
        ++m_shownCount;
    }
}

// Keeps the column list's invariant: shown columns first, each group in its present order.
static void PartitionShownFirst(CLinkedList& columns)
{
    CLinkedList hidden;
    for (auto* p = columns.GetHead(); p;) {
        auto* next = p->GetNext();
        if (!static_cast<CTListCtrlReport::Column*>(p)->m_shown) {
            columns.Remove(p);
            hidden.AddTail(p);
        }
        p = next;
    }
    while (auto* p = hidden.RemoveHead()) columns.AddTail(p);
}

bool CTListCtrlReport::SetColumns(const CTString& spec, UINT layoutStringId, HINSTANCE layoutModule,
                                  const wchar_t* subPath)
{
    ClearColumns();
    m_sortColumn = m_sortDataColumn = -1;
    m_ascending = m_autoSort = true;
    m_resizableTotal = m_fixedTotal = 0;
    m_layoutStringId = layoutStringId;
    m_layoutModule = layoutModule;
    m_layoutSubPath = subPath ? subPath : L"";

    std::vector<ListColumnSpec::Entry> entries;
    ListColumnSpec::Parse(spec.GetBuffer() ? spec.GetBuffer() : L"", entries);
    int index = 0;
    for (auto& e : entries) {
        auto* c = new Column();
        c->m_caption = e.caption.c_str();
        c->m_width = c->m_defaultWidth = e.width;
        c->m_dataColumn = index++;
        c->m_shown = e.shown;
        c->MeasureCaption(m_hWnd);
        m_columns.AddTail(c);
    }
    const int count = index;

    bool match = false;
    if (layoutStringId) {
        CTRegKey key(layoutStringId, layoutModule, m_layoutSubPath.GetBuffer(), 0);
        int n = 0;
        key.ReadNextParam(n);
        match = n != 0 && n == count;
        CLinkedList front;
        if (match) {
            for (int i = 0; i < n; ++i) {
                int shown = 0, data = 0;
                key.ReadNextParam(shown).ReadNextParam(data);
                for (auto* p = m_columns.GetHead(); p; p = p->GetNext()) {
                    auto* c = static_cast<Column*>(p);
                    if (c->m_dataColumn != data) continue;
                    c->m_shown = shown != 0;
                    m_columns.Remove(c);
                    front.AddTail(c);
                    break;
                }
            }
        } else {
            // The saved column values are passed over without reading them one by one: a count
            // written by hand must not make this loop for ages.
            if (n > 0) key.m_param += 2 * static_cast<DWORD>(n < static_cast<int>(kMaxLayoutSkip) ? n : kMaxLayoutSkip);
            for (auto* p = m_columns.GetHead(); p;) {
                auto* next = p->GetNext();
                if (static_cast<Column*>(p)->m_shown) {
                    m_columns.Remove(p);
                    front.AddTail(p);
                }
                p = next;
            }
        }
        for (auto* p = front.GetTail(); p; p = front.GetTail()) {
            front.Remove(p);
            m_columns.InsertBefore(p, m_columns.GetHead());
        }
        PartitionShownFirst(m_columns);
        InsertShownColumns();

        int sortColumn = m_sortColumn, ascending = m_ascending, locked = m_columnsLocked, autoSize = m_autoSize;
        key.ReadNextParam(sortColumn).ReadNextParam(ascending).ReadNextParam(locked).ReadNextParam(autoSize);
        m_sortColumn = sortColumn >= -1 && sortColumn < m_shownCount ? sortColumn : -1;
        m_ascending = ascending != 0;
        m_columnsLocked = locked != 0;
        m_autoSize = autoSize != 0;

        int m = 0;
        key.ReadNextParam(m);
        if (m < 0) m = 0;
        if (match && m != 0 && m == m_shownCount) {
            std::vector<int> order(m, -1);
            for (int i = m - 1; i >= 0; --i) key.ReadNextParam(order[i]);
            // Applied only when it is a true arrangement of the shown columns.
            std::vector<bool> seen(m, false);
            bool valid = true;
            for (int v : order) {
                if (v < 0 || v >= m || seen[v]) { valid = false; break; }
                seen[v] = true;
            }
            if (valid) SendMessage(LVM_SETCOLUMNORDERARRAY, m, reinterpret_cast<LPARAM>(order.data()));
        } else if (m > 0) {
            key.m_param += static_cast<DWORD>(m < static_cast<int>(kMaxLayoutSkip) ? m : kMaxLayoutSkip);
        }

        m_header.TransferWidths(key, true);
    } else {
        PartitionShownFirst(m_columns);
        InsertShownColumns();
    }

    UpdateColumnOrder();
    if ((match || !layoutStringId) && m_header.m_hWnd) {
        int i = 0;
        for (auto* p = m_columns.GetHead(); p && i < m_shownCount; p = p->GetNext(), ++i) {
            HDITEMW hdi = {};
            hdi.mask = HDI_WIDTH;
            if (::SendMessageW(m_header.m_hWnd, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&hdi)) && hdi.cxy > 0)
                static_cast<Column*>(p)->m_width = hdi.cxy;
        }
    }
    m_header.m_normalLayout = !((m_options & OptStretch) && m_autoSize);
    if (m_sortColumn >= 0) SortBy(m_sortColumn, m_ascending);
    if (m_options)
        SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_HEADERDRAGDROP, m_columnsLocked ? 0 : LVS_EX_HEADERDRAGDROP);
    m_resizableTotal = m_fixedTotal = 0;
    if ((m_options & OptStretch) && m_autoSize) {
        for (auto* p = m_columns.GetHead(); p; p = p->GetNext()) {
            auto* c = static_cast<Column*>(p);
            if (!c->m_shown) break;
            if (c->m_fixedWidth) m_fixedTotal += c->m_contentWidth;
            else m_resizableTotal += c->m_width;
        }
        FitColumnsToWidth(false);
    }
    return true;
}

void CTListCtrlReport::SaveColumnLayout()
{
    if (!m_layoutStringId) return;
    CTRegKey key(m_layoutStringId, m_layoutModule, m_layoutSubPath.GetBuffer(), 0);
    key.WriteNextParam(m_columns.GetCount());
    for (auto* p = m_columns.GetHead(); p; p = p->GetNext()) {
        auto* c = static_cast<Column*>(p);
        key.WriteNextBool(c->m_shown).WriteNextInt(c->m_dataColumn);
    }
    key.WriteNextInt(m_sortColumn).WriteNextBool(m_ascending).WriteNextBool(m_columnsLocked).WriteNextBool(m_autoSize);
    // The user may have dragged columns since the arrays were last built.
    if (m_hWnd) UpdateColumnOrder();
    key.WriteNextInt(m_shownCount);
    for (int i = m_shownCount - 1; i >= 0; --i) key.WriteNextInt(m_columnOrder ? m_columnOrder[i] : i);
    m_header.TransferWidths(key, false);
}

void CTListCtrlReport::ModifyOptions(DWORD clear, DWORD set)
{
    DWORD old = m_options;
    m_options = (m_options & ~clear) | set;
    DWORD changed = old ^ m_options;
    if (changed & OptGridLines)
        SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                    LVS_EX_FULLROWSELECT | ((m_options & OptGridLines) ? LVS_EX_GRIDLINES : 0));
    if (changed & OptStretch) {
        m_autoSize = (m_options & OptStretch) != 0;
        m_header.m_normalLayout = !m_autoSize;
        if (m_autoSize && m_hWnd) RefitColumns();
    }
}

int CTListCtrlReport::GetColumnPosition(int dataColumn)
{
    int position = 0;
    for (auto* p = m_columns.GetHead(); p; p = p->GetNext()) {
        auto* c = static_cast<Column*>(p);
        if (c->m_dataColumn == dataColumn) return c->m_shown ? position : -1;
        if (c->m_shown) ++position;
    }
    return -1;
}

CTListCtrlReport::Column* CTListCtrlReport::GetShownColumn(int listViewColumn)
{
    if (listViewColumn < 0 || listViewColumn >= m_shownCount) return nullptr;
    auto* p = m_columns.GetHead();
    for (int i = 0; p && i < listViewColumn; ++i) p = p->GetNext();
    auto* c = static_cast<Column*>(p);
    return c && c->m_shown ? c : nullptr;
}

void CTListCtrlReport::UpdateColumnOrder()
{
    delete[] m_columnOrder;
    delete[] m_columnPositions;
    m_columnOrder = m_columnPositions = nullptr;
    if (m_shownCount <= 0) return;
    m_columnOrder = new int[m_shownCount];
    m_columnPositions = new int[m_shownCount];
    for (int i = 0; i < m_shownCount; ++i) m_columnOrder[i] = i;
    if (m_hWnd) SendMessage(LVM_GETCOLUMNORDERARRAY, m_shownCount, reinterpret_cast<LPARAM>(m_columnOrder));
    for (int i = 0; i < m_shownCount; ++i) m_columnPositions[i] = i;
    for (int i = 0; i < m_shownCount; ++i)
        if (m_columnOrder[i] >= 0 && m_columnOrder[i] < m_shownCount) m_columnPositions[m_columnOrder[i]] = i;
}

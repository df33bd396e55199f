// Sorting, column sizing, header tracking, the header's column menu, cell-focus keys and the
// notifications the report list sends to its parent.
#include "controls/CTListCtrlReport.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "foundation/TickSource.h"
#include "framework/CTApp.h"
#include "framework/CTMenu.h"
#include "framework/CTRegKey.h"

namespace {
constexpr UINT kFitDeferral = 250;   // ms before a deferred fit runs
constexpr UINT kRepaintDelay = 100;  // ms before the quiet repaint after a fit
constexpr DWORD kSlowFit = 100;      // a fit slower than this defers the next ones

int HeaderItemCount(HWND header)
{
    return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}
} // namespace

// ---- Header wrapper ----

namespace {
// The hooked headers of the process (user-interface thread only); a handful at a time.
std::vector<CTListCtrlReport::CTListCtrlReportHeader*> g_hookedHeaders;

CTListCtrlReport::CTListCtrlReportHeader* FindHooked(HWND hwnd)
{
    for (auto* header : g_hookedHeaders)
        if (header->m_hWnd == hwnd) return header;
    return nullptr;
}
} // namespace

bool CTListCtrlReport::CTListCtrlReportHeader::Hook(HWND header)
{
    if (m_hookPrev && m_hWnd == header) return true;
    Unhook();
    // Found from its handle like every window wrapper, but not subclassed by the framework.
    if (!Attach(header, false)) return false;
    m_hookPrev = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(header, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HookProc)));
    if (!m_hookPrev) return false;
    g_hookedHeaders.push_back(this);
    return true;
}

void CTListCtrlReport::CTListCtrlReportHeader::Unhook()
{
    if (m_hookPrev && m_hWnd && ::IsWindow(m_hWnd) &&
        GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(HookProc))
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_hookPrev));
    m_hookPrev = nullptr;
    g_hookedHeaders.erase(std::remove(g_hookedHeaders.begin(), g_hookedHeaders.end(), this), g_hookedHeaders.end());
}

LRESULT CTListCtrlReport::CTListCtrlReportHeader::CallDefault(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_hookPrev) return CallWindowProcW(m_hookPrev, m_hWnd, msg, wParam, lParam);
    return DefaultProc(msg, wParam, lParam);
}

LRESULT CALLBACK CTListCtrlReport::CTListCtrlReportHeader::HookProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CTListCtrlReportHeader* self = FindHooked(hwnd);
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    WNDPROC previous = self->m_hookPrev;
    if (msg == WM_NCDESTROY) {
        self->Unhook();
        return CallWindowProcW(previous, hwnd, msg, wParam, lParam);
    }
    LRESULT result = 0;
    if (self->OnMessage(msg, wParam, lParam, &result)) return result;
    return CallWindowProcW(previous, hwnd, msg, wParam, lParam);
}

bool CTListCtrlReport::CTListCtrlReportHeader::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_ERASEBKGND:
        // The items cover the header; erasing first only flickers.
        *result = 1;
        return true;
    case HDM_LAYOUT: {
        if (m_normalLayout) return false;
        *result = CallDefault(msg, wParam, lParam);
        // In stretch mode the header reaches past the client so no gap shows right of the last item.
        auto* layout = reinterpret_cast<HDLAYOUT*>(lParam);
        if (layout && layout->prc && layout->pwpos) layout->prc->right = layout->pwpos->cx + 1000;
        return true;
    }
    default:
        return false;
    }
}

void CTListCtrlReport::CTListCtrlReportHeader::SetSortArrow(int item, bool ascending)
{
    if (!m_hWnd) return;
    HDITEMW hdi = {};
    hdi.mask = HDI_FORMAT;
    if (m_sortColumn >= 0 && ::SendMessageW(m_hWnd, HDM_GETITEMW, m_sortColumn, reinterpret_cast<LPARAM>(&hdi))) {
        hdi.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        ::SendMessageW(m_hWnd, HDM_SETITEMW, m_sortColumn, reinterpret_cast<LPARAM>(&hdi));
    }
    m_sortColumn = item;
    m_descending = !ascending;
    hdi = {};
    hdi.mask = HDI_FORMAT;
    if (item >= 0 && ::SendMessageW(m_hWnd, HDM_GETITEMW, item, reinterpret_cast<LPARAM>(&hdi))) {
        // Ascending order shows the arrow pointing down.
        hdi.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        hdi.fmt |= ascending ? HDF_SORTDOWN : HDF_SORTUP;
        if (!m_themed) hdi.fmt |= HDF_OWNERDRAW;
        ::SendMessageW(m_hWnd, HDM_SETITEMW, item, reinterpret_cast<LPARAM>(&hdi));
    }
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CTListCtrlReport::CTListCtrlReportHeader::TransferWidths(CTRegKey& key, bool restore)
{
    int items = m_hWnd ? HeaderItemCount(m_hWnd) : 0;
    if (!restore) {
        if (items == -1) return;
        key.WriteNextInt(items);
        for (int i = 0; i < items; ++i) {
            HDITEMW hdi = {};
            hdi.mask = HDI_WIDTH;
            ::SendMessageW(m_hWnd, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&hdi));
            key.WriteNextInt(hdi.cxy);
        }
        return;
    }
    int count = 0;
    key.ReadNextParam(count);
    // The count is user-editable: nothing beyond the header's own items is read.
    if (count > items) count = items;
    for (int i = 0; i < count; ++i) {
        int width = 50;
        key.ReadNextParam(width);
        if (static_cast<unsigned>(width) > 1) {
            HDITEMW hdi = {};
            hdi.mask = HDI_WIDTH;
            hdi.cxy = width;
            ::SendMessageW(m_hWnd, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&hdi));
        }
    }
}

// ---- Notifications and posted messages ----

LRESULT CTListCtrlReport::NotifyParent(NMHDR* record)
{
    HWND parent = m_hParent ? m_hParent : (m_hWnd ? GetParent(m_hWnd) : nullptr);
    if (!parent || !record) return 0;
    record->hwndFrom = m_hWnd;
    record->idFrom = static_cast<UINT_PTR>(m_id);
    bool was = m_notifying;
    m_notifying = true;
    LRESULT result = ::SendMessageW(parent, WM_NOTIFY, static_cast<WPARAM>(m_id), reinterpret_cast<LPARAM>(record));
    m_notifying = was;
    return result;
}

LRESULT CTListCtrlReport::SendNotify(int code)
{
    NMHDR hdr = {};
    hdr.code = static_cast<UINT>(code);
    return NotifyParent(&hdr);
}

bool CTListCtrlReport::PostSelf(UINT msg) { return m_hWnd && PostMessageW(m_hWnd, msg, 0, 0); }

LRESULT CTListCtrlReport::NotifyLayoutChanged() { return SendNotify(NotifyLayout); }

void CTListCtrlReport::QuietRepaint()
{
    if (!m_hWnd) return;
    m_quietRepaint = true;
    InvalidateRect(m_hWnd, nullptr, TRUE);
    UpdateWindow(m_hWnd);
    m_quietRepaint = false;
}

void CTListCtrlReport::OnTimer(UINT_PTR id)
{
    switch (id) {
    case kHighlightTimer:
        OnHighlightTimer();
        break;
    case kFitTimer:
        KillTimer(m_hWnd, kFitTimer);
        m_fitDeferred = false;
        FitColumnsToWidth(true);
        QuietRepaint();
        break;
    case kRepaintTimer:
        KillTimer(m_hWnd, kRepaintTimer);
        m_repaintPending = false;
        QuietRepaint();
        break;
    default:
        break;
    }
}

void CTListCtrlReport::OnItemDeleted(NMLISTVIEW* record)
{
    auto* row = reinterpret_cast<Row*>(record->lParam);
    int index = record->iItem;
    if (row) {
        HWND parent = m_hParent ? m_hParent : GetParent(m_hWnd);
        bool was = m_notifying;
        m_notifying = true;
        if (parent) ::SendMessageW(parent, WM_NOTIFY, static_cast<WPARAM>(m_id), reinterpret_cast<LPARAM>(record));
        m_notifying = was;
        FreeRow(row);
        // A single item may still be seen after its notice; a whole-list deletion frees each
        // item right after it, and the change would cost an item repaint each.
        if (!m_deletingAll) {
            LVITEMW lvi = {};
            lvi.mask = LVIF_PARAM;
            lvi.iItem = index;
            lvi.lParam = 0;
            ListViewCall(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lvi));
        }
    }
    // A whole-list deletion repaints once at its end, not once per item.
    if (!m_redrawEnabled || m_deletingAll) return;
    int remaining = static_cast<int>(m_rows.GetCount());
    if (!(m_options & OptAlternate) && index < remaining) return;
    if (index == remaining) {
        InvalidateRect(m_hWnd, nullptr, TRUE);
        return;
    }
    // The rows below move up: repaint them now, shaded as they will be once the item is gone.
    m_deletingItem = index;
    int count = GetItemCount();
    SendMessage(LVM_REDRAWITEMS, index, count > 0 ? count - 1 : index);
    UpdateWindow(m_hWnd);
    m_deletingItem = -1;
}

// ---- Sorting ----

int CALLBACK CTListCtrlReport::CompareRows(LPARAM row1, LPARAM row2, LPARAM list)
{
    auto* self = reinterpret_cast<CTListCtrlReport*>(list);
    auto* a = reinterpret_cast<Row*>(row1);
    auto* b = reinterpret_cast<Row*>(row2);
    if (!self || !a || !b) return 0;
    if (!self->m_ascending) std::swap(a, b);
    if (self->m_sortKeyed) {
        // Sort keys compare bytewise as the linguistic comparison compares the texts.
        if (!a->m_sortKey || !b->m_sortKey) return a->m_sortKey ? 1 : (b->m_sortKey ? -1 : 0);
        int r = strcmp(a->m_sortKey, b->m_sortKey);
        return r < 0 ? -1 : (r > 0 ? 1 : 0);
    }
    return a->Compare(*b, self->m_sortDataColumn);
}

// Sorting many rows by text spends nearly all its time in the linguistic comparison, made about
// 2 n log n times; a sort key per row makes it once per row. Only for columns whose cells are all
// texts (or missing), where the keys order exactly as Row::Compare does.
bool CTListCtrlReport::BuildSortKeys(std::vector<char>& storage)
{
    std::vector<size_t> offsets;
    offsets.reserve(m_rows.GetCount());
    for (auto* p = m_rows.m_head; p; p = p->GetNext()) {
        Cell* cell = static_cast<Row*>(p)->GetCell(m_sortDataColumn);
        if (!cell) {
            offsets.push_back(static_cast<size_t>(-1));
            continue;
        }
        if (!CAttribute::IsTextType(cell->m_value.GetType())) return false;
        const wchar_t* text = cell->m_value.GetText();
        int size = LCMapStringW(GetThreadLocale(), LCMAP_SORTKEY, text, -1, nullptr, 0);
        if (size <= 0) return false;
        size_t at = storage.size();
        storage.resize(at + static_cast<size_t>(size) + 1, 0);
        LCMapStringW(GetThreadLocale(), LCMAP_SORTKEY, text, -1, reinterpret_cast<LPWSTR>(&storage[at]), size);
        offsets.push_back(at);
    }
    size_t i = 0;
    for (auto* p = m_rows.m_head; p; p = p->GetNext(), ++i)
        static_cast<Row*>(p)->m_sortKey = offsets[i] == static_cast<size_t>(-1) ? nullptr : &storage[offsets[i]];
    return true;
}

void CTListCtrlReport::ClearSortKeys()
{
    for (auto* p = m_rows.m_head; p; p = p->GetNext()) static_cast<Row*>(p)->m_sortKey = nullptr;
    m_sortKeyed = false;
}

void CTListCtrlReport::Resort()
{
    if (!m_hWnd || m_sortColumn < 0 || m_sortColumn >= m_shownCount) return;
    m_quietRepaint = true;
    LVCOLUMNW lvc = {};
    lvc.mask = LVCF_SUBITEM;
    if (SendMessage(LVM_GETCOLUMNW, m_sortColumn, reinterpret_cast<LPARAM>(&lvc))) m_sortDataColumn = lvc.iSubItem;
    std::vector<char> keys;
    // Worth it only when the sort makes many comparisons.
    m_sortKeyed = m_rows.GetCount() >= 64 && BuildSortKeys(keys);
    SendMessage(LVM_SORTITEMS, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(CompareRows));
    if (m_sortKeyed || !keys.empty()) ClearSortKeys();
    m_quietRepaint = false;
}

bool CTListCtrlReport::SortBy(int column, bool ascending)
{
    m_sortColumn = column;
    m_ascending = ascending;
    m_header.SetSortArrow(column, ascending);
    Resort();
    SendNotify(NotifySorted);
    return PostSelf(MsgLayoutChanged);
}

void CTListCtrlReport::EnableAutoSort(bool on)
{
    if (m_autoSort == on) return;
    m_autoSort = on;
    if (on && m_sortColumn >= 0) Resort();
}

// ---- Column sizing ----

CTListCtrlReport::Column* CTListCtrlReport::FindColumnByData(int dataColumn)
{
    for (auto* p = m_columns.GetHead(); p; p = p->GetNext()) {
        auto* c = static_cast<Column*>(p);
        if (c->m_dataColumn == dataColumn) return c;
    }
    return nullptr;
}

bool CTListCtrlReport::FitColumnsToWidth(bool noDeferral)
{
    if (!IsStretchMode() || !m_hWnd) return false;
    if (m_fitDeferred) {
        SetTimer(m_hWnd, kFitTimer, kFitDeferral, nullptr);
        return true;
    }
    DWORD t0 = TickSource::Now();
    bool switchedOff = m_redrawEnabled;
    if (switchedOff) SendMessage(WM_SETREDRAW, FALSE);
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    const int W = client.right - client.left;

    const int count = m_shownCount;
    std::vector<int> widths(count > 0 ? count : 0, kMinColumnWidth);
    int sum = 0;
    for (int i = 0; i < count; ++i) {
        LVCOLUMNW lvc = {};
        lvc.mask = LVCF_SUBITEM;
        SendMessage(LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&lvc));
        Column* c = FindColumnByData(lvc.iSubItem);
        int w = kMinColumnWidth;
        if (i == count - 1) {
            if (i > 0 && c && c->m_fixedWidth) {
                // A fixed last column keeps its width; the one before it takes the rest.
                int before = sum - widths[i - 1];
                widths[i - 1] = std::max(kMinColumnWidth, W - c->m_contentWidth - before);
                sum = before + widths[i - 1];
                w = c->m_contentWidth;
            } else {
                w = std::max(kMinColumnWidth, W - sum);
            }
        } else if (c) {
            w = c->FitWidth();
        }
        widths[i] = w;
        sum += w;
    }
    for (int i = 0; i < count && sum > W; ++i) {
        if (widths[i] <= kMinColumnWidth) continue;
        int give = std::min(sum - W, widths[i] - kMinColumnWidth);
        widths[i] -= give;
        sum -= give;
    }
    for (int i = 0; i < count; ++i) SendMessage(LVM_SETCOLUMNWIDTH, i, MAKELPARAM(widths[i], 0));

    if (!noDeferral && t0 + kSlowFit < TickSource::Now()) {
        SetTimer(m_hWnd, kFitTimer, kFitDeferral, nullptr);
        m_fitDeferred = true;
    }
    if (switchedOff) SendMessage(WM_SETREDRAW, TRUE);
    SetTimer(m_hWnd, kRepaintTimer, kRepaintDelay, nullptr);
    m_repaintPending = true;
    return true;
}

int CTListCtrlReport::RecalcWidthTotals()
{
    m_resizableTotal = m_fixedTotal = 0;
    if (IsStretchMode()) {
        for (auto* p = m_columns.GetHead(); p; p = p->GetNext()) {
            auto* c = static_cast<Column*>(p);
            if (!c->m_shown) break;
            if (c->m_fixedWidth) m_fixedTotal += c->m_contentWidth;
            else m_resizableTotal += c->m_width;
        }
    }
    auto* first = static_cast<Column*>(m_columns.GetHead());
    return first ? first->m_contentWidth : 0;
}

bool CTListCtrlReport::RefitColumns()
{
    RecalcWidthTotals();
    if (!IsStretchMode()) return false;
    return FitColumnsToWidth(false);
}

void CTListCtrlReport::RefitAfterTrack(NMHEADERW* record)
{
    if (!IsStretchMode() || m_resizableTotal <= 0 || !record || !record->pitem || !m_hWnd) return;
    UpdateColumnOrder();
    const int n = m_shownCount;
    if (n <= 0 || !m_columnOrder) return;
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    const int W = client.right - client.left;

    std::vector<int> widths(n), listView(n);
    std::vector<Column*> columns(n);
    int sum = 0, tracked = -1;
    for (int i = 0; i < n; ++i) {
        int lv = m_columnOrder[i];
        listView[i] = lv;
        columns[i] = GetShownColumn(lv);
        int w;
        if (lv == record->iItem) {
            w = record->pitem->cxy;
            tracked = i;
        } else {
            w = static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, lv));
        }
        if (columns[i]) columns[i]->m_width = w;
        widths[i] = w;
        sum += w;
    }
    if (tracked < 0) return;
    auto set = [&](int i, int w) {
        sum += w - widths[i];
        widths[i] = w;
        if (columns[i]) columns[i]->m_width = w;
        SendMessage(LVM_SETCOLUMNWIDTH, listView[i], MAKELPARAM(w, 0));
    };
    if (sum != W) {
        for (int i = n - 1; i > tracked; --i) {
            if (sum <= W) {
                if (sum < W) set(i, widths[i] + W - sum);
                break;
            }
            int minimum = std::max(kMinColumnWidth, columns[i] ? columns[i]->m_contentWidth : 0);
            if (widths[i] > minimum) set(i, std::max(minimum, widths[i] - (sum - W)));
        }
    }
    for (int i = n - 1; i > tracked && sum > W; --i)
        if (widths[i] > kMinColumnWidth) set(i, std::max(kMinColumnWidth, widths[i] - (sum - W)));
    if (sum > W) {
        int w = std::max(kMinColumnWidth, record->pitem->cxy - (sum - W));
        record->pitem->cxy = w;
        if (columns[tracked]) columns[tracked]->m_width = w;
    }
    m_resizableTotal = W;
}

void CTListCtrlReport::FitColumnsToContent()
{
    if ((m_options & OptStretch) || !m_hWnd) return;
    int i = 0;
    for (auto* p = m_columns.GetHead(); p && i < m_shownCount; p = p->GetNext(), ++i) {
        auto* c = static_cast<Column*>(p);
        if (!c->m_shown) break;
        SendMessage(LVM_SETCOLUMNWIDTH, i, MAKELPARAM(c->FitWidth(), 0));
    }
}

int CTListCtrlReport::SetColumnFixedWidth(int position, int width)
{
    auto* c = static_cast<Column*>(m_columns.GetAt(position));
    if (position < 0 || !c) return 0;
    int previous = c->m_contentWidth;
    if (previous == width && c->m_fixedWidth) return previous;
    c->m_contentWidth = width;
    c->m_fixedWidth = true;
    RefitColumns();
    return previous;
}

// ---- Header notifications ----

bool CTListCtrlReport::OnHeaderNotify(NMHDR* hdr, LRESULT* result)
{
    auto* record = reinterpret_cast<NMHEADERW*>(hdr);
    switch (hdr->code) {
    case HDN_BEGINTRACKW:
    case HDN_BEGINTRACKA: {
        if (!m_autoSize || !m_columnPositions || record->iItem < 0 || record->iItem >= m_shownCount) return false;
        int p = m_columnPositions[record->iItem];
        Column* c = GetShownColumn(record->iItem);
        if (p == m_shownCount - 1 || (c && c->m_fixedWidth)) {
            *result = 1;
            return true;
        }
        RECT header = {}, item = {};
        GetClientRect(m_header.m_hWnd, &header);
        ::SendMessageW(m_header.m_hWnd, HDM_GETITEMRECT, record->iItem, reinterpret_cast<LPARAM>(&item));
        // Every column shown to its right keeps its minimum width.
        m_trackLimit = header.right - item.left - kMinColumnWidth * (m_shownCount - p - 1);
        return false;
    }
    case HDN_ITEMCHANGINGW: {
        if (!m_autoSize || m_trackLimit <= 0 || !record->pitem || !(record->pitem->mask & HDI_WIDTH)) return false;
        unsigned w = static_cast<unsigned>(record->pitem->cxy);
        if (w < static_cast<unsigned>(kMinColumnWidth) || w > static_cast<unsigned>(m_trackLimit)) {
            *result = 1;
            return true;
        }
        return false;
    }
    case HDN_ENDTRACKW:
    case HDN_ENDTRACKA:
        if (record->pitem && (record->pitem->mask & HDI_WIDTH) && m_autoSize) {
            if (record->pitem->cxy < kMinColumnWidth) record->pitem->cxy = kMinColumnWidth;
            if (m_trackLimit > 0 && record->pitem->cxy > m_trackLimit) record->pitem->cxy = m_trackLimit;
            // The A record carries the same layout up to the text, which is not read here.
            RefitAfterTrack(record);
        }
        PostSelf(MsgLayoutChanged);
        m_trackLimit = 0;
        return false;
    case HDN_DIVIDERDBLCLICKW:
    case HDN_DIVIDERDBLCLICKA: {
        if (!m_autoSize) {
            PostSelf(MsgLayoutChanged);
            return false;
        }
        *result = 0;
        if (!m_columnPositions || record->iItem < 0 || record->iItem >= m_shownCount ||
            m_columnPositions[record->iItem] == m_shownCount - 1)
            return true;
        Column* c = GetShownColumn(record->iItem);
        int w = std::max(kMinColumnWidth, c ? c->FitWidth() : kMinColumnWidth);
        SendMessage(LVM_SETCOLUMNWIDTH, record->iItem, MAKELPARAM(w, 0));
        HDITEMW item = {};
        item.mask = HDI_WIDTH;
        item.cxy = w;
        NMHEADERW changed = *record;
        changed.pitem = &item;
        RefitAfterTrack(&changed);
        return true;
    }
    case HDN_ENDDRAG:
        PostSelf(MsgOrderChanged);
        return false;
    case NM_RCLICK:
        ShowColumnMenu();
        *result = 1;
        return true;
    default:
        return false;
    }
}

// ---- Keys ----

void CTListCtrlReport::OnKeyDown(WPARAM key)
{
    if (key == VK_TAB && (m_options & OptCellFocus)) key = GetKeyState(VK_SHIFT) < 0 ? VK_LEFT : VK_RIGHT;
    if ((key == VK_LEFT || key == VK_RIGHT) && (m_options & OptCellFocus)) {
        if (key == VK_LEFT) {
            if (m_focusedColumn == 0) m_focusedColumn = -1;
            else if (m_focusedColumn > 0) --m_focusedColumn;
        } else {
            if (m_focusedColumn < m_shownCount - 1) ++m_focusedColumn;
        }
        int selected = static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        if (selected >= 0) RedrawRow(selected);
    }
    if ((key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) && (m_options & OptHotCell)) {
        m_hotItem = -1;
        m_hotColumn = -1;
    }
    if (key == 'A' && GetKeyState(VK_CONTROL) < 0) SelectAll();
}

// ---- Column menu ----

bool CTListCtrlReport::CompareMenuCaptions(const Column* a, const Column* b)
{
    const wchar_t* ta = a->m_caption.GetBuffer() ? a->m_caption.GetBuffer() : L"";
    const wchar_t* tb = b->m_caption.GetBuffer() ? b->m_caption.GetBuffer() : L"";
    return lstrcmpW(ta, tb) < 0;
}

void CTListCtrlReport::HideColumn(int hitItem)
{
    Column* c = GetShownColumn(hitItem);
    if (!c) return;
    c->m_shown = false;
    m_columns.Remove(c);
    m_columns.AddTail(c);
    SendMessage(LVM_DELETECOLUMN, hitItem);
    m_shownCount = HeaderItemCount(m_header.m_hWnd);
    if (m_shownCount < 0) m_shownCount = 0;
    UpdateColumnOrder();
    RefitColumns();
    NotifyLayoutChanged();
}

void CTListCtrlReport::ShowHiddenColumn(Column* column, bool onItem, int hitItem)
{
    Column* before = onItem ? GetShownColumn(hitItem) : nullptr;
    if (onItem && !before) onItem = false;
    int order = onItem && m_columnPositions ? m_columnPositions[hitItem] : 0;
    m_columns.Remove(column);
    column->m_shown = true;
    column->m_width = column->m_defaultWidth;
    if (!column->m_fixedWidth) column->m_contentWidth = 0;

    LVCOLUMNW lvc = {};
    lvc.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    lvc.fmt = column->m_format;
    lvc.cx = column->m_defaultWidth;
    lvc.pszText = const_cast<wchar_t*>(column->m_caption.GetBuffer() ? column->m_caption.GetBuffer() : L"");
    lvc.iSubItem = column->m_dataColumn;
    int index;
    if (onItem) {
        lvc.mask |= LVCF_ORDER;
        lvc.iOrder = order;
        index = static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, hitItem, reinterpret_cast<LPARAM>(&lvc)));
        m_columns.InsertBefore(column, before);
    } else {
        index = static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, m_shownCount, reinterpret_cast<LPARAM>(&lvc)));
        CLinkedListObject* lastShown = nullptr;
        for (auto* p = m_columns.GetHead(); p && static_cast<Column*>(p)->m_shown; p = p->GetNext()) lastShown = p;
        if (lastShown) m_columns.InsertAfter(column, lastShown);
        else if (m_columns.GetHead()) m_columns.InsertBefore(column, m_columns.GetHead());
        else m_columns.AddTail(column);
    }
    m_shownCount = HeaderItemCount(m_header.m_hWnd);
    if (m_shownCount < 0) m_shownCount = 0;
    UpdateColumnOrder();
    RefitColumns();

    if (index >= 0) {
        // The stored rows still hold the column's cells.
        bool wasOn = RedrawOff();
        HDC hdc = MeasureDC();
        int count = GetItemCount();
        for (int i = 0; i < count; ++i) {
            Row* row = GetRow(i);
            Cell* cell = row ? row->GetCell(column->m_dataColumn) : nullptr;
            if (!cell) continue;
            SetSubItemText(i, index, cell->m_value);
            if (m_autoSize) MeasureColumn(i, column, *cell, column->m_dataColumn, hdc);
        }
        RedrawOn(wasOn);
    }
    NotifyLayoutChanged();
}

void CTListCtrlReport::ToggleLock()
{
    m_columnsLocked = !m_columnsLocked;
    SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_HEADERDRAGDROP, m_columnsLocked ? 0 : LVS_EX_HEADERDRAGDROP);
    PostSelf(MsgLayoutChanged);
}

void CTListCtrlReport::ToggleAutoSize()
{
    m_autoSize = !m_autoSize;
    if (!m_autoSize) {
        m_header.m_normalLayout = true;
    } else {
        m_header.m_normalLayout = false;
        RefitColumns();
    }
    PostSelf(MsgLayoutChanged);
}

void CTListCtrlReport::ShowColumnMenu()
{
    DWORD pos = GetMessagePos();
    ShowColumnMenuAt({static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))});
}

void CTListCtrlReport::ShowColumnMenuAt(POINT screen)
{
    if (!(m_options & OptColumnMenu) || !m_header.m_hWnd) return;
    HDHITTESTINFO hit = {};
    hit.pt = screen;
    ScreenToClient(m_header.m_hWnd, &hit.pt);
    ::SendMessageW(m_header.m_hWnd, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    bool onItem = (hit.flags & HHT_ONHEADER) != 0;
    Column* hitColumn = onItem ? GetShownColumn(hit.iItem) : nullptr;
    if (!hitColumn || hitColumn->m_dataColumn == 0 || m_shownCount <= 1) onItem = false;

    std::vector<Column*> hidden;
    for (auto* p = m_columns.GetHead(); p; p = p->GetNext())
        if (!static_cast<Column*>(p)->m_shown) hidden.push_back(static_cast<Column*>(p));
    std::stable_sort(hidden.begin(), hidden.end(), CompareMenuCaptions);

    CTMenu sub;
    std::map<UINT, Column*> commands;
    bool addable = !hidden.empty() && !m_columnsLocked;
    if (addable && sub.CreatePopup()) {
        UINT id = MenuFirstColumn;
        for (Column* c : hidden) {
            AppendMenuW(sub.m_menu, MF_STRING, id, c->m_caption.GetBuffer() ? c->m_caption.GetBuffer() : L"");
            commands[id++] = c;
        }
    }
    CTMenu menu;
    if (!menu.CreatePopup()) return;
    HMENU subMenu = sub.m_menu;
    if (addable && subMenu) {
        AppendMenuW(menu.m_menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(subMenu), CTApp::GetButtonCaption(400));
        sub.Detach(); // the main menu owns it now
    } else {
        AppendMenuW(menu.m_menu, MF_STRING | MF_GRAYED, 0, CTApp::GetButtonCaption(400));
        subMenu = nullptr;
    }
    AppendMenuW(menu.m_menu, MF_STRING | (onItem && !m_columnsLocked ? 0 : MF_GRAYED), MenuRemove,
                CTApp::GetButtonCaption(401));
    AppendMenuW(menu.m_menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.m_menu, MF_STRING | (m_columnsLocked ? MF_CHECKED : 0), MenuLock, CTApp::GetButtonCaption(402));
    if (m_options & OptStretch)
        AppendMenuW(menu.m_menu, MF_STRING | (m_autoSize ? MF_CHECKED : 0), MenuAutoSize, CTApp::GetButtonCaption(403));
    menu.MakeOwnerDrawn();
    UINT command = menu.Track(false, TPM_RETURNCMD | TPM_NONOTIFY, screen.x, screen.y, m_header.m_hWnd);

    if (command == MenuRemove) {
        if (onItem && !m_columnsLocked) HideColumn(hit.iItem);
    } else if (command == MenuLock) {
        ToggleLock();
    } else if (command == MenuAutoSize) {
        ToggleAutoSize();
    } else if (command >= MenuFirstColumn && reinterpret_cast<HMENU>(static_cast<UINT_PTR>(command)) != subMenu) {
        auto found = commands.find(command);
        if (found != commands.end()) ShowHiddenColumn(found->second, onItem, hit.iItem);
    }
}

bool CTListCtrlReport::ExecuteMenuCommand(int command)
{
    if (!(m_options & OptColumnMenu)) return false;
    for (auto* p = m_menuEntries.GetHead(); p; p = p->GetNext()) {
        auto* entry = static_cast<TempMenu*>(p);
        if (entry->m_command != command) continue;
        switch (entry->m_action) {
        case 0:
            if (entry->m_column && !entry->m_column->m_shown) ShowHiddenColumn(entry->m_column, false, -1);
            break;
        case 1: {
            int position = 0;
            bool found = false;
            for (auto* c = m_columns.GetHead(); c; c = c->GetNext(), ++position) {
                if (c == entry->m_column) {
                    found = static_cast<Column*>(c)->m_shown;
                    break;
                }
            }
            if (found && m_shownCount > 1 && entry->m_column->m_dataColumn != 0) HideColumn(position);
            break;
        }
        case 2:
            ToggleLock();
            break;
        case 3:
            ToggleAutoSize();
            break;
        default:
            break;
        }
        break;
    }
    PostSelf(MsgLayoutChanged);
    return true;
}

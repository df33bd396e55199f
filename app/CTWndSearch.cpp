#include "app/CTWndSearch.h"

#include <commctrl.h>
#include "controls/CGDIManager.h"
#include "framework/CTRegKey.h"

namespace {

constexpr UINT kRegistryRoot = 104;
constexpr int kColourCueBack = 22;
constexpr int kColourCueText = 24;

COLORREF CachedColour(int id)
{
    CGDIManager::CObject* entry = CGDIManager::Instance()->Find(id);
    return entry ? static_cast<COLORREF>(entry->Get()) : RGB(0, 0, 0);
}

void FillWithCueBackground(HWND hwnd, HDC dc)
{
    RECT rc = {};
    GetClientRect(hwnd, &rc);
    HBRUSH brush = CreateSolidBrush(CachedColour(kColourCueBack));
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The edit field

bool CTWndSearch::CEdit::PaintCue()
{
    if (!m_owner || GetWindowTextLengthW(m_hWnd) > 0 || GetFocus() == m_hWnd || !IsWindowEnabled(m_owner->m_hWnd))
        return false;
    PAINTSTRUCT ps = {};
    HDC dc = BeginPaint(m_hWnd, &ps);
    FillWithCueBackground(m_hWnd, dc);
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColour = SetTextColor(dc, CachedColour(kColourCueText));
    DrawTextW(dc, L"Search...", -1, &rc, 0);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    EndPaint(m_hWnd, &ps);
    return true;
}

bool CTWndSearch::CEdit::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool readOnly = (GetWindowLongW(m_hWnd, GWL_STYLE) & ES_READONLY) != 0;
    switch (msg) {
    case WM_GETDLGCODE:
        if (wParam == VK_RETURN && !readOnly) {
            *result = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTMESSAGE;
            return true;
        }
        break;
    case WM_CHAR:
        if (wParam == VK_RETURN && !readOnly) {
            // An empty edit swallows Enter and does nothing.
            if (m_owner)
                m_owner->StartSearch();
            *result = 0;
            return true;
        }
        break;
    case WM_PAINT:
        if (PaintCue()) {
            *result = 0;
            return true;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        // The cue comes and goes with the focus.
        InvalidateRect(m_hWnd, nullptr, TRUE);
        break;
    default:
        break;
    }
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

// ---------------------------------------------------------------------------------------------
// The box

bool CTWndSearch::StartSearch()
{
    if (!m_edit.m_hWnd || GetWindowTextLengthW(m_edit.m_hWnd) == 0)
        return false;
    CTString text;
    GetWindowTextString(m_edit.m_hWnd, text);
    m_text = text;
    ::SetWindowTextW(m_hWnd, text.GetBuffer() ? text.GetBuffer() : L"");
    AddEntry(text);
    HWND target = m_commandTarget ? m_commandTarget : GetParent(m_hWnd);
    if (target)
        ::SendMessageW(target, WM_COMMAND, kCmdSearch, 0);
    return true;
}

CTString& CTWndSearch::GetText(CTString& out)
{
    out = m_text;
    return out;
}

void CTWndSearch::AddEntry(const CTString& text)
{
    if (text.IsEmpty())
        return;
    // Equal means same length and lstrcmpW equal: texts differing in case stay apart.
    for (size_t i = m_recent.size(); i-- > 0;) {
        const CTString& entry = m_recent[i];
        if (entry.GetLength() == text.GetLength() && lstrcmpW(entry.GetBuffer() ? entry.GetBuffer() : L"",
                                                              text.GetBuffer()) == 0) {
            m_recent.erase(m_recent.begin() + static_cast<ptrdiff_t>(i));
            if (m_hWnd)
                SendMessage(CB_DELETESTRING, i, 0);
        }
    }
    m_recent.insert(m_recent.begin(), text);
    if (m_hWnd) {
        SendMessage(CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text.GetBuffer()));
        SendMessage(CB_SETCURSEL, 0, 0);
    }
    while (m_recent.size() > kMaxEntries) {
        m_recent.pop_back();
        if (m_hWnd)
            SendMessage(CB_DELETESTRING, m_recent.size(), 0);
    }
}

void CTWndSearch::Enable(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    if (on) {
        if (m_hWnd)
            SendMessage(CB_RESETCONTENT);
        m_recent.clear();
        m_keyPath = L"Settings\\";
        m_keyPath.Append(m_server);
        m_keyPath.AppendText(L"\\SearchMRU");
        CTRegKey key(kRegistryRoot, nullptr, m_keyPath.GetBuffer());
        // The count is the user's to edit: a huge value would stall sign-in reading missing
        // entries, and no more than the list's size was ever written.
        DWORD count = key.ReadDword(L"Count", 0);
        if (count > kMaxEntries)
            count = kMaxEntries;
        for (DWORD i = 0; i < count; ++i) {
            CTString name, entry;
            name.Format(L"Entry_%u", i);
            key.ReadString(entry, name.GetBuffer(), L"");
            m_recent.push_back(entry);
        }
        key.WriteDword(L"Count", count);
        for (const CTString& entry : m_recent)
            SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.GetBuffer() ? entry.GetBuffer() : L""));
        if (m_hWnd)
            EnableWindow(m_hWnd, TRUE);
        return;
    }
    if (m_hWnd) {
        EnableWindow(m_hWnd, FALSE);
        ::SetWindowTextW(m_hWnd, L"");
    }
    // Before the first connection there is no key to write to.
    if (m_keyPath.IsEmpty())
        return;
    CTRegKey key(kRegistryRoot, nullptr, m_keyPath.GetBuffer());
    for (size_t i = 0; i < m_recent.size(); ++i) {
        CTString name;
        name.Format(L"Entry_%u", static_cast<unsigned>(i));
        key.WriteString(name.GetBuffer(), m_recent[i].GetBuffer() ? m_recent[i].GetBuffer() : L"");
    }
    key.WriteDword(L"Count", static_cast<DWORD>(m_recent.size()));
}

void CTWndSearch::Invalidate(bool erase)
{
    CTWnd2::Invalidate(erase);
    if (m_edit.m_hWnd)
        InvalidateRect(m_edit.m_hWnd, nullptr, erase ? TRUE : FALSE);
}

bool CTWndSearch::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_PAINT && m_edit.m_hWnd && GetWindowTextLengthW(m_edit.m_hWnd) == 0 && GetFocus() != m_edit.m_hWnd) {
        PAINTSTRUCT ps = {};
        HDC dc = BeginPaint(m_hWnd, &ps);
        FillWithCueBackground(m_hWnd, dc);
        EndPaint(m_hWnd, &ps);
        *result = 0;
        return true;
    }
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

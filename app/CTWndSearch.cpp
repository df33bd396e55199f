#include "app/CTWndSearch.h"

#include <commctrl.h>
#include "foundation/CTTokenString.h"
#include "framework/CTRegKey.h"

namespace {

constexpr UINT kRegistryRoot = 104;

CTString SettingsPath(const CTString& server, const wchar_t* leaf)
{
    CTString path(L"Settings\\");
    path.Append(server);
    path.AppendText(leaf);
    return path;
}

} // namespace

bool CTWndSearch::CEdit::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_KEYDOWN && wParam == VK_RETURN && m_owner) {
        if (m_owner->m_commandTarget)
            PostMessageW(m_owner->m_commandTarget, WM_COMMAND, 117, 0);
        *result = 0;
        return true;
    }
    if (msg == WM_CHAR && (wParam == L'\r' || wParam == L'\n')) {
        *result = 0;
        return true;
    }
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

CTString CTWndSearch::KeyPath() const
{
    return SettingsPath(m_server, L"\\SearchMRU");
}

CTString& CTWndSearch::GetText(CTString& out)
{
    GetWindowTextString(m_hWnd, out);
    m_text = out;
    return out;
}

void CTWndSearch::AddEntry(const CTString& text)
{
    if (!m_hWnd || text.IsEmpty())
        return;
    LRESULT found = SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.GetBuffer()));
    if (found != CB_ERR)
        SendMessage(CB_DELETESTRING, found, 0);
    SendMessage(CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text.GetBuffer()));
    while (SendMessage(CB_GETCOUNT) > static_cast<LRESULT>(kMaxEntries))
        SendMessage(CB_DELETESTRING, SendMessage(CB_GETCOUNT) - 1, 0);
}

void CTWndSearch::Enable(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    if (on) {
        if (m_hWnd) {
            SendMessage(CB_RESETCONTENT);
            CTRegKey key(kRegistryRoot, nullptr, KeyPath().GetBuffer());
            DWORD count = key.ReadDword(L"Count", 0);
            if (count > kMaxEntries)
                count = kMaxEntries;
            for (DWORD i = 0; i < count; ++i) {
                CTString name, entry;
                name.Format(L"Entry_%u", i);
                key.ReadString(entry, name.GetBuffer(), L"");
                if (!entry.IsEmpty())
                    SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.GetBuffer()));
            }
        }
        EnableWindow(m_hWnd, TRUE);
        return;
    }
    if (m_hWnd && !m_server.IsEmpty()) {
        CTRegKey key(kRegistryRoot, nullptr, KeyPath().GetBuffer());
        LRESULT count = SendMessage(CB_GETCOUNT);
        if (count < 0)
            count = 0;
        key.WriteDword(L"Count", static_cast<DWORD>(count));
        for (LRESULT i = 0; i < count; ++i) {
            LRESULT length = SendMessage(CB_GETLBTEXTLEN, i, 0);
            CTString entry, name;
            if (length > 0) {
                entry.Reserve(static_cast<unsigned>(length) + 1);
                SendMessage(CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry.GetBuffer()));
                entry.ReleaseBuffer();
            }
            name.Format(L"Entry_%d", static_cast<int>(i));
            key.WriteString(name.GetBuffer(), entry.GetBuffer());
        }
    }
    if (m_hWnd) {
        ::SetWindowTextW(m_hWnd, L"");
        EnableWindow(m_hWnd, FALSE);
    }
}

// ---------------------------------------------------------------------------------------------

SearchFilterSettings& SearchFilterSettings::Instance()
{
    static SearchFilterSettings settings;
    return settings;
}

void SearchFilterSettings::SetDefaults()
{
    EnableLimit = true;
    Limit = 50;
    EnableTypeLimit = false;
    Types.clear();
}

void SearchFilterSettings::Load(const CTString& server)
{
    CTRegKey key(kRegistryRoot, nullptr, SettingsPath(server, L"\\SearchFilter").GetBuffer());
    EnableTypeLimit = key.ReadBool(L"EnableTypeLimit", EnableTypeLimit);
    CTString types;
    key.ReadString(types, L"Types", L"");
    if (!types.IsEmpty()) {
        Types.clear();
        CTTokenString tokens(types);
        tokens.SetSeparators(L"|", 0);
        CTString token;
        for (unsigned i = 0; tokens.GetToken(i, token); ++i) {
            token.Trim(L'|');
            if (!token.IsEmpty())
                Types.push_back(token.ToInt());
        }
    }
    EnableLimit = key.ReadBool(L"EnableLimit", EnableLimit);
    Limit = key.ReadInt(L"Limit", Limit);
}

void SearchFilterSettings::Save(const CTString& server)
{
    CTRegKey key(kRegistryRoot, nullptr, SettingsPath(server, L"\\SearchFilter").GetBuffer());
    key.WriteBool(L"EnableTypeLimit", EnableTypeLimit);
    CTString types;
    for (size_t i = 0; i < Types.size(); ++i) {
        if (i)
            types.AppendChar(L'|');
        types.AppendInt(Types[i]);
    }
    key.WriteString(L"Types", types.GetBuffer());
    key.WriteBool(L"EnableLimit", EnableLimit);
    key.WriteInt(L"Limit", Limit);
}

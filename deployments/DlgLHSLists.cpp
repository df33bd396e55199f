// The "Status" and "Tags" panels: rows with the number of deployments under each status or tag.
#include "deployments/DlgDeploymentsPanels.h"

#include <cwctype>
#include "app/MainWindow.h"
#include "foundation/CTTokenString.h"
#include "framework/CTRegKey.h"

namespace {

CTString TextOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value.GetString();
}

CTTokenString Tokens(const CTString& text)
{
    CTTokenString tokens(text);
    tokens.SetSeparators(L",", 0);
    return tokens;
}

} // namespace

bool TagLess::operator()(const std::wstring& a, const std::wstring& b) const
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const wint_t x = towlower(a[i]), y = towlower(b[i]);
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

// ---- Status -------------------------------------------------------------------------------------

DlgDeployments::DlgLHSDepStatus::DlgLHSDepStatus(DlgDeployments* owner, HWND parent) : DlgLHSBase(owner, L"Status")
{
    CTWndGfx::Create(parent, GetModuleHandleW(nullptr), kIdList, false, WS_BORDER | WS_TABSTOP);
    if (m_hWnd)
        ::ShowWindow(m_hWnd, SW_HIDE);
}

__int64 DlgDeployments::DlgLHSDepStatus::StatusIdOf(const Object& deployment)
{
    MainWindow* main = m_owner->m_owner;
    if (!main)
        return 0;
    CAttribute code;
    deployment.GetAttribute(code, CTString(L"deployment_status"));
    Object status;
    return main->GetDeploymentStatus(status, code).id;
}

bool DlgDeployments::DlgLHSDepStatus::Accepts(const Object& object)
{
    if (object.type == 0 || object.type != m_owner->DeploymentTypeId())
        return false;
    return m_choice == 0 || static_cast<UINT64>(StatusIdOf(object)) == m_choice;
}

void DlgDeployments::DlgLHSDepStatus::Rebuild()
{
    const unsigned __int64 selected = m_selectedKey;
    DeleteRootChildren();
    m_counts.clear();
    SetSelectedKey(selected);
    const __int64 deploymentType = m_owner->DeploymentTypeId();
    for (const Object& object : m_owner->Loaded())
        if (Counted(object, deploymentType))
            ++m_counts[static_cast<UINT64>(StatusIdOf(object))];
    AddItem(0, CTString(L"<all deployments>"), false);
    MainWindow* main = m_owner->m_owner;
    std::vector<Object> statuses;
    if (main && main->m_cache.GetDeploymentStatuses(statuses))
        for (const Object& status : statuses) {
            CTStringLocale name(status.name);
            AddItem(static_cast<unsigned __int64>(status.id), CTString(name.GetUserText()), true);
        }
    SetSelectedKey(selected);
    Relayout();
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void DlgDeployments::DlgLHSDepStatus::Update(const Object& object, const Object* previous)
{
    if (object.type == 0 || object.type != m_owner->DeploymentTypeId())
        return;
    CAttribute now, before;
    object.GetAttribute(now, CTString(L"deployment_status"));
    if (previous)
        previous->GetAttribute(before, CTString(L"deployment_status"));
    if (!previous || now.IsNotEqual(before))
        Rebuild();
}

void DlgDeployments::DlgLHSDepStatus::LoadChoice(CTRegKey& key)
{
    m_choice = key.ReadDword(L"LHSDepStatus", static_cast<DWORD>(m_choice));
    SetSelectedKey(m_choice);
}

void DlgDeployments::DlgLHSDepStatus::SaveChoice(CTRegKey& key)
{
    key.WriteDword(L"LHSDepStatus", static_cast<DWORD>(m_choice));
}

void DlgDeployments::DlgLHSDepStatus::Reset()
{
    m_choice = 0;
    SetSelectedKey(0);
}

void DlgDeployments::DlgLHSDepStatus::OnSelectionChanged(unsigned __int64 key)
{
    m_choice = key;
    m_owner->Fill(0, GetKind());
}

bool DlgDeployments::DlgLHSDepStatus::GetItemMarkup(unsigned __int64 key, const CTString& escapedText, DWORD, CTString& out)
{
    auto it = m_counts.find(key);
    const int count = it == m_counts.end() ? 0 : it->second;
    out.Append(PanelRowMarkup(key, escapedText, count, key != 0 && count > 0));
    return true;
}

UINT32 DlgDeployments::DlgLHSDepStatus::DragOver(bool dragging, const POINT* screen)
{
    return static_cast<UINT32>(CTWndList::DragOver(dragging, const_cast<POINT*>(screen)));
}

void DlgDeployments::DlgLHSDepStatus::MouseWheel(WPARAM wParam)
{
    ScrollPanelList(*this, wParam);
}

// ---- Tags ---------------------------------------------------------------------------------------

DlgDeployments::DlgLHSTag::DlgLHSTag(DlgDeployments* owner, HWND parent, const CTString& allText, __int64 deploymentType)
    : DlgLHSBase(owner, L"Tags"), m_allText(allText), m_deploymentType(deploymentType)
{
    CTWndGfx::Create(parent, GetModuleHandleW(nullptr), kIdList, false, WS_BORDER | WS_TABSTOP);
    if (m_hWnd)
        ::ShowWindow(m_hWnd, SW_HIDE);
}

bool DlgDeployments::DlgLHSTag::Accepts(const Object& object)
{
    if (m_chosen.IsEmpty())
        return true;
    return Tokens(TextOf(object, L"tag")).ContainsToken(m_chosen);
}

CTString DlgDeployments::DlgLHSTag::TagOfRow(__int64 rowKey) const
{
    for (const auto& [text, entry] : m_tags)
        if (entry.rowKey == rowKey)
            return CTString(text.c_str());
    return CTString();
}

void DlgDeployments::DlgLHSTag::Rebuild()
{
    m_tags.clear();
    DeleteRootChildren();
    for (const Object& object : m_owner->Loaded()) {
        if (!Counted(object, m_deploymentType))
            continue;
        CTTokenString tokens = Tokens(TextOf(object, L"tag"));
        CTString token;
        for (unsigned index = 0; tokens.GetToken(index, token); ++index) {
            if (token.IsEmpty())
                break;
            ++m_tags[std::wstring(token.GetBuffer(), token.GetLength())].count;
        }
    }
    AddItem(0, m_allText, false);
    if (m_chosen.IsEmpty())
        SetSelectedKey(0);
    __int64 number = 0;
    for (auto& [text, entry] : m_tags) {
        entry.rowKey = ++number;
        if (lstrcmpW(text.c_str(), m_chosen.GetBuffer() ? m_chosen.GetBuffer() : L"") == 0)
            SetSelectedKey(static_cast<unsigned __int64>(number));
        AddItem(static_cast<unsigned __int64>(number), CTString(text.c_str()), true);
    }
    Relayout();
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void DlgDeployments::DlgLHSTag::Update(const Object& object, const Object* previous)
{
    if (object.type == 0 || object.type != m_deploymentType)
        return;
    CAttribute now, before;
    object.GetAttribute(now, CTString(L"tag"));
    if (previous)
        previous->GetAttribute(before, CTString(L"tag"));
    if (!previous || now.IsNotEqual(before))
        Rebuild();
}

void DlgDeployments::DlgLHSTag::LoadChoice(CTRegKey& key)
{
    key.ReadString(m_chosen, L"LHSTag", m_chosen.GetBuffer() ? m_chosen.GetBuffer() : L"");
}

void DlgDeployments::DlgLHSTag::SaveChoice(CTRegKey& key)
{
    key.WriteString(L"LHSTag", m_chosen.GetBuffer() ? m_chosen.GetBuffer() : L"");
}

void DlgDeployments::DlgLHSTag::Reset()
{
    m_chosen.Empty();
    SetSelectedKey(0);
}

void DlgDeployments::DlgLHSTag::OnSelectionChanged(unsigned __int64 key)
{
    if (key == 0) {
        m_chosen.Empty();
    } else {
        CTString text = TagOfRow(static_cast<__int64>(key));
        if (text.IsEmpty())
            return;
        m_chosen = text;
    }
    m_owner->Fill(0, GetKind());
}

bool DlgDeployments::DlgLHSTag::GetItemMarkup(unsigned __int64 key, const CTString& escapedText, DWORD, CTString& out)
{
    int count = 0;
    if (key != 0) {
        CTString text(escapedText);
        text.XmlUnescape();
        count = m_tags[std::wstring(text.GetBuffer() ? text.GetBuffer() : L"")].count;
    }
    out.Append(PanelRowMarkup(key, escapedText, count, key != 0));
    return true;
}

UINT32 DlgDeployments::DlgLHSTag::DragOver(bool dragging, const POINT* screen)
{
    return static_cast<UINT32>(CTWndList::DragOver(dragging, const_cast<POINT*>(screen)));
}

void DlgDeployments::DlgLHSTag::MouseWheel(WPARAM wParam)
{
    ScrollPanelList(*this, wParam);
}

#include "schedulegroups/ScheduleGroupPanels.h"

#include <algorithm>
#include <cwctype>
#include "app/App.h"
#include "app/MainWindow.h"
#include "schedulegroups/ScheduleGroupPage.h"
#include "session/DeploymentWorkflow.h"
#include "session/RequestResult.h"

namespace {

CTString Trimmed(const wchar_t* begin, const wchar_t* end)
{
    while (begin < end && (*begin == L' ' || *begin == L'"'))
        ++begin;
    while (end > begin && (end[-1] == L' ' || end[-1] == L'"'))
        --end;
    return CTString(std::wstring(begin, end).c_str());
}

// The items of a comma-separated text, trimmed; empty items kept.
std::vector<CTString> Items(const CTString& text)
{
    std::vector<CTString> items;
    const wchar_t* p = text.GetBuffer();
    if (!p || !*p)
        return items;
    const wchar_t* start = p;
    for (;; ++p) {
        if (*p == L',' || *p == 0) {
            items.push_back(Trimmed(start, p));
            if (*p == 0)
                break;
            start = p + 1;
        }
    }
    return items;
}

CTString TextOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return CAttribute::IsTextType(value.GetType()) ? value.GetString() : CTString();
}

__int64 NumberOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return CAttribute::IsTextType(value.GetType()) ? _wtoi64(value.GetText()) : value.GetValue();
}

bool Contains(const std::vector<__int64>& list, __int64 value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

} // namespace

// ---- Panel base ------------------------------------------------------------------------------

void DlgScheduleGroup::DlgLHSBase::SetFocus()
{
    if (HWND window = GetHwnd())
        ::SetFocus(window);
}

DlgScheduleGroup* DlgScheduleGroup::DlgLHSBase::View() const
{
    return m_owner ? m_owner->m_view : nullptr;
}

MainWindow* DlgScheduleGroup::DlgLHSBase::Main() const
{
    DlgScheduleGroup* view = View();
    return view ? view->Main() : nullptr;
}

__int64 DlgScheduleGroup::DlgLHSBase::DeploymentType() const
{
    // While the deployments page rebuilds its rows it holds the number already.
    if (m_owner && m_owner->m_filling && m_owner->GetPageKind() == PageDeployments)
        return m_owner->m_fillType;
    DlgScheduleGroup* view = View();
    return view ? view->TypeId(L"Deployment") : 0;
}

__int64 DlgScheduleGroup::DlgLHSBase::LinkOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return CAttribute::IsTextType(value.GetType()) ? 0 : value.GetValue();
}

COLORREF DlgScheduleGroup::DlgLHSBase::HeadingColour()
{
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    return RGB(static_cast<int>(GetRValue(highlight) * 0.5), static_cast<int>(GetGValue(highlight) * 0.5),
               static_cast<int>(GetBValue(highlight) * 0.5));
}

CTString DlgScheduleGroup::DlgLHSBase::CountBadge(int count)
{
    CTString badge(L"<Text height=\"100%\" font-size=\"16\" font-weight=\"900\" padding-left=\"4\" margin=\"2\" "
                   L"vertical-align=\"bottom\" text-align=\"right\" color=\"#FFFFFF\" background-color=\"#1163AF\"> ");
    wchar_t number[16];
    _snwprintf(number, 16, L"%d", count);
    badge.AppendText(number);
    badge.AppendText(L" </Text>");
    return badge;
}

CTString DlgScheduleGroup::DlgLHSBase::EmptyBadge()
{
    return CTString(L"<Div><Text font-size=\"20\" width=\"20\" text-align=\"center\" vertical-align=\"middle\" "
                    L"font-size-to-fit-width=\"1\"></Text></Div>");
}

CTString DlgScheduleGroup::DlgLHSBase::RowMarkup(unsigned __int64 key, const CTString& escapedText, int width,
                                                 int opening, const CTString& badge)
{
    CTString out(L"<Attribs><Attrib id=\"Heading\" padding-left=\"4\" font-size=\"14\" color=\"");
    const COLORREF colour = HeadingColour();
    out.AppendHtmlColour(&colour);
    out.AppendText(L"\" multi-line=\"1\" /></Attribs><Div id=\"");
    wchar_t number[24];
    _snwprintf(number, 24, L"%I64u", key);
    out.AppendText(number);
    out.AppendText(width == W1 ? L"\" width=\"100%\">" : L"\" width=\"100%\" >");
    out.AppendText(opening == T1 ? L"<Text attrib=\"Heading\" vertical-align=\"middle\" >" : L"<Text attrib=\"Heading\"  >");
    out.Append(escapedText);
    out.AppendText(L"</Text>");
    out.Append(badge);
    out.AppendText(L"<Text height=\"22\" /></Div>");
    return out;
}

bool DlgScheduleGroup::DlgLHSBase::CreateList(CTWndList& list, HWND host)
{
    if (!host || !list.Create(host, GetModuleHandleW(nullptr), 1016, false, WS_BORDER | WS_TABSTOP))
        return false;
    // Visible without a size until the host shows the panel.
    ::ShowWindow(list.m_hWnd, SW_SHOWNA);
    return true;
}

bool DlgScheduleGroup::DlgLHSBase::BeginRebuild(CTWndList& list, bool keepSelection)
{
    if (!list.m_hWnd || !IsWindowVisible(list.m_hWnd))
        return false;
    const unsigned __int64 selected = list.m_selectedKey;
    list.DeleteRootChildren();
    if (keepSelection)
        list.SetSelectedKey(selected);
    return true;
}

void DlgScheduleGroup::DlgLHSBase::EndRebuild(CTWndList& list)
{
    list.Relayout();
    InvalidateRect(list.m_hWnd, nullptr, TRUE);
}

void DlgScheduleGroup::DlgLHSBase::ChoiceChanged(unsigned __int64 key)
{
    m_choice = key;
    if (m_owner)
        m_owner->FillRows();
}

void DlgScheduleGroup::DlgLHSBase::LoadDword(CTRegKey& key, const wchar_t* name)
{
    const DWORD stored = key.ReadDword(name, static_cast<DWORD>(m_choice));
    m_choice = static_cast<unsigned __int64>(static_cast<__int64>(static_cast<int>(stored)));
    if (auto* list = dynamic_cast<CTWndList*>(this))
        list->SetSelectedKey(m_choice);
}

void DlgScheduleGroup::DlgLHSBase::SaveDword(CTRegKey& key, const wchar_t* name)
{
    key.WriteDword(name, static_cast<DWORD>(m_choice));
}

// ---- Fail codes ------------------------------------------------------------------------------

DlgScheduleGroup::DlgLHSFailCode::DlgLHSFailCode(HWND host, CPageBase* owner) : DlgLHSBase(owner, CTString(L"Fail Code"))
{
    CreateList(*this, host);
}

bool DlgScheduleGroup::DlgLHSFailCode::Accepts(const Object& object)
{
    const __int64 deployment = DeploymentType();
    if (deployment == 0 || object.type != deployment)
        return false;
    if (m_choice == 0)
        return true;
    return DeploymentStatusIsFailed(object) &&
           LinkOf(object, L"link_fail_code") == static_cast<__int64>(m_choice);
}

void DlgScheduleGroup::DlgLHSFailCode::Rebuild()
{
    if (!BeginRebuild(*this, true))
        return;
    m_counts.clear();
    DlgScheduleGroup* view = View();
    const __int64 deployment = DeploymentType();
    if (view && deployment != 0)
        for (const auto& [id, object] : view->m_objects)
            if (object.id != 0 && object.type == deployment)
                ++m_counts[LinkOf(object, L"link_fail_code")];
    AddItem(0, CTString(L"<all deployments>"), true);
    if (MainWindow* main = Main())
        for (const Object& code : main->m_cache.settings[MainWindowCache::FailCode])
            if (NumberOf(code, L"enable") > 0)
                AddItem(static_cast<unsigned __int64>(code.id), code.name, true);
    EndRebuild(*this);
}

void DlgScheduleGroup::DlgLHSFailCode::OnObjectChanged(const Object& now, const Object* old)
{
    (void)old;
    if (now.type != 0 && now.type == DeploymentType())
        Rebuild();
}

bool DlgScheduleGroup::DlgLHSFailCode::GetItemMarkup(unsigned __int64 key, const CTString& escapedText, DWORD state,
                                                     CTString& out)
{
    (void)state;
    int& count = m_counts[static_cast<__int64>(key)];
    out = RowMarkup(key, escapedText, W2, T2, key != 0 && count > 0 ? CountBadge(count) : EmptyBadge());
    return true;
}

// ---- Administrators --------------------------------------------------------------------------

DlgScheduleGroup::DlgLHSAdministrator::DlgLHSAdministrator(HWND host, CPageBase* owner)
    : DlgLHSBase(owner, CTString(L"Administrators"))
{
    CreateList(*this, host);
}

CTString DlgScheduleGroup::DlgLHSAdministrator::LastPart(const wchar_t* path)
{
    if (!path)
        return CTString();
    const wchar_t* slash = wcsrchr(path, L'\\');
    return CTString(slash ? slash + 1 : path);
}

bool DlgScheduleGroup::DlgLHSAdministrator::Accepts(const Object& object)
{
    const __int64 deployment = DeploymentType();
    if (deployment == 0 || object.type != deployment)
        return false;
    return m_choice == 0 || LinkOf(object, L"link_administrator") == static_cast<__int64>(m_choice);
}

void DlgScheduleGroup::DlgLHSAdministrator::AddAdministrator(__int64 id, const CTString& path)
{
    // A row per counted administrator, once: path replies may come after a later rebuild.
    if (id == 0 || Contains(m_listed, id) || m_counts.count(id) == 0)
        return;
    m_listed.push_back(id);
    AddItem(static_cast<unsigned __int64>(id), LastPart(path.GetBuffer()), true);
}

void DlgScheduleGroup::DlgLHSAdministrator::Rebuild()
{
    if (!BeginRebuild(*this, true))
        return;
    m_counts.clear();
    m_listed.clear();
    DlgScheduleGroup* view = View();
    const __int64 deployment = DeploymentType();
    if (view && deployment != 0)
        for (const auto& [id, object] : view->m_objects)
            if (object.id != 0 && object.type == deployment)
                if (const __int64 administrator = LinkOf(object, L"link_administrator"))
                    ++m_counts[administrator];
    AddItem(0, CTString(L"<all deployments>"), true);
    App* app = view ? view->GetApp() : nullptr;
    std::vector<__int64> missing;
    for (const auto& [id, count] : m_counts) {
        (void)count;
        auto cached = app ? app->m_paths.find(id) : std::map<__int64, CTString>::iterator();
        if (app && cached != app->m_paths.end())
            AddAdministrator(id, cached->second);
        else
            missing.push_back(id);
    }
    if (app && view) {
        RequestRoute route = view->ReplyRoute(ReqPanelPaths, 10);
        app->IDsToPaths(missing, route);
    }
    EndRebuild(*this);
}

void DlgScheduleGroup::DlgLHSAdministrator::OnResult(const RequestResult& result)
{
    if (result.route.requestId != ReqPanelPaths || result.returnCode != 0)
        return;
    TiXmlElement* root = const_cast<TiXmlDocument&>(result.document).FirstChildElementNamed(L"result");
    if (!root)
        return;
    for (TiXmlElement* value = root->FirstChildElementNamed(L"value"); value;
         value = value->NextSiblingElementNamed(L"value")) {
        const wchar_t* id = value->GetAttribute(L"ID");
        const wchar_t* path = value->GetAttribute(L"path");
        AddAdministrator(static_cast<__int64>(id ? _wtoi(id) : 0), CTString(path ? path : L""));
    }
    if (m_hWnd) {
        Relayout();
        InvalidateRect(m_hWnd, nullptr, TRUE);
    }
}

void DlgScheduleGroup::DlgLHSAdministrator::OnObjectChanged(const Object& now, const Object* old)
{
    (void)old;
    if (now.type != 0 && now.type == DeploymentType())
        Rebuild();
}

bool DlgScheduleGroup::DlgLHSAdministrator::GetItemMarkup(unsigned __int64 key, const CTString& escapedText,
                                                          DWORD state, CTString& out)
{
    (void)state;
    int& count = m_counts[static_cast<__int64>(key)];
    out = RowMarkup(key, escapedText, W1, T1, key != 0 && count > 0 ? CountBadge(count) : EmptyBadge());
    return true;
}

// ---- Exceptions ------------------------------------------------------------------------------

DlgScheduleGroup::DlgLHSExcept::DlgLHSExcept(HWND host, CPageBase* owner, const CTString& typeName,
                                             const CTString& allText)
    : DlgLHSBase(owner, CTString(L"Exceptions")), m_typeName(typeName), m_allText(allText)
{
    if (MainWindow* main = Main()) {
        main->GetTypeByName(m_typeDefinition, typeName);
        main->m_cache.GetTypeWithSubtypes(typeName, m_types);
    }
    CreateList(*this, host);
}

bool DlgScheduleGroup::DlgLHSExcept::Accepts(const Object& object)
{
    if (m_types.empty() || !Contains(m_types, object.type))
        return false;
    if (m_choice == 0)
        return true;
    std::vector<__int64> exceptions;
    object.GetLinkArray(exceptions, CTString(L"exceptions"));
    return Contains(exceptions, static_cast<__int64>(m_choice));
}

void DlgScheduleGroup::DlgLHSExcept::Rebuild()
{
    if (!BeginRebuild(*this, true))
        return;
    m_counts.clear();
    if (DlgScheduleGroup* view = View())
        for (const auto& [id, object] : view->m_objects) {
            if (object.id == 0 || !Contains(m_types, object.type))
                continue;
            std::vector<__int64> exceptions;
            object.GetLinkArray(exceptions, CTString(L"exceptions"));
            for (__int64 exception : exceptions)
                ++m_counts[exception];
        }
    AddItem(0, m_allText, true);
    if (MainWindow* main = Main())
        for (const Object& exception : main->m_cache.settings[MainWindowCache::Exception])
            if (NumberOf(exception, L"enable") > 0 &&
                TextOf(exception, L"type").Compare(m_typeDefinition.name) == 0)
                AddItem(static_cast<unsigned __int64>(exception.id), TextOf(exception, L"description"), true);
    EndRebuild(*this);
}

void DlgScheduleGroup::DlgLHSExcept::OnObjectChanged(const Object& now, const Object* old)
{
    (void)old;
    if (now.type != 0 && now.type == DeploymentType())
        Rebuild();
}

void DlgScheduleGroup::DlgLHSExcept::OnMouseWheel(WPARAM wParam)
{
    if (m_hWnd)
        ::SendMessageW(m_hWnd, WM_MOUSEWHEEL, wParam, 0);
}

bool DlgScheduleGroup::DlgLHSExcept::GetItemMarkup(unsigned __int64 key, const CTString& escapedText, DWORD state,
                                                   CTString& out)
{
    (void)state;
    CTString badge;
    int& count = m_counts[static_cast<__int64>(key)];
    if (key != 0 && count > 0) {
        badge = CountBadge(count);
    } else {
        int total = 0;
        for (const auto& entry : m_counts)
            total += entry.second;
        if (total > 0)
            badge = EmptyBadge();
    }
    out = RowMarkup(key, escapedText, W2, T1, badge);
    return true;
}

// ---- Tags ------------------------------------------------------------------------------------

DlgScheduleGroup::DlgLHSTag::DlgLHSTag(HWND host, CPageBase* owner, __int64 type, const CTString& allText)
    : DlgLHSBase(owner, CTString(L"Tags")), m_allText(allText), m_type(type)
{
    if (MainWindow* main = Main()) {
        Object definition;
        main->GetTypeById(definition, type);
        main->m_cache.GetTypeWithSubtypes(definition.name, m_types);
    }
    CreateList(*this, host);
}

std::wstring DlgScheduleGroup::DlgLHSTag::Fold(const CTString& text)
{
    std::wstring folded(text.GetBuffer() ? text.GetBuffer() : L"");
    for (wchar_t& c : folded)
        c = static_cast<wchar_t>(std::towlower(c));
    return folded;
}

std::vector<CTString> DlgScheduleGroup::DlgLHSTag::CountedTags(const CTString& text)
{
    std::vector<CTString> tags;
    for (const CTString& item : Items(text)) {
        if (item.IsEmpty())
            break;
        tags.push_back(item);
    }
    return tags;
}

bool DlgScheduleGroup::DlgLHSTag::HasTag(const CTString& text, const CTString& tag)
{
    for (const CTString& item : Items(text))
        if (!item.IsEmpty() && Fold(item) == Fold(tag))
            return true;
    return false;
}

bool DlgScheduleGroup::DlgLHSTag::Accepts(const Object& object)
{
    return m_current.IsEmpty() || HasTag(TextOf(object, L"tag"), m_current);
}

void DlgScheduleGroup::DlgLHSTag::Rebuild()
{
    if (!BeginRebuild(*this, false))
        return;
    m_tags.clear();
    if (DlgScheduleGroup* view = View())
        for (const auto& [id, object] : view->m_objects) {
            if (object.id == 0 || !Contains(m_types, object.type))
                continue;
            for (const CTString& tag : CountedTags(TextOf(object, L"tag"))) {
                Tag& entry = m_tags[Fold(tag)];
                if (entry.text.IsEmpty())
                    entry.text = tag;
                ++entry.count;
            }
        }
    AddItem(0, m_allText, false);
    // A chosen tag that no longer occurs leaves no row marked.
    unsigned __int64 selected = m_current.IsEmpty() ? 0 : kNoRow;
    int number = 0;
    for (auto& [folded, tag] : m_tags) {
        tag.rowKey = ++number;
        if (!m_current.IsEmpty() && tag.text.Compare(m_current) == 0)
            selected = static_cast<unsigned __int64>(number);
    }
    SetSelectedKey(selected);
    for (const auto& [folded, tag] : m_tags)
        AddItem(static_cast<unsigned __int64>(tag.rowKey), tag.text, true);
    EndRebuild(*this);
}

void DlgScheduleGroup::DlgLHSTag::OnObjectChanged(const Object& now, const Object* old)
{
    (void)old;
    if (Contains(m_types, now.type))
        Rebuild();
}

int DlgScheduleGroup::DlgLHSTag::DragOver(bool tracking, POINT screenPoint)
{
    return static_cast<int>(CTWndList::DragOver(tracking, tracking ? &screenPoint : nullptr));
}

void DlgScheduleGroup::DlgLHSTag::OnMouseWheel(WPARAM wParam)
{
    if (m_hWnd)
        ::SendMessageW(m_hWnd, WM_MOUSEWHEEL, wParam, 0);
}

void DlgScheduleGroup::DlgLHSTag::LoadChoice(CTRegKey& key)
{
    CTString stored;
    key.ReadString(stored, L"LHSTag", m_current.GetBuffer() ? m_current.GetBuffer() : L"");
    m_current = stored;
}

void DlgScheduleGroup::DlgLHSTag::SaveChoice(CTRegKey& key)
{
    key.WriteString(L"LHSTag", m_current.GetBuffer() ? m_current.GetBuffer() : L"");
}

void DlgScheduleGroup::DlgLHSTag::OnSelectionChanged(unsigned __int64 key)
{
    if (key == 0) {
        m_current = CTString();
    } else {
        const Tag* tag = FindByRowKey(static_cast<int>(key));
        if (!tag)
            return;
        m_current = tag->text;
    }
    if (m_owner)
        m_owner->FillRows();
}

const DlgScheduleGroup::DlgLHSTag::Tag* DlgScheduleGroup::DlgLHSTag::FindByRowKey(int key) const
{
    for (const auto& entry : m_tags)
        if (entry.second.rowKey == key)
            return &entry.second;
    return nullptr;
}

bool DlgScheduleGroup::DlgLHSTag::GetItemMarkup(unsigned __int64 key, const CTString& escapedText, DWORD state,
                                                CTString& out)
{
    (void)state;
    CTString badge = EmptyBadge();
    if (key != 0) {
        CTString text(escapedText);
        text.XmlUnescape();
        auto tag = m_tags.find(Fold(text));
        badge = CountBadge(tag == m_tags.end() ? 0 : tag->second.count);
    }
    out = RowMarkup(key, escapedText, W1, T1, badge);
    return true;
}

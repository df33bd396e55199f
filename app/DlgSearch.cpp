#include "app/DlgSearch.h"

#include <commctrl.h>
#include <unordered_map>
#include "app/App.h"
#include "app/MainWindow.h"
#include "app/SearchFilterSettings.h"
#include "app/SearchResultList.h"
#include "framework/CTApp.h"
#include "session/FormHelpers.h"
#include "session/RequestResult.h"

namespace {

constexpr DWORD kAnchorRight = CTWndSize::RightToRight;                              // 8
constexpr DWORD kAnchorRightBottom = CTWndSize::RightToRight | CTWndSize::BottomToBottom;   // 12
constexpr UINT kLayoutRoot = 104;

HMODULE PaneModule()
{
    HMODULE module = CTApp::Instance()->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(DlgSearch::kTemplate));
    return module ? module : GetModuleHandleW(nullptr);
}

} // namespace

DlgSearch::DlgSearch()
{
    CTWndHeader::RegisterClass(PaneModule());
}

DlgSearch::~DlgSearch()
{
    CTWnd2::Destroy();
}

bool DlgSearch::Create()
{
    return CreateDialogFromResource(PaneModule(), MAKEINTRESOURCEW(kTemplate), GetOwnerHwnd());
}

void DlgSearch::Destroy()
{
    CTWnd2::Destroy();
}

void DlgSearch::OnInitDialog()
{
    CTWndSize::Init(m_hWnd, false, 100, 100, false);
    AddItem(GetDlgItem(m_hWnd, kIdHeader), kAnchorRight);
    AddItem(GetDlgItem(m_hWnd, kIdList), kAnchorRightBottom);
    m_icon.LoadFromExe(161, 32);
    if (m_header.Attach(m_hWnd, kIdHeader)) {
        if (m_icon.icon)
            m_header.SetIcon(m_icon.icon);
        ApplyHeaderColours(m_header);
    }
    if (m_list.AttachReport(m_hWnd, kIdList)) {
        m_list.ModifyOptions(CTListCtrlReport::OptGridLines, 0xF0);
        m_list.ModifyStyle(LVS_SINGLESEL, WS_TABSTOP, 0);
        m_list.SetColumns(CTString(L"Path;Name;Type"), kLayoutRoot, nullptr, L"DlgSearch");
        m_list.SortBy(0, true);
        HICON item = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(142), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
        m_list.AddImage(item);
        if (item)
            DestroyIcon(item);
        m_list.SetFocus();
    }
    Refresh();
}

void DlgSearch::Refresh()
{
    // The search runs only when asked; a refresh has nothing to reload.
    m_refreshPending = !m_visible;
}

void DlgSearch::SetEmptyText(const wchar_t* text)
{
    // The list asks for this text (LVN_GETEMPTYMARKUP) while it holds no rows.
    m_emptyText = text;
    if (m_list.m_hWnd)
        InvalidateRect(m_list.m_hWnd, nullptr, TRUE);
}

void DlgSearch::SetStatusText(const CTString& text)
{
    if (m_owner)
        m_owner->SetPaneStatusText(m_owner->GetPaneKey(this), text);
}

CTString DlgSearch::BuildTypeText() const
{
    CTString text;
    const SearchFilterSettings& settings = SearchFilterSettings::Instance();
    if (!settings.EnableTypeLimit || settings.Types.empty())
        return text;
    for (int type : settings.Types) {
        if (!text.IsEmpty())
            text.AppendChar(L',');
        if (m_owner) {
            Object definition;
            m_owner->GetTypeById(definition, type);
            text.Append(definition.name);
        }
    }
    return text;
}

void DlgSearch::Search(const CTString& text)
{
    SetStatusText(CTString());
    if (m_list.m_hWnd)
        m_list.DeleteAllRows();
    m_results.clear();
    m_resultIds.clear();
    m_paths.clear();
    SetEmptyText(L"Searching...");
    CTString types = BuildTypeText();
    m_sentAt = GetTickCount64();
    // Each search has its own tag: a late answer of an earlier search is recognised and dropped.
    ++m_searchSerial;
    const SearchFilterSettings& settings = SearchFilterSettings::Instance();
    unsigned max = settings.EnableLimit ? static_cast<unsigned>(settings.Limit) : DB::kNoMax;
    App* app = GetApp();
    if (!app)
        return;
    app->m_db.ObjSearch(types, DB::kParentAll, CTString(), text, false, max,
                        RequestRoute{MainWindow::kWindowType, 0, kConsoleType, m_key, kReqSearch, m_searchSerial, false});
}

CTString DlgSearch::FormatStatus(int rows, ULONGLONG elapsedMs)
{
    CTString format;
    if (!format.LoadString(kStrStatus))
        format = L" %d results in %.2f secs";
    CTString text;
    text.Format(format.GetBuffer(), rows, static_cast<double>(static_cast<float>(elapsedMs) / 1000.0f));
    return text;
}

bool DlgSearch::IsHiddenParent(__int64 parent) const
{
    if (!m_owner || parent == 0)
        return false;
    static const int kFolders[] = {
        MainWindowCache::FolderDeployable, MainWindowCache::FolderOrganisations, MainWindowCache::FolderUsers,
        MainWindowCache::FolderTemplates, MainWindowCache::FolderSuperUsers, MainWindowCache::FolderDeploymentSlots,
    };
    for (int folder : kFolders)
        if (m_owner->GetSystemFolderId(folder) == parent)
            return true;
    // The system settings object and the folders read with their children at start-up.
    const MainWindowCache& cache = m_owner->m_cache;
    for (__int64 id : {cache.systemSettings.id, cache.deploymentTypesFolder, cache.deploymentStatusFolder})
        if (id != 0 && id == parent)
            return true;
    return false;
}

int DlgSearch::ImageFor(const Object& object)
{
    return SearchResultList::ImageFor(GetApp(), m_list, object,
                                      RequestRoute{MainWindow::kWindowType, 0, kConsoleType, m_key, kReqIcon, 0, false});
}

int DlgSearch::FillResults(TiXmlDocument& document)
{
    bool superUser = false;
    bool setupRights = true;
    if (m_owner) {
        superUser = m_owner->GetLogonUser().GetPrivilege(CTString(L"SuperUser"));
        setupRights = m_owner->HasSetupRights();
    }
    App* app = GetApp();
    TiXmlElement* root = document.FirstChildElementNamed(L"result");
    std::unordered_map<__int64, CTString> typeNames;
    std::vector<__int64> pathsToFetch;
    int added = 0;
    for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        // Read where it is kept: an object is large and has no cheap move.
        Object& object = m_results.emplace_back();
        object.ReadFromXml(element, true);
        bool skip = !superUser && m_owner && object.GetPrivilege(CTString(L"SuperUser"));
        if (!skip && !m_resultIds.insert(object.id).second)
            skip = true;
        else if (!skip && !setupRights && IsHiddenParent(object.parent)) {
            m_resultIds.erase(object.id);
            skip = true;
        }
        if (skip) {
            m_results.pop_back();
            continue;
        }
        auto type = typeNames.find(object.type);
        if (type == typeNames.end()) {
            Object definition;
            if (m_owner)
                m_owner->GetTypeById(definition, object.type);
            type = typeNames.emplace(object.type, CTString(definition.name)).first;
        }
        CTString& path = m_paths[object.parent];
        CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(object.id)));
        row.AddText(path).AddText(CTString(object.name)).AddText(type->second);
        m_list.AddRow(ImageFor(object), row);
        ++added;
        if (object.parent != 0 && path.IsEmpty()) {
            path = L"?";
            pathsToFetch.push_back(object.parent);
        }
    }
    // Asked after the rows exist: a path the application already knows comes back at once.
    if (app) {
        for (size_t i = 0; i < pathsToFetch.size(); ++i)
            app->IDToPath(pathsToFetch[i], RequestRoute{MainWindow::kWindowType, 0, kConsoleType, m_key, kReqPath,
                                                         pathsToFetch[i], false});
    }
    return added;
}

void DlgSearch::OnSearchReply(RequestResult& result)
{
    if (result.route.param2 != m_searchSerial)
        return;
    ULONGLONG elapsed = GetTickCount64() - m_sentAt;
    SetEmptyText(L"No Results Found");
    m_list.EnableAutoSort(false);
    // One repaint for the whole answer, not one per row; the list-view gets room for it at once.
    bool wasRedraw = m_list.m_hWnd && m_list.m_redrawEnabled;
    if (wasRedraw)
        m_list.SendMessage(WM_SETREDRAW, FALSE);
    if (m_list.m_hWnd) {
        TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
        int expected = 0;
        for (TiXmlElement* e = root ? root->FirstChildElementNamed(L"object") : nullptr; e;
             e = e->NextSiblingElementNamed(L"object"))
            ++expected;
        m_list.SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(m_list.GetItemCount() + expected),
                           LVSICF_NOINVALIDATEALL);
    }
    FillResults(result.document);
    m_list.EnableAutoSort(true);
    if (m_list.m_sortColumn >= 0)
        m_list.SortBy(m_list.m_sortColumn, m_list.m_ascending);
    if (wasRedraw) {
        m_list.SendMessage(WM_SETREDRAW, TRUE);
        InvalidateRect(m_list.m_hWnd, nullptr, TRUE);
    }
    int rows = m_list.GetItemCount();
    SetStatusText(FormatStatus(rows, elapsed));
    if (rows == 1) {
        ListView_SetItemState(m_list.m_hWnd, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_list.SetFocus();
    }
}

void DlgSearch::OnPathReply(RequestResult& result)
{
    SearchResultList::OnPathReply(m_list, m_results, m_paths, result);
}

void DlgSearch::OnIconReply(RequestResult& result)
{
    SearchResultList::OnIconReply(GetApp(), m_list, result);
}

void DlgSearch::OnReply(RequestResult& result)
{
    switch (result.route.requestId) {
    case kReqSearch: OnSearchReply(result); break;
    case kReqPath: OnPathReply(result); break;
    case kReqIcon: OnIconReply(result); break;
    default: break;
    }
}

void DlgSearch::OpenSelected()
{
    int item = static_cast<int>(m_list.SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (item < 0 || !m_owner)
        return;
    auto id = static_cast<__int64>(reinterpret_cast<INT_PTR>(m_list.GetRowData(item)));
    for (const Object& object : m_results) {
        if (object.id == id) {
            bool asForm = m_owner->GetLogonUser().GetPrivilege(CTString(L"QELConsoleSetup"));
            m_owner->OpenObject(object, asForm, true);
            return;
        }
    }
}

bool DlgSearch::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    (void)wParam;
    if (!hdr)
        return false;
    if (hdr->hwndFrom == m_list.m_hWnd) {
        if (m_list.OnParentNotify(hdr, result))
            return true;
        if (hdr->code == LVN_GETEMPTYMARKUP) {
            auto* markup = reinterpret_cast<NMLVEMPTYMARKUP*>(hdr);
            markup->dwFlags = EMF_CENTERED;
            lstrcpynW(markup->szMarkup, m_emptyText.GetBuffer() ? m_emptyText.GetBuffer() : L"", L_MAX_URL_LENGTH);
            *result = TRUE;
            SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
            return true;
        }
        if (hdr->code == NM_DBLCLK || hdr->code == 4) {
            OpenSelected();
            return true;
        }
    }
    return false;
}

bool DlgSearch::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    if (LOWORD(wParam) == kCmdHeaderClose) {
        Close();
        return true;
    }
    return false;
}

bool DlgSearch::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = TRUE;
        return true;
    case WM_WINDOWPOSCHANGING:
        if (TrackVisibility(*reinterpret_cast<WINDOWPOS*>(lParam)) == Shown && m_refreshPending)
            Refresh();
        break;
    default:
        break;
    }
    if (handled)
        return true;
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

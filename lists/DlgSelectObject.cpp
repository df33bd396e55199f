#include "lists/DlgSelectObject.h"

#include <algorithm>
#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/CTTokenString.h"
#include "foundation/TiXmlDocument.h"
#include "framework/CTApp.h"
#include "lists/PickerFrame.h"

namespace {

HMODULE TemplateModule()
{
    HMODULE module = nullptr;
    if (CTApp* app = CTApp::Instance())
        module = app->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(DlgSelectObject::kTemplate));
    return module ? module : GetModuleHandleW(nullptr);
}

MainWindow* Main()
{
    App* app = App::Instance();
    return app ? app->m_mainWindow : nullptr;
}

// The comma-separated names of a type list, trimmed of blanks and quotes, in lower case.
std::set<std::wstring> TypeNames(const CTString& list)
{
    std::set<std::wstring> names;
    std::wstring text(list.GetBuffer() ? list.GetBuffer() : L"");
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L',', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring name = text.substr(start, end - start);
        size_t first = name.find_first_not_of(L" \t\"");
        size_t last = name.find_last_not_of(L" \t\"");
        if (first != std::wstring::npos) {
            name = name.substr(first, last - first + 1);
            CharLowerBuffW(name.data(), static_cast<DWORD>(name.size()));
            names.insert(name);
        }
        start = end + 1;
    }
    return names;
}

bool NameIn(const std::set<std::wstring>& names, const CTString& name)
{
    if (name.IsEmpty())
        return false;
    std::wstring lower(name.GetBuffer());
    CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
    return names.count(lower) != 0;
}

} // namespace

DlgSelectObject::~DlgSelectObject()
{
    CTWnd2::Destroy();
}

bool DlgSelectObject::Open()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        return true;
    // The template makes the window visible; it stands where the template puts it.
    return CreateDialogFromTemplate(TemplateModule(), MAKEINTRESOURCEW(kTemplate), Owner());
}

void DlgSelectObject::Close()
{
    // Only a close by the manager keeps the size; OK and Cancel do not.
    SavePlacement(L"DlgSelectObject");
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyWindow(m_hWnd);
    else
        Unregister();
}

const std::vector<__int64>* DlgSelectObject::CachedIds()
{
    MainWindow* main = Main();
    return main ? &main->m_cache.lookupTree : nullptr;
}

const Object* DlgSelectObject::CachedObject(__int64 id)
{
    App* app = App::Instance();
    return app ? app->m_dir.Lookup(id) : nullptr;
}

CTString DlgSelectObject::LookupTypeName(__int64 type)
{
    Object definition;
    if (MainWindow* main = Main())
        main->GetTypeById(definition, type);
    return CTString(definition.name);
}

const CTString& DlgSelectObject::TypeName(__int64 type)
{
    auto it = m_typeNames.find(type);
    if (it == m_typeNames.end())
        it = m_typeNames.emplace(type, LookupTypeName(type)).first;
    return it->second;
}

bool DlgSelectObject::IsListedType(__int64 type)
{
    auto it = m_listed.find(type);
    if (it == m_listed.end())
        it = m_listed.emplace(type, NameIn(TypeNames(m_setup.types), TypeName(type))).first;
    return it->second;
}

bool DlgSelectObject::IsSelectable(__int64 type)
{
    CTTokenString tokens(m_setup.selectable);
    tokens.SetSeparators(L",", 0);
    CTString name(TypeName(type));
    return !name.IsEmpty() && tokens.ContainsToken(name);
}

CTString DlgSelectObject::Label(const Object& object)
{
    CTString label(object.name);
    CAttribute display;
    object.GetAttribute(display, CTString(L"display_name"));
    CTString text(display.GetText());
    if (!text.IsEmpty()) {
        label.AppendText(L" - ");
        label.Append(text);
    }
    return label;
}

int DlgSelectObject::ImageFor(const Object& object)
{
    App* app = App::Instance();
    if (!app)
        return 0;
    CAttribute image;
    object.GetAttribute(image, CTString(L"tree_image"));
    CTString name(image.GetText());
    if (name.IsEmpty())
        return 0;
    int index = app->FindIcon(name);
    if (index < 0)
        index = app->AddIcon(name, RequestRoute{m_type, m_key, 0, 0, kReqIcon, 0, false});
    return index < 0 ? 0 : index;
}

void DlgSelectObject::SetHasChildren(HTREEITEM item, bool children)
{
    if (!item)
        return;
    TVITEMW tv = {};
    tv.mask = TVIF_CHILDREN | TVIF_HANDLE;
    tv.hItem = item;
    tv.cChildren = children ? 1 : 0;
    ::SendMessageW(m_tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

void DlgSelectObject::AddOrUpdate(const Object& object)
{
    Node& node = m_nodes[object.id];
    node.object = object;
    CTString label = Label(object);
    int image = ImageFor(object);
    if (node.item) {
        TVITEMW tv = {};
        tv.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        tv.hItem = node.item;
        tv.pszText = label.GetBuffer();
        tv.iImage = tv.iSelectedImage = image;
        tv.lParam = static_cast<LPARAM>(object.id);
        ::SendMessageW(m_tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
        return;
    }
    auto parent = m_nodes.find(object.parent);
    HTREEITEM parentItem = parent != m_nodes.end() && parent->first != object.id ? parent->second.item : nullptr;
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parentItem ? parentItem : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = label.GetBuffer();
    insert.item.iImage = insert.item.iSelectedImage = image;
    insert.item.lParam = static_cast<LPARAM>(object.id);
    insert.item.cChildren = 1;
    node.item = reinterpret_cast<HTREEITEM>(::SendMessageW(m_tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    SetHasChildren(parentItem, true);
}

void DlgSelectObject::IndexCache()
{
    m_cacheIndexed = true;
    m_cacheChildren.clear();
    const std::vector<__int64>* ids = CachedIds();
    if (!ids || m_setup.types.IsEmpty())
        return;
    // One walk over the cached list; each level is then found by its parent at once.
    std::unordered_map<__int64, std::vector<std::pair<CTString, const Object*>>> levels;
    for (__int64 id : *ids) {
        const Object* object = CachedObject(id);
        if (object && object->id != object->parent && IsListedType(object->type))
            levels[object->parent].emplace_back(Label(*object), object);
    }
    for (auto& level : levels) {
        auto& keyed = level.second;
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
            if (a.second->type != b.second->type)
                return a.second->type < b.second->type;
            return lstrcmpW(a.first.GetBuffer() ? a.first.GetBuffer() : L"",
                            b.first.GetBuffer() ? b.first.GetBuffer() : L"") < 0;
        });
        std::vector<__int64>& ids = m_cacheChildren[level.first];
        ids.reserve(keyed.size());
        for (const auto& entry : keyed)
            ids.push_back(entry.second->id);
    }
}

void DlgSelectObject::FillFromCache(__int64 parent)
{
    if (!m_cacheIndexed)
        IndexCache();
    // Depth first without recursion: a deep directory cannot exhaust the stack.
    std::vector<__int64> pending{parent};
    std::set<__int64> visited;
    ::SendMessageW(m_tree, WM_SETREDRAW, FALSE, 0);
    while (!pending.empty()) {
        __int64 level = pending.back();
        pending.pop_back();
        if (!visited.insert(level).second)
            continue; // a parent loop in the cache
        auto children = m_cacheChildren.find(level);
        bool any = false;
        if (children != m_cacheChildren.end()) {
            for (__int64 id : children->second) {
                if (const Object* object = CachedObject(id)) {
                    AddOrUpdate(*object);
                    any = true;
                }
            }
            for (auto it = children->second.rbegin(); it != children->second.rend(); ++it)
                pending.push_back(*it);
        }
        auto node = m_nodes.find(level);
        if (!any && level != 0 && node != m_nodes.end())
            SetHasChildren(node->second.item, false);
    }
    ::SendMessageW(m_tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_tree, nullptr, TRUE);
}

void DlgSelectObject::SearchUnder(__int64 parent)
{
    if (App* app = App::Instance())
        app->m_db.ObjSearch(m_setup.types, static_cast<unsigned>(parent), CTString(), CTString(), false, DB::kNoMax,
                            RequestRoute{m_type, m_key, 0, 0, kReqSearch, parent, false});
}

void DlgSelectObject::DeletePlaceholders(HTREEITEM parent)
{
    HTREEITEM child = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(m_tree, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT, reinterpret_cast<LPARAM>(parent)));
    while (child) {
        HTREEITEM next = reinterpret_cast<HTREEITEM>(
            ::SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)));
        TVITEMW tv = {};
        tv.mask = TVIF_HANDLE | TVIF_PARAM;
        tv.hItem = child;
        if (::SendMessageW(m_tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)) && tv.lParam == 0)
            ::SendMessageW(m_tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child));
        child = next;
    }
}

void DlgSelectObject::OnSearchReply(RequestResult& result)
{
    if (result.returnCode != 0)
        return;
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    if (!root)
        return;
    int64_t parent = 0;
    if (TiXmlElement* parameters = root->FirstChildElementNamed(L"parameters"))
        parameters->GetAttributeInt64(L"PARENT", &parent);
    auto node = m_nodes.find(parent);
    HTREEITEM parentItem = parent != 0 && node != m_nodes.end() ? node->second.item : nullptr;
    DeletePlaceholders(parentItem);
    bool any = false;
    for (TiXmlElement* element = root->FirstChildElementNamed(L"object"); element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object object;
        object.ReadFromXml(element, true);
        AddOrUpdate(object);
        any = true;
    }
    if (parent != 0)
        SetHasChildren(parentItem, any);
}

void DlgSelectObject::OnExpanding(NMTREEVIEWW* view)
{
    if (view->action != TVE_EXPAND)
        return;
    auto id = static_cast<__int64>(view->itemNew.lParam);
    auto node = m_nodes.find(id);
    if (id == 0 || node == m_nodes.end() || node->second.loaded)
        return;
    if (m_setup.fromCache) {
        node->second.loaded = true;
        m_cacheIndexed = false; // objects cached since the tree was built join it
        FillFromCache(id);
        return;
    }
    // Not marked loaded: every expansion asks the server again and updates what is there.
    SearchUnder(id);
    TVINSERTSTRUCTW insert = {};
    insert.hParent = node->second.item;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<wchar_t*>(L"Searching...");
    insert.item.lParam = 0;
    insert.item.cChildren = 0;
    ::SendMessageW(m_tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
}

DlgSelectObject::Node* DlgSelectObject::SelectedNode()
{
    auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item)
        return nullptr;
    TVITEMW tv = {};
    tv.mask = TVIF_HANDLE | TVIF_PARAM;
    tv.hItem = item;
    if (!::SendMessageW(m_tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)) || tv.lParam == 0)
        return nullptr;
    auto node = m_nodes.find(static_cast<__int64>(tv.lParam));
    return node == m_nodes.end() ? nullptr : &node->second;
}

void DlgSelectObject::UpdateOk()
{
    bool none = m_setup.allowNone && IsDlgButtonChecked(m_hWnd, kIdNone) == BST_CHECKED;
    Node* node = SelectedNode();
    EnableWindow(GetDlgItem(m_hWnd, IDOK), none || (node && IsSelectable(node->object.type)));
}

void DlgSelectObject::OnInitDialog()
{
    CTWndSize::Init(m_hWnd, true, 0, 0, false);
    AddItem(GetDlgItem(m_hWnd, kIdTree), CTWndSize::RightToRight | CTWndSize::BottomToBottom);
    AddItem(GetDlgItem(m_hWnd, kIdNone), CTWndSize::TopToBottom | CTWndSize::BottomToBottom);
    for (int id : {IDOK, IDCANCEL})
        AddItem(GetDlgItem(m_hWnd, id), CTWndSize::LeftToRight | CTWndSize::RightToRight | CTWndSize::TopToBottom |
                                            CTWndSize::BottomToBottom);
    HWND iconSource = GetParent(Owner()) ? GetParent(Owner()) : Owner();
    for (WPARAM kind : {static_cast<WPARAM>(ICON_BIG), static_cast<WPARAM>(ICON_SMALL)}) {
        if (LRESULT icon = ::SendMessageW(iconSource, WM_GETICON, kind, 0))
            SendMessage(WM_SETICON, kind, icon);
    }
    m_tree = GetDlgItem(m_hWnd, kIdTree);
    if (App* app = App::Instance()) {
        ::SendMessageW(m_tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(app->m_smallImages));
        ::SendMessageW(m_tree, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(app->m_smallImages));
    }
    ::SendMessageW(Owner(), kMsgSetup, 0, reinterpret_cast<LPARAM>(&m_setup));
    if (m_setup.selectable.IsEmpty())
        m_setup.selectable = m_setup.types;
    ::ShowWindow(GetDlgItem(m_hWnd, kIdNone), m_setup.allowNone ? SW_SHOW : SW_HIDE);
    RestorePlacement(L"DlgSelectObject", 0);
    if (m_setup.fromCache)
        FillFromCache(0);
    else
        SearchUnder(0);
    EnableWindow(GetDlgItem(m_hWnd, IDOK), FALSE);
}

void DlgSelectObject::Notify(void* param)
{
    auto* result = static_cast<RequestResult*>(param);
    if (!result || !m_hWnd)
        return;
    if (result->route.requestId == kReqIcon)
        InvalidateRect(m_tree, nullptr, TRUE);
    else if (result->route.requestId == kReqSearch)
        OnSearchReply(*result);
}

bool DlgSelectObject::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    (void)wParam;
    if (!hdr || hdr->hwndFrom != m_tree)
        return false;
    if (hdr->code == TVN_ITEMEXPANDINGW) {
        OnExpanding(reinterpret_cast<NMTREEVIEWW*>(hdr));
        *result = FALSE;
        return true;
    }
    if (hdr->code == TVN_SELCHANGEDW) {
        UpdateOk();
        return true;
    }
    return false;
}

bool DlgSelectObject::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    switch (LOWORD(wParam)) {
    case IDOK: {
        if (m_answered)
            return true;
        if (m_setup.allowNone && IsDlgButtonChecked(m_hWnd, kIdNone) == BST_CHECKED) {
            m_answered = true;
            ::SendMessageW(Owner(), kMsgAnswer, 0, 0);
            DestroyWindow(m_hWnd);
            return true;
        }
        Node* node = SelectedNode();
        if (!node || !IsSelectable(node->object.type))
            return true;
        m_answered = true;
        // Sent: the object lives in this picker until the call returns.
        ::SendMessageW(Owner(), kMsgAnswer, static_cast<WPARAM>(node->object.id), reinterpret_cast<LPARAM>(&node->object));
        DestroyWindow(m_hWnd);
        return true;
    }
    case IDCANCEL:
        m_answered = true;
        DestroyWindow(m_hWnd);
        return true;
    case kIdNone: {
        bool ticked = IsDlgButtonChecked(m_hWnd, kIdNone) == BST_CHECKED;
        EnableWindow(m_tree, !ticked);
        UpdateOk();
        return true;
    }
    default:
        return false;
    }
}

bool DlgSelectObject::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = TRUE;
        return true;
    case WM_ACTIVATE:
        PickerFrame::TrackActive(m_activeDialog, m_hWnd, msg, wParam);
        break;
    case WM_DESTROY:
        PickerFrame::TrackActive(m_activeDialog, m_hWnd, msg, wParam);
        Unregister();
        break;
    default:
        break;
    }
    if (handled)
        return true;
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

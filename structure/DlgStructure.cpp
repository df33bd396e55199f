#include "structure/DlgStructure.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "framework/CTApp.h"
#include "session/RequestResult.h"
#include "structure/StructureReply.h"

namespace {

constexpr int kSplitMin = 100;

HMODULE ResourceModule(const wchar_t* type, UINT id)
{
    HMODULE module = CTApp::Instance() ? CTApp::Instance()->FindResourceModule(type, MAKEINTRESOURCEW(id)) : nullptr;
    return module ? module : GetModuleHandleW(nullptr);
}

int NavigationFlags(const Object& object)
{
    CAttribute value;
    object.GetAttribute(value, CTString(L"console_setup_navigation"));
    return static_cast<int>(CAttribute::IsTextType(value.GetType()) ? ReadDecimal64(value.GetText()) : value.GetValue());
}

CTString TreeImageName(const Object& object)
{
    CAttribute value;
    object.GetAttribute(value, CTString(L"tree_image"));
    return value.GetString();
}

} // namespace

bool DlgStructure::CTreeEdit::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_GETDLGCODE) {
        *result = DLGC_WANTALLKEYS;
        return true;
    }
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

DlgStructure::~DlgStructure()
{
    if (m_dragImage)
        ImageList_Destroy(m_dragImage);
    CTWnd2::Destroy();
}

bool DlgStructure::Create()
{
    HINSTANCE module = GetModuleHandleW(nullptr);
    if (!CTWnd2::Create(kClassName, true, GetOwnerHwnd(), WS_CHILD | WS_TABSTOP | WS_CLIPCHILDREN, CS_DBLCLKS, module,
                        nullptr))
        return false;
    ModifyExStyle(0, WS_EX_CONTROLPARENT);
    // The pane paints nothing itself: its children cover it.
    SetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND, 0);
    SetClassLongPtrW(m_hWnd, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)));
    SetWindowText(L"Structure");
    SetIcons(ResourceModule(RT_GROUP_ICON, kIcon), kIcon);
    m_clipboardFormat = RegisterClipboardFormatW(kClipboardFormat);
    return true;
}

void DlgStructure::Destroy()
{
    EndDrag();
    CTWnd2::Destroy();
}

RequestRoute DlgStructure::Route(int requestId, bool silent) const
{
    RequestRoute route = m_owner ? m_owner->GetPaneKey(const_cast<DlgStructure*>(this))
                                 : PaneKey(MainWindow::kWindowType, 0, kConsoleType, m_key);
    route.requestId = requestId;
    route.silent = silent;
    return route;
}

Object* DlgStructure::FindObject(__int64 id)
{
    auto it = m_objects.find(id);
    return it == m_objects.end() || it->second.id == 0 ? nullptr : &it->second;
}

HTREEITEM DlgStructure::TreeItemOf(__int64 id)
{
    Object* object = FindObject(id);
    return object ? reinterpret_cast<HTREEITEM>(object->viewHandle) : nullptr;
}

bool DlgStructure::TreeHasFocus() const
{
    return m_tree.m_hWnd && GetFocus() == m_tree.m_hWnd;
}

bool DlgStructure::ListHasFocus() const
{
    return m_list.m_hWnd && GetFocus() == m_list.m_hWnd;
}

std::vector<__int64> DlgStructure::SelectedRowIds()
{
    std::vector<__int64> ids;
    if (!m_list.m_hWnd)
        return ids;
    for (int item = ListView_GetNextItem(m_list.m_hWnd, -1, LVNI_SELECTED); item >= 0;
         item = ListView_GetNextItem(m_list.m_hWnd, item, LVNI_SELECTED))
        ids.push_back(reinterpret_cast<__int64>(m_list.GetRowData(item)));
    return ids;
}

// ---- Layout ----

void DlgStructure::CreateLayout()
{
    HINSTANCE module = GetModuleHandleW(nullptr);
    RECT client = {};
    GetClientRect(m_hWnd, &client);

    if (m_rebar.Create(m_hWnd, module))
        m_rebar.SendMessage(RB_SETBKCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_WINDOW)));
    if (m_rebar.m_hWnd &&
        m_toolbar.Create(m_rebar.m_hWnd, this, TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | WS_TABSTOP,
                         CTWndToolbar::IconSmall, TBSTYLE_EX_MIXEDBUTTONS)) {
        m_toolbar.SendMessage(TB_SETMAXTEXTROWS, 1);
        int first = m_toolbar.m_firstStdImage;
        m_toolbar.AddButton(first + STD_FILENEW, kCmdNew, TBSTATE_ENABLED, BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN, kStrNew);
        m_toolbar.AddButton(first + STD_DELETE, kCmdDelete, TBSTATE_ENABLED, BTNS_BUTTON, kStrDelete);
        m_toolbar.AddButton(first + STD_PROPERTIES, kCmdProperties, TBSTATE_ENABLED, BTNS_BUTTON, kStrProperties);
        m_toolbar.AppendButton(0, 0, TBSTATE_ENABLED, BTNS_SEP, nullptr);
        int image = m_toolbar.AddIcon(ResourceModule(RT_GROUP_ICON, kCmdImport), kCmdImport);
        m_toolbar.AddButton(image, kCmdImport, TBSTATE_ENABLED, BTNS_BUTTON, kStrImport);
        SIZE ideal = {};
        m_toolbar.SendMessage(TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&ideal));
        DWORD buttonSize = static_cast<DWORD>(m_toolbar.SendMessage(TB_GETBUTTONSIZE));
        m_rebar.InsertBand(m_toolbar.m_hWnd, -1, CTString(), ideal.cx, HIWORD(buttonSize), ideal.cx);
        m_rebar.FindBand(m_toolbar.m_hWnd, &m_toolbarBand);
    }
    int top = 0;
    if (m_rebar.m_hWnd) {
        RECT rc = {};
        GetWindowRect(m_rebar.m_hWnd, &rc);
        top = rc.bottom - rc.top;
    }

    App* app = GetApp();
    RECT treeRect = {0, top, client.right / 3, client.bottom - 1};
    m_tree.CreateChild(WC_TREEVIEWW,
                       WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                           TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS | TVS_TRACKSELECT,
                       treeRect, m_hWnd, kIdTree);
    if (m_tree.m_hWnd && app) {
        TreeView_SetImageList(m_tree.m_hWnd, app->m_smallImages, TVSIL_NORMAL);
        TreeView_SetImageList(m_tree.m_hWnd, app->m_smallImages, TVSIL_STATE);
    }

    if (m_list.CreateReport(m_hWnd, kIdList, 0)) {
        m_list.ModifyOptions(CTListCtrlReport::OptGridLines, CTListCtrlReport::OptStretch);
        m_list.ModifyStyle(LVS_SINGLESEL | LVS_SORTASCENDING, LVS_EDITLABELS | WS_TABSTOP, 0);
        m_list.ModifyExStyle(WS_EX_CLIENTEDGE, 0);
        m_list.SetColumns(CTString(L"Name;Type"), 104, GetModuleHandleW(nullptr), nullptr);
        MoveWindow(m_list.m_hWnd, client.right / 3 + 6, top, client.right - client.right / 3 - 6, client.bottom - 1 - top,
                   FALSE);
    }

    CTWndSize::Init(m_hWnd, false, 0, 0, false);
    if (m_rebar.m_hWnd)
        AddItem(m_rebar.m_hWnd, CTWndSize::RightToRight);
    if (m_tree.m_hWnd && m_list.m_hWnd &&
        m_splitter.Create(m_hWnd, m_tree.m_hWnd, m_list.m_hWnd, true, module, 0, kSplitMin, kSplitMin, false)) {
        m_splitter.m_first.m_right = 0;
        m_splitter.m_second = m_splitter.m_first;
        m_splitter.m_second.m_index = 2;
        m_splitter.m_second.m_hWnd = m_list.m_hWnd;
        m_splitter.SetPosition(client.right / 3);
        m_splitter.SetSplit(true, false);
    }
    LayoutBelowRebar();
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_FRAME);
    m_layoutPending = false;
    Refresh();
}

void DlgStructure::LayoutBelowRebar()
{
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    int top = 0;
    if (m_rebar.m_hWnd) {
        RECT rc = {};
        GetWindowRect(m_rebar.m_hWnd, &rc);
        top = rc.bottom - rc.top;
    }
    if (!m_splitter.m_hWnd)
        return;
    m_splitter.m_first.m_top = m_splitter.m_second.m_top = top;
    m_splitter.m_first.m_bottom = m_splitter.m_second.m_bottom = 1;
    m_splitter.m_first.m_left = m_splitter.m_second.m_left = 0;
    m_splitter.m_first.m_right = m_splitter.m_second.m_right = 0;
    m_splitter.Layout(client.right, client.bottom);
}

// ---- Refresh, children and merging ----

void DlgStructure::Refresh()
{
    if (!m_visible || m_layoutPending) {
        m_refreshPending = true;
        return;
    }
    m_refreshPending = false;
    EndDrag();
    if (m_tree.m_hWnd)
        TreeView_DeleteItem(m_tree.m_hWnd, TVI_ROOT);
    m_list.DeleteAllRows();
    m_selectedCount = m_itemCount = 0;
    m_objects.clear();
    m_childIds.clear();
    m_allowedChild.rows.DeleteAll();
    m_allowedChild.columns.DeleteAll();
    m_typeLabels.clear();
    m_typeNames.clear();
    m_listedNode = -1;

    Object root;
    if (m_owner)
        m_owner->GetTypeByName(root, CTString(L"OU"));
    CAttribute name;
    if (m_owner)
        m_owner->m_cache.systemSettings.GetAttribute(name, CTString(L"name"));
    root.name = name.GetString();
    if (root.name.IsEmpty())
        root.name = L"root";
    SetOrAddAttribute(root, L"console_setup_navigation", CAttribute(CAttribute::Integer, 1));
    SetOrAddAttribute(root, L"tree_image", CAttribute(CAttribute::Text, L""));
    m_rootId = root.id;
    MergeObject(root);

    if (App* app = GetApp()) {
        CTByteArray body;
        app->m_db.SendRequest(L"POST", CTString(L"api/api_dirGetAllowedChild.php"), CTString(DB::kFormContentType),
                              &body, Route(kReqAllowedChild));
    }
    UpdateStatusText();
}

void DlgStructure::SetOrAddAttribute(Object& object, const wchar_t* name, const CAttribute& value)
{
    CTString key(name);
    if (Object::Attribute* attribute = object.FindAttribute(key)) {
        attribute->Assign(value);
        return;
    }
    int id = -1;
    while (object.attributes.count(id))
        --id;
    Object::Attribute& added = object.attributes[id];
    added.Assign(value);
    added.name = key;
}

void DlgStructure::ExpandNode(HTREEITEM item, __int64 id)
{
    auto it = m_objects.find(id);
    if (it == m_objects.end() || it->second.viewFlag)
        return;
    it->second.viewFlag = 1;
    if (App* app = GetApp())
        app->m_db.ObjSearch(CTString(), static_cast<unsigned>(id), CTString(), CTString(), false, DB::kNoMax,
                            Route(kReqSearch));
    TVINSERTSTRUCTW insert = {};
    insert.hParent = item;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(L"Searching...");
    insert.item.iImage = insert.item.iSelectedImage = 1;
    insert.item.cChildren = 0;
    insert.item.lParam = 0;
    TreeView_InsertItem(m_tree.m_hWnd, &insert);
}

void DlgStructure::ReadChildren(TiXmlDocument& document)
{
    TiXmlElement* result = StructureReply::Result(document);
    __int64 parent = StructureReply::Parameter(document, L"PARENT");
    HTREEITEM parentItem = TreeItemOf(parent);

    // The placeholders ("Searching...") go.
    HTREEITEM child = parentItem ? TreeView_GetChild(m_tree.m_hWnd, parentItem) : TreeView_GetRoot(m_tree.m_hWnd);
    while (child) {
        HTREEITEM next = TreeView_GetNextSibling(m_tree.m_hWnd, child);
        TVITEMW item = {};
        item.mask = TVIF_PARAM;
        item.hItem = child;
        if (TreeView_GetItem(m_tree.m_hWnd, &item) && item.lParam == 0)
            TreeView_DeleteItem(m_tree.m_hWnd, child);
        child = next;
    }

    // The listed node's rows are refilled below, not updated one merge at a time.
    bool refill = parent == m_listedNode;
    if (refill)
        m_listedNode = -1;
    int count = 0;
    if (result) {
        ::SendMessageW(m_tree.m_hWnd, WM_SETREDRAW, FALSE, 0);
        for (TiXmlElement* element = result->FirstChildElementNamed(L"object"); element;
             element = element->NextSiblingElementNamed(L"object")) {
            Object object;
            object.ReadFromXml(element, true);
            int flags = NavigationFlags(object);
            if (flags & 3)
                MergeObject(object);
            if (flags & 1)
                ++count;
        }
        ::SendMessageW(m_tree.m_hWnd, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(m_tree.m_hWnd, nullptr, TRUE);
    }
    if (parent != 0 && parentItem) {
        TVITEMW item = {};
        item.mask = TVIF_CHILDREN;
        item.hItem = parentItem;
        item.cChildren = count != 0 ? 1 : 0;
        TreeView_SetItem(m_tree.m_hWnd, &item);
    }
    if (refill)
        ShowChildren(parent);
}

void DlgStructure::DetachObject(__int64 id, __int64 parent)
{
    auto it = m_childIds.find(parent);
    if (it == m_childIds.end())
        return;
    it->second.erase(id);
    if (it->second.empty())
        m_childIds.erase(it);
}

void DlgStructure::AttachObject(__int64 id, __int64 parent)
{
    m_childIds[parent].insert(id);
}

void DlgStructure::MergeObject(const Object& object)
{
    Object& entry = m_objects[object.id];
    UINT64 handle = entry.viewHandle;
    BYTE requested = entry.viewFlag;
    bool known = entry.id != 0;
    __int64 oldParent = entry.parent;
    entry = object;
    entry.viewHandle = handle;
    entry.viewFlag = requested;
    if (known && oldParent != object.parent)
        DetachObject(object.id, oldParent);
    if (object.id != 0)
        AttachObject(object.id, object.parent);

    if ((NavigationFlags(entry) & 1) && m_tree.m_hWnd) {
        CTString text;
        BuildTreeText(entry, text);
        int image = TreeImage(entry);
        TVITEMW item = {};
        item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
        item.pszText = const_cast<wchar_t*>(text.GetBuffer() ? text.GetBuffer() : L"");
        item.iImage = item.iSelectedImage = image;
        item.cChildren = 1;
        item.lParam = static_cast<LPARAM>(entry.id);
        if (entry.viewHandle) {
            item.hItem = reinterpret_cast<HTREEITEM>(entry.viewHandle);
            TreeView_SetItem(m_tree.m_hWnd, &item);
        } else {
            HTREEITEM parentItem = nullptr;
            auto parentEntry = m_objects.find(entry.parent);
            if (parentEntry != m_objects.end() && entry.parent != entry.id)
                parentItem = reinterpret_cast<HTREEITEM>(parentEntry->second.viewHandle);
            TVINSERTSTRUCTW insert = {};
            insert.hParent = parentItem ? parentItem : TVI_ROOT;
            insert.hInsertAfter = TVI_LAST;
            insert.item = item;
            entry.viewHandle = reinterpret_cast<UINT64>(TreeView_InsertItem(m_tree.m_hWnd, &insert));
            if (parentItem) {
                TVITEMW parentState = {};
                parentState.mask = TVIF_CHILDREN;
                parentState.hItem = parentItem;
                parentState.cChildren = 1;
                TreeView_SetItem(m_tree.m_hWnd, &parentState);
            }
        }
    }

    Object& merged = entry;
    if (m_listedNode == merged.parent && m_list.m_hWnd) {
        int row = m_list.FindRowByData(reinterpret_cast<void*>(merged.id));
        if (row >= 0) {
            CTListCtrlReport::Row cells(reinterpret_cast<void*>(merged.id));
            ListCells(merged, cells);
            m_list.UpdateRow(row, ListImage(merged), cells);
        }
    }
}

const wchar_t* DlgStructure::GetTypeLabel(__int64 type)
{
    auto it = m_typeLabels.find(type);
    if (it != m_typeLabels.end())
        return it->second.GetBuffer() ? it->second.GetBuffer() : L"";
    CTString label;
    int rows = static_cast<int>(m_allowedChild.rows.GetCount());
    for (int row = 0; row < rows; ++row) {
        CAttribute cell;
        if (!m_allowedChild.GetCell(row, 0, cell))
            break;
        if (StructureReply::CellNumber(cell) == type) {
            CAttribute text;
            if (m_allowedChild.GetCell(row, 1, text))
                label = text.GetString();
            break;
        }
    }
    CTString& stored = m_typeLabels[type];
    stored = label;
    return stored.GetBuffer() ? stored.GetBuffer() : L"";
}

const CTString& DlgStructure::TypeName(__int64 type)
{
    auto it = m_typeNames.find(type);
    if (it != m_typeNames.end())
        return it->second;
    Object definition;
    if (m_owner)
        m_owner->GetTypeById(definition, type);
    CTString& stored = m_typeNames[type];
    stored = definition.name;
    return stored;
}

void DlgStructure::BuildTreeText(const Object& object, CTString& out)
{
    out = object.name;
    if (object.type != 0) {
        out.AppendText(L" (");
        out.AppendText(GetTypeLabel(object.type));
        out.AppendText(L")");
    }
}

int DlgStructure::TreeImage(const Object& object)
{
    CTString name = TreeImageName(object);
    App* app = GetApp();
    if (name.IsEmpty() || !app)
        return 0;
    int index = app->FindIcon(name);
    if (index < 0)
        index = app->AddIcon(name, Route(kReqIcon));
    return index < 0 ? 0 : index;
}

int DlgStructure::ListImage(const Object& object)
{
    int key = TreeImage(object);
    auto it = m_list.m_imageKeys.find(key);
    if (it != m_list.m_imageKeys.end())
        return it->second;
    App* app = GetApp();
    if (!app)
        return -1;
    HICON icon = ImageList_GetIcon(app->m_smallImages, key, ILD_TRANSPARENT);
    int copy = icon ? m_list.AddImage(icon) : -1;
    if (icon)
        DestroyIcon(icon);
    if (copy >= 0)
        m_list.m_imageKeys[key] = copy;
    return copy;
}

void DlgStructure::ListCells(const Object& object, CTListCtrlReport::Row& row)
{
    CTStringLocale name(object.name);
    const wchar_t* user = name.GetUserText();
    row.AddText(CTString(user ? user : L""));
    row.AddText(TypeName(object.type));
}

void DlgStructure::ShowChildren(__int64 node)
{
    if (node == m_listedNode || !m_list.m_hWnd)
        return;
    m_listedNode = node;
    m_list.EnableAutoSort(false);
    m_list.SendMessage(WM_SETREDRAW, FALSE);
    m_list.DeleteAllRows();
    m_selectedCount = m_itemCount = 0;
    auto children = m_childIds.find(node);
    if (children != m_childIds.end()) {
        for (__int64 id : children->second) {
            Object* object = FindObject(id);
            if (!object || !(NavigationFlags(*object) & 2))
                continue;
            CTListCtrlReport::Row row(reinterpret_cast<void*>(id));
            ListCells(*object, row);
            m_list.InsertRow(m_itemCount, ListImage(*object), row);
        }
    }
    m_list.EnableAutoSort(true);
    m_list.SendMessage(WM_SETREDRAW, TRUE);
    InvalidateRect(m_list.m_hWnd, nullptr, TRUE);
    UpdateStatusText();
}

void DlgStructure::RebuildTreeTexts()
{
    for (auto& [id, object] : m_objects) {
        if (id == 0 || object.id == 0 || !object.viewHandle || object.type == 0)
            continue;
        CTString text;
        BuildTreeText(object, text);
        TVITEMW item = {};
        item.mask = TVIF_TEXT;
        item.hItem = reinterpret_cast<HTREEITEM>(object.viewHandle);
        item.pszText = const_cast<wchar_t*>(text.GetBuffer() ? text.GetBuffer() : L"");
        TreeView_SetItem(m_tree.m_hWnd, &item);
    }
}

void DlgStructure::UpdateStatusText()
{
    if (!m_owner)
        return;
    CTString text;
    text.FormatResource(kStrSelected, m_selectedCount, m_itemCount);
    m_owner->SetPaneStatusText(m_owner->GetPaneKey(this), text);
}

void DlgStructure::OnIconArrived(int index)
{
    if (m_tree.m_hWnd)
        InvalidateRect(m_tree.m_hWnd, nullptr, TRUE);
    auto it = m_list.m_imageKeys.find(index);
    App* app = GetApp();
    if (it != m_list.m_imageKeys.end() && app) {
        HICON icon = ImageList_GetIcon(app->m_smallImages, index, ILD_TRANSPARENT);
        if (icon) {
            m_list.ReplaceImage(icon, it->second);
            DestroyIcon(icon);
        }
    }
    if (m_list.m_hWnd)
        InvalidateRect(m_list.m_hWnd, nullptr, TRUE);
}

void DlgStructure::RemoveObject(__int64 id)
{
    auto it = m_objects.find(id);
    if (it == m_objects.end())
        return;
    if (it->second.viewHandle && m_tree.m_hWnd) {
        if (m_dropItem == reinterpret_cast<HTREEITEM>(it->second.viewHandle))
            m_dropItem = nullptr;
        TreeView_DeleteItem(m_tree.m_hWnd, reinterpret_cast<HTREEITEM>(it->second.viewHandle));
    }
    if (it->second.parent == m_listedNode) {
        int row = m_list.FindRowByData(reinterpret_cast<void*>(id));
        if (row >= 0)
            m_list.DeleteRow(row);
    }
    DetachObject(id, it->second.parent);
    m_objects.erase(it);
}

// ---- Renaming and opening ----

void DlgStructure::SendRename(__int64 id, const CTString& name)
{
    Object* object = FindObject(id);
    App* app = GetApp();
    if (!app)
        return;
    app->m_db.ObjSet(static_cast<unsigned>(id), object ? static_cast<unsigned>(object->serial) : 0, name, CAttributes(),
                     CAttributes(), Route(kReqRename));
}

void DlgStructure::RenameFromList(__int64 id, const CTString& userText)
{
    Object* object = FindObject(id);
    if (!object)
        return;
    // The list shows the user's language only: the edit replaces that section and keeps the others.
    CTStringLocale stored(object->name);
    CTString locale;
    FormatLocaleName(GetUserDefaultLCID(), locale);
    if (!stored.GetTextForLocale(locale))
        locale.Empty();
    CTString merged(stored);
    merged.SetLocaleText(locale, userText);
    SendRename(id, merged);
}

void DlgStructure::OpenCurrent()
{
    __int64 id = GetCurrentObjectId();
    if (id == -1 || !m_owner)
        return;
    Object* object = FindObject(id);
    Object open;
    if (object)
        open = *object;
    else
        open.id = id;
    m_owner->OpenObject(open, true, false);
}

void DlgStructure::OpenRow(int item)
{
    if (item < 0)
        return;
    __int64 id = reinterpret_cast<__int64>(m_list.GetRowData(item));
    HTREEITEM treeItem = TreeItemOf(id);
    if (treeItem) {
        TreeView_EnsureVisible(m_tree.m_hWnd, treeItem);
        TreeView_SelectItem(m_tree.m_hWnd, treeItem);
        TreeView_Expand(m_tree.m_hWnd, treeItem, TVE_EXPAND);
        return;
    }
    OpenCurrent();
}

__int64 DlgStructure::GetCurrentObjectId()
{
    if (m_contextObject != 0)
        return m_contextObject;
    if (TreeHasFocus()) {
        HTREEITEM selected = TreeView_GetSelection(m_tree.m_hWnd);
        if (selected) {
            TVITEMW item = {};
            item.mask = TVIF_PARAM;
            item.hItem = selected;
            TreeView_GetItem(m_tree.m_hWnd, &item);
            return static_cast<__int64>(item.lParam);
        }
    }
    if (!ListHasFocus())
        return m_lastContextObject;
    int row = ListView_GetNextItem(m_list.m_hWnd, -1, LVNI_SELECTED);
    if (row < 0)
        return m_lastContextObject;
    return reinterpret_cast<__int64>(m_list.GetRowData(row));
}

// ---- Messages ----

bool DlgStructure::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    CTWndSize::HandleMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_SIZE: {
        int cx = LOWORD(lParam), cy = HIWORD(lParam);
        if (wParam != SIZE_MINIMIZED && cx > 0 && cy > 0) {
            if (m_layoutPending)
                CreateLayout();
            LayoutBelowRebar();
            if (m_rebar.m_hWnd)
                m_rebar.SetBandWidth(m_toolbarBand, cx);
        }
        break;
    }
    case WM_WINDOWPOSCHANGING:
        if (lParam) {
            Visibility change = TrackVisibility(*reinterpret_cast<WINDOWPOS*>(lParam));
            if (change == Shown) {
                if (m_refreshPending && !m_layoutPending)
                    Refresh();
                UpdateStatusText();
            } else if (change == Hidden) {
                EndDrag();
            }
        }
        break;
    case WM_CONTEXTMENU: {
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ShowContextMenu(point);
        *result = 0;
        return true;
    }
    case WM_KEYDOWN:
        if (wParam == VK_DELETE) {
            DeleteSelection();
            *result = 0;
            return true;
        }
        break;
    case WM_MOUSEMOVE:
        if (m_dragCount) {
            POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(m_hWnd, &point);
            OnDragMove(point);
            *result = 0;
            return true;
        }
        break;
    case WM_LBUTTONUP:
        if (m_dragCount) {
            OnDrop();
            *result = 0;
            return true;
        }
        break;
    default:
        break;
    }
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

bool DlgStructure::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr)
        return false;
    if (m_toolbar.m_hWnd && hdr->hwndFrom == m_toolbar.m_hWnd) {
        if (m_toolbar.OnReflectNotify(wParam, hdr, result))
            return true;
        if (hdr->code == TBN_DROPDOWN && reinterpret_cast<NMTOOLBARW*>(hdr)->iItem == kCmdNew) {
            ShowNewMenu();
            *result = TBDDRET_DEFAULT;
            return true;
        }
        return false;
    }
    if (m_rebar.m_hWnd && hdr->hwndFrom == m_rebar.m_hWnd) {
        if (hdr->code == RBN_HEIGHTCHANGE) {
            LayoutBelowRebar();
            return true;
        }
        if (hdr->code == NM_CUSTOMDRAW && reinterpret_cast<NMCUSTOMDRAW*>(hdr)->dwDrawStage == CDDS_PREERASE) {
            auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(hdr);
            RECT rc = {};
            GetClientRect(m_rebar.m_hWnd, &rc);
            FillRect(draw->hdc, &rc, GetSysColorBrush(COLOR_BTNFACE));
            *result = CDRF_SKIPDEFAULT;
            return true;
        }
        return false;
    }
    if (m_tree.m_hWnd && hdr->hwndFrom == m_tree.m_hWnd) {
        switch (hdr->code) {
        case TVN_BEGINLABELEDITW: {
            auto* info = reinterpret_cast<NMTVDISPINFOW*>(hdr);
            m_editing = true;
            HWND edit = TreeView_GetEditControl(m_tree.m_hWnd);
            if (edit) {
                m_treeEdit.Attach(edit, true);
                if (Object* object = FindObject(static_cast<__int64>(info->item.lParam)))
                    ::SetWindowTextW(edit, object->name.GetBuffer() ? object->name.GetBuffer() : L"");
            }
            *result = FALSE;
            return true;
        }
        case TVN_ENDLABELEDITW: {
            auto* info = reinterpret_cast<NMTVDISPINFOW*>(hdr);
            *result = 0;
            // One end per edit: the tree may report the end again while its edit box goes away.
            if (!m_editing)
                return true;
            m_editing = false;
            CTString text;
            if (m_treeEdit.m_hWnd)
                GetWindowTextString(m_treeEdit.m_hWnd, text);
            else if (info->item.pszText)
                text = info->item.pszText;
            if (m_treeEdit.m_hWnd)
                m_treeEdit.Detach();
            if (info->item.pszText) {
                TVITEMW item = {};
                item.mask = TVIF_PARAM;
                item.hItem = info->item.hItem;
                TreeView_GetItem(m_tree.m_hWnd, &item);
                SendRename(static_cast<__int64>(item.lParam), text);
            }
            *result = 0;
            return true;
        }
        case TVN_ITEMEXPANDINGW: {
            auto* info = reinterpret_cast<NMTREEVIEWW*>(hdr);
            ExpandNode(info->itemNew.hItem, static_cast<__int64>(info->itemNew.lParam));
            *result = FALSE;
            return true;
        }
        case TVN_SELCHANGEDW: {
            auto* info = reinterpret_cast<NMTREEVIEWW*>(hdr);
            if (info->itemNew.hItem && (TreeView_GetItemState(m_tree.m_hWnd, info->itemNew.hItem, TVIS_SELECTED) & TVIS_SELECTED)) {
                __int64 id = static_cast<__int64>(info->itemNew.lParam);
                auto it = m_objects.find(id);
                if (it != m_objects.end() && !it->second.viewFlag)
                    TreeView_Expand(m_tree.m_hWnd, info->itemNew.hItem, TVE_EXPAND);
                ShowChildren(id);
            }
            return true;
        }
        case TVN_KEYDOWN:
            if (reinterpret_cast<NMTVKEYDOWN*>(hdr)->wVKey == VK_DELETE) {
                DeleteSelection();
                *result = 1;
                return true;
            }
            return false;
        default:
            return false;
        }
    }
    if (m_list.m_hWnd && hdr->hwndFrom == m_list.m_hWnd) {
        // Counted before the list frees the row of a deleted item.
        if (hdr->code == LVN_DELETEITEM) {
            auto* info = reinterpret_cast<NMLISTVIEW*>(hdr);
            if (ListView_GetItemState(m_list.m_hWnd, info->iItem, LVIS_SELECTED) & LVIS_SELECTED)
                --m_selectedCount;
            --m_itemCount;
            UpdateStatusText();
        }
        if (m_list.OnParentNotify(hdr, result))
            return true;
        switch (hdr->code) {
        case CTListCtrlReportEx::CodeDelete:
            DeleteSelection();
            return true;
        case CTListCtrlReportEx::CodeActivate:
            OpenRow(reinterpret_cast<NMITEMACTIVATE*>(hdr)->iItem);
            *result = 1;
            return true;
        case NM_DBLCLK:
            OpenRow(reinterpret_cast<NMITEMACTIVATE*>(hdr)->iItem);
            *result = 1;
            return true;
        case LVN_ENDLABELEDITW: {
            auto* info = reinterpret_cast<NMLVDISPINFOW*>(hdr);
            if (info->item.pszText)
                RenameFromList(reinterpret_cast<__int64>(m_list.GetRowData(info->item.iItem)),
                               CTString(info->item.pszText));
            *result = FALSE;
            return true;
        }
        case LVN_BEGINDRAG:
            BeginDrag(*reinterpret_cast<NMLISTVIEW*>(hdr));
            return true;
        case LVN_INSERTITEM:
            ++m_itemCount;
            UpdateStatusText();
            return true;
        case LVN_ITEMCHANGED: {
            auto* info = reinterpret_cast<NMLISTVIEW*>(hdr);
            if (info->uChanged & LVIF_STATE) {
                bool was = (info->uOldState & LVIS_SELECTED) != 0, is = (info->uNewState & LVIS_SELECTED) != 0;
                if (is && !was)
                    ++m_selectedCount;
                else if (was && !is)
                    --m_selectedCount;
                if (is != was)
                    UpdateStatusText();
            }
            return true;
        }
        case NM_KILLFOCUS:
            EndDrag();
            return false;
        default:
            return false;
        }
    }
    return false;
}

bool DlgStructure::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    switch (LOWORD(wParam)) {
    case kCmdNew:
        ShowNewMenu();
        break;
    case kCmdImport:
        if (App* app = GetApp())
            app->m_windows.OpenWindow(kImportWindowType, 0, reinterpret_cast<INT_PTR>(GetOwnerHwnd()));
        break;
    case kCmdCut:
        CopyToClipboard(true);
        break;
    case kCmdCopy:
        CopyToClipboard(false);
        break;
    case kCmdPaste:
        Paste();
        break;
    case kCmdDelete:
        DeleteSelection();
        break;
    case kCmdProperties:
        OpenCurrent();
        break;
    case kCmdRename:
        if (TreeHasFocus()) {
            HTREEITEM selected = TreeView_GetSelection(m_tree.m_hWnd);
            if (selected)
                TreeView_EditLabel(m_tree.m_hWnd, selected);
        } else if (ListHasFocus()) {
            int row = ListView_GetNextItem(m_list.m_hWnd, -1, LVNI_SELECTED);
            if (row >= 0)
                ListView_EditLabel(m_list.m_hWnd, row);
        }
        break;
    default:
        return false;
    }
    *result = 0;
    return true;
}

// ---- Replies ----

void DlgStructure::OnReply(RequestResult& result)
{
    bool transportError = result.resultCode != 0;
    bool error = StructureReply::IsError(result);
    switch (result.route.requestId) {
    case kReqIcon:
        OnIconArrived(static_cast<int>(result.route.param2));
        break;
    case kReqAllowedChild:
        if (!transportError) {
            m_allowedChild.ReadFromXml(CTString(L"allowed"), &result.document);
            m_typeLabels.clear();
            // Texts made before the table arrived carry an empty label.
            RebuildTreeTexts();
        }
        break;
    case kReqSearch:
        if (!error) {
            TiXmlElement* single = StructureReply::Result(result.document);
            single = single ? single->FirstChildElementNamed(L"object") : nullptr;
            // A reply of one object that is not a children search (no PARENT) merges that object.
            if (single && !StructureReply::HasParameter(result.document, L"PARENT")) {
                Object object;
                object.ReadFromXml(single, true);
                if (NavigationFlags(object) & 3)
                    MergeObject(object);
            } else {
                ReadChildren(result.document);
            }
        }
        break;
    case kReqNew:
    case kReqRename:
        if (!error)
            ReadChildren(result.document);
        break;
    case kReqCopy:
        if (!transportError)
            OnCopyReply(result);
        break;
    case kReqMove:
        if (!transportError)
            OnMoveReply(result);
        break;
    case kReqDelete:
        OnDeleteReply(result);
        break;
    default:
        break;
    }
}

// The structure editor's menus (context menu and the toolbar's "New"), creating objects and
// deleting them.
#include "structure/DlgStructure.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "framework/CTApp.h"
#include "framework/CTMenu.h"
#include "framework/CTWndMessageBox.h"
#include "lists/DlgSelectName.h"
#include "session/RequestResult.h"
#include "structure/StructureReply.h"

namespace {

int NavigationOf(const Object& definition)
{
    CAttribute value;
    definition.GetAttribute(value, CTString(L"console_setup_navigation"));
    return static_cast<int>(StructureReply::CellNumber(value));
}

HMODULE MenuModule()
{
    HMODULE module = CTApp::Instance() ? CTApp::Instance()->FindResourceModule(RT_MENU, MAKEINTRESOURCEW(DlgStructure::kMenu))
                                       : nullptr;
    return module ? module : GetModuleHandleW(nullptr);
}

bool RenameAllowed(const CTString& typeName)
{
    for (const wchar_t* name : {L"OU", L"Schedule Group", L"Asset Location", L"Site"})
        if (typeName.Compare(name) == 0)
            return true;
    return false;
}

} // namespace

void DlgStructure::FillNewMenu(__int64 parentType, HMENU popup, NewItems& items, UINT& nextId)
{
    __int64 previous = 0;
    int rows = static_cast<int>(m_allowedChild.rows.GetCount());
    for (int row = 0; row < rows && nextId <= static_cast<UINT>(kLastNewItem); ++row) {
        CAttribute cell0, cell1, cell2, cell3;
        if (!m_allowedChild.GetCell(row, 0, cell0))
            break;
        m_allowedChild.GetCell(row, 1, cell1);
        m_allowedChild.GetCell(row, 2, cell2);
        m_allowedChild.GetCell(row, 3, cell3);
        __int64 current = StructureReply::CellNumber(cell0);
        __int64 count = StructureReply::CellNumber(cell2);
        __int64 child = StructureReply::CellNumber(cell3);

        Object childDefinition, parentDefinition;
        if (m_owner) {
            // A type without rows of its own has no label: its definition is found by number.
            CTString childLabel(GetTypeLabel(child));
            if (childLabel.IsEmpty())
                m_owner->GetTypeById(childDefinition, child);
            else
                m_owner->GetTypeByName(childDefinition, childLabel);
            m_owner->GetTypeByName(parentDefinition, CTString(GetTypeLabel(current)));
        }
        if (current == parentType && (NavigationOf(childDefinition) & 3)) {
            AppendMenuW(popup, MF_STRING, nextId,
                        childDefinition.name.GetBuffer() ? childDefinition.name.GetBuffer() : L"");
            items[nextId].type = child;
            ++nextId;
            previous = current;
        }
        if (nextId > static_cast<UINT>(kLastNewItem))
            break;
        if (current != previous && parentType == 0 && count > 0 && NavigationOf(parentDefinition) != 0) {
            AppendMenuW(popup, MF_STRING, nextId, cell1.GetText());
            items[nextId].type = current;
            ++nextId;
            previous = current;
        }
    }
}

void DlgStructure::ShowContextMenu(POINT point)
{
    bool keyboard = point.x == -1 && point.y == -1;
    __int64 contextType = 0;
    CTString contextTypeName;
    auto takeContext = [&](__int64 id) {
        m_lastContextObject = m_contextObject = id;
        if (Object* object = FindObject(id)) {
            contextType = object->type;
            contextTypeName = TypeName(contextType);
        }
    };

    if (TreeHasFocus()) {
        HTREEITEM item = nullptr;
        if (keyboard) {
            item = TreeView_GetSelection(m_tree.m_hWnd);
            RECT rc = {};
            if (item && TreeView_GetItemRect(m_tree.m_hWnd, item, &rc, TRUE)) {
                int h = rc.bottom - rc.top;
                point = {rc.left + h / 2, rc.top + h / 2};
            } else {
                point = {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
            }
            ClientToScreen(m_tree.m_hWnd, &point);
        } else {
            TVHITTESTINFO hit = {};
            hit.pt = point;
            ScreenToClient(m_tree.m_hWnd, &hit.pt);
            item = TreeView_HitTest(m_tree.m_hWnd, &hit);
            if (!(hit.flags & TVHT_ONITEM))
                item = nullptr;
        }
        if (item) {
            TVITEMW data = {};
            data.mask = TVIF_PARAM;
            data.hItem = item;
            TreeView_GetItem(m_tree.m_hWnd, &data);
            takeContext(static_cast<__int64>(data.lParam));
        }
    } else if (ListHasFocus()) {
        int row = -1;
        if (keyboard) {
            row = ListView_GetNextItem(m_list.m_hWnd, -1, LVNI_SELECTED);
            RECT rc = {};
            if (row >= 0 && ListView_GetItemRect(m_list.m_hWnd, row, &rc, LVIR_BOUNDS)) {
                int h = rc.bottom - rc.top;
                point = {rc.left + h / 2, rc.top + h / 2};
            } else {
                point = {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
            }
            ClientToScreen(m_list.m_hWnd, &point);
        } else {
            LVHITTESTINFO hit = {};
            hit.pt = point;
            ScreenToClient(m_list.m_hWnd, &hit.pt);
            row = ListView_HitTest(m_list.m_hWnd, &hit);
        }
        takeContext(row >= 0 ? reinterpret_cast<__int64>(m_list.GetRowData(row)) : m_listedNode);
    }

    CTMenu menu;
    if (!menu.Load(MenuModule(), MAKEINTRESOURCEW(kMenu))) {
        m_contextObject = 0;
        return;
    }
    HMENU popup = GetSubMenu(menu.m_menu, 0);
    HMENU newPopup = popup ? GetSubMenu(popup, 0) : nullptr;
    NewItems items;
    UINT nextId = kFirstNewItem;
    if (newPopup)
        FillNewMenu(contextType, newPopup, items, nextId);
    if (items.empty() && popup)
        EnableMenuItem(popup, 0, MF_BYPOSITION | MF_GRAYED);
    if (!RenameAllowed(contextTypeName)) {
        EnableMenuItem(menu.m_menu, kCmdRename, MF_BYCOMMAND | MF_GRAYED);
        if (contextType == 0)
            for (UINT command : {kCmdCut, kCmdCopy, kCmdDelete, kCmdProperties})
                EnableMenuItem(menu.m_menu, command, MF_BYCOMMAND | MF_GRAYED);
    }
    DeleteMenu(menu.m_menu, kCmdPlaceholder, MF_BYCOMMAND);
    menu.SetImagesFromToolbar(m_toolbar.m_hWnd);
    menu.MakeOwnerDrawn();
    UINT command = menu.Track(true, TPM_RETURNCMD | TPM_NONOTIFY, point.x, point.y, m_tree.m_hWnd);

    if (command >= static_cast<UINT>(kFirstNewItem) && command <= static_cast<UINT>(kLastNewItem)) {
        auto it = items.find(command);
        if (it != items.end())
            NewObject(it->second.type, m_contextObject);
    } else if (command != 0) {
        LRESULT ignored = 0;
        OnCommand(command, 0, &ignored);
    }
    m_contextObject = 0;
}

void DlgStructure::ShowNewMenu()
{
    RECT rc = {};
    int index = static_cast<int>(m_toolbar.SendMessage(TB_COMMANDTOINDEX, kCmdNew));
    m_toolbar.SendMessage(TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc));
    MapWindowPoints(m_toolbar.m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);

    CTMenu menu;
    if (!menu.CreatePopup())
        return;
    __int64 type = 0;
    if (Object* listed = FindObject(m_listedNode))
        type = listed->type;
    NewItems items;
    UINT nextId = kFirstNewItem;
    FillNewMenu(type, menu.m_menu, items, nextId);
    menu.MakeOwnerDrawn();
    UINT command = menu.Track(false, TPM_RETURNCMD | TPM_NONOTIFY, rc.left, rc.bottom, m_hWnd);
    auto it = items.find(command);
    if (it != items.end())
        NewObject(it->second.type, GetCurrentObjectId());
}

void DlgStructure::NewObject(__int64 type, __int64 parent)
{
    // -1: no node to create below (nothing listed, nothing chosen).
    if (parent < 0)
        return;
    // The name prompt belongs to the main window.
    DlgSelectName prompt;
    if (!prompt.Run(GetOwnerHwnd() ? GetOwnerHwnd() : m_hWnd))
        return;
    App* app = GetApp();
    if (!app)
        return;
    Object definition;
    if (m_owner)
        m_owner->GetTypeById(definition, type);
    CAttributes fields;
    CTString nameKey(L"name");
    if (definition.HasAttribute(nameKey)) {
        definition.SetAttribute(nameKey, CAttribute(prompt.m_name));
        definition.CollectChanges(fields, true);
    }
    __int64 typeNumber = definition.type != 0 ? definition.type : type;
    app->m_db.ObjNew(static_cast<unsigned>(typeNumber), static_cast<unsigned>(parent), prompt.m_name, fields,
                     CAttributes(), Route(kReqNew));
}

void DlgStructure::DeleteSelection()
{
    App* app = GetApp();
    if (!app)
        return;
    if (TreeHasFocus() || (!ListHasFocus() && m_contextObject != 0)) {
        __int64 id = GetCurrentObjectId();
        // Nothing chosen (empty tree space, no selection): nothing to delete.
        Object* object = id > 0 ? FindObject(id) : nullptr;
        if (!object)
            return;
        const CTString& typeName = TypeName(object->type);
        CTString caption, text;
        caption.FormatResource(kStrDeleteCaption, typeName.GetBuffer() ? typeName.GetBuffer() : L"");
        text.FormatResource(kStrDeleteText, typeName.GetBuffer() ? typeName.GetBuffer() : L"",
                            object->name.GetBuffer() ? object->name.GetBuffer() : L"");
        CAttribute image;
        object->GetAttribute(image, CTString(L"tree_image"));
        HICON icon = app->GetIcon(1, image.GetString(), Route(kReqIcon));
        unsigned serial = static_cast<unsigned>(object->serial);
        CTWndMessageBox box(m_hWnd, GetModuleHandleW(nullptr), text.GetBuffer(), caption.GetBuffer(), 10, icon, nullptr);
        if (box.Run() == 21)
            app->m_db.ObjDelete(static_cast<unsigned>(id), serial, Route(kReqDelete, true));
        return;
    }
    if (!ListHasFocus())
        return;
    std::vector<__int64> ids = SelectedRowIds();
    if (ids.empty())
        return;
    CTString caption, text;
    HICON icon = nullptr;
    if (ids.size() == 1) {
        Object* object = FindObject(ids[0]);
        CTString typeName = object ? TypeName(object->type) : CTString();
        CTStringLocale name(object ? object->name : CTString());
        const wchar_t* user = name.GetUserText();
        caption.FormatResource(kStrDeleteCaption, typeName.GetBuffer() ? typeName.GetBuffer() : L"");
        text.FormatResource(kStrDeleteText, typeName.GetBuffer() ? typeName.GetBuffer() : L"", user ? user : L"");
        if (object) {
            CAttribute image;
            object->GetAttribute(image, CTString(L"tree_image"));
            icon = app->GetIcon(1, image.GetString(), Route(kReqIcon));
        }
    } else {
        caption.FormatResource(kStrDeleteManyCaption, L"Item");
        text.FormatResource(kStrDeleteManyText, static_cast<int>(ids.size()));
    }
    CTWndMessageBox box(m_hWnd, GetModuleHandleW(nullptr), text.GetBuffer(), caption.GetBuffer(), MB_ICONQUESTION | 10,
                        icon, nullptr);
    if (box.Run() != 21)
        return;
    for (__int64 id : ids) {
        Object* object = FindObject(id);
        app->m_db.ObjDelete(static_cast<unsigned>(id), object ? static_cast<unsigned>(object->serial) : 0,
                            Route(kReqDelete, true));
    }
}

void DlgStructure::RemoveObjects(TiXmlDocument& document)
{
    TiXmlElement* result = StructureReply::Result(document);
    if (!result)
        return;
    for (TiXmlElement* element = result->FirstChildElementNamed(L"object"); element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object object;
        object.ReadFromXml(element, true);
        RemoveObject(object.id);
    }
    UpdateStatusText();
}

void DlgStructure::OnDeleteReply(RequestResult& result)
{
    if (!StructureReply::IsError(result)) {
        RemoveObjects(result.document);
        return;
    }
    HWND owner = GetOwnerHwnd() ? GetOwnerHwnd() : m_hWnd;
    CTString text(result.statusText);
    if (result.returnCode == kReturnConflict) {
        TiXmlElement* root = StructureReply::Result(result.document);
        TiXmlElement* rc = root ? root->FirstChildElementNamed(L"RC") : nullptr;
        // The reply processing may have put the conflict line into the status text already.
        if (rc && text.Find(CTString(L"\r\nConflict ID: ")) < 0) {
            int conflict = 0;
            rc->GetAttributeInt(L"conflictid", &conflict);
            CTString line;
            line.Format(L"\r\nConflict ID: %d", conflict);
            text.Append(line);
        }
        CTWndMessageBox box;
        box.Show(owner, GetModuleHandleW(nullptr), text.GetBuffer() ? text.GetBuffer() : L"", L"Delete Error",
                 MB_OK | MB_ICONERROR);
        return;
    }
    if (text.IsEmpty()) {
        TiXmlElement* root = StructureReply::Result(result.document);
        TiXmlElement* error = root ? root->FirstChildElementNamed(L"error") : nullptr;
        TiXmlNode* first = error ? error->FirstChild() : nullptr;
        if (first && first->GetType() == TiXmlNode::TEXT)
            text = first->Value();
    }
    CTWndMessageBox box;
    box.Show(owner, GetModuleHandleW(nullptr), text.GetBuffer() ? text.GetBuffer() : L"", L"System Error",
             MB_OK | MB_ICONERROR);
}

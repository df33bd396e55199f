#include "lists/ObjectList.h"
#include "foundation/CAttributes.h"
#include "foundation/CTTokenString.h"
#include "foundation/TiXmlDocument.h"
#include <algorithm>
#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "lists/ListRowSaver.h"
#include "lists/ObjectListChoices.h"
#include "controls/CTListCtrlEdit.h"
#include "controls/CTListCtrlReportEx.h"
#include "framework/CTApp.h"
#include "controls/CTListCtrlReport.h"

namespace {
TiXmlElement* FirstResult(TiXmlDocument& doc)
{
    TiXmlElement* root = doc.RootElement();
    if (!root)
        return nullptr;
    return lstrcmpW(root->Value(), L"result") == 0 ? root : root->FirstChildElementNamed(L"result");
}
} // namespace

void ObjectList::SetType(const Object& type, const MainWindowCache* subtypesFrom)
{
    types.clear();
    types.push_back(type);
    if (subtypesFrom)
        for (const Object& definition : subtypesFrom->types)
            if (definition.type != type.type &&
                (definition.parent == type.type || subtypesFrom->IsSubtypeOf(definition.parent, type.type)))
                types.push_back(definition);
    CAttribute list;
    type.GetAttribute(list, L"console_edit_attribs");
    ParseEditAttribs(MapColumnName(CTString(list.GetText())), columns);
    columnNames.assign(1, CTString());
    for (const ObjectListColumn& column : columns)
        columnNames.push_back(column.name);
}

void ObjectList::SetType(CTListCtrlReport& report, const Object& type, bool withSubtypes)
{
    App* app = App::Instance();
    const MainWindowCache* cache = withSubtypes && app && app->m_mainWindow ? &app->m_mainWindow->m_cache : nullptr;
    SetType(type, cache);
    SetReportColumns(report);
}

void ObjectList::Clear()
{
    ClearRows();
    pendingValues.clear();
    types.clear();
    columnNames.clear();
    columns.clear();
}

ObjectList::Row& ObjectList::AddRow(const Object& object, int operation)
{
    Row& row = rows.emplace_back();
    row.object = object;
    row.operation = operation;
    row.dirty = operation == OpNone ? 0 : 1;
    m_rowSet.insert(&row);
    if (!m_rowByIdStale)
        m_rowById.emplace(row.object.id, &row);   // an earlier row of the same id stays first
    return row;
}

void ObjectList::RemoveRow(const Row* row)
{
    std::erase_if(pendingValues, [&](const PendingValue& p) { return p.row == row; });
    m_rowSet.erase(row);
    if (m_unanswered == row)
        m_unanswered = nullptr;
    auto held = m_rowById.find(row->object.id);
    if (held != m_rowById.end() && held->second == row)
        m_rowByIdStale = true;   // a later row of the same id may take its place
    rows.remove_if([&](const Row& r) { return &r == row; });
}

void ObjectList::ClearRows()
{
    rows.clear();
    m_rowSet.clear();
    m_rowById.clear();
    m_rowByIdStale = false;
    m_unanswered = nullptr;
}

void ObjectList::RemoveRowsIf(const std::function<bool(const Row&)>& test)
{
    std::vector<const Row*> dropped;
    for (const Row& row : rows)
        if (test(row))
            dropped.push_back(&row);
    for (const Row* row : dropped)
        RemoveRow(row);
}

ObjectList::Row* ObjectList::FindRowById(__int64 id) const
{
    if (m_rowByIdStale) {
        m_rowById.clear();
        for (const Row& row : rows)
            m_rowById.emplace(row.object.id, const_cast<Row*>(&row));
        m_rowByIdStale = false;
    }
    auto held = m_rowById.find(id);
    return held != m_rowById.end() ? held->second : nullptr;
}

void ObjectList::SetRowId(Row& row, __int64 id)
{
    if (row.object.id == id)
        return;
    auto held = m_rowById.find(row.object.id);
    if (held != m_rowById.end() && held->second == &row)
        m_rowByIdStale = true;
    row.object.id = id;
    if (!m_rowByIdStale)
        m_rowByIdStale = !m_rowById.emplace(id, &row).second;   // whichever row comes first keeps the id
}

ObjectList::Row& ObjectList::AddNewRow(const Object& templateObject) { return AddRow(templateObject, OpNew); }

std::vector<ObjectListCell> ObjectList::BuildRowCells(Row& row, std::vector<__int64>& ids)
{
    std::vector<ObjectListCell> cells;
    if (types.empty())
        return cells;
    cells.resize(columns.size() + 1);
    for (size_t k = 0; k < columns.size(); ++k) {
        ObjectListCell& cell = cells[k + 1];
        BuildObjectListCell(row.object, columns[k], cell,
                            [&](const CTString& name, CTString& spec) { OnLinkColumn(row.object, name, spec); });
        if (cell.pending)
            pendingValues.push_back({row.object.id, columns[k].name, static_cast<int>(k + 1), CAttribute(), &row});
        if (cell.linkId != 0)
            ids.push_back(cell.linkId);
    }
    if (!filling && !pendingValues.empty())
        RequestPendingValues();
    return cells;
}

void ObjectList::FillRows(std::vector<__int64>& ids)
{
    filling = true;
    for (Row& row : rows) {
        BuildRowCells(row, ids);
        if (pendingValues.size() > kPendingBatch)
            RequestPendingValues();
    }
    filling = false;
    if (!pendingValues.empty())
        RequestPendingValues();
}

void ObjectList::SetCellValue(Row& row, int column, const CAttribute& value)
{
    if (!IsRow(&row) || column <= 0 || column >= static_cast<int>(columnNames.size()))
        return;
    const CTString& name = columnNames[column];
    if (name.Equals(L"Name"))
        row.object.name = CTString(value.GetText());
    else
        row.object.SetAttribute(name, value);
    if (row.operation == OpNone)
        row.operation = OpChanged;
    row.dirty = 1;
}

void ObjectList::DeleteRow(Row& row)
{
    if (!IsRow(&row))
        return;
    if (row.operation == OpNew) {
        RemoveRow(&row);
        return;
    }
    if (row.operation != OpDelete) {
        row.operation = OpDelete;
        row.dirty = 1;
    }
}

void ObjectList::SetAttributeForId(__int64 id, int attributeId, const CAttribute& value)
{
    if (Row* row = FindRowById(id)) {
        row->object.SetAttributeById(attributeId, value);
        row->operation = OpChanged;
        row->dirty = 1;
    }
}

Object& ObjectList::GetRowObject(Object& out, __int64 id) const
{
    const Row* row = FindRowById(id);
    out = row ? row->object : Object();
    return out;
}

bool ObjectList::IsRow(const Row* row) const
{
    return row && m_rowSet.count(row) != 0;
}

CTString ObjectList::RowIconName(const Object& object)
{
    CAttribute image;
    object.GetAttribute(image, L"tree_image");
    if (!image.GetString().IsEmpty())
        return image.GetString();
    wchar_t number[16];
    _snwprintf(number, 16, L"%d", kDefaultIcon);
    number[15] = 0;
    return CTString(number);
}

bool ObjectList::SaveNextRow(DB& db, int parent, RequestRoute route)
{
    for (Row& row : rows) {
        if (!row.dirty || row.operation == OpNone)
            continue;
        route.param2 = reinterpret_cast<__int64>(&row);
        row.dirty = 0;
        m_unanswered = &row;
        const ListRowSaver::Kind kind = row.operation == OpDelete ? ListRowSaver::Remove
                                        : row.operation == OpNew  ? ListRowSaver::Create
                                                                  : ListRowSaver::Change;
        ListRowSaver::Send(db, row.object, kind, parent, route);
        return true;
    }
    return false;
}

bool ObjectList::OnSaveReply(TiXmlDocument& reply, Row* row)
{
    if (row == m_unanswered)
        m_unanswered = nullptr;
    if (IsRow(row)) {
        TiXmlElement* result = FirstResult(reply);
        auto confirm = [row] {
            // Edits made while the request was out are still to be sent with the row.
            if (row->dirty)
                return;
            CAttributes ignored;
            row->object.CollectChanges(ignored, true);
            row->object.CollectPrivilegeChanges(ignored);
        };
        switch (row->operation) {
        case OpNew: {
            TiXmlElement* insertId = result ? result->FirstChildElementNamed(L"insert_id") : nullptr;
            const TiXmlNode* text = insertId ? insertId->FirstChild() : nullptr;
            confirm();
            if (text && text->GetType() == TiXmlNode::TEXT) {
                SetRowId(*row, ReadDecimal64(text->Value()));
                for (TiXmlElement* element = result->FirstChildElementNamed(L"object"); element;
                     element = element->NextSiblingElementNamed(L"object")) {
                    Object read;
                    read.ReadFromXml(element, true);
                    if (read.id == row->object.id) {
                        row->object.ReadFromXml(element, true);
                        NotifyChanged(OpNew, &row->object);
                        break;
                    }
                }
            }
            row->operation = row->dirty ? OpChanged : OpNone;
            break;
        }
        case OpDelete:
            NotifyChanged(OpDelete, &row->object);
            RemoveRow(row);
            break;
        case OpChanged: {
            TiXmlElement* element = result ? result->FirstChildElementNamed(L"object") : nullptr;
            confirm();
            if (element && !row->dirty) {
                const __int64 id = row->object.id;
                row->object.ReadFromXml(element, true);
                const __int64 read = row->object.id;
                row->object.id = id;
                SetRowId(*row, read);
                NotifyChanged(OpChanged, &row->object);
            }
            if (!row->dirty)
                row->operation = OpNone;
            break;
        }
        default:
            break;
        }
    }
    for (const Row& held : rows)
        if (held.operation != OpNone)
            return false;
    return true;
}

void ObjectList::ResendUnanswered()
{
    if (Row* row = GetUnanswered(); row && row->operation != OpNone)
        row->dirty = 1;
    m_unanswered = nullptr;
}

void ObjectList::OnSaveFailed(Row* row)
{
    if (row == m_unanswered)
        m_unanswered = nullptr;
    if (IsRow(row) && row->operation != OpNone)
        row->dirty = 1;
}

void ObjectList::OnPathReply(TiXmlDocument& reply, const std::function<void(Row&, int, const CTString&)>& cellText)
{
    TiXmlElement* result = FirstResult(reply);
    if (types.empty() || !result)
        return;
    // Items as written: a starred item keeps its star and so never names a link shown by path.
    CAttribute list;
    types.front().GetAttribute(list, L"console_edit_attribs");
    CTTokenString items(MapColumnName(CTString(list.GetText())));
    items.SetSeparators(L"|", 0);
    std::vector<CTString> names;
    CTString item;
    for (unsigned i = 0; items.GetToken(i, item) && !item.IsEmpty(); ++i)
        names.push_back(item);
    for (TiXmlElement* value = result->FirstChildElementNamed(L"value"); value;
         value = value->NextSiblingElementNamed(L"value")) {
        int64_t id = 0;
        value->GetAttributeInt64(L"ID", &id);
        if (id == 0)
            continue;
        const wchar_t* path = value->GetAttribute(L"path");
        const wchar_t* last = path ? wcsrchr(path, L'\\') : nullptr;
        CTString text(last ? last + 1 : (path ? path : L""));
        for (Row& row : rows)
            for (size_t k = 0; k < names.size(); ++k) {
                const Object::Attribute* attribute = row.object.FindAttribute(names[k]);
                if (attribute && (attribute->flags & Object::Attribute::Link) && attribute->GetValue() == id)
                    cellText(row, static_cast<int>(k + 1), text);
            }
    }
}

void ObjectList::FillChoicesFromSpec(const CTString& listName, CTListCtrlEdit::Choices& choices)
{
    ::FillChoicesFromSpec(listName, nullptr, choices);
    CTString typeName = LinkedTypeOfSpec(listName);
    if (!typeName.IsEmpty())
        FillChoices(listName, typeName, choices);
}

void ObjectList::FillChoices(const CTString& /*listName*/, const CTString& typeName, CTListCtrlEdit::Choices& choices)
{
    choices[0] = L" ";
    auto fill = [&](const ObjectListChoiceSource& source) {
        source.ForEachSettingsObjectOfType(typeName, [&](const Object& object) {
            choices[static_cast<unsigned>(object.id)] = object.name;
        });
    };
    if (choiceSource) {
        fill(*choiceSource);
        return;
    }
    App* app = App::Instance();
    if (app && app->m_mainWindow)
        fill(ObjectListCacheChoices(app->m_mainWindow->m_cache, app->m_dir));
}

void ObjectList::SetObjects(CTListCtrlReport& report, CTListCtrlEdit& editor, const std::vector<Object>& objects,
                            std::vector<__int64>& ids)
{
    pendingValues.clear();
    report.DeleteAllRows();
    editor.RemoveAllRows();
    ClearRows();
    for (const Object& object : objects)
        if (std::any_of(types.begin(), types.end(), [&](const Object& type) { return type.type == object.type; }))
            AddRow(object);
    FillReport(report, editor, ids);
}

int ObjectList::AddNewRowOfType(CTListCtrlReport& report, CTListCtrlEdit& editor, std::vector<__int64>& ids)
{
    if (types.empty())
        return -1;
    const Object templateObject = types.front();
    return AddNewRow(report, editor, templateObject, ids);
}

void ObjectList::SetReportColumns(CTListCtrlReport& report)
{
    CTString spec(L" ,24");
    for (size_t k = 1; k < columnNames.size(); ++k) {
        const CTString& name = columnNames[k];
        auto caption = captions.find(std::wstring(name.GetBuffer() ? name.GetBuffer() : L""));
        spec.AppendText(L";");
        spec.Append(caption != captions.end() ? caption->second : name);
        spec.AppendText(L",100");
    }
    report.SetColumns(spec, 0, nullptr, nullptr);
    // The type's own icon is in the report's images before any row asks for it; a type without
    // one shows the default item icon, kept under key 0 for the rows without an icon.
    if (types.empty())
        return;
    CAttribute image;
    types.front().GetAttribute(image, L"tree_image");
    if (!image.GetString().IsEmpty()) {
        RowImage(report, types.front());
        return;
    }
    CTApp* ctapp = CTApp::Instance();
    HMODULE module = ctapp ? ctapp->FindResourceModule(RT_GROUP_ICON, MAKEINTRESOURCEW(kDefaultIcon)) : nullptr;
    if (!module)
        module = GetModuleHandleW(nullptr);
    HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(kDefaultIcon), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                               LR_DEFAULTCOLOR));
    if (icon) {
        report.AddImageForKey(icon, 0);
        DestroyIcon(icon);
    }
}

int ObjectList::RowImage(CTListCtrlReport& report, const Object& object)
{
    return ReportImage(report, object, ownerRoute);
}

int ObjectList::ReportImage(CTListCtrlReport& report, const Object& object, const RequestRoute& route)
{
    CAttribute image;
    object.GetAttribute(image, L"tree_image");
    CTString name(image.GetString());
    App* app = App::Instance();
    if (name.IsEmpty())
        return report.HasImageForKey(0) ? report.GetImageForKey(0) : 0;
    if (!app)
        return 0;
    int index = app->FindIcon(name);
    if (index < 0)
        index = app->AddIcon(name, route);
    if (index < 0)
        return 0;
    if (report.HasImageForKey(index) && report.GetImageForKey(index) != 0)
        return report.GetImageForKey(index);
    HICON icon = app->GetIcon(0, name, route);
    if (!icon)
        return 0;
    report.AddImageForKey(icon, index);
    DestroyIcon(icon);
    return report.GetImageForKey(index);
}

HICON ObjectList::ReplaceArrivedIcon(CTListCtrlReport& report, int index)
{
    App* app = App::Instance();
    if (!app || !report.HasImageForKey(index))
        return nullptr;
    HICON icon = ImageList_GetIcon(app->m_smallImages, index, ILD_TRANSPARENT);
    if (!icon)
        return nullptr;
    report.ReplaceImage(icon, report.GetImageForKey(index));
    if (report.m_hWnd)
        InvalidateRect(report.m_hWnd, nullptr, FALSE);
    return icon;
}

int ObjectList::UpdateRowItem(CTListCtrlReport& report, CTListCtrlEdit& editor, Row& row, std::vector<__int64>& ids)
{
    if (types.empty())
        return -1;
    const bool wasFilling = filling;
    filling = true;   // pending values are requested once the item is in place
    std::vector<ObjectListCell> cells = BuildRowCells(row, ids);
    filling = wasFilling;
    CTListCtrlReport::Row shown(&row);
    CTListCtrlEdit::Row editable(&row);
    shown.AddText(CTString());
    editable.AddCell((flags & 1) ? CTListCtrlEdit::KindCheck : CTListCtrlEdit::KindReadOnly);
    std::vector<int> readOnly = readOnlyColumns;
    for (size_t k = 1; k < cells.size(); ++k) {
        const ObjectListCell& cell = cells[k];
        shown.AddAttribute(cell.value);
        editable.AddCell(cell.editor);
        if (cell.editor == CTListCtrlEdit::KindChoice)
            editable.SetText(cell.choiceList);
        else
            editable.SetValue(cell.value);
        if (cell.readOnly)
            readOnly.push_back(static_cast<int>(k));
    }
    int image = RowImage(report, row.object);
    int item = report.FindRowByData(&row);
    if (item < 0) {
        report.AddRow(image, shown);
        editor.AddRow(editable);
        item = report.FindRowByData(&row);
    } else {
        report.UpdateRow(item, image, shown);
        editor.UpdateRow(item, editable);
        item = report.FindRowByData(&row);
    }
    for (int column : readOnly)
        editor.SetReadOnly(&row, column, true);
    if (!filling && !pendingValues.empty())
        RequestPendingValues();
    return item;
}

void ObjectList::FillReport(CTListCtrlReport& report, CTListCtrlEdit& editor, std::vector<__int64>& ids)
{
    filling = true;
    HWND hwnd = report.m_hWnd;
    if (hwnd)
        SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
    report.EnableAutoSort(false);
    for (Row& row : rows) {
        UpdateRowItem(report, editor, row, ids);
        if (pendingValues.size() > kPendingBatch)
            RequestPendingValues();
    }
    if (!rows.empty())
        report.FitColumnsToContent();
    report.EnableAutoSort(true);   // sorts once by the report's sort column
    if (hwnd) {
        SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    filling = false;
    if (!pendingValues.empty())
        RequestPendingValues();
}

void ObjectList::FillFromSearch(CTListCtrlReport& report, CTListCtrlEdit& editor, TiXmlDocument& reply,
                                std::vector<__int64>& ids)
{
    pendingValues.clear();
    report.DeleteAllRows();
    editor.RemoveAllRows();
    ClearRows();
    if (TiXmlElement* result = FirstResult(reply))
        for (TiXmlElement* element = result->FirstChildElementNamed(L"object"); element;
             element = element->NextSiblingElementNamed(L"object")) {
            Object object;
            object.ReadFromXml(element, true);
            AddRow(object);
        }
    OnSearchFilled();
    FillReport(report, editor, ids);
}

int ObjectList::UpdateObject(CTListCtrlReport& report, CTListCtrlEdit& editor, const Object& object,
                             std::vector<__int64>& ids)
{
    if (Row* row = FindRowById(object.id)) {
        row->object = object;
        return UpdateRowItem(report, editor, *row, ids);
    }
    return UpdateRowItem(report, editor, AddRow(object), ids);
}

bool ObjectList::StoreEditedValue(CTListCtrlReport& report, int item, int column, const CAttribute* value)
{
    auto* row = static_cast<Row*>(report.GetRowData(item));
    if (!value || !IsRow(row))
        return false;
    SetCellValue(*row, column, *value);
    return true;
}

void ObjectList::UpdateSavedObject(CTListCtrlReport& report, CTListCtrlEdit& editor, const Object* object,
                                   __int64 folder, std::vector<__int64>& ids)
{
    if (object && folder != 0 && object->parent == folder)
        UpdateObject(report, editor, *object, ids);
}

void ObjectList::UpdateFromCache(CTListCtrlReport& report, CTListCtrlEdit& editor, const std::list<__int64>& changed,
                                 std::vector<__int64>& ids)
{
    App* app = App::Instance();
    if (!app)
        return;
    for (__int64 id : changed) {
        Row* row = id != 0 ? FindRowById(id) : nullptr;
        if (!row || row->operation != OpNone || row->dirty)
            continue;
        const Object* cached = app->m_dir.Lookup(id);
        if (!cached || cached->id != id)
            continue;
        row->object = *cached;
        UpdateRowItem(report, editor, *row, ids);
    }
}

void ObjectList::UpdateFromReply(CTListCtrlReport& report, CTListCtrlEdit& editor, TiXmlDocument& reply,
                                 std::vector<__int64>& ids)
{
    TiXmlElement* result = FirstResult(reply);
    if (!result)
        return;
    for (TiXmlElement* element = result->FirstChildElementNamed(L"object"); element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object object;
        object.ReadFromXml(element, true);
        UpdateObject(report, editor, object, ids);
    }
}

void ObjectList::RequestLinkPaths(std::vector<__int64>& ids)
{
    App* app = App::Instance();
    if (ids.empty() || !app)
        return;
    RequestRoute route = ownerRoute;
    route.requestId = App::kReqPathFirst;
    app->IDsToPaths(ids, route);
}

int ObjectList::AddNewRow(CTListCtrlReport& report, CTListCtrlEdit& editor, const Object& templateObject,
                          std::vector<__int64>& ids)
{
    Row& row = AddNewRow(templateObject);
    int item = UpdateRowItem(report, editor, row, ids);
    if (item >= 0 && report.m_hWnd) {
        ListView_SetItemState(report.m_hWnd, item, LVIS_SELECTED, LVIS_SELECTED);
        ListView_EnsureVisible(report.m_hWnd, item, FALSE);
    }
    return item;
}

void ObjectList::DeleteRow(CTListCtrlReport& report, CTListCtrlEdit& editor, int item)
{
    Row* row = static_cast<Row*>(report.GetRowData(item));
    if (!IsRow(row))
        return;
    report.DeleteRow(item);
    editor.RemoveRow(row);
    DeleteRow(*row);
}

__int64 ObjectList::GetRowId(CTListCtrlReport& report, int item) const
{
    Row* row = static_cast<Row*>(report.GetRowData(item));
    return IsRow(row) ? row->object.id : 0;
}

void ObjectList::DeleteSelectedRows(CTListCtrlReport& report, CTListCtrlEdit& editor, const std::function<void()>& deleted)
{
    if (!report.m_hWnd)
        return;
    for (int item = ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED); item >= 0;
         item = ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED)) {
        void* row = report.GetRowData(item);
        DeleteRow(report, editor, item);
        if (deleted)
            deleted();
        if (report.FindRowByData(row) == item)
            break;   // not one of the model's items: it stays, and so would the loop
    }
}

void ObjectList::FillDeleteTexts(CTListCtrlReport& report, DeleteConfirmInfo& info, const CTString& caption,
                                 HICON icon)
{
    const wchar_t* noun = caption.GetBuffer() ? caption.GetBuffer() : L"";
    if (icon) {
        if (info.icon)
            DestroyIcon(info.icon);
        info.icon = CopyIcon(icon);
    }
    if (info.count == 1) {
        CTString name;
        const int item = report.m_hWnd ? ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED) : -1;
        if (auto* row = static_cast<Row*>(report.GetRowData(item)); IsRow(row))
            name = row->object.name;
        info.caption.FormatResource(136, noun);
        info.text.FormatResource(137, noun, name.GetBuffer() ? name.GetBuffer() : L"");
    } else {
        info.caption.FormatResource(138, noun);
        info.text.FormatResource(139, info.count);
    }
}

void ObjectList::ShowPathReply(CTListCtrlReport& report, TiXmlDocument& reply)
{
    OnPathReply(reply, [&](Row& row, int column, const CTString& text) {
        const int item = report.FindRowByData(&row);
        if (item >= 0)
            report.SetCellAttribute(item, column, CAttribute(CAttribute::Text, text.GetBuffer()));
    });
}

bool ObjectList::SetTypeFromReply(CTListCtrlReport& report, TiXmlDocument& reply)
{
    TiXmlElement* root = FirstResult(reply);
    TiXmlElement* type = root ? root->FirstChildElementNamed(L"type") : nullptr;
    if (!type)
        return false;
    Object definition;
    definition.ReadFromXml(type, true);
    SetType(report, definition, false);
    return true;
}

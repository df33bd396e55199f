#include "lists/ObjectPick.h"

#include <algorithm>
#include "foundation/CAttributes.h"
#include "foundation/CTTokenString.h"
#include "foundation/TiXmlDocument.h"
#include "lists/ListRowSaver.h"

namespace {
std::vector<CTString> Items(const CTString& text)
{
    std::vector<CTString> out;
    CTTokenString items(text);
    items.SetSeparators(L"|", 0);
    CTString item;
    for (unsigned i = 0; items.GetToken(i, item) && !item.IsEmpty(); ++i)
        out.push_back(item);
    return out;
}

// "Display Name" reads the target's "display_name".
CTString AttributeOfCaption(const CTString& caption)
{
    CTString name(caption);
    name.MakeLower();
    std::wstring text(name.GetBuffer() ? name.GetBuffer() : L"");
    std::replace(text.begin(), text.end(), L' ', L'_');
    return CTString(text.c_str());
}

TiXmlElement* FirstResult(TiXmlDocument& doc)
{
    TiXmlElement* root = doc.RootElement();
    if (!root)
        return nullptr;
    return lstrcmpW(root->Value(), L"result") == 0 ? root : root->FirstChildElementNamed(L"result");
}
} // namespace

void ObjectPick::SetType(const Object& type, const CTString& extra, const RequestRoute& formRoute)
{
    route = formRoute;
    linkType = type;
    linkType.name.Empty();
    linkAttribute.Empty();
    for (const auto& [id, attribute] : linkType.attributes)
        if (attribute.flags & Object::Attribute::Link) {
            linkAttribute = attribute.name;
            break;
        }
    extraColumns = extra;
    columnNames.assign({CTString(), CTString(L"Name")});
    CAttribute list;
    linkType.GetAttribute(list, L"console_edit_attribs");
    std::vector<CTString> own = Items(CTString(list.GetText()));
    linkColumns = own.size();
    columnNames.insert(columnNames.end(), own.begin(), own.end());
    for (const CTString& item : Items(extraColumns))
        columnNames.push_back(item);
}

void ObjectPick::Fill(const std::vector<Object>& existingLinks, const std::vector<Object>& candidates,
                      const std::vector<__int64>& lockedIds)
{
    rows.clear();
    for (const Object& candidate : candidates) {
        Row& row = rows.emplace_back();
        row.target = candidate;
        row.link = linkType;
        row.link.SetAttribute(linkAttribute, CAttribute(CAttribute::Integer, candidate.id));
        row.locked = std::find(lockedIds.begin(), lockedIds.end(), candidate.id) != lockedIds.end();
    }
    for (const Object& link : existingLinks) {
        CAttribute target;
        link.GetAttribute(target, linkAttribute);
        for (Row& row : rows)
            if (row.target.id == target.GetValue()) {
                row.link = link;
                break;
            }
    }
}

void ObjectPick::SetCellValue(Row& row, int column, const CAttribute& value)
{
    if (!IsRow(&row) || column < 0 || column >= static_cast<int>(columnNames.size()) || column == 1)
        return;
    const bool linked = row.link.id != 0;
    if (column == 0) {
        if (row.locked)
            return;
        const bool ticked = value.GetValue() != 0;
        if (!ticked && !linked && row.operation == OpCreate)
            row.operation = OpNone;
        else if (!ticked && linked && row.operation == OpNone)
            row.operation = OpDelete;
        else if (ticked && !linked && row.operation == OpNone)
            row.operation = OpCreate;
        else if (ticked && linked && row.operation == OpDelete)
            row.operation = OpNone;
    } else if (static_cast<size_t>(column) < 2 + linkColumns) {
        row.link.SetAttribute(columnNames[column], value);
        if (linked)
            row.changed = 1;
    }
    row.dirty = 1;
}

CAttribute ObjectPick::CellValue(const Row& row, int column) const
{
    CAttribute out;
    if (column == 0)
        return CAttribute(CAttribute::Integer, static_cast<__int64>(IsTicked(row) ? 1 : 0));
    if (column == 1)
        return CAttribute(CAttribute::Text, row.target.name.GetBuffer() ? row.target.name.GetBuffer() : L"");
    if (column < 0 || column >= static_cast<int>(columnNames.size()))
        return out;
    if (static_cast<size_t>(column) < 2 + linkColumns)
        row.link.GetAttribute(out, columnNames[column]);
    else
        row.target.GetAttribute(out, AttributeOfCaption(columnNames[column]));
    return out;
}

void ObjectPick::ApplySelect(int column, int action)
{
    for (Row& row : rows) {
        if (row.locked)
            continue;
        const CAttribute current = CellValue(row, column);
        const __int64 now = current.GetType() == CAttribute::Integer ? current.GetValue() : 0;
        __int64 wanted = action == SelectAll ? 1 : action == SelectNone ? 0 : (now == 0 ? 1 : 0);
        if (action != SelectInvert && now == wanted)
            continue;
        SetCellValue(row, column, CAttribute(CAttribute::Integer, wanted));
    }
}

bool ObjectPick::SaveNextRow(DB& db, __int64 parentId, int requestId)
{
    for (Row& row : rows) {
        if (!row.dirty)
            continue;
        RequestRoute sent = route;
        sent.requestId = requestId;
        sent.param2 = reinterpret_cast<__int64>(&row);
        row.dirty = 0;
        CAttributes changes, privileges;
        switch (row.operation) {
        case OpNone:
            if (!row.changed)
                continue;
            row.link.CollectChanges(changes, true);
            row.link.CollectPrivilegeChanges(privileges);
            db.ObjSet(static_cast<unsigned>(row.link.id), static_cast<unsigned>(row.link.serial), row.link.name,
                      changes, privileges, sent);
            return true;
        case OpCreate:
            // The link keeps its marks until the server confirms it, so a failed create goes again whole.
            row.link.CollectChanges(changes, false);
            row.link.CollectPrivilegeChanges(privileges);
            db.ObjNew(static_cast<unsigned>(linkType.type), static_cast<unsigned>(parentId), CTString(), changes,
                      privileges, sent);
            return true;
        case OpDelete:
            db.ObjDelete(static_cast<unsigned>(row.link.id), static_cast<unsigned>(row.link.serial), sent);
            return true;
        default:
            continue;
        }
    }
    return false;
}

bool ObjectPick::OnSaveReply(TiXmlDocument& reply, Row* row)
{
    if (IsRow(row)) {
        TiXmlElement* result = FirstResult(reply);
        switch (row->operation) {
        case OpNone:
            if (TiXmlElement* element = result ? result->FirstChildElementNamed(L"object") : nullptr)
                row->link.ReadFromXml(element, true);
            break;
        case OpCreate: {
            __int64 id = 0;
            ListRowSaver::ReadInsertId(reply, id);
            row->link.id = id;
            CAttributes sent;
            row->link.CollectChanges(sent, true);
            break;
        }
        case OpDelete:
            row->link.id = 0;
            break;
        default:
            break;
        }
        row->operation = OpNone;
        row->changed = 0;
    }
    return IsSettled();
}

bool ObjectPick::IsSettled() const
{
    return std::none_of(rows.begin(), rows.end(),
                        [](const Row& row) { return row.operation != OpNone || row.changed; });
}

void ObjectPick::MarkUnsettledForResend()
{
    for (Row& row : rows)
        if (row.operation != OpNone || row.changed)
            row.dirty = 1;
}

bool ObjectPick::IsRow(const Row* row) const
{
    return row && std::any_of(rows.begin(), rows.end(), [row](const Row& held) { return &held == row; });
}

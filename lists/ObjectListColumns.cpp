#include "lists/ObjectListColumns.h"
#include "foundation/CTStringLocale.h"
#include "foundation/CTTokenString.h"

namespace {
const wchar_t* const kPrivileges[] = {L"Logon", L"QELConsole", L"QELConsoleSetup", L"AllReports", L"HomeAdmin",
                                      L"ReportV4Author"};

// TYPE values that describe the editor rather than name a type of linked objects.
const wchar_t* const kEditorTypes[] = {L"Readonly", L"Checkbox", L"Date", L"MultiLine", L"Locale"};

CTString SpecItem(const CTString& spec, const wchar_t* key)
{
    CAttribute item = CAttribute::ConstructFromSpec(spec, key);
    return CAttribute::IsTextType(item.GetType()) ? CTString(item.GetText()) : CTString();
}

bool SpecTypeIs(const CTString& spec, const wchar_t* value)
{
    return SpecItem(spec, L"TYPE").CompareNoCase(value) == 0;
}
} // namespace

void ParseEditAttribs(const CTString& text, std::vector<ObjectListColumn>& out)
{
    out.clear();
    CTTokenString items(text);
    items.SetSeparators(L"|", 0);
    CTString item;
    for (unsigned i = 0; items.GetToken(i, item) && item.GetLength() > 0; ++i) {
        ObjectListColumn column;
        if (item.GetBuffer()[0] == L'*') {
            column.starred = true;
            item.TrimLeft(L'*');
        }
        column.name = item;
        for (const wchar_t* privilege : kPrivileges)
            if (item.CompareNoCase(privilege) == 0)
                column.kind = ObjectListColumn::Privilege;
        if (column.kind == ObjectListColumn::Attribute) {
            if (item.CompareNoCase(L"Created") == 0)
                column.kind = ObjectListColumn::Created;
            else if (item.CompareNoCase(L"Updated") == 0)
                column.kind = ObjectListColumn::Updated;
            else if (item.Equals(L"Name"))
                column.kind = ObjectListColumn::Name;
        }
        out.push_back(column);
    }
}

void BuildObjectListCell(const Object& object, const ObjectListColumn& column, ObjectListCell& out,
                         const std::function<void(const CTString& name, CTString& spec)>& onLinkColumn)
{
    out = ObjectListCell();
    switch (column.kind) {
    case ObjectListColumn::Privilege:
        out.value.SetValue(CAttribute::Integer2, object.GetPrivilege(column.name) ? 1 : 0);
        out.readOnly = true;
        return;
    case ObjectListColumn::Created:
        out.value = object.created;
        return;
    case ObjectListColumn::Updated:
        out.value = object.updated;
        return;
    case ObjectListColumn::Name:
        out.value.SetText(CAttribute::Text, object.name);
        out.editor = CTListCtrlEdit::KindText;
        return;
    default:
        break;
    }

    const Object::Attribute* attribute = object.FindAttribute(column.name);
    if (!attribute && column.starred) {
        out.value.SetText(CAttribute::Text, CTString());
        out.pending = true;
        return;
    }
    if (attribute)
        out.value = *attribute;
    CTString spec = attribute ? attribute->editSpec : CTString();
    if (SpecTypeIs(spec, L"Readonly"))
        out.readOnly = true;

    const int type = out.value.GetType();
    if (type == CAttribute::Integer) {
        const bool link = attribute && (attribute->flags & Object::Attribute::Link);
        if (spec.GetLength() == 0) {
            out.editor = CTListCtrlEdit::KindNumber;
        } else if (link && !column.starred) {
            out.readOnly = true;
            out.linkId = out.value.GetValue();
            if (out.linkId == 0)
                out.value.SetText(CAttribute::Text, CTString());
        } else if (link) {
            if (onLinkColumn)
                onLinkColumn(column.name, spec);
            out.editor = CTListCtrlEdit::KindChoice;
            out.choiceList = spec;
        } else if (SpecTypeIs(spec, L"Checkbox")) {
            out.editor = CTListCtrlEdit::KindCheck;
        } else if (SpecItem(spec, L"VALUES").GetLength() > 0) {
            out.editor = CTListCtrlEdit::KindChoice;
            out.choiceList = spec;
        } else {
            out.editor = CTListCtrlEdit::KindNumber;
        }
    } else if (type == CAttribute::Date || type == CAttribute::DateTime) {
        out.editor = CTListCtrlEdit::KindDate;
        if (type == CAttribute::DateTime && SpecTypeIs(spec, L"Date"))
            out.value.SetValue(CAttribute::Date, out.value.GetValue());
    } else if (type == CAttribute::LocalTimeOfDay) {
        out.editor = CTListCtrlEdit::KindTime;
    } else if (SpecTypeIs(spec, L"MultiLine")) {
        out.editor = CTListCtrlEdit::KindMultiLine;
    } else if (SpecTypeIs(spec, L"Locale")) {
        out.editor = CTListCtrlEdit::KindLocale;
        CTStringLocale text(out.value.GetString());
        out.value.SetText(CAttribute::Text, CTString(text.GetUserText()));
    } else {
        out.editor = CTListCtrlEdit::KindText;
    }
}

CTString LinkedTypeOfSpec(const CTString& spec)
{
    CTString typeName = SpecItem(spec, L"TYPE");
    // An editor TYPE (a read-only choice among VALUES, say) names no linked type: a blank entry 0
    // there would hide the first value.
    for (const wchar_t* editorType : kEditorTypes)
        if (typeName.CompareNoCase(editorType) == 0)
            return CTString();
    typeName.Trim(L'\'');
    return typeName;
}

void FillChoicesFromSpec(const CTString& spec, const ObjectListChoiceSource* source, CTListCtrlEdit::Choices& out)
{
    CTString values = SpecItem(spec, L"VALUES");
    if (values.GetLength() > 0) {
        CTTokenString items(values);
        items.SetSeparators(L",", 0);
        CTString item;
        for (unsigned i = 0; items.GetToken(i, item); ++i) {
            item.Trim(L'\'');
            out[i] = item;
        }
    }
    CTString typeName = LinkedTypeOfSpec(spec);
    if (typeName.IsEmpty())
        return;
    out[0] = L" ";
    if (source)
        source->ForEachSettingsObjectOfType(typeName, [&](const Object& object) {
            out[static_cast<unsigned>(object.id)] = object.name;
        });
}

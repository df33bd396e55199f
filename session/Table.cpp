#include "session/Table.h"
#include "session/Object.h"
#include "foundation/TiXmlElement.h"
#include "foundation/TiXmlNode.h"

namespace {

// The first child of that name, as long as it is an element.
TiXmlElement* FirstElement(TiXmlNode* node, const wchar_t* childName)
{
    TiXmlNode* child = node->FirstChildNamed(childName);
    return child ? child->ToElement() : nullptr;
}

TiXmlElement* NextElement(TiXmlNode* node, const wchar_t* siblingName)
{
    TiXmlNode* sibling = node->NextSiblingNamed(siblingName);
    return sibling ? sibling->ToElement() : nullptr;
}

const wchar_t* ElementText(const TiXmlElement* element)
{
    const TiXmlNode* child = element->FirstChild();
    return child && child->GetType() == TiXmlNode::TEXT ? child->Value() : L"";
}

} // namespace

Table::~Table()
{
    rows.DeleteAll();
    columns.DeleteAll();
}

void Table::ReadFromXml(const CTString& tableName, TiXmlNode* reply)
{
    rows.DeleteAll();
    columns.DeleteAll();
    name.Assign(tableName);
    count = 0;
    text.Empty();
    if (!reply)
        return;
    TiXmlElement* result = FirstElement(reply, L"result");
    if (!result)
        return;

    for (TiXmlElement* element = FirstElement(result, L"column"); element; element = NextElement(element, L"column")) {
        Column* column = new Column;
        columns.AddTail(column);
        const wchar_t* columnName = element->GetAttribute(L"name");
        column->name.AssignText(columnName ? columnName : L"");
        column->flags = ReadDecimal32(element->GetAttribute(L"flags"));
        column->len = ReadDecimal32(element->GetAttribute(L"len"));
        int typeCode = ReadDecimal32(element->GetAttribute(L"type"));
        if (typeCode == 3)
            column->numeric = 1;
        else if (typeCode == 254)
            column->numeric = 0;
    }

    for (TiXmlElement* element = FirstElement(result, L"row"); element; element = NextElement(element, L"row")) {
        Row* row = new Row;
        rows.AddTail(row);
        Column* column = static_cast<Column*>(columns.GetHead());
        for (TiXmlNode* child = element->FirstChild(); child && child->GetType() == TiXmlNode::ELEMENT;
             child = child->NextSibling()) {
            const TiXmlElement* cell = child->ToElement();
            // Cells past the last column have no column to say they are numbers: kept as texts.
            CAttribute value;
            if (column && column->numeric)
                value.SetValue(CAttribute::Integer, ReadDecimal32(ElementText(cell)));
            else
                value.SetText(CAttribute::Text, CTString(ElementText(cell)));
            row->cells.Set(CTString(cell->Value()), value);
            if (column)
                column = static_cast<Column*>(column->GetNext());
        }
    }
}

bool Table::GetCell(int rowIndex, int columnIndex, CAttribute& out)
{
    if (rowIndex < 0 || columnIndex < 0)
        return false;
    Row* row = static_cast<Row*>(rows.GetAt(rowIndex));
    Column* column = static_cast<Column*>(columns.GetAt(columnIndex));
    if (!row || !column)
        return false;
    return row->cells.Get(column->name, out);
}

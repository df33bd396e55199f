#include "people/DlgComputerPageDetails.h"

#include <cwchar>
#include <string>
#include "app/App.h"
#include "people/RecordList.h"

bool DlgComputer::CPageDetails::Load()
{
    if (!IsShown()) {
        m_loadPending = true;
        return true;
    }
    m_loadPending = false;
    Fill();
    return true;
}

CTString DlgComputer::CPageDetails::ListNameFor(const Object& mapping, const Object& computer)
{
    CAttribute listId;
    mapping.GetAttribute(listId, CTString(L"attrib_list_name"));
    const int id = CAttribute::IsTextType(listId.GetType()) ? static_cast<int>(ReadDecimal64(listId.GetText()))
                                                            : listId.GetValue32();
    CTString attribute;
    if (!computer.GetAttributeNameById(id, attribute))
        return CTString();
    CTString name = TextOf(computer, attribute.GetBuffer());
    if (name.IsEmpty() || !computer.HasAttribute(CTString(L"attrib_list_name")) ||
        !computer.EditSpecItemEquals(CTString(L"attrib_list_name"), CTString(L"TYPE"), CTString(L"AttribList")))
        return name;
    const wchar_t* text = name.GetBuffer();
    const wchar_t* plus = wcschr(text, L'+');
    if (!plus)
        return name;
    CTString out(std::wstring(text, plus - text + 1).c_str());
    out.Append(TextOf(computer, plus + 1));
    return out;
}

CTString DlgComputer::CPageDetails::ChoiceListName(const Object& mapping, const Object& object)
{
    App* app = GetApp();
    const Object* cached = app ? app->m_dir.Lookup(object.id) : nullptr;
    return ListNameFor(mapping, cached ? *cached : object);
}

#include "structure/StructureReply.h"

#include "session/Object.h"
#include "session/RequestResult.h"

namespace StructureReply {

TiXmlElement* Result(TiXmlDocument& document)
{
    return document.FirstChildElementNamed(L"result");
}

static TiXmlElement* Parameters(TiXmlDocument& document)
{
    TiXmlElement* result = Result(document);
    return result ? result->FirstChildElementNamed(L"parameters") : nullptr;
}

bool HasParameter(TiXmlDocument& document, const wchar_t* name)
{
    TiXmlElement* parameters = Parameters(document);
    return parameters && parameters->GetAttribute(name);
}

__int64 Parameter(TiXmlDocument& document, const wchar_t* name)
{
    TiXmlElement* parameters = Parameters(document);
    const wchar_t* value = parameters ? parameters->GetAttribute(name) : nullptr;
    return value ? ReadDecimal64(value) : 0;
}

bool IsError(RequestResult& result)
{
    if (result.resultCode != 0 || result.returnCode != 0)
        return true;
    TiXmlElement* root = Result(result.document);
    return root && root->FirstChildElementNamed(L"error");
}

__int64 CellNumber(const CAttribute& cell)
{
    return CAttribute::IsTextType(cell.GetType()) ? ReadDecimal64(cell.GetText()) : cell.GetValue();
}

} // namespace StructureReply

#pragma once
// Reading the structure editor's replies: the result element, the echoed parameters, whether a reply
// failed, and the allowed-child table's cells as numbers.
#include "foundation/CAttribute.h"
#include "foundation/TiXmlDocument.h"

struct RequestResult;

namespace StructureReply {

TiXmlElement* Result(TiXmlDocument& document);
bool HasParameter(TiXmlDocument& document, const wchar_t* name);
// The parameters element's value as a number; 0 when the element or the value is missing.
__int64 Parameter(TiXmlDocument& document, const wchar_t* name);
// A transport or HTTP failure, a non-zero return code, or an error element.
bool IsError(RequestResult& result);
// A cell as a number, whether its column is numeric or text.
__int64 CellNumber(const CAttribute& cell);

} // namespace StructureReply

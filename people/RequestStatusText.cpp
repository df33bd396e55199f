#include "people/RequestStatusText.h"

CTString RequestStatusText(const Object& request)
{
    CAttribute attribs, completed;
    request.GetAttribute(attribs, CTString(L"request_attribs"));
    request.GetAttribute(completed, CTString(L"completed"));
    const __int64 flags = CAttribute::IsTextType(attribs.GetType()) ? ReadDecimal64(attribs.GetText()) : attribs.GetValue();
    if (flags & 0x20000) return CTString(L"Cancelled");
    const bool done = CAttribute::IsTextType(completed.GetType()) ? (completed.GetText() && *completed.GetText())
                                                                  : completed.GetValue() != 0;
    if (!done) return CTString(L"Pending");
    if (flags & 0x10000) return CTString(L"Acknowleged");
    return CTString(L"Completed");
}

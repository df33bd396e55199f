#pragma once
// The column definition text of a report list, e.g. "Name,200;Read,50; ;": entries separated by
// ";", each "caption,width,shown". A separator inside double quotes, or at the first position of an
// entry or field, does not split; fields are trimmed of blanks and then of double quotes. The list
// ends at the first empty entry.
#include <string>
#include <vector>

namespace ListColumnSpec {

struct Entry {
    std::wstring caption;
    int width = 50;     // pixels, unscaled; 50 without a width field
    bool shown = true;  // false unless the shown field is missing or "1"
};

void Parse(const wchar_t* definition, std::vector<Entry>& out);

} // namespace ListColumnSpec

#include "foundation/TiXmlLocationTracker.h"

#include "foundation/TiXmlBase.h"

namespace {

// Byte-order mark and the two non-characters, as units of a text decoded byte by byte.
bool IsUtf8MarkUnits(const wchar_t* p) {
    return p[0] == 0xEF && ((p[1] == 0xBB && p[2] == 0xBF) || (p[1] == 0xBF && (p[2] == 0xBE || p[2] == 0xBF)));
}

}  // namespace

void TiXmlLocationTracker::Stamp(const wchar_t* p, int encoding) {
    if (tabSize < 1 || !p)
        return;
    if (!position || p < position) {
        // Positions only move forward within one parse; an earlier one keeps the cursor.
        if (!position)
            position = p;
        return;
    }
    int row = cursor.row;
    int col = cursor.col;
    const wchar_t* q = position;
    while (q < p) {
        wchar_t c = *q;
        if (c >= 0x20 && c != 0xEF) {
            ++col;
            ++q;
            continue;
        }
        switch (c) {
        case L'\t':
            col += tabSize - col % tabSize;
            ++q;
            break;
        case L'\n':
            ++row;
            col = 0;
            ++q;
            if (q < p && *q == L'\r')
                ++q;
            break;
        case L'\r':
            ++row;
            col = 0;
            ++q;
            if (q < p && *q == L'\n')
                ++q;
            break;
        default:
            if (encoding == TIXML_ENCODING_UTF8 && c == 0xEF && IsUtf8MarkUnits(q)) {
                q += 3;
            } else {
                ++col;
                ++q;
            }
        }
    }
    cursor.row = row;
    cursor.col = col;
    position = p;
}

#include "session/JsonDepth.h"

bool JsonNestsDeeperThan(const char* text, size_t length, unsigned limit)
{
    if (!text)
        return false;
    unsigned depth = 0;
    bool inString = false;
    for (size_t i = 0; i < length; ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;   // the escaped character is no quote
            else if (c == '"')
                inString = false;
            continue;
        }
        switch (c) {
        case '"':
            inString = true;
            break;
        case '{':
        case '[':
            if (++depth > limit)
                return true;
            break;
        case '}':
        case ']':
            if (depth)
                --depth;
            break;
        default:
            break;
        }
    }
    return false;
}

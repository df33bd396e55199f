#pragma once
// One lookup asked of "api/api_dirGetLookupValues.php": where to look and what to match. The staging
// sheets fill these; the server client sends them (the scope stays on this side).
#include "foundation/CTString.h"

struct LookupField {
    int parent = 0;      // the parent id, sent unsigned
    int cookie = 0;      // the caller's tag, sent only when not 0
    int scope = 0;
    CTString field;
    CTString attrib;
    CTString sgLink;
    CTString value;
    CTString field2;     // the second field and value go only as a pair of non-empty texts
    CTString value2;
};

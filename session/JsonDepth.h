#pragma once
// A bound on the nesting of JSON texts from the server, checked before they are parsed: the JSON
// library copies and prints values by recursion, one call per level, so a text nested some
// hundred thousand levels deep would overflow the stack.
#include <cstddef>

constexpr unsigned kMaxJsonDepth = 64;

// Whether the objects and arrays of text nest deeper than limit; brackets inside strings do not
// count. One pass, no recursion; the text need not be valid JSON.
bool JsonNestsDeeperThan(const char* text, size_t length, unsigned limit = kMaxJsonDepth);

#pragma once

class TiXmlDocument;

// Row and column, zero-based; -1, -1 when not set.
struct TiXmlLocation {
    int row = -1;
    int col = -1;
};

// Counts rows and columns incrementally while one document is parsed, so that every node can be
// stamped with the place of its first character in linear time overall.
struct TiXmlLocationTracker {
    TiXmlLocation cursor{0, 0};
    const wchar_t* position = nullptr;  // counted up to here
    int tabSize = 4;
    int depth = 0;  // elements open on the parser's stack
    TiXmlDocument* document = nullptr;  // where errors go; found from the parents when null

    // Advances the cursor to p (a position at or after the last one).
    void Stamp(const wchar_t* p, int encoding);
};

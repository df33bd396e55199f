#pragma once
// The search filter of the current connection: an optional cap on the number of results and an
// optional list of object types. One instance for the application, kept per connection under
// "Settings\<connection>\SearchFilter" below the root of string 104.
#include <vector>
#include "foundation/CTString.h"

struct SearchFilterSettings {
    bool EnableLimit = true;
    int Limit = 50;
    bool EnableTypeLimit = false;
    std::vector<int> Types;

    static SearchFilterSettings& Instance();

    void SetDefaults();
    void Reset() { SetDefaults(); }
    // Defaults, then whatever the connection's key holds; a missing key or value keeps the default.
    void Load(const CTString& connection);
    // Writes the four values, creating the key when needed; registry failures are silent.
    void Save(const CTString& connection) const;

    // "12|7|30": the type numbers in decimal joined by "|"; empty for no types.
    static CTString JoinTypes(const std::vector<int>& types);
    // The inverse: split at "|", blanks and quotes trimmed, stopping at the first empty item.
    static std::vector<int> SplitTypes(const CTString& text);

    bool operator==(const SearchFilterSettings& other) const
    {
        return EnableLimit == other.EnableLimit && Limit == other.Limit && EnableTypeLimit == other.EnableTypeLimit &&
               Types == other.Types;
    }
};

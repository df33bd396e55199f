#pragma once
// Type definitions and objects for the list tests, without a server.
#include <string>
#include "app/MainWindowCache.h"
#include "session/Object.h"

inline std::string Narrow(const wchar_t* w)
{
    std::string out;
    for (; w && *w; ++w)
        out += static_cast<char>(*w < 128 ? *w : '?');
    return out;
}

inline Object::Attribute& AddAttribute(Object& object, int id, const wchar_t* name, const CAttribute& value,
                                       const wchar_t* spec = L"", DWORD flags = 0)
{
    Object::Attribute& a = object.attributes[id];
    a.CAttribute::Assign(value);
    a.name = name;
    a.editSpec = spec;
    a.flags = flags;
    return a;
}

inline Object& AddType(MainWindowCache& cache, __int64 number, const wchar_t* name)
{
    Object definition;
    definition.type = number;
    definition.name = name;
    cache.types.push_back(definition);
    return cache.types.back();
}

// Call after the definitions are complete: the name index holds copies.
inline void IndexTypes(MainWindowCache& cache)
{
    cache.typeNames.clear();
    for (const Object& definition : cache.types) {
        CTString lower(definition.name);
        lower.MakeLower();
        cache.typeNames[lower] = definition;
    }
    cache.loaded |= MainWindowCache::LoadTypes;
}

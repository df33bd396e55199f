#pragma once
// The rules that turn one imported record (a type name and name/text pairs) into an object with its
// plain values and the lookups the server resolves into links.
#include <vector>
#include "app/MainWindowCache.h"
#include "foundation/CAttribute.h"
#include "foundation/CTString.h"
#include "session/LookupField.h"
#include "session/Object.h"

// Completes the target's type from typeName ("_" read as blanks, "new application" as "Application"),
// resets parent and serial and appends the type's standard lookups.
void RegisterImportLookups(Object& target, std::vector<LookupField>& lookups, CTString& typeName,
                           const MainWindowCache& cache);

// Feeds one pair to the lookups and to the target's attribute of that name. With exported the text
// comes from the export file, which writes integers and date-time seconds as signed decimals: a
// negative integer keeps its sign and a plain number in a date-time is taken as seconds.
void SetImportAttribute(const CTString& value, const CTString& name, std::vector<LookupField>& lookups, Object& target,
                        const MainWindowCache& cache, bool exported = false);

// A day-month-year text ("-" or "/" between) as 00:00 UTC of that day, type 10; -1 when out of range.
CAttribute& ParseImportDate(CAttribute& out, const wchar_t* text);

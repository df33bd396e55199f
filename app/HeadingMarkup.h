#pragma once
// The heading mark-up that panes, cards and web pages show at their top. Every text that goes in is
// escaped, so a name or path from the server or the user cannot break or extend the mark-up.
#include "foundation/CTString.h"

class Object;

// Appends a title and, when subtitle is not empty, a bold subtitle below it.
void AppendHeadingMarkup(const CTString& title, const CTString& subtitle, CTString& out);

// The heading of a directory object: its attribute attributeName read as a multi-language text in the
// user's language (the path heads the mark-up when that text is empty), then the type name, the path
// and the created and updated dates as asked. The type name comes from the main window's type cache.
CTString BuildObjectHeadingMarkup(const Object& object, const CTString& attributeName, bool showPath,
                                  bool showDates);
// The same with the type's name given (used when no main window is at hand).
CTString BuildObjectHeadingMarkupWithType(const Object& object, const CTString& typeName,
                                          const CTString& attributeName, bool showPath, bool showDates);

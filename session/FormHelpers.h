#pragma once
// Small helpers that forms, consoles and wizards share to put directory objects on screen and to
// read the conventions the server's object definitions carry. All run on the user-interface thread
// and keep no state.
#include <windows.h>
#include <vector>
#include "controls/CTListCtrlReport.h"
#include "foundation/CAttribute.h"
#include "foundation/CTString.h"
#include "session/Object.h"

class CTWndHeader;
class CTWndPropertyList;
class Dir;

enum : int { kHeaderBackColour = 21, kHeaderTextColour = 24 };   // CGDIManager colour entries
constexpr __int64 kRecentSeconds = 1800;                          // an event row counts as new or updated

// Fills a combo box with the objects' names (item data: the id), selecting the one whose id is the
// current value; with addNone first "<none>" (item data -1), selected when the current value is a
// text or 0.
void FillComboWithObjects(HWND combo, const std::vector<Object>& objects, const CAttribute& current, bool addNone);
// Fills a combo box with the "VALUES=" list of the attribute's edit definition (item data: the
// 0-based index), selecting the attribute's stored index; with addAny "<Any>" (item data -1) last,
// selected when the stored number is -1.
void FillComboFromAttributeValues(HWND combo, const CTString& name, const Object& object, bool addAny);
// The "|"-separated items of text, each trimmed of blanks and double quotes; empty items between two
// bars are kept; an empty text gives no items.
std::vector<CTString>& SplitAtBar(std::vector<CTString>& out, const CTString& text);
// Switches an inheritable attribute between its inherited value (bit 0 of mode set) and the
// object's own; true when it now holds the object's own value. Attributes the type does not mark
// inheritable answer true and stay as they are.
bool SetAttributeInherited(int mode, Object& object, const CTString& name);
// Writes the custom-attribute rows of a property grid into the object, row by row up to the first
// without data (the attribute id): the row's inherit tick first (SetAttributeInherited); then, for
// an own value of a row that is not read-only, the row's value. With keepType the value goes in as
// the row holds it; otherwise a text in the attribute's VALUES list becomes its position, a number
// attribute takes the row's text as a number and a text attribute the row's text.
void StorePropertyRows(CTWndPropertyList& grid, Object& object, bool keepType);
// The header takes the shared header colours (entries 21 and 24).
void ApplyHeaderColours(CTWndHeader& header);
// A row of an event list: creation time, type name, duration, optionally the linked user's name
// (from dir), then exactly columns display cells from the item's "console_display_attribs".
CTListCtrlReport::Row& BuildEventListRow(CTListCtrlReport::Row& row, int columns, const Object& item, bool withUser,
                                         bool& isNew, bool& isUpdated, Dir* dir);
// Prepares HTML for the embedded browser: wraps a fragment in a document, lets denied image
// sources load again, and points "/custom/images" sources at the server.
void RestrictHtmlImageSources(CTString& html, const CTString& serverText);
// The same with the signed-in server's text.
void RestrictHtmlImageSources(CTString& html);
// The user may sign in through links: "Logon" granted and "linkaccess_expire" later than the
// start of today.
bool HasLinkAccess(const Object* user);

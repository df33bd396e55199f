#pragma once
// The columns of an editable object list, read from a type definition's "console_edit_attribs", and
// the rule that turns one column of one object into a cell value and an editor kind.
#include <functional>
#include <vector>
#include "controls/CTListCtrlEdit.h"
#include "foundation/CAttribute.h"
#include "foundation/CTString.h"
#include "session/Object.h"

struct ObjectListColumn {
    enum Kind : int { Attribute = 0, Privilege, Created, Updated, Name };
    CTString name;
    bool starred = false;
    int kind = Attribute;
};

struct ObjectListCell {
    CAttribute value;
    int editor = CTListCtrlEdit::KindReadOnly;
    bool readOnly = false;     // the column joins the row's read-only columns
    bool pending = false;      // a starred attribute the object lacks: the owner supplies it later
    __int64 linkId = 0;        // a link shown by path: the id whose path is to be fetched (0: none)
    CTString choiceList;       // kind 8: the choice list's name, the whole edit rule
};

// Items up to the first empty one, stars removed; fixed columns as their names say.
void ParseEditAttribs(const CTString& text, std::vector<ObjectListColumn>& out);

// onLinkColumn may extend the edit rule of a starred link column before it names the list.
void BuildObjectListCell(const Object& object, const ObjectListColumn& column, ObjectListCell& out,
                         const std::function<void(const CTString& name, CTString& spec)>& onLinkColumn = {});

// What a choice list of linked objects draws from: the objects of the type named exactly that lie
// under the system settings folder.
class ObjectListChoiceSource {
public:
    virtual ~ObjectListChoiceSource() = default;
    virtual void ForEachSettingsObjectOfType(const CTString& typeName,
                                             const std::function<void(const Object&)>& fn) const = 0;
};

// Entries of the choice list named by an edit rule: "VALUES" items from 0, then for a
// "TYPE" naming a type a blank entry 0 and one entry per object keyed by its id.
void FillChoicesFromSpec(const CTString& spec, const ObjectListChoiceSource* source, CTListCtrlEdit::Choices& out);

// The type an edit rule's "TYPE" links to, single quotes trimmed; empty for none or an editor kind.
CTString LinkedTypeOfSpec(const CTString& spec);

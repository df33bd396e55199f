#pragma once
// The model of a form's pick page: one row per candidate object with the link object that ties it
// to the form's object. A tick creates the link, an untick deletes it, and the link's own
// attributes are edited in the row; saving sends every pending row at once.
#include <list>
#include <vector>
#include "foundation/CAttribute.h"
#include "foundation/CTString.h"
#include "session/DB.h"
#include "session/Object.h"
#include "session/RequestRoute.h"

class TiXmlDocument;

class ObjectPick {
public:
    enum Operation : int { OpNone = 0, OpCreate = 1, OpDelete = 2 };
    enum Select : int { SelectAll = 0, SelectNone = 1, SelectInvert = 2 };

    struct Row {
        int operation = OpNone;
        BYTE dirty = 0;     // something to send
        BYTE changed = 0;   // attributes of an existing link were edited
        bool locked = false;   // shown ticked; its tick cannot change
        Object target;
        Object link;        // id 0 while no link exists
    };

    // The link type (its name emptied) is the template of new links; its first link attribute holds
    // the candidate's id. extraColumns: "|"-separated captions of target attributes shown after it.
    void SetType(const Object& linkType, const CTString& extraColumns, const RequestRoute& formRoute);
    // Rows for the candidates in order, each with its existing link when there is one.
    void Fill(const std::vector<Object>& existingLinks, const std::vector<Object>& candidates,
              const std::vector<__int64>& lockedIds);

    // Ticked as the user left it: locked, linked and not to be deleted, or to be created.
    bool IsTicked(const Row& row) const
    {
        return row.locked || (row.link.id != 0 ? row.operation != OpDelete : row.operation == OpCreate);
    }
    // Column 0 ticks (a non-zero integer) or unticks; other columns edit the link's attribute.
    void SetCellValue(Row& row, int column, const CAttribute& value);
    // The value a cell shows: the tick, the target's name, a link attribute or a target attribute.
    CAttribute CellValue(const Row& row, int column) const;
    // All, None or Invert on one column (0: the ticks) of every unlocked row.
    void ApplySelect(int column, int action);

    // Sends the first row with something to send; false when none is left.
    bool SaveNextRow(DB& db, __int64 parentId, int requestId);
    // A successful reply for the row; true when every row is settled.
    bool OnSaveReply(TiXmlDocument& reply, Row* row);
    bool IsSettled() const;
    // Rows whose request went out but were never settled (the pump shows a failed save's error
    // instead of handing it back) are sent again by the next save.
    void MarkUnsettledForResend();
    bool IsRow(const Row* row) const;

    Object linkType;
    CTString linkAttribute;
    std::vector<CTString> columnNames;   // "", "Name", link-type items, extra items
    size_t linkColumns = 0;              // how many link-type items follow "Name"
    CTString extraColumns;
    RequestRoute route;
    std::list<Row> rows;
};

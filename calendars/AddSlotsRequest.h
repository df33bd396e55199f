#pragma once
// What the add-slots window hands the deployment-window editor: a range of days and, per kind of
// day, the capacity to give each new slot, one rate per rate column (one column, or one per slot
// kind of the schedule group).
#include <vector>
#include "session/Object.h"

struct AddSlotsRequest {
    enum ColumnKind : int { ColumnLabel = 0, ColumnRate = 1, ColumnSlotKind = 2 };
    // Kinds of rate rows; 4 to 10 are Monday to Sunday.
    enum RowKind : int { RowDefault = 3, RowMonday = 4, RowSunday = 10, RowWeekend = 11, RowNonCalendar = 12 };

    struct Column {
        int kind = ColumnLabel;
        Object object;   // the slot kind of a kind 2 column
    };
    struct RateRow {
        int kind = RowDefault;
        std::vector<Object> objects;   // one per rate column, in column order
        __int64 id = 0;                // never 0 for a row of the list
        std::vector<int> rates;        // one per rate column, in column order
    };

    __int64 firstDay = 0;   // 00:00 UTC; 0 for a date before 1900
    __int64 lastDay = 0;
    std::vector<Column> columns;
    std::vector<RateRow> rows;
    __int64 nextRowId = 1;
};

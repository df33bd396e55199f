#pragma once
// The record a drop-down list pop-up (window type 3) hands its owner with message 1026 for the
// owner to fill: what to look up, below which parent, an optional extra first entry and which
// entry to select.
#include <vector>
#include "foundation/CTString.h"

struct PopupRequest {
    bool autoWidth = false;
    bool eraseBackground = true;
    CTString lookup;              // the lookup rule, e.g. "TYPE='Organisation'|RETURNPATH=0"
    CTString extraText;           // the text of the extra entry (item data 0)
    bool addExtra = false;
    int preselect = 0;            // the id to select; -1 the first entry
    int parentId = 0;             // the lookup's parent
    std::vector<__int64> included;  // when not empty, only these ids are offered
};

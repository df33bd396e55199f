#pragma once
// The custom attributes of the shown computer. The pane stores the rows (StoreRows with the types
// kept); a choice list may be named through another of the computer's attributes.
#include "people/DetailsPage.h"
#include "people/DlgComputer.h"

class DlgComputer::CPageDetails : public DetailsPage {
public:
    enum : UINT { kTemplate = 350 };
    UINT GetTemplateId() override { return kTemplate; }
    // Fills while on show; otherwise when its tab is selected.
    bool Load() override;
    bool Save() override { return false; }
    // The list name of the mapping for the cached computer: the value of the computer's attribute
    // whose id the mapping's "attrib_list_name" holds; "A+b" becomes "A+" and the text of the
    // computer's attribute b when the computer's "attrib_list_name" is an attribute list.
    static CTString ListNameFor(const Object& mapping, const Object& computer);

protected:
    CTString ChoiceListName(const Object& mapping, const Object& object) override;
};

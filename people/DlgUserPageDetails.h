#pragma once
// The custom attributes of the shown person; the page stores them itself when the pane saves.
#include "people/DetailsPage.h"
#include "people/DlgUser.h"

class DlgUser::CPageDetails : public DetailsPage {
public:
    enum : UINT { kTemplate = 351 };
    UINT GetTemplateId() override { return kTemplate; }
    // Fills at once, shown or not.
    bool Load() override
    {
        m_loadPending = false;
        Fill();
        return true;
    }
    // Every editable row goes into the person: a VALUES text as its position, a number row as a number.
    bool Save() override
    {
        if (Object* person = GetShown())
            StoreRows(*person, false);
        return true;
    }
};

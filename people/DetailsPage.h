#pragma once
// The custom attributes of the shown person or computer in a property grid (list box 1185): filled
// by the main window's attribute editor, each edit marking the pane modified, choice lists filled
// in when they arrive.
#include "controls/CTWndPropertyList.h"
#include "people/RecordPage.h"

class DetailsPage : public RecordPage {
public:
    enum : int { kIdGrid = 1185, kReqChoices = 1074 };
    CTWndPropertyList m_grid;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // Refills the grid from the shown object.
    void Fill();
    // Reply 1074: the choices of the row whose attribute has that id are now to be had.
    void OnChoicesArrived(int attributeId);
    // Writes the rows into the object: the inherit tick first; then, for own values of rows that
    // are not read-only, the row's value. With keepType false a text in the attribute's VALUES list
    // is stored as its position; a number attribute takes the row's text as a number.
    void StoreRows(Object& object, bool keepType);

protected:
    // The named choice list of the mapping for the object; empty: the lookup cache serves it.
    virtual CTString ChoiceListName(const Object& mapping, const Object& object);

private:
    static int OnEdit(void* context, HWND editor, int kind, __int64 data);
};

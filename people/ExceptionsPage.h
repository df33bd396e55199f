#pragma once
// The exceptions raised against the shown person or computer (its "exceptions" link array, as far
// as enabled cached Exception objects describe them). Persistent ones can be cleared; the change
// leaves with the pane's save. The tab shows a warning image while the list has rows.
#include "controls/CTWndListCtrlEx2.h"
#include "people/RecordPage.h"

class ExceptionsPage : public RecordPage {
public:
    enum : UINT { kTemplate = 374 };
    enum : int { kIdList = 1016 };
    CTWndListCtrlEx2 m_list;

    UINT GetTemplateId() override { return kTemplate; }
    bool Load() override;
    void BuildPage() override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    int RowCount() { return m_list.m_report.m_hWnd ? m_list.m_report.GetItemCount() : 0; }
    // Removes every selected persistent exception from the object and its row; the others stay.
    void ClearSelected();

protected:
    // Sets the tab image after a fill; hasRows tells whether the list has any row.
    virtual void UpdateTabImage(bool hasRows) = 0;
};

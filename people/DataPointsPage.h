#pragma once
// The data points received for the shown person or computer: the "Link [DP]" objects below it and
// every cached object below those links, newest first; the selected one's items beside them, and
// a right-click Copy of one item cell.
#include "controls/CTListCtrlReport.h"
#include "controls/CTWndListCtrlEx2.h"
#include "people/RecordPage.h"

class DataPointsPage : public RecordPage {
public:
    enum : UINT { kTemplate = 433, kItemIcon = 142 };
    enum : int { kIdList = 1016, kIdItems = 1218, kConsoleDataPoint = 1061 };
    CTWndListCtrlEx2 m_list;
    CTListCtrlReport m_items;
    int m_itemImage = -1;

    ~DataPointsPage() override;
    UINT GetTemplateId() override { return kTemplate; }
    bool Load() override;
    void BuildPage() override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;

    // The cached objects the page lists for the object: below each of its "Link [DP]" children,
    // every cached descendant.
    static std::vector<Object>& Collect(__int64 objectId, std::vector<Object>& out);
    // The "link_data_point" of the cached object on that row; 0 when none.
    __int64 DataPointOfRow(int item);
    void ShowItems(int item);
};

#pragma once
// The computers linked to the shown person; Open shows the computer pane.
#include "people/DlgUser.h"
#include "people/RecordListPage.h"

class DlgUser::CPageComputers : public RecordListPage {
public:
    enum : UINT { kTemplate = 426 };
    enum : int { kSearchParam = 4, kConsoleComputer = 1013 };
    int m_iconKey = -1;   // the "Computer" icon key the pane registered

    UINT GetTemplateId() override { return kTemplate; }
    RecordList::Layout GetLayout() const override;
    int GetOpenConsole() const override { return kConsoleComputer; }
    bool SendSearch() override;
    void OnSearchReply(RequestResult& reply);
};

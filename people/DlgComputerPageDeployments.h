#pragma once
// The deployments of the shown computer, found by its legacy and its deployed link; the pane sends
// both searches when the page is first selected, and each deployment is listed once.
#include "people/DlgComputer.h"
#include "people/RecordListPage.h"

class DlgComputer::CPageDeployments : public RecordListPage {
public:
    enum : UINT { kTemplate = 195 };
    enum : int { kConsoleDeployment = 1029 };
    bool m_needsLoading = true;   // cleared by the pane when it first searches
    int m_iconKey = -1;           // the "Deployment" icon key the pane registered
    int m_succeededImage = -1;
    int m_failedImage = -1;

    ~CPageDeployments() override;
    UINT GetTemplateId() override { return kTemplate; }
    RecordList::Layout GetLayout() const override;
    int GetOpenConsole() const override { return kConsoleDeployment; }
    bool Load() override { return false; }
    // What the pane does on the first selection: empty the rows and send both searches.
    void Search();
    // Adds the reply's deployments not listed yet; the Locked cell marks the computer's lock.
    void OnSearchReply(RequestResult& reply);
    void OnPathReply(__int64 deploymentId, const CTString& path) { m_list.PrefixName(deploymentId, path); }
};

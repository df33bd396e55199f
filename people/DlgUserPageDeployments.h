#pragma once
// The deployments of the shown person: New (by the pane), Open, and Delete after the list's
// confirmation. The page keeps copies of the listed deployments for the delete's serial.
#include "people/DlgUser.h"
#include "people/RecordListPage.h"
#include "session/ObjectBranch.h"

class DlgUser::CPageDeployments : public RecordListPage {
public:
    enum : UINT { kTemplate = 195 };
    enum : int { kSearchParam = 2, kConsoleDeployment = 1029, kReqDelete = 1057 };
    ObjectBranch m_branch;             // copies of the listed deployments, in reply order
    int m_iconKey = -1;                // the "Deployment" icon key the pane registered
    int m_succeededImage = -1;
    int m_failedImage = -1;

    UINT GetTemplateId() override { return kTemplate; }
    RecordList::Layout GetLayout() const override;
    int GetOpenConsole() const override { return kConsoleDeployment; }
    bool SendSearch() override;
    void OnNew() override;
    void OnDelete() override;
    void OnDeleteIcon(DeleteConfirmInfo& info) override;

    // Rebuilds the rows from a search reply and asks for each deployment's parent path.
    void OnSearchReply(RequestResult& reply);
    void OnPathReply(__int64 deploymentId, const CTString& path) { m_list.PrefixName(deploymentId, path); }
    // The application announced the deployment deleted.
    void OnDeploymentDeleted(__int64 deploymentId);
};

// The deployment pane's asset transfer chain and its duplication.
#include "deployments/DlgDeployment.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "deployments/DeploymentLinks.h"
#include "lists/DlgSelectDuplicate.h"
#include "session/DeploymentWorkflow.h"
#include "session/RequestResult.h"

namespace {

bool TransferNeeded(const DlgDeployment& pane, DWORD assetFlag, DWORD transferFlag, const wchar_t* link)
{
    return pane.HasTypeFlag(assetFlag) && pane.HasTypeFlag(transferFlag) &&
           LinkId(pane.GetSlot(DlgDeployment::SlotDeployment), link) != 0;
}

// Every value the object holds of its own travels with it when it is created elsewhere.
void MarkOwnValuesDirty(Object& object)
{
    for (auto& [id, attribute] : object.attributes)
        if (!(attribute.flags & Object::Attribute::Default))
            attribute.flags |= Object::Attribute::Dirty;
}

enum : int { kConsoleScheduleGroup = 1026, kNoticeGroupWindows = 1004 };

} // namespace

void DlgDeployment::SendTransfer(__int64 routeId, __int64 computerId)
{
    App* app = GetApp();
    if (!app || !m_owner)
        return;
    Object transfer;
    m_owner->GetTypeByName(transfer, CTString(L"Asset Transfer"));
    const std::vector<__int64> ids = {computerId};
    transfer.SetLinkArray(CTString(L"assets_requested"), ids);
    transfer.SetLinkArray(CTString(L"assets_transferred"), ids);
    CAttributes items;
    transfer.CollectChanges(items, true);
    app->m_db.QelAssetTransfer(static_cast<unsigned>(routeId), 0, 1, items, Route(kReqTransfer, 0, true));
}

void DlgDeployment::TransferAssets()
{
    App* app = GetApp();
    const Object& deployment = GetSlot(SlotDeployment);
    const bool legacyNeeded = TransferNeeded(*this, TypeLegacyAsset, TypeTransferLegacy, L"link_legacy_computer");
    if (m_transferStep == 0 && DeploymentStatusIsSucceeded(deployment)) {
        const bool newNeeded = TransferNeeded(*this, TypeNewAsset, TypeTransferNew, L"link_deployed_computer");
        if (legacyNeeded || newNeeded) {
            m_transferStep = legacyNeeded ? 1 : 2;
            EnableItem(kIdTransfer, false);
        }
    }
    if (m_transferStep == 1) {
        SendTransfer(GetSlot(SlotLegacyRoute).id, LinkId(deployment, L"link_legacy_computer"));
        return;
    }
    if (m_transferStep == 2) {
        if (GetSlot(SlotLegacy).id != 0 && app)
            app->m_db.ObjGet(static_cast<unsigned>(GetSlot(SlotLegacy).id), false, false,
                             Route(kReqObject, kLegacyReread));
        if (TransferNeeded(*this, TypeNewAsset, TypeTransferNew, L"link_deployed_computer")) {
            auto route = m_routes.find(GetSlot(SlotDeployed).parent);
            SendTransfer(route == m_routes.end() ? 0 : route->second.id, LinkId(deployment, L"link_deployed_computer"));
            return;
        }
        ++m_transferStep;
    }
    if (GetSlot(SlotDeployed).id != 0 && app)
        app->m_db.ObjGet(static_cast<unsigned>(GetSlot(SlotDeployed).id), false, false,
                         Route(kReqObject, kDeployedReread));
    else
        UpdateControls();
    m_transferStep = 0;
}

CTString DlgDeployment::RevisedDeploymentId(const CTString& id)
{
    std::wstring text(id.GetBuffer() ? id.GetBuffer() : L"");
    if (text.size() >= 2 && text[text.size() - 2] == L'_')
        text.back() = static_cast<wchar_t>(text.back() + 1);
    else
        text += L"_a";
    return CTString(text.c_str());
}

void DlgDeployment::Duplicate()
{
    DlgSelectDuplicate chooser;
    GetSlot(SlotDeployment).GetAttribute(chooser.m_currentId, CTString(L"deployment_id"));
    chooser.m_choice = DlgSelectDuplicate::kDefaultId;
    if (!chooser.Run(m_hWnd))
        return;

    Object copy = GetSlot(SlotDeployment);
    copy.id = 0;
    copy.serial = 0;
    copy.name = CTString(L"");
    for (const wchar_t* name : {L"deployment_status", L"completed", L"link_fail_code", L"link_administrator"})
        copy.ResetAttribute(CTString(name));
    MarkOwnValuesDirty(copy);
    const CTString idName(L"deployment_id");
    const CTString existingId(AttributeText(GetSlot(SlotDeployment), L"deployment_id"));
    switch (chooser.m_choice) {
    case DlgSelectDuplicate::kRevisedId:
        copy.ResetAttribute(idName);
        copy.SetAttribute(idName, CAttribute(CAttribute::Text, RevisedDeploymentId(existingId)));
        copy.ApplyConsoleDisplayName();
        CreateDuplicate(copy);
        break;
    case DlgSelectDuplicate::kTransferId:
        TransferIdAndDuplicate(copy);
        break;
    default:
        copy.ResetAttribute(idName);
        CreateDuplicate(copy);
        break;
    }
}

void DlgDeployment::TransferIdAndDuplicate(Object copy)
{
    App* app = GetApp();
    if (!app)
        return;
    Object& deployment = m_objects[SlotDeployment];
    CTString reverted;
    reverted.Format(L"#%I64d", deployment.id);
    const CTString idName(L"deployment_id");
    const CAttribute originalId = [&] {
        CAttribute value;
        deployment.GetAttribute(value, idName);
        return value;
    }();
    deployment.SetAttribute(idName, CAttribute(CAttribute::Text, reverted));
    CAttributes form;
    if (!deployment.CollectChanges(form, true) || form.GetCount() == 0)
        return;
    deployment.ApplyConsoleDisplayName();
    app->m_paths.erase(deployment.id);
    form.SetNumber(CTString(L"ID"), deployment.id);
    form.SetText(CTString(L"NAME"), deployment.name);
    form.SetNumber(CTString(L"SERIAL"), deployment.serial);
    MainWindow* main = m_owner;
    const __int64 key = m_key;
    app->m_db.Post(CTString(L"api/api_objSet.php"), form, [main, key, copy, originalId](DB::DBEvent& reply) {
        if (!main)
            return;
        if (auto* pane = static_cast<DlgDeployment*>(main->FindConsole(kConsoleType, key)))
            pane->OnDuplicateSourceSaved(reply, copy, originalId);
    });
}

void DlgDeployment::OnDuplicateSourceSaved(DB::DBEvent& reply, Object copy, CAttribute originalId)
{
    Object saved;
    if (!reply.ReadObject(saved))
        return;
    m_objects[SlotDeployment] = saved;
    m_duplicateSource = saved.id;
    m_duplicateOriginalId = originalId;
    // Storing it may reload the pane, which rebuilds its slots: only copies are used from here on.
    if (App* app = GetApp())
        app->m_dir.StoreObject(saved, 0);
    NotifyScheduleGroup(saved);
    copy.ApplyConsoleDisplayName();
    CreateDuplicate(copy);
}

void DlgDeployment::CreateDuplicate(const Object& copy)
{
    App* app = GetApp();
    if (!app)
        return;
    Object sent = copy;
    CAttributes form;
    sent.CollectChanges(form, true);
    form.SetNumber(CTString(L"TYPE"), sent.type);
    form.SetNumber(CTString(L"PARENT"), sent.parent);
    form.SetText(CTString(L"NAME"), sent.name);
    MainWindow* main = m_owner;
    const __int64 key = m_key;
    app->m_db.Post(CTString(L"api/api_objNew.php"), form, [main, key](DB::DBEvent& reply) {
        if (!main)
            return;
        if (auto* pane = static_cast<DlgDeployment*>(main->FindConsole(kConsoleType, key)))
            pane->OnDuplicateCreated(reply);
    });
}

void DlgDeployment::OnDuplicateCreated(DB::DBEvent& reply)
{
    Object created;
    const bool made = reply.ReadObject(created);
    const __int64 source = m_duplicateSource;
    m_duplicateSource = 0;
    if (!made) {
        // The id went over to a copy that was never made: the original takes it back.
        if (source != 0 && source == GetSlot(SlotDeployment).id)
            RestoreDuplicateSourceId();
        return;
    }
    App* app = GetApp();
    if (app)
        app->m_dir.StoreObject(created, 0);
    if (m_owner)
        m_owner->OpenObject(created, false, false);
    NotifyScheduleGroup(created);
}

void DlgDeployment::RestoreDuplicateSourceId()
{
    App* app = GetApp();
    Object& deployment = m_objects[SlotDeployment];
    deployment.SetAttribute(CTString(L"deployment_id"), m_duplicateOriginalId);
    CAttributes changes;
    if (!app || !deployment.CollectChanges(changes, true) || changes.GetCount() == 0)
        return;
    deployment.ApplyConsoleDisplayName();
    app->m_paths.erase(deployment.id);
    CAttributes privileges;
    app->m_db.ObjSet(static_cast<unsigned>(deployment.id), static_cast<unsigned>(deployment.serial), deployment.name,
                     changes, privileges, Route(kReqSave, 6));
}

void DlgDeployment::NotifyScheduleGroup(const Object& deployment)
{
    App* app = GetApp();
    if (!app)
        return;
    Object notified = deployment;
    for (int request : {static_cast<int>(kReqObjectChanged), static_cast<int>(kNoticeGroupWindows)}) {
        RequestResult notice;
        notice.route.targetType = 0xffff;
        notice.route.consoleType = kConsoleScheduleGroup;
        notice.route.consoleKey = deployment.parent;
        notice.route.requestId = request;
        notice.attached = &notified;
        app->m_windows.NotifyWindows(0xffff, 0, &notice);
    }
}

// The computer pane's record lists: the deployments page's rows, the transfers page's search and
// the orders list, with the paths that replace ids once they arrive.
#include "people/DlgComputer.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "deployments/DeploymentLinks.h"
#include "foundation/TiXmlElement.h"
#include "people/DlgComputerPageTransfers.h"
#include "session/DB.h"
#include "session/DeploymentWorkflow.h"
#include "session/RequestResult.h"

namespace {

enum : int { kLockedCellType = 4 };

CTString Decimal(__int64 value)
{
    CTString text;
    text.Format(L"%I64d", value);
    return text;
}

CTString TextOr(const CTString& text)
{
    return CTString(text.GetBuffer() ? text.GetBuffer() : L"");
}

} // namespace

CTString DlgComputer::DeploymentRowName(const Object& deployment)
{
    CTString name = TextOr(deployment.name);
    const CTString id = AttributeText(deployment, L"deployment_id");
    if (wcscmp(name.GetBuffer() ? name.GetBuffer() : L"", id.GetBuffer() ? id.GetBuffer() : L"") != 0) {
        name.Append(CTString(L" ("));
        name.Append(id);
        name.Append(CTString(L")"));
    }
    return name;
}

void DlgComputer::SendDeploymentSearches()
{
    m_deploymentsSearchPending = false;
    if (CTListCtrlReportEx* list = DeploymentsList())
        list->DeleteAllRows();
    App* app = GetApp();
    if (IsNew() || !app)
        return;
    for (const wchar_t* attribute : {L"link_legacy_computer", L"link_deployed_computer"})
        app->m_db.ObjSearch(CTString(L"Deployment"), DB::kParentAll, CTString(attribute), Decimal(m_computer.id), false,
                            DB::kNoMax, Route(kReqSearch, kSearchDeployments));
}

void DlgComputer::SendTransferSearch()
{
    if (!m_transfersPage)
        return;
    m_transfersPage->m_searchPending = false;
    m_transfersPage->m_secondFlag = false;
    m_transfersPage->Clear();
    m_transfersPage->m_list.m_report.EnableAutoSort(true);
    App* app = GetApp();
    if (IsNew() || !app)
        return;
    CTString search;
    search.Format(L"/%I64d/", m_computer.id);
    app->m_db.ObjSearch(CTString(L"Asset Transfer"), DB::kParentAll, CTString(L"assets_requested"), search, false,
                        DB::kNoMax, Route(kReqSearch, kSearchTransfers));
}

void DlgComputer::SendOrderSearch(const std::vector<__int64>& orders)
{
    App* app = GetApp();
    if (!app || orders.empty())
        return;
    CTString ids(L"/");
    for (__int64 id : orders) {
        ids.Append(Decimal(id));
        ids.Append(CTString(L"/"));
    }
    app->m_db.ObjSearchIds(ids, false, Route(kReqSearch, kSearchOrders));
}

void DlgComputer::OnSearchReply(TiXmlDocument& document, __int64 which)
{
    TiXmlElement* root = document.FirstChildElementNamed(L"result");
    App* app = GetApp();
    if (which == kSearchTransfers) {
        if (m_transfersPage)
            m_transfersPage->FillTransfers(document);
        return;
    }
    if (which == kSearchOrders) {
        if (!m_orders.m_hWnd)
            return;
        ::SendMessageW(m_orders.m_hWnd, LVM_DELETEALLITEMS, 0, 0);
        for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
             element = element->NextSiblingElementNamed(L"object")) {
            Object order;
            order.ReadFromXml(element, true);
            // An empty order date shows the order's creation; a text one shows nothing.
            CAttribute date;
            order.GetAttribute(date, CTString(L"order_date"));
            __int64 when = date.GetType() == CAttribute::Text ? 0 : date.GetValue();
            const bool empty = date.GetType() == CAttribute::Text ? !*date.GetText() : date.GetValue() == 0;
            if (!order.HasAttribute(CTString(L"order_date")) || empty)
                when = order.created.GetValue();
            CAttribute type;
            order.GetAttributeValueText(type, CTString(L"order_type"));
            CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(order.id)));
            row.AddAttribute(CAttribute(CAttribute::Date, when));
            row.AddText(CTString(type.GetText()));
            m_orders.InsertRow(m_orders.GetItemCount(), 0, row);
        }
        return;
    }
    if (which != kSearchDeployments)
        return;
    CTListCtrlReportEx* list = DeploymentsList();
    if (!list || !root || !app)
        return;
    const __int64 lock = LinkId(m_computer, L"link_deployment_lock");
    const int image = list->HasImageForKey(m_deploymentImage) ? list->GetImageForKey(m_deploymentImage) : -1;
    for (TiXmlElement* element = root->FirstChildElementNamed(L"object"); element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object deployment;
        deployment.ReadFromXml(element, true);
        if (list->FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(deployment.id))) >= 0)
            continue;
        CTString typeName, statusName;
        if (m_owner) {
            m_owner->m_cache.GetDeploymentTypeName(typeName, LinkId(deployment, L"link_deployment_type"));
            CAttribute code;
            deployment.GetAttribute(code, CTString(L"deployment_status"));
            Object status;
            m_owner->GetDeploymentStatus(status, CAttribute(CTString(code.GetText())));
            CTStringLocale name(status.name);
            statusName = name.GetUserText();
        }
        CAttribute completed;
        deployment.GetAttribute(completed, CTString(L"completed"));
        CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(deployment.id)));
        row.AddText(DeploymentRowName(deployment));
        row.AddText(TextOr(typeName));
        row.AddText(TextOr(statusName));
        row.AddAttribute(CAttribute(kLockedCellType, static_cast<__int64>(lock != 0 && lock == deployment.id ? 1 : 0)));
        row.AddAttribute(CAttribute(CAttribute::Date, completed.GetType() == CAttribute::Text ? 0 : completed.GetValue()));
        row.AddAttribute(MakeDeploymentStatusIcon(deployment, m_succeededImage, m_failedImage));
        list->InsertRow(list->GetItemCount(), image, row);
        app->IDToPath(deployment.parent, Route(kReqPath, deployment.id));
    }
    list->FitColumnsToContent();
}

void DlgComputer::OnDeploymentPathReply(RequestResult& result)
{
    CTListCtrlReportEx* list = DeploymentsList();
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    if (!list || !root)
        return;
    for (TiXmlElement* value = root->FirstChildElementNamed(L"value"); value;
         value = value->NextSiblingElementNamed(L"value")) {
        const int item = list->FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(result.route.param2)));
        if (item < 0)
            continue;
        const wchar_t* path = value->GetAttribute(L"path");
        CAttribute cell;
        list->GetCell(item, 0, cell);
        CTString text(path ? path : L"");
        text.Append(CTString(L"\\"));
        text.Append(CTString(cell.GetText()));
        list->SetCellAttribute(item, 0, CAttribute(text));
    }
}

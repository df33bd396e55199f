#include "lists/DlgListKinds.h"
#include "lists/ObjectClipboard.h"

#include <algorithm>
#include <memory>
#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/CAttributes.h"

namespace {
void AddProperties(std::vector<CTListCtrlReportEx::ToolbarButton>& buttons)
{
    buttons.push_back({DlgList::kCmdOpen, CTListCtrlReportEx::kStandardImage, 111, BTNS_BUTTON});
}

void OpenForm(DlgList& pane, int windowType, __int64 id)
{
    App* app = pane.GetApp();
    if (app && id != 0)
        app->m_windows.OpenWindow(windowType, static_cast<UINT64>(id), 0);
}
} // namespace

// ---- Administrators

void DlgListAdministrator::Load()
{
    if (App* app = GetApp())
        app->m_db.ObjSearch(m_typeName, DB::kParentAll, CTString(), CTString(), false, DB::kNoMax,
                            PaneRoute(kReqSearch));
}

void DlgListAdministrator::OpenItem(__int64 id, int) { OpenForm(*this, kFormType, id); }

void DlgListAdministrator::AddToolbarButtons(std::vector<CTListCtrlReportEx::ToolbarButton>& buttons)
{
    AddProperties(buttons);
}

bool DlgListAdministrator::OnKindCommand(int command)
{
    if (command != kCmdWizard)
        return false;
    if (App* app = GetApp())
        app->m_windows.OpenWindow(kWizardType, 0, 0);
    return true;
}

void DlgListAdministrator::OnSearchFilled()
{
    RemoveRowsIf([](const Row& row) { return row.object.GetPrivilege(CTString(L"SuperUser")); });
}

void DlgListAdministrator::RequestPendingValues()
{
    std::vector<PendingValue> taken;
    taken.swap(pendingValues);
    CTString idList;
    for (const PendingValue& value : taken) {
        if (!value.attribute.Equals(L"last_logon"))
            continue;
        wchar_t number[24];
        _snwprintf(number, 24, L"%I64d", value.objectId);
        number[23] = 0;
        if (!idList.IsEmpty())
            idList.AppendText(L",");
        idList.AppendText(number);
    }
    App* app = GetApp();
    if (!app || taken.empty())
        return;
    __int64 position = 0;
    if (m_owner) {
        Object logon;
        m_owner->GetTypeByName(logon, CTString(L"Logon"));
        if (!logon.FindAllowedValueIndex(CTString(L"logon_event"), CTString(L"logon"), position))
            position = 0;
    }
    CTString filter;
    filter.Format(L"link_user=%s|logon_event=%d", idList.GetBuffer() ? idList.GetBuffer() : L"",
                  static_cast<int>(position));
    CAttributes form;
    form.SetText(CTString(L"TYPE"), CTString(L"Logon"));
    form.SetText(CTString(L"RETURNTYPE"), CTString(L"OBJECT"));
    form.SetText(CTString(L"ATTRIBS"), filter);
    form.SetText(CTString(L"MAXGROUPBY"), CTString(L"link_user"));
    // The pane may be gone when the reply comes: it is found again by its key.
    MainWindow* owner = m_owner;
    __int64 key = m_key;
    auto values = std::make_shared<std::vector<PendingValue>>(std::move(taken));
    app->m_db.Post(CTString(L"api/api_qelEventQuery.php"), form, [owner, key, values](DB::DBEvent& reply) {
        auto* pane = owner ? dynamic_cast<DlgListAdministrator*>(owner->FindConsole(kConsoleType, key)) : nullptr;
        if (!pane)
            return;
        TiXmlDocument doc;
        pane->OnLastLogons(reply.ReadXmlReply(doc) == 2 ? &doc : nullptr, *values);
    });
}

void DlgListAdministrator::OnLastLogons(TiXmlDocument* reply, std::vector<PendingValue>& taken)
{
    TiXmlElement* root = reply ? reply->FirstChildElementNamed(L"result") : nullptr;
    for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object event;
        event.ReadFromXml(element, true);
        CAttribute user;
        event.GetAttribute(user, L"link_user");
        for (PendingValue& value : taken)
            if (value.objectId == user.GetValue()) {
                value.value = event.created;
                break;
            }
    }
    if (rows.empty())
        return;
    CTListCtrlReportEx& report = Report();
    for (const PendingValue& value : taken) {
        if (!IsRow(value.row))
            continue;
        int item = report.FindRowByData(value.row);
        if (item >= 0)
            report.SetCellAttribute(item, value.column, value.value);
    }
    report.FitColumnsToContent();
}

// ---- Organisations and groups

void DlgListOrganisation::OpenItem(__int64 id, int)
{
    if (m_owner && id != 0)
        m_owner->ShowConsole(kOrganisationConsole, id, false);
}

void DlgListOrganisation::AddToolbarButtons(std::vector<CTListCtrlReportEx::ToolbarButton>& buttons)
{
    AddProperties(buttons);
}

void DlgListGroups::OpenItem(__int64 id, int) { OpenForm(*this, kFormType, id); }

void DlgListGroups::AddToolbarButtons(std::vector<CTListCtrlReportEx::ToolbarButton>& buttons)
{
    AddProperties(buttons);
}

// ---- Reports

const wchar_t* const DlgListReports::kClipboardFormat = L"TavikDlgReport";

DlgListReports::DlgListReports() : DlgList(kConsoleType)
{
    m_format = RegisterClipboardFormatW(kClipboardFormat);
}

void DlgListReports::OpenItem(__int64 id, int) { OpenForm(*this, kFormType, id); }

void DlgListReports::AddToolbarButtons(std::vector<CTListCtrlReportEx::ToolbarButton>& buttons)
{
    AddProperties(buttons);
    buttons.push_back({kCmdCopy, CTListCtrlReportEx::kStandardImage, 113, BTNS_BUTTON});
    buttons.push_back({kCmdPaste, CTListCtrlReportEx::kStandardImage, 114, BTNS_BUTTON});
}

void DlgListReports::CopyItem(__int64 id)
{
    CopyObjectIdToClipboard(m_hWnd, m_format, id);
}

void DlgListReports::PasteItem()
{
    __int64 id = PasteObjectIdFromClipboard(m_hWnd, m_format);
    // Nothing copied: there is no report to copy (object 0 is no object).
    App* app = GetApp();
    if (id == 0 || !app)
        return;
    if (m_parentId == 0)
        m_parentId = DefaultParentId();
    app->m_db.ObjCopy(static_cast<unsigned>(id), static_cast<unsigned>(m_parentId), PaneRoute(kReqCopied));
}

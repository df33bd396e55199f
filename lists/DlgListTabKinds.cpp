#include "lists/DlgListTabKinds.h"

#include "app/App.h"
#include "lists/DlgListAttributeMap.h"
#include "lists/ObjectClipboard.h"

namespace {
void OpenForm(DlgListTab& tab, __int64 id)
{
    const int type = ListTabFormType(tab.m_tabId);
    App* app = tab.GetApp();
    if (app && type != 0 && id > 0)
        app->m_windows.OpenWindow(type, static_cast<UINT64>(id), reinterpret_cast<INT_PTR>(tab.m_hWnd));
}

void AddProperties(std::vector<CTListCtrlReportEx::ToolbarButton>& buttons)
{
    buttons.push_back({DlgListTab::kCmdProperties, CTListCtrlReportEx::kStandardImage, 111, BTNS_BUTTON});
}
} // namespace

int ListTabFormType(int tabId)
{
    switch (tabId) {
    case 1048: return 39;
    case 1049: return 43;
    case 1050: return 40;
    case 1052: return 47;
    case 1053: return 41;
    case 1058: return 46;
    case 1065: return 52;
    default: return 0;
    }
}

DlgListTab* CreateListTab(int tabId)
{
    switch (tabId) {
    case 1046: return new DlgListAttributeMap();
    case 1047:
    case 1060: return new DlgListTab(tabId);
    case 1048:
    case 1049:
    case 1058:
    case 1065: return new DlgListProperties(tabId);
    case 1050: return new DlgListUserPortal();
    case 1052: return new DlgListAdminPortal();
    case 1053: return new DlgListStagingTemplate();
    default: return nullptr;
    }
}

// ---- Properties

const wchar_t* const DlgListProperties::kClipboardFormat = L"TavikDlgListProperties";

bool DlgListProperties::OnInitTab()
{
    m_format = RegisterClipboardFormatW(kClipboardFormat);
    return DlgListTab::OnInitTab();
}

void DlgListProperties::AddToolbarButtons(std::vector<CTListCtrlReportEx::ToolbarButton>& buttons)
{
    AddProperties(buttons);
    if (m_typeName.Compare(L"Sync") == 0) {
        buttons.push_back({kCmdCopy, CTListCtrlReportEx::kStandardImage, 113, BTNS_BUTTON});
        buttons.push_back({kCmdPaste, CTListCtrlReportEx::kStandardImage, 114, BTNS_BUTTON});
    }
}

void DlgListProperties::OpenItem(__int64 id) { OpenForm(*this, id); }

void DlgListProperties::CopyItem(__int64 id)
{
    if (m_format)
        CopyObjectIdToClipboard(m_hWnd, m_format, id);
}

void DlgListProperties::PasteItem()
{
    const __int64 id = m_format ? PasteObjectIdFromClipboard(m_hWnd, m_format) : 0;
    // Nothing copied: object 0 is no object to copy.
    App* app = GetApp();
    if (id == 0 || !app)
        return;
    app->m_db.ObjCopy(static_cast<unsigned>(id), static_cast<unsigned>(m_parentId), TabRoute(kReqCopied));
}

// ---- Portals and staging templates

void DlgListAdminPortal::AddToolbarButtons(std::vector<CTListCtrlReportEx::ToolbarButton>& buttons)
{
    AddProperties(buttons);
}

void DlgListAdminPortal::OpenItem(__int64 id) { OpenForm(*this, id); }

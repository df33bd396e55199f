#include "structure/DlgOUSecurityPage.h"

#include <commctrl.h>
#include <algorithm>
#include <map>
#include <vector>
#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/TiXmlDocument.h"
#include "foundation/TiXmlElement.h"

using SecurityPage = DlgOU::CSecurityPage;

namespace {

void* Key(__int64 id) { return reinterpret_cast<void*>(static_cast<INT_PTR>(id)); }

CTListCtrlReport::Cell Bit(__int64 rights, int bit)
{
    return CTListCtrlReport::Cell(4, static_cast<__int64>((rights >> bit) & 1));
}

} // namespace

SecurityPage::CSecurityPage(DlgOU* form) : m_ou(form) { m_title = L"Security"; }

SecurityPage::~CSecurityPage()
{
    *m_alive = false;
    m_list.Destroy();
}

bool SecurityPage::CreatePage(HWND parent)
{
    CTWndListCtrlEx2::RegisterClass(GetTemplateModule());
    CTWndListCtrlEx2::RegisterClass(GetModuleHandleW(nullptr));
    return CWMFormPage::CreatePage(parent);
}

bool SecurityPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result)) return true;
    if (msg != WM_INITDIALOG) return false;
    Init(m_hWnd, false, 300, 150, false);
    AddItem(GetDlgItem(m_hWnd, kList), RightToRight | BottomToBottom);
    if (m_list.Create(m_hWnd, kList, true, 0)) {
        CTListCtrlReportEx& report = m_list.m_report;
        report.ModifyOptions(CTListCtrlReport::OptGridLines, 0);
        report.ModifyOptions(CTListCtrlReport::OptGridLines, CTListCtrlReport::OptStretch);
        report.ModifyStyle(LVS_SINGLESEL, WS_TABSTOP, 0);
        ListView_SetExtendedListViewStyleEx(report.m_hWnd, LVS_EX_GRIDLINES, 0);
        report.SetColumns(CTString(L"Name,200;Type,100;Read,50;Write,50;Perm,50;Priv,50;Inherited,200; ;"), 104, nullptr,
                          L"DlgOU::CSecurityPage::ctrlList_");
        for (int position = 2; position <= 5; ++position) report.SetColumnFixedWidth(position, 50);
    }
    *result = TRUE;
    return true;
}

bool SecurityPage::OnNotify(WPARAM, NMHDR* hdr, LRESULT* result)
{
    return m_list.m_report.m_hWnd && hdr && m_list.m_report.OnParentNotify(hdr, result);
}

bool SecurityPage::Load()
{
    App* app = DlgOU::GetApp();
    if (!app || !m_ou) return true;
    CAttributes form;
    CTString id;
    id.Format(L"%I64d", static_cast<__int64>(m_ou->m_key));
    form.SetText(CTString(L"ID"), id);
    form.SetText(CTString(L"QUERYACL"), CTString(L"1"));
    std::shared_ptr<bool> alive = m_alive;
    app->m_db.Post(CTString(L"api/api_objAccessGet.php"), form, [this, alive](DB::DBEvent& event) {
        if (!*alive) return;
        TiXmlDocument document;
        if (event.ReadXmlReply(document) == 2) OnAclReply(document);
    });
    return true;
}

int SecurityPage::ImageFor(const Object& object)
{
    App* app = DlgOU::GetApp();
    if (!app) return 0;
    CAttribute image;
    object.GetAttribute(image, CTString(L"tree_image"));
    CTString name(image.GetText());
    if (name.IsEmpty()) return 0;
    int index = app->FindIcon(name);
    if (index < 0) index = app->AddIcon(name, m_ou->MakeRoute(DlgOU::kReqIcon));
    if (index < 0) return 0;
    CTListCtrlReport& report = m_list.m_report;
    if (!report.HasImageForKey(index)) {
        if (HICON icon = ImageList_GetIcon(app->m_smallImages, index, ILD_TRANSPARENT)) {
            report.AddImageForKey(icon, index);
            DestroyIcon(icon);
        }
    }
    return report.HasImageForKey(index) ? std::max(0, report.GetImageForKey(index)) : 0;
}

void SecurityPage::OnAclReply(TiXmlDocument& document)
{
    CTListCtrlReport& report = m_list.m_report;
    // A body that is not the server's XML leaves the rows as they are.
    TiXmlElement* root = document.FirstChildElementNamed(L"result");
    if (!report.m_hWnd || !root) return;
    report.DeleteAllRows();
    App* app = DlgOU::GetApp();
    const MainWindow* main = app ? app->m_mainWindow : nullptr;
    std::vector<__int64> sources;
    for (TiXmlElement* element = root->FirstChildElementNamed(L"object"); element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object holder;
        holder.ReadFromXml(element, true);
        Object definition;
        if (main) main->GetTypeById(definition, holder.type);
        const __int64 rights = ReadDecimal64(element->GetAttribute(L"acl"));
        const __int64 source = ReadDecimal64(element->GetAttribute(L"acl_grant"));
        CTListCtrlReport::Row row(Key(holder.id));
        row.AddText(CTString(holder.name)).AddText(CTString(definition.name));
        for (int bit = 0; bit < 4; ++bit) row.AddCell(Bit(rights, bit));
        if (ReadDecimal64(element->GetAttribute(L"acl_inherit")) != 0) {
            const CTString* cached = nullptr;
            if (app) {
                auto it = app->m_paths.find(source);
                if (it != app->m_paths.end()) cached = &it->second;
            }
            if (cached) {
                row.AddText(*cached);
            } else {
                row.AddNumber(source);
                sources.push_back(source);
            }
        } else {
            row.AddCell(CTListCtrlReport::Cell(CAttribute::Integer, CTString()));
        }
        row.AddText(CTString(L" "));
        report.InsertRow(report.GetItemCount(), ImageFor(holder), row);
    }
    report.FitColumnsToContent();
    if (!sources.empty() && app) app->IDsToPaths(sources, m_ou->MakeRoute(DlgOU::kReqPath, kPathTag));
}

void SecurityPage::OnResult(RequestResult& reply)
{
    CTListCtrlReport& report = m_list.m_report;
    App* app = DlgOU::GetApp();
    if (!report.m_hWnd || !app) return;
    if (reply.route.requestId == DlgOU::kReqIcon) {
        const int index = static_cast<int>(reply.route.param2);
        if (!report.HasImageForKey(index)) return;
        if (HICON icon = ImageList_GetIcon(app->m_smallImages, index, ILD_TRANSPARENT)) {
            report.ReplaceImage(icon, report.GetImageForKey(index));
            DestroyIcon(icon);
            InvalidateRect(report.m_hWnd, nullptr, TRUE);
        }
        return;
    }
    if (reply.route.requestId != DlgOU::kReqPath || reply.route.param2 != kPathTag || reply.returnCode != 0) return;
    std::map<__int64, CTString> paths;
    TiXmlElement* root = const_cast<TiXmlDocument&>(reply.document).FirstChildElementNamed(L"result");
    for (TiXmlElement* value = root ? root->FirstChildElementNamed(L"value") : nullptr; value;
         value = value->NextSiblingElementNamed(L"value")) {
        const wchar_t* path = value->GetAttribute(L"path");
        paths[ReadDecimal64(value->GetAttribute(L"ID"))] = CTString(path ? path : L"");
    }
    const int count = report.GetItemCount();
    for (int item = 0; item < count; ++item) {
        CAttribute cell;
        if (!report.GetCell(item, kColInherited, cell) || CAttribute::IsTextType(cell.GetType())) continue;
        auto path = paths.find(cell.GetValue());
        if (path != paths.end()) report.SetCellAttribute(item, kColInherited, CAttribute(path->second));
    }
}

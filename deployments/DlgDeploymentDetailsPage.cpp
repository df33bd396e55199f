#include "deployments/DlgDeploymentPages.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "deployments/DeploymentLinks.h"
#include "session/FormHelpers.h"

bool DlgDeployment::CPageDeployment::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    if (msg == WM_INITDIALOG) {
        CTWndSize::Init(m_hWnd, false, 0, 0, false);
        AddItem(GetDlgItem(m_hWnd, kIdList), 12);
        m_properties.Create(kIdList, m_hWnd);
        *result = TRUE;
        return true;
    }
    if (m_properties.m_hWnd && m_properties.OnParentMessage(msg, wParam, lParam, result))
        return true;
    if (handled)
        return true;
    return DeploymentPageBase::OnMessage(msg, wParam, lParam, result);
}

bool DlgDeployment::CPageDeployment::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (LOWORD(wParam) != kIdList)
        return DeploymentPageBase::OnCommand(wParam, lParam, result);
    const WORD code = HIWORD(wParam);
    // The list's own focus notices while a row is being edited: the edit may have changed the value.
    if ((code == 5 || code == 6) && m_properties.m_hWnd && reinterpret_cast<HWND>(lParam) == m_properties.m_hWnd) {
        if (m_properties.m_editor && !m_properties.IsReadOnly(m_properties.GetCurrent()))
            ::SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(kIdList, 0xF0), lParam);
        *result = 0;
        return true;
    }
    if (code == 0 || code == 1 || code == 0xF0 || code == 0x300)
        MarkModified();
    *result = 0;
    return true;
}

int DlgDeployment::CPageDeployment::Validate(void* context, HWND editor, int kind, __int64 data)
{
    (void)editor;
    (void)kind;
    (void)data;
    if (auto* page = dynamic_cast<CPageDeployment*>(CTWnd2::FromHandle(static_cast<HWND>(context))))
        page->MarkModified();
    return 1;
}

void DlgDeployment::CPageDeployment::Fill()
{
    MainWindow* main = GetMain();
    if (!main || !m_properties.m_hWnd)
        return;
    main->FillAttributeEditor(m_properties, &Validate, m_hWnd, PaneRoute(DlgDeployment::kReqChoices, 0),
                              GetDeployment());
    m_properties.SetListReadOnly(m_readOnly);
}

void DlgDeployment::CPageDeployment::SetReadOnly(bool readOnly)
{
    const bool changed = readOnly != m_readOnly;
    m_readOnly = readOnly;
    if (changed && m_properties.m_hWnd) {
        m_properties.SetListReadOnly(readOnly);
        InvalidateRect(m_properties.m_hWnd, nullptr, TRUE);
    }
}

void DlgDeployment::CPageDeployment::OnChoicesArrived(int attributeId)
{
    MainWindow* main = GetMain();
    DlgDeployment* pane = GetPane();
    App* app = pane ? pane->GetApp() : nullptr;
    if (!main || !app || !m_properties.m_hWnd)
        return;
    const Object& deployment = GetDeployment();
    std::vector<Object> mappings;
    main->GetCustomAttributes(deployment, mappings);
    for (const Object& mapping : mappings) {
        CTString name = AttributeText(mapping, L"attrib_name");
        if (name.IsEmpty() || deployment.GetAttributeId(name) != attributeId)
            continue;
        App::LookupList items;
        CTString listName = AttributeText(mapping, L"attrib_list_name");
        RequestRoute route = PaneRoute(DlgDeployment::kReqChoices, attributeId);
        bool ready = !listName.IsEmpty() ? app->GetCommsList(CAttribute(listName), items, route)
                                         : app->ParseLookup(name, CTString(L""), items, route);
        if (ready) {
            CTWndPropertyList::ChoiceMap choices;
            for (const auto& [key, text] : items)
                choices[key] = text;
            CTStringLocale caption(mapping.name);
            m_properties.SetChoices(CTString(caption.GetUserText()), choices);
        }
        return;
    }
}

void DlgDeployment::CPageDeployment::SaveRows(Object& deployment)
{
    if (m_properties.m_hWnd)
        StorePropertyRows(m_properties, deployment, false);
}

#include "people/DetailsPage.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "people/RecordList.h"
#include "session/FormHelpers.h"

bool DetailsPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    if (msg == WM_INITDIALOG) {
        CTWndSize::Init(m_hWnd, false, 0, 0, false);
        m_grid.Create(kIdGrid, m_hWnd);
        AddItem(GetDlgItem(m_hWnd, kIdGrid), 12);
        *result = TRUE;
        return true;
    }
    if (m_grid.m_hWnd && m_grid.OnParentMessage(msg, wParam, lParam, result))
        return true;
    if (handled)
        return true;
    return RecordPage::OnMessage(msg, wParam, lParam, result);
}

bool DetailsPage::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (LOWORD(wParam) != kIdGrid)
        return RecordPage::OnCommand(wParam, lParam, result);
    const WORD code = HIWORD(wParam);
    // The list box's focus notices while a row is being edited: the edit may have changed the value.
    if ((code == 5 || code == 6) && m_grid.m_hWnd && reinterpret_cast<HWND>(lParam) == m_grid.m_hWnd) {
        if (m_grid.m_editor)
            ::SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(kIdGrid, 0xF0), lParam);
        *result = 0;
        return true;
    }
    if (code == 0 || code == 1 || code == 0xF0 || code == 0x300)
        MarkModified();
    *result = 0;
    return true;
}

int DetailsPage::OnEdit(void* context, HWND editor, int kind, __int64 data)
{
    (void)editor;
    (void)kind;
    (void)data;
    if (auto* page = dynamic_cast<DetailsPage*>(CTWnd2::FromHandle(static_cast<HWND>(context))))
        page->MarkModified();
    return 1;
}

void DetailsPage::Fill()
{
    MainWindow* main = GetMain();
    Object* shown = GetShown();
    if (!main || !shown || !m_grid.m_hWnd)
        return;
    main->FillAttributeEditor(m_grid, &OnEdit, m_hWnd, Route(kReqChoices, 0), *shown);
}

CTString DetailsPage::ChoiceListName(const Object& mapping, const Object& object)
{
    (void)object;
    return TextOf(mapping, L"attrib_list_name");
}

void DetailsPage::OnChoicesArrived(int attributeId)
{
    MainWindow* main = GetMain();
    App* app = GetApp();
    Object* shown = GetShown();
    if (!main || !app || !shown || !m_grid.m_hWnd)
        return;
    std::vector<Object> mappings;
    main->GetCustomAttributes(*shown, mappings);
    for (const Object& mapping : mappings) {
        CTString name = TextOf(mapping, L"attrib_name");
        if (name.IsEmpty() || shown->GetAttributeId(name) != attributeId)
            continue;
        App::LookupList items;
        CTString listName = ChoiceListName(mapping, *shown);
        RequestRoute route = Route(kReqChoices, attributeId);
        bool ready = !listName.IsEmpty() ? app->GetCommsList(CAttribute(listName), items, route)
                                         : app->ParseLookup(name, CTString(L""), items, route);
        if (ready) {
            CTWndPropertyList::ChoiceMap choices;
            for (const auto& [key, text] : items)
                choices[key] = text;
            CTStringLocale caption(mapping.name);
            m_grid.SetChoices(CTString(caption.GetUserText()), choices);
        }
        return;
    }
}

void DetailsPage::StoreRows(Object& object, bool keepType)
{
    StorePropertyRows(m_grid, object, keepType);
}

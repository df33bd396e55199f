// The custom attribute editor: a property grid filled from the "Attribute Mapping" setting objects
// that apply to an object, with inherit toggles on inheritable attributes and choice lists from
// named lists, lookups and edit definitions.
#include "app/MainWindow.h"

#include <string>
#include "app/App.h"
#include "controls/CGDIManager.h"

namespace {

constexpr DWORD kInheritToggle = 0x7002;   // toggle button with an icon, in the row, usable when read-only
constexpr int kGdiInheritIcon = 19;

CTString TextOf(const Object& obj, const wchar_t* name)
{
    CAttribute value;
    obj.GetAttribute(value, CTString(name));
    return value.GetString();
}

bool SpecTypeIs(const Object& obj, const CTString& name, const wchar_t* type)
{
    return obj.EditSpecItemEquals(name, CTString(L"TYPE"), CTString(type));
}

void CopyChoices(const App::LookupList& from, CTWndPropertyList::ChoiceMap& to)
{
    to.clear();
    for (const auto& [key, text] : from)
        to[key] = text;
}

// "'First','Second'" -> 0 First, 1 Second.
void ChoicesFromValues(const CTString& values, CTWndPropertyList::ChoiceMap& to)
{
    to.clear();
    std::wstring text(values.GetBuffer() ? values.GetBuffer() : L"");
    __int64 key = 0;
    size_t from = 0;
    while (true) {
        size_t comma = text.find(L',', from);
        std::wstring item = text.substr(from, comma == std::wstring::npos ? std::wstring::npos : comma - from);
        size_t first = item.find_first_not_of(L'\'');
        size_t last = item.find_last_not_of(L'\'');
        item = first == std::wstring::npos ? std::wstring() : item.substr(first, last - first + 1);
        to[CAttribute(CAttribute::Integer, key++)] = CTString(item.c_str());
        if (comma == std::wstring::npos)
            break;
        from = comma + 1;
    }
}

} // namespace

void MainWindow::FillAttributeEditor(CTWndPropertyList& grid, CTWndPropertyList::EditCallback validate, HWND owner,
                                     const RequestRoute& route, const Object& object)
{
    HWND list = grid.m_hWnd;
    int selection = list ? static_cast<int>(::SendMessageW(list, LB_GETCURSEL, 0, 0)) : -1;
    int top = list ? static_cast<int>(::SendMessageW(list, LB_GETTOPINDEX, 0, 0)) : 0;
    grid.RemoveAll();
    m_attributeEditors[owner] = &grid;

    Object definition;
    GetTypeById(definition, object.type);
    std::vector<Object> mappings;
    GetCustomAttributes(object, mappings);

    App* app = m_app ? m_app : App::Instance();
    for (const Object& mapping : mappings) {
        CTString name = TextOf(mapping, L"attrib_name");
        const Object::Attribute* attribute = object.FindAttribute(name);
        if (!attribute)
            continue;
        CAttribute value;
        value.Assign(*attribute);
        __int64 data = object.GetAttributeId(name);
        CTString caption(mapping.name);
        CTString category = TextOf(mapping, L"category");
        bool inherited = definition.IsAttributeInheritable(name);
        DWORD flags = inherited && validate ? kInheritToggle : 0;
        RequestRoute lookupRoute = route;
        lookupRoute.param2 = data;

        int kind = -1;
        bool readOnly = false;
        CTWndPropertyList::ChoiceMap choices;
        bool setChoices = false;
        __int64 linkedId = 0;
        CAttribute displayType;
        mapping.GetAttribute(displayType, CTString(L"console_display_type"));

        switch (value.GetType()) {
        case CAttribute::Text: {
            CTString listName = TextOf(mapping, L"attrib_list_name");
            if (!listName.IsEmpty()) {
                kind = CTWndPropertyList::KindChoice;
                App::LookupList items;
                if (app && app->GetCommsList(CAttribute(listName), items, lookupRoute)) {
                    CopyChoices(items, choices);
                    setChoices = true;
                }
            } else if (SpecTypeIs(object, name, L"MultiLine")) {
                kind = CTWndPropertyList::KindMultiLine;
            } else if (SpecTypeIs(object, name, L"Locale")) {
                kind = CTWndPropertyList::KindLocale;
            } else {
                kind = CTWndPropertyList::KindText;
            }
            break;
        }
        case CAttribute::Integer:
            if (attribute->editSpec.IsEmpty()) {
                kind = CTWndPropertyList::KindText;
                if (value.GetTextLength() == 0)
                    value.UpdateText();
            } else if (attribute->flags & Object::Attribute::Link) {
                if (!CAttribute::IsTextType(displayType.GetType()) && displayType.GetValue() == 1) {
                    kind = CTWndPropertyList::KindText;
                    readOnly = true;
                    linkedId = value.GetValue();
                    if (value.IsEmpty())
                        value.SetText(CAttribute::Text, CTString());
                } else {
                    kind = CTWndPropertyList::KindChoice;
                    App::LookupList items;
                    if (app && app->ParseLookup(attribute->editSpec, attribute->editSpec, items, lookupRoute)) {
                        CopyChoices(items, choices);
                        setChoices = true;
                    }
                }
            } else if (SpecTypeIs(object, name, L"Checkbox")) {
                kind = CTWndPropertyList::KindCheckBox;
                value = CAttribute(CAttribute::Integer, attribute->GetValue());
            } else {
                CAttribute values;
                object.GetEditSpecItem(values, name, CTString(L"VALUES"));
                if (values.GetTextLength()) {
                    kind = CTWndPropertyList::KindChoice;
                    value = CAttribute(CAttribute::Integer, attribute->GetValue());
                    ChoicesFromValues(values.GetString(), choices);
                    setChoices = true;
                }
            }
            break;
        case CAttribute::DateTime:
            if (SpecTypeIs(object, name, L"Date")) {
                value.SetValue(CAttribute::Date, value.GetValue());
                value.UpdateText();
                kind = CTWndPropertyList::KindDate;
            } else {
                kind = CTWndPropertyList::KindDateTime;
            }
            break;
        default:
            break;
        }
        if (kind < 0)
            continue;

        int index = grid.InsertProperty(kind, caption, value, data, category.GetBuffer(), &AttributeRowCallback,
                                        validate, owner, flags);
        if (index < 0)
            continue;
        if (setChoices)
            if (CTWndPropertyList::CItem* row = grid.GetItem(index))
                row->m_choices = choices;
        if (readOnly)
            grid.SetReadOnly(index, true);
        if (object.IsAttributeDefault(name) && inherited) {
            grid.SetReadOnly(index, true);
            grid.SetChecked(index, true);
        }
        if (linkedId && app) {
            // The linked object's name replaces the id once the directory cache has it; the grid
            // may have been refilled or destroyed by then.
            HWND gridWindow = grid.m_hWnd;
            app->m_dir.RequestObject(linkedId, 0, route, [app, owner, gridWindow, data, linkedId]() {
                MainWindow* main = app->m_mainWindow;
                if (!main)
                    return;
                auto found = main->m_attributeEditors.find(owner);
                if (found == main->m_attributeEditors.end() || !found->second || found->second->m_hWnd != gridWindow ||
                    !::IsWindow(gridWindow))
                    return;
                CTWndPropertyList* target = found->second;
                const Object* linked = app->m_dir.Lookup(linkedId);
                int row = target->FindPropertyByData(data);
                if (!linked || linked->id == 0 || row < 0)
                    return;
                target->SetValue(row, CAttribute(CAttribute::Text, CTString(linked->name)));
                InvalidateRect(gridWindow, nullptr, TRUE);
            }, nullptr);
        }
    }

    if (list) {
        ::SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
        InvalidateRect(list, nullptr, TRUE);
        if (selection != -1)
            ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selection), 0);
    }
}

int MainWindow::AttributeRowCallback(void* owner, __int64 data, int code, CAttribute* value)
{
    switch (code) {
    case CTWndPropertyList::CodePressed: {
        App* app = App::Instance();
        MainWindow* main = app ? app->m_mainWindow : nullptr;
        if (!main)
            return 2;
        auto found = main->m_attributeEditors.find(static_cast<HWND>(owner));
        if (found == main->m_attributeEditors.end() || !found->second)
            return 2;
        CTWndPropertyList* grid = found->second;
        int row = grid->FindPropertyByData(data);
        if (row >= 0) {
            // The toggle button has already flipped the row's check state when the grid calls
            // back; the row follows it: inherited (checked) rows are read-only.
            bool checked = grid->IsChecked(row);
            grid->SetReadOnly(row, checked);
        }
        return 2;
    }
    case CTWndPropertyList::CodeButtonIcon: {
        CGDIManager::CObject* icon = CGDIManager::Instance()->Find(kGdiInheritIcon);
        if (value)
            value->SetValue(CAttribute::Integer, icon ? static_cast<__int64>(icon->Get()) : 0);
        return 1;
    }
    default:
        return 0;
    }
}

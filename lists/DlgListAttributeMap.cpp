#include "lists/DlgListAttributeMap.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "lists/ObjectListChoices.h"

namespace {
// The row's attribute object as text: a text as it is, a number in decimal, nothing when absent.
CTString AttribObjectText(const Object& object)
{
    CTString text;
    const Object::Attribute* attribute = object.FindAttribute(CTString(L"attrib_object"));
    if (!attribute)
        return text;
    if (CAttribute::IsTextType(attribute->GetType()))
        text = attribute->GetText();
    else
        text.Format(L"%I64d", attribute->GetValue());
    return text;
}
} // namespace

void DlgListAttributeMap::OnLinkColumn(Object& object, const CTString& name, CTString& spec)
{
    if (name.Compare(L"link_portal_render") != 0)
        return;
    spec.AppendText(L"|OBJECT=");
    spec.Append(AttribObjectText(object));
}

void DlgListAttributeMap::FillChoices(const CTString& listName, const CTString& typeName,
                                      CTListCtrlEdit::Choices& choices)
{
    choices[0] = L" ";
    // The rule holds the attribute object as text, whatever its stored kind: compared as text.
    const CAttribute item = CAttribute::ConstructFromSpec(listName, CTString(L"OBJECT"));
    const CTString wanted(item.GetText());
    auto fill = [&](const ObjectListChoiceSource& source) {
        source.ForEachSettingsObjectOfType(typeName, [&](const Object& object) {
            if (object.FindAttribute(CTString(L"attrib_object")) && AttribObjectText(object).Compare(wanted) == 0)
                choices[static_cast<unsigned>(object.id)] = object.name;
        });
    };
    if (choiceSource) {
        fill(*choiceSource);
        return;
    }
    App* app = GetApp();
    if (!app)
        app = App::Instance();
    if (app && app->m_mainWindow)
        fill(ObjectListCacheChoices(app->m_mainWindow->m_cache, app->m_dir));
}

#include "lists/DlgListAttributeMap.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "lists/ObjectListChoices.h"

namespace {
bool SameValue(const CAttribute& a, const CAttribute& b)
{
    if (a.GetType() != b.GetType())
        return false;
    if (CAttribute::IsTextType(a.GetType()))
        return wcscmp(a.GetText(), b.GetText()) == 0;
    return a.GetValue() == b.GetValue();
}
} // namespace

void DlgListAttributeMap::OnLinkColumn(Object& object, const CTString& name, CTString& spec)
{
    if (name.Compare(L"link_portal_render") != 0)
        return;
    CAttribute value;
    object.GetAttributeValueText(value, CTString(L"attrib_object"));
    CTString text;
    if (CAttribute::IsTextType(value.GetType()))
        text = value.GetText();
    else if (value.GetType() != 0)
        text.Format(L"%I64d", value.GetValue());
    spec.AppendText(L"|OBJECT=");
    spec.Append(text);
}

void DlgListAttributeMap::FillChoices(const CTString& listName, const CTString& typeName,
                                      CTListCtrlEdit::Choices& choices)
{
    choices[0] = L" ";
    const CAttribute wanted = CAttribute::ConstructFromSpec(listName, L"OBJECT");
    auto fill = [&](const ObjectListChoiceSource& source) {
        source.ForEachSettingsObjectOfType(typeName, [&](const Object& object) {
            CAttribute own;
            if (const Object::Attribute* attribute = object.FindAttribute(CTString(L"attrib_object")))
                own.Assign(*attribute);
            if (SameValue(own, wanted))
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

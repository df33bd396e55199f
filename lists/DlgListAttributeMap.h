#pragma once
// The attribute-mapping tab: a row's "link_portal_render" drop-down offers only the portal renders
// of the row's own attribute object.
#include "lists/DlgListTab.h"

class DlgListAttributeMap : public DlgListTab {
public:
    DlgListAttributeMap() : DlgListTab(1046) {}
    // "link_portal_render" gets "|OBJECT=" and the row's "attrib_object" text on its edit rule, so
    // rows of different attribute objects have choice lists of their own.
    void OnLinkColumn(Object& object, const CTString& name, CTString& spec) override;
    // A blank entry, then the settings objects of the type whose "attrib_object" equals the rule's OBJECT.
    void FillChoices(const CTString& listName, const CTString& typeName, CTListCtrlEdit::Choices& choices) override;
};

#pragma once
// The "General" page of the unit form: name, description and display name, five links (an
// organisation chosen from a drop-down, three people and a site chosen in pickers), the survey
// page, the custom attributes grid and the "ou_attribs" flags, each beside its inherit toggle.
#include <map>
#include "controls/CTWndEditLocale.h"
#include "controls/CTWndPropertyList.h"
#include "controls/CTWndSettings.h"
#include "framework/CTHyperLink.h"
#include "structure/DlgOU.h"

class DlgOU::CGeneralPage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 299;
    static constexpr int kLinkCount = 5;
    // Messages of the organisation drop-down and of the pickers.
    static constexpr UINT kMsgDropPlace = 1025, kMsgDropSetup = 1026, kMsgDropAnswer = 1027;
    static constexpr UINT kMsgPersonPicked = 1037, kMsgSitePicked = 1039;
    static constexpr int kDropDownType = 3, kPersonPickerType = 11, kSitePickerType = 37;
    // "ou_attribs" bits shown as items of the settings tree.
    static constexpr __int64 kDisplayAdminTree = 1, kTestOU = 2;

    struct Link {
        const wchar_t* attribute;
        int hyperlink;
        int toggle;
        int chooser;
    };
    static const Link kLinks[kLinkCount];   // organisation, project manager, primary, secondary, site

    CTWndSettings m_settings;
    CTHyperLink m_links[kLinkCount];
    CTWndEditLocale m_displayName;
    CTWndEditLocale m_description;
    Object m_linked[kLinkCount];
    std::map<__int64, int> m_pickers;   // picker window key -> chooser control id
    CTString m_notAssigned;
    __int64 m_dropDownKey = 0;
    CTWndPropertyList m_grid;

    explicit CGeneralPage(DlgOU* form);
    ~CGeneralPage() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }
    using CWMFormPage::UpdateControls;
    void UpdateControls();

    void OnLinkReply(RequestResult& reply);
    void AddSurveyChoices(TiXmlDocument& document);
    void RefillChoices(__int64 attributeId);
    void CloseDropDown();

private:
    DlgOU* m_ou = nullptr;

    Object& Obj() { return m_ou->m_object; }
    void OnInitDialog();
    bool IsChecked(int id) const;
    void RequestLinked(int index);
    void ShowLinkText(int index);
    void OnPicked(__int64 key, __int64 id, bool site);
    void OnDropDownAnswer(bool chosen, __int64 id);
    LRESULT OnDropDownPlace(LPARAM which);
    void OpenPicker(int chooser);
    void OpenDropDown();
    void SaveGridRows();
    static int OnGridEdit(void* context, HWND editor, int kind, __int64 data);
};

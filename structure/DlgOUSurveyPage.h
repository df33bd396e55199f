#pragma once
// The "Survey" page of the unit form, shown for sites: creates a survey from a template for a
// chosen person, lists the site's surveys, deletes them, opens a survey's link and hands a survey
// to the bulk user wizard.
#include <map>
#include "framework/CTHyperLink.h"
#include "structure/DlgOU.h"
#include "structure/SurveyList.h"

class DlgOU::CSurveyPage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 405;
    static constexpr int kTag = 6;          // second parameter of the page's requests
    static constexpr int kPersonTag = 7;    // second parameter of the chosen person's fetch
    static constexpr int kReqCreate = 1049, kReqDelete = 1057;
    static constexpr int kTemplate = 1089, kUserLink = 1042, kPick = 1214, kCreate = 1035;
    static constexpr UINT kMsgPersonPicked = 1037;
    static constexpr int kPersonPickerType = 11, kUserWizardType = 25;

    CTHyperLink m_userLink;
    SurveyList m_surveys;
    Object m_person;                       // the chosen person; id 0 while none is chosen
    std::map<__int64, int> m_pickers;      // picker window key -> the command that opened it
    bool m_enabled = false;
    CTString m_notAssigned;

    explicit CSurveyPage(DlgOU* form);
    ~CSurveyPage() override;

    bool CreatePage(HWND parent) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override { return true; }
    UINT GetTemplateId() override { return kTemplateId; }
    bool IsEnabled() override { return m_enabled; }

    // Replies the form hands over: 1033, 1047/1049/1057 with kTag, 1052 with kPersonTag.
    void OnResult(RequestResult& reply);
    // The template list: "lang" elements of type "survey" added to the Template combo.
    void FillFromReply(TiXmlDocument& document);

    void UpdateCreateButton();
    void CreateSurvey();
    void DeleteSelected();
    void SendSelected();
    void OpenSelected();

private:
    DlgOU* m_ou = nullptr;
    void OnInitDialog();
    void OnPicked(__int64 key, __int64 id);
    void OnPersonReply(RequestResult& reply);
    void OnSelectionChanged(int item);
    void RequestPerson();
    void ShowPerson();
    void FillDeleteTexts(DeleteConfirmInfo& info);
    CTString TemplateText() const;
};

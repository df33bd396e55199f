#pragma once
// The form of an organisational unit, schedule group, site, asset location or order folder
// (window type 6, keyed by the object's id): up to seven pages chosen by the object's type, one
// objSet with what changed, replies handed to the page they belong to.
#include "structure/ObjectForm.h"

class DlgOU : public ObjectForm {
public:
    class CGeneralPage;
    class CSitePage;
    class CAssetLocationPage;
    class CDefaultsPage;
    class CDeployablePage;
    class CSecurityPage;
    class CSurveyPage;

    static constexpr int kWindowType = 6;
    static constexpr UINT kTemplateId = 170;
    static constexpr int kReqLanguages = 1068;
    static constexpr int kReqChoices = 1074;
    static constexpr int kReqSearch = 1047;
    static constexpr int kReqNames = 1033;
    static constexpr int kReqCreate = 1049;
    static constexpr int kReqDelete = 1057;
    static constexpr int kStructureConsole = 1020;
    static constexpr int kTransferConsole = 1021;

    bool m_languagesRequested = false;
    CGeneralPage* m_general = nullptr;
    CSitePage* m_site = nullptr;
    CSurveyPage* m_survey = nullptr;
    CDefaultsPage* m_defaults = nullptr;
    CDeployablePage* m_deployable = nullptr;
    CAssetLocationPage* m_assetLocation = nullptr;
    CSecurityPage* m_security = nullptr;

    DlgOU();

    bool Load(UINT64 key) override;
    bool Save() override;
    void Notify(void* param) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Sends the language search once per form; its reply fills the survey choices.
    void RequestLanguages();
    void RefreshHeader();

protected:
    bool OpenWindow() override;

private:
    void SetPageFlags();
    void OnPathReply(RequestResult& reply);
    void OnObjectReply(RequestResult& reply);
    void OnSaveReply(RequestResult& reply);
};

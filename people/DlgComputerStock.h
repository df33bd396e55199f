#pragma once
// The form of a computer model (window type 30, keyed by the model's id): make, model, description
// and computer type, and the components that deployments of the model may or must receive. It
// only edits existing models and re-reads the model after each save.
#include "controls/CTWndEditLocale.h"
#include "structure/DeployablePage.h"
#include "structure/ObjectForm.h"

class DlgComputerStock : public ObjectForm {
public:
    class CGeneralPage;
    class CDeployablePage;

    static constexpr int kWindowType = 30;
    static constexpr int kReqSearch = 1047;

    CGeneralPage* m_general = nullptr;
    CDeployablePage* m_deployable = nullptr;

    DlgComputerStock();

    bool Load(UINT64 key) override;
    bool Save() override;
    void Notify(void* param) override;

    void RefreshHeader();

protected:
    bool OpenWindow() override;

private:
    void OnObjectReply(RequestResult& reply);
    void OnSaveReply(RequestResult& reply);
};

class DlgComputerStock::CGeneralPage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 378;
    static constexpr int kMake = 1079, kModel = 1080, kDescription = 1081, kType = 1137;

    CTWndEditLocale m_model;
    CTWndEditLocale m_description;

    explicit CGeneralPage(DlgComputerStock* form);

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }

private:
    DlgComputerStock* m_stock = nullptr;
};

// The model's components: available and mandatory, never inherited; models themselves not listed.
class DlgComputerStock::CDeployablePage : public DeployablePage {
public:
    static constexpr __int64 kSearchTag = 1;

    explicit CDeployablePage(DlgComputerStock* form) : DeployablePage(form, ModelVariant()) {}

    static Variant ModelVariant()
    {
        Variant variant;
        variant.withDefault = false;
        variant.withInherit = false;
        variant.hideModels = true;
        variant.searchTag = kSearchTag;
        variant.columns = L"Type;Name;Available;Mandatory";
        variant.layoutKey = L"DlgComputerStock::CDeployablePage";
        return variant;
    }
};

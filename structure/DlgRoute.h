#pragma once
// The form of a route between two asset locations (window type 29, keyed by the route's id): the
// paths of its source (the parent) and destination, and its "Enabled" and "Default" flags.
#include "structure/ObjectForm.h"

class DlgRoute : public ObjectForm {
public:
    class CGeneralPage;

    static constexpr int kWindowType = 29;
    static constexpr int kTransferConsole = 1021;
    static constexpr __int64 kFromPath = 1, kToPath = 2;

    CGeneralPage* m_general = nullptr;

    DlgRoute();

    bool Load(UINT64 key) override;
    bool Save() override;
    void Notify(void* param) override;

    void RefreshHeader();

protected:
    bool OpenWindow() override;

private:
    void OnRouteReply(RequestResult& reply);
};

class DlgRoute::CGeneralPage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 338;
    static constexpr int kFrom = 1142, kTo = 1143, kEnabled = 1140, kDefault = 1141;

    explicit CGeneralPage(DlgRoute* form);

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }

private:
    DlgRoute* m_route = nullptr;
};

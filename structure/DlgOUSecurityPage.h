#pragma once
// The "Security" page of the unit form, read only: the administrators and groups holding rights
// on the unit, rights inherited from above with the object they are set on.
#include <memory>
#include "controls/CTWndListCtrlEx2.h"
#include "structure/DlgOU.h"

class TiXmlDocument;

class DlgOU::CSecurityPage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 443;
    static constexpr int kList = 1016;
    static constexpr __int64 kPathTag = 13;
    static constexpr int kColInherited = 6;

    CTWndListCtrlEx2 m_list;

    explicit CSecurityPage(DlgOU* form);
    ~CSecurityPage() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool Load() override;
    bool Save() override { return true; }
    UINT GetTemplateId() override { return kTemplateId; }
    bool CreatePage(HWND parent) override;

    // The rights reply of the access query.
    void OnAclReply(TiXmlDocument& document);
    // Replies 1022 (an icon) and 1028 with this page's tag (the sources' paths).
    void OnResult(RequestResult& reply);

private:
    DlgOU* m_ou = nullptr;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    int ImageFor(const Object& object);
};

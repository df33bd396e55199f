#pragma once
// The person's last logon, its events (newest first, recent ones in green), the "Change password at
// next logon" choice and the password reset.
#include <unordered_map>
#include "controls/CTWndListCtrlEx2.h"
#include "people/DlgUser.h"
#include "people/RecordPage.h"

class TiXmlDocument;

class DlgUser::CPageLogon : public RecordPage {
public:
    enum : UINT { kTemplate = 402, kItemIcon = 142, kStrNever = 147 };
    enum : int {
        kIdLastLogon = 1046, kIdChangePassword = 1057, kIdReset = 1052, kIdList = 1016, kIdAnchorSpare = 1055,
        kReqReset = 1037, kColourRecent = 39,
    };
    CTWndListCtrlEx2 m_list;
    int m_extraColumns = 0;   // the most "console_display_attribs" items of the Event types

    UINT GetTemplateId() override { return kTemplate; }
    // Sets the check box and sends the event query.
    bool Load() override;
    // Stores the check box as "change_password".
    bool Save() override;
    void BuildPage() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Rebuilds the list from the query's reply document and shows the latest logon.
    void FillEvents(TiXmlDocument& document);
    // The most display attributes over "Event" and its subtypes.
    static int CountExtraColumns();
    void ResetPassword();
    // Reply 1037 of the reset, handed over by the pane: the page's own box tells the outcome.
    void OnResetReply(RequestResult& reply);
};

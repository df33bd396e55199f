#pragma once
// The administrator card (console type 1036, key = the administrator's id): the read-only view of
// one administrator with its heading, contact fields and last logon, and for super users an "edit"
// link to the administrator form.
#include <windows.h>
#include "app/CTWndConsole.h"
#include "controls/CTWndHeader.h"
#include "framework/CTHyperLink.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "session/DB.h"
#include "session/Object.h"

class App;

class DlgAdmin : public CTWnd2, public CTWndSize, public CTWndConsole {
public:
    enum : int { kConsoleType = 1036, kTemplate = 315, kAdministratorForm = 5 };
    enum : int { kIdHeader = 105, kIdName = 1017, kIdEmail = 1043, kIdPhone = 1045, kIdLastLogon = 1046, kIdEdit = 1157 };
    enum : int { kReqPath = 1028, kReqObject = 1052, kReqIcon = 1022 };

    CTWndHeader m_header;
    CTHyperLink m_edit;
    Object m_object;

    DlgAdmin();
    ~DlgAdmin() override;

    // CTWndConsole
    bool Create() override;
    void Destroy() override;
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return kConsoleType; }
    bool IsTabPane() override { return false; }
    void Refresh() override;
    void OnReply(RequestResult& result) override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    void Fill(TiXmlDocument& document);
    void QueryLastLogon();
    // The last-logon reply: the first event object's created time, "<Never>" when it has none;
    // no object leaves the field as it is.
    void OnLastLogon(DB::DBEvent& reply);

private:
    RequestRoute Route(int request, bool silent) const;
    void SetHeading();
    void UpdateIcon();
    void OnInitDialog();
};

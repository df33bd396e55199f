#pragma once
// The "Transfers" tab of the computer pane: the asset-transfer records that request the computer,
// and the "Send" menu of the routes that leave its current location. The pane sends the searches
// and hands the replies to this page.
#include <windows.h>
#include <map>
#include "app/CWMFormPage.h"
#include "controls/CTWndListCtrlEx2.h"
#include "foundation/CAttribute.h"
#include "framework/CTMenu.h"
#include "people/DlgComputer.h"
#include "session/Object.h"

class TiXmlDocument;

class DlgComputer::CPageTransfers : public CWMFormPage {
public:
    enum : UINT { kTemplate = 349 };
    enum : int { kIdList = 1016, kCmdOpen = 261, kCmdSend = 184, kCmdFirstRoute = 5000 };
    enum : int { kColumnSent = 0, kColumnReceived = 1, kColumnFrom = 2, kColumnTo = 3, kColumnSentBy = 4,
                 kColumnReceivedBy = 5 };
    enum : int { kIconPending = 142, kIconReceived = 172, kIconNotReceived = 173, kIconSend = 186 };
    enum : int { kConsoleTransfer = 1039 };

    CTWndListCtrlEx2 m_list;
    bool m_searchPending = true;   // the pane searches when the tab is next selected
    bool m_secondFlag = true;      // cleared with the search flag
    int m_pendingImage = -1;
    int m_receivedImage = -1;
    int m_notReceivedImage = -1;
    std::map<__int64, Object> m_routeObjects;      // the location reply's route objects by id
    std::map<__int64, CTString> m_outbound;        // route id -> path of the routes that leave
    std::map<int, CAttribute> m_routeMenu;         // menu command -> route id, while the menu is out
    CTMenu m_menu;

    ~CPageTransfers() override;
    UINT GetTemplateId() override { return kTemplate; }
    bool Load() override;
    bool Save() override { return false; }

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    DlgComputer* GetPane() const { return dynamic_cast<DlgComputer*>(m_host); }

    // Reply 1064: the routes of the computer's location.
    void OnLocationReply(TiXmlDocument& document);
    // Reply 1047 with second parameter 1: the rows, then one path request per link column.
    void FillTransfers(TiXmlDocument& document);
    // Reply 1029: the path of each id into the rows of that column.
    void FillPaths(TiXmlDocument& document, int column);
    // The text a path gives in a column: To the whole path, Sent By and Received By the last part,
    // From the part before the last "\".
    static CTString PathForColumn(const CTString& path, int column);
    // The route menu, in text order of the route paths; null when it cannot be made.
    HMENU BuildRouteMenu();
    void ShowRouteMenu();
    // Asks, then sends the computer along the route of a menu command.
    void SendAlongRoute(int command);
    void OpenSelected();
    void Clear();
};

#pragma once
// The access-list picker (window type 53): every user and group the server offers, each with an
// "Enable" check box ticked for the ids the owner gave to Show. On OK, when the ticked set differs
// from the given ids, it sends 1045 (lParam: the key) to the owner's top-level window, which finds
// the picker and reads m_ids during the call.
#include <windows.h>
#include <memory>
#include <vector>
#include "controls/CTListCtrlEdit.h"
#include "controls/CTWndHeader.h"
#include "controls/CTWndListCtrlEx2.h"
#include "foundation/CTString.h"
#include "framework/CTIcon.h"
#include "framework/CTMenu.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "framework/CWindowManager.h"
#include "session/RequestResult.h"

class TiXmlDocument;

class DlgSelectAccessList : public CTWnd2, public CWindowManager::CWindow, public CTWndSize {
public:
    enum : int { kType = 53 };
    enum : UINT { kTemplate = 445, kMsgChanged = 1045, kMenu = 204, kStrSelect = 146 };
    enum : int {
        kIdHeader = 105,
        kIdList = 1016,
        kCmdSelect = 122,
        kCmdAll = 32808,
        kCmdNone = 32809,
        kCmdInvert = 32810,
        kReqIcon = 1022,
        kEnableColumn = 2,
    };

    CTWndHeader m_header;
    CTIcon m_headerIcon;
    CTWndListCtrlEx2 m_list;
    CTListCtrlEdit m_editor;
    CTMenu m_menu;
    std::vector<__int64> m_ids; // given by Show; the ticked ids after OK
    bool m_modified = false;

    DlgSelectAccessList();
    ~DlgSelectAccessList() override;

    bool Open() override;
    void Close() override;
    void Activate() override { BringToFront(); }
    void Notify(void* param) override;

    // Sets the heading, keeps the ids and asks the server for the candidates.
    void Show(const CTString& heading, const std::vector<__int64>& ids);
    // Fills the list from a lookup answer.
    void FillFromReply(TiXmlDocument& document);
    // The ids of the ticked rows, ascending.
    std::vector<__int64> TickedIds();

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    HWND Owner() const { return reinterpret_cast<HWND>(m_param); }

private:
    void OnInitDialog();
    void SelectAll(int command);
    void ShowSelectMenu();
    void MarkModified();
    int ImageFor(const class Object& object);
    static void OnValueChanged(void* context, int item, int column, CAttribute* value);

    // Cleared when the picker goes, so that a lookup answer arriving later finds nobody.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    bool m_answered = false;
};

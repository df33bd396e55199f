#pragma once
// The report list of the person's and computer's record pages (deployments, computers, e-mails):
// the list frame on control 1016 with its empty text, toolbar and delete confirmation, the rows
// built from server objects, and the commands' row lookups. Pages of both page kinds (pane pages
// and form pages) hold one.
#include <windows.h>
#include <map>
#include "controls/CTWndListCtrlEx2.h"
#include "session/Object.h"

class TiXmlDocument;

class RecordList {
public:
    enum : int { kIdList = 1016 };
    enum : UINT { kStringDeployment = 140, kIconDelete = 2 };
    enum Buttons : int { ButtonNew = 1, ButtonOpen = 2, ButtonDelete = 4 };
    enum Action : int { ActionNone = 0, ActionNew, ActionOpen, ActionDelete, ActionDeleteIcon };

    struct Layout {
        const wchar_t* columns = L"";
        const wchar_t* emptyText = L"";
        int buttons = ButtonOpen;
        int sortColumn = -1;          // sorted descending by that column; -1 unsorted
        bool confirmDelete = false;   // deployment delete box (strings 136 to 140)
    };

    CTWndListCtrlEx2 m_frame;

    // Builds the list on the dialog's control 1016 (anchored by the caller); false when the frame
    // cannot be made. ownerData is handed to the toolbar (the page).
    bool Build(HWND dialog, void* ownerData, const Layout& layout);
    bool IsReady() const { return m_frame.m_report.m_hWnd != nullptr; }
    CTListCtrlReportEx& Report() { return m_frame.m_report; }

    // Lets a list frame lay out its toolbar and list: one pixel narrower and back.
    static void NudgeFrame(HWND frame);
    // What a notification of control 1016 or a command asks for.
    static Action ActionOfNotify(NMHDR* hdr);
    static Action ActionOfCommand(WPARAM wParam);

    // The id of the first selected row; 0 without one.
    __int64 SelectedId();
    int FindRow(__int64 id);
    int RowCount();
    void Clear();
    void FitColumns();
    bool RemoveRow(__int64 id);
    // The list image registered under the icon key; -1 when none.
    int ImageFor(int iconKey);

    // Deployment rows: Name (with the deployment_id when it differs), Type, Status, Locked (only
    // withLocked: 1 when the id is lockedId), Completed, Success.
    static CTString DeploymentName(const Object& deployment);
    void AddDeploymentRow(const Object& deployment, bool withLocked, __int64 lockedId, int image, int succeededImage,
                          int failedImage);
    // Replaces the Name cell of the row with that id by path, a backslash and its former text.
    void PrefixName(__int64 id, const CTString& path);
    void AddComputerRow(const Object& computer, int image);
    void AddEmailRow(const Object& email, int image);
};

// The objects of a reply's result element, in reply order.
std::vector<Object>& ReadReplyObjects(TiXmlDocument& document, std::vector<Object>& out);
// The attribute's text ("" when absent).
CTString TextOf(const Object& object, const wchar_t* name);

#pragma once
// The report list with a toolbar (whose window lives in the list's frame), a text shown while the
// list is empty, key notifications (activate, insert, delete), a context menu that mirrors the
// toolbar, and an optional confirmation box before deleting.
#include <windows.h>
#include <commctrl.h>

#include "controls/CTListCtrlReport.h"
#include "foundation/CTString.h"
#include "framework/CTWndToolbar.h"

class CTWndMessageBox;

// Record of notification 5, filled by the report before the delete confirmation; the parent may
// change the icon and the texts and set a check-box text.
struct DeleteConfirmInfo {
    NMHDR hdr = {};
    int count = 0;
    HICON icon = nullptr;
    CTString caption;
    CTString text;
    CTString checkText;
};

// Record of notifications 7 and 8: the toolbar command or menu item the parent is asked about.
struct ReportCommandInfo {
    NMHDR hdr = {};
    int id = 0;
};

class CTListCtrlReportEx : public CTListCtrlReport {
public:
    // Notification codes sent to the parent.
    enum : UINT {
        CodeInsert = 1,
        CodeDelete = 2,
        CodeActivate = 4,
        CodeConfirmDelete = 5,
        CodeMouseLeft = 6,
        CodeDropDownMenu = 7,
        CodeMenuItemIcon = 8,
    };
    // Toolbar commands with standard images.
    enum : int { CmdNew = 257, CmdDelete = 258, CmdOpen = 261, CmdCopy = 262, CmdPaste = 263, CmdProperties = 264 };
    static constexpr int kStandardImage = 0xFFFF;
    // The delete box: button set 10 (Delete and Cancel), answered Delete with this id.
    static constexpr DWORD kConfirmStyle = 10;
    static constexpr int kDeleteButton = 21;

    struct ToolbarButton {
        int command = 0;
        int image = 0; // kStandardImage: the standard image of the command
        int stringId = 0;
        BYTE style = 0;
    };

    CTWndMessageBox* m_confirmBox = nullptr; // lives on ConfirmDelete's stack while it runs
    CTWndToolbar m_toolbar;
    CTString m_emptyText;
    bool m_confirmDelete = false;
    HWND m_confirmOwner = nullptr;
    HINSTANCE m_module = nullptr;
    WORD m_iconId = 0;
    UINT m_nounId = 0;
    UINT m_textIds[4] = {};
    bool m_notifyBeforeConfirm = false;
    bool m_trackingLeave = false;

    CTListCtrlReportEx() = default;
    ~CTListCtrlReportEx() override;

    bool CreateToolbar(HWND parent, void* ownerData, DWORD flags, int count, const ToolbarButton* buttons);
    static int StandardImage(int command);
    void SetEmptyText(const CTString& text);
    bool IsEmptyTextShown();
    void PaintEmptyText(HDC hdc);
    void EnableDeleteConfirm(HWND owner, HINSTANCE module, WORD iconId, UINT nounId, bool notifyBeforeConfirm);
    bool ConfirmDelete(int* result);
    LRESULT NotifyActivate();
    LRESULT NotifyInsert();
    LRESULT NotifyDelete();
    bool ShowToolbarMenu(LPARAM lParam);

    void Destroy() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnParentNotify(NMHDR* hdr, LRESULT* result) override;

private:
    LRESULT SendCode(UINT code);
    void EndConfirmBox();
};

#pragma once
// The defaults page of the schedule-group form: the values the group hands to its deployments,
// each inheritable one with a push-like toggle whose pressed state means "use the inherited value".
#include <windows.h>
#include <map>

#include "controls/CTWndPropertyList.h"
#include "controls/CTWndSettings.h"
#include "framework/CTHyperLink.h"
#include "schedulegroups/DlgScheduleGroupDlg.h"

class DlgScheduleGroupDlg::CDefaultsPage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 297;
    static constexpr UINT kMsgLocationPicked = WM_USER + 20;   // lParam: location id, 0 for none
    static constexpr int kLocationPickerType = 34;
    static constexpr int kToggleIcon = 19;                      // shared drawing-cache entry
    enum Control : int {
        IdDisplayName = 1249, IdDisplayNameToggle = 1060, IdLanguage = 1056, IdLanguageToggle = 1248,
        IdTimeZone = 1059, IdTimeZoneToggle = 1250, IdLocation = 1046, IdLocationToggle = 1245,
        IdLocationPick = 1077, IdLinkEnabled = 1261, IdLinkToggle = 1260, IdExpiryLabel = 1262, IdExpiry = 1259,
        IdLockMin = 1303, IdLockMinToggle = 1304, IdLockMax = 1305, IdLockMaxToggle = 1306, IdRunRate = 1029,
        IdRunRateToggle = 1247, IdSlots = 1223, IdAttributes = 1185,
    };

    CTHyperLink m_locationLink;
    std::map<int, CTString> m_localeCodes;
    CTString m_unassignedText;
    CTWndSettings m_slots;
    CTWndPropertyList m_attributes;

    CDefaultsPage() { m_title = L"Defaults"; }

    bool CreatePage(HWND parent) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }

    void OnLocales(RequestResult& reply);
    void OnChoiceList(int attributeId);
    void UpdateControls();
    void SetLocationText(const CTString& path);

private:
    DlgScheduleGroupDlg* Form() { return static_cast<DlgScheduleGroupDlg*>(m_form); }
    void Initialise();
    bool Pressed(int id) { return IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }
    void Press(int id, bool on) { CheckDlgButton(m_hWnd, id, on ? BST_CHECKED : BST_UNCHECKED); }
    void Enable(int id, bool on) { EnableWindow(GetDlgItem(m_hWnd, id), on); }
    bool SlotsInherited();
    void Modified();
};

// The inherited-value toggle of a field on save: pressed (bit 0) resets the attribute to its
// inherited value (unless it holds it already) and answers false; released makes an inherited
// value the object's own and answers true (store the field).
bool ApplyDefaultToggle(int state, Object& object, const CTString& name);

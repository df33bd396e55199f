#pragma once
// The asset picker (window type 16): a list of asset identifiers typed or pasted, and which
// attribute they are. On OK it sends 1043 (lParam: the key) to its owner, which finds the picker
// and reads m_text and m_attribute during the call.
#include <windows.h>
#include "controls/CTWndHeader.h"
#include "foundation/CTString.h"
#include "framework/CTIcon.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "framework/CWindowManager.h"

class DlgSelectAsset : public CTWnd2, public CWindowManager::CWindow, public CTWndSize {
public:
    enum : int { kType = 16 };
    enum : UINT { kTemplate = 347, kMsgAssets = 1043 };
    enum : int {
        kIdHeader = 105,
        kIdText = 1062,
        kIdAssetTag = 1159,
        kIdSerialNumber = 1160,
        kIdName = 1161,
        kIdPaste = 32780,
    };

    CTString m_text;
    CTString m_attribute; // "asset_tag", "serial_number" or "computer_name"
    CTWndHeader m_header;
    CTIcon m_headerIcon;

    DlgSelectAsset();
    ~DlgSelectAsset() override;

    bool Open() override;
    void Close() override;
    void Activate() override { BringToFront(); }

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    HWND Owner() const { return reinterpret_cast<HWND>(m_param); }

private:
    void OnInitDialog();
    void Paste();
    bool m_answered = false;
};

#include "lists/DlgSelectAsset.h"

#include "framework/CTApp.h"
#include "lists/PickerFrame.h"
#include "session/FormHelpers.h"

DlgSelectAsset::DlgSelectAsset()
{
    CTWndHeader::RegisterClass(GetModuleHandleW(nullptr));
}

DlgSelectAsset::~DlgSelectAsset()
{
    CTWnd2::Destroy();
}

bool DlgSelectAsset::Open()
{
    return PickerFrame::Open(*this, kTemplate, Owner(), false);
}

void DlgSelectAsset::Close()
{
    PickerFrame::Close(*this, *this);
}

void DlgSelectAsset::OnInitDialog()
{
    CenterOnWindow(Owner());
    CTWndSize::Init(m_hWnd, true, 200, 200, false);
    AddItem(GetDlgItem(m_hWnd, kIdHeader), CTWndSize::RightToRight);
    AddItem(GetDlgItem(m_hWnd, kIdText), CTWndSize::RightToRight | CTWndSize::BottomToBottom);
    PickerFrame::AnchorButtons(*this, m_hWnd);
    PickerFrame::AttachHeader(m_header, m_headerIcon, m_hWnd, kIdHeader, 192);
    CheckRadioButton(m_hWnd, kIdAssetTag, kIdName, kIdName);
    RestorePlacement(L"DlgSelectAsset", 0);
}

void DlgSelectAsset::Paste()
{
    if (!OpenClipboard(m_hWnd))
        return;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
            SetDlgItemTextW(m_hWnd, kIdText, text);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
}

bool DlgSelectAsset::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    int id = LOWORD(wParam);
    switch (id) {
    case IDOK:
        if (!m_answered) {
            m_answered = true;
            GetItemText(kIdText, m_text);
            struct Choice {
                int id;
                const wchar_t* attribute;
            };
            for (const Choice& c : {Choice{kIdAssetTag, L"asset_tag"}, Choice{kIdSerialNumber, L"serial_number"},
                                    Choice{kIdName, L"computer_name"}}) {
                if (IsDlgButtonChecked(m_hWnd, c.id) == BST_CHECKED)
                    m_attribute = c.attribute;
            }
            // Sent: the owner reads the two texts from this picker during the call.
            ::SendMessageW(Owner(), kMsgAssets, 0, static_cast<LPARAM>(m_key));
        }
        DestroyWindow(m_hWnd);
        return true;
    case IDCANCEL:
        m_answered = true;
        DestroyWindow(m_hWnd);
        return true;
    case kIdPaste:
        if (HIWORD(wParam) == BN_CLICKED)
            Paste();
        return true;
    default:
        return false;
    }
}

bool DlgSelectAsset::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = TRUE;
        return true;
    case WM_ACTIVATE:
        PickerFrame::TrackActive(m_activeDialog, m_hWnd, msg, wParam);
        break;
    case WM_DESTROY:
        PickerFrame::TrackActive(m_activeDialog, m_hWnd, msg, wParam);
        SavePlacement(L"DlgSelectAsset");
        Unregister();
        break;
    default:
        break;
    }
    if (handled)
        return true;
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

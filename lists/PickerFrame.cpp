#include "lists/PickerFrame.h"

#include "controls/CTWndHeader.h"
#include "controls/CTWndListCtrlEx2.h"
#include "framework/CTApp.h"
#include "framework/CTIcon.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"
#include "session/FormHelpers.h"

HMODULE PickerFrame::TemplateModule(UINT templateId)
{
    HMODULE module = nullptr;
    if (CTApp* app = CTApp::Instance())
        module = app->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(templateId));
    return module ? module : GetModuleHandleW(nullptr);
}

bool PickerFrame::Open(CTWnd2& window, UINT templateId, HWND owner, bool withList)
{
    if (window.m_hWnd && ::IsWindow(window.m_hWnd))
        return true;
    HMODULE module = TemplateModule(templateId);
    CTWndHeader::RegisterClass(module);
    if (withList)
        CTWndListCtrlEx2::RegisterClass(module);
    if (!window.CreateDialogFromTemplate(module, MAKEINTRESOURCEW(templateId), owner))
        return false;
    window.CenterOnWindow(owner);
    window.ShowWindow(SW_SHOW);
    return true;
}

void PickerFrame::Close(CTWnd2& window, CWindowManager::CWindow& entry)
{
    if (window.m_hWnd && ::IsWindow(window.m_hWnd))
        DestroyWindow(window.m_hWnd);
    else
        entry.Unregister();
}

HWND PickerFrame::CopyOwnerIcons(CTWnd2& window, HWND owner)
{
    HWND top = owner;
    while (top && GetParent(top))
        top = GetParent(top);
    if (!top)
        return nullptr;
    for (WPARAM kind : {static_cast<WPARAM>(ICON_BIG), static_cast<WPARAM>(ICON_SMALL)})
        if (LRESULT icon = ::SendMessageW(top, WM_GETICON, kind, 0))
            ::SendMessageW(window.m_hWnd, WM_SETICON, kind, icon);
    return top;
}

void PickerFrame::AttachHeader(CTWndHeader& header, CTIcon& icon, HWND dialog, int headerId, UINT iconId)
{
    icon.LoadFromExe(iconId, 32);
    if (header.Attach(dialog, headerId)) {
        if (icon.icon)
            header.SetIcon(icon.icon);
        ApplyHeaderColours(header);
    }
}

void PickerFrame::AnchorButtons(CTWndSize& size, HWND dialog)
{
    for (int id : {IDOK, IDCANCEL})
        size.AddItem(GetDlgItem(dialog, id), CTWndSize::LeftToRight | CTWndSize::RightToRight | CTWndSize::TopToBottom |
                                                 CTWndSize::BottomToBottom);
}

void PickerFrame::TrackActive(HWND* slot, HWND window, UINT msg, WPARAM wParam)
{
    if (!slot)
        return;
    if (msg == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE)
        *slot = window;
    else if ((msg == WM_ACTIVATE || msg == WM_DESTROY) && *slot == window)
        *slot = nullptr;
}

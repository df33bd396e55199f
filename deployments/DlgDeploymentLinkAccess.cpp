// The deployment pane's logon link of the user and the chat with the user.
#include "deployments/DlgDeployment.h"

#include <string>
#include "app/MainWindow.h"
#include "deployments/DeploymentLinks.h"
#include "foundation/IShellLauncher.h"
#include "framework/CTWndMessageBox.h"
#include "session/FormHelpers.h"

namespace {

enum : int { kButtonContinue = 11 };
constexpr wchar_t kChatAddress[] = L"https://chat.qel.example/l/chat/0/0?users=";

// Percent-encodes everything but the unreserved characters, UTF-8 first.
std::wstring EncodeQueryValue(const wchar_t* text)
{
    static const wchar_t hex[] = L"0123456789ABCDEF";
    std::wstring out;
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(length > 0 ? length - 1 : 0, '\0');
    if (length > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), length, nullptr, nullptr);
    for (unsigned char c : utf8) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~') {
            out += static_cast<wchar_t>(c);
        } else {
            out += L'%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

} // namespace

CTString DlgDeployment::LinkAccessUrl() const
{
    CTString link(L"");
    if (m_owner)
        link = AttributeText(m_owner->m_cache.systemSettings, L"web_address");
    link.AppendText(L"/=");
    link.Append(m_linkAccessId);
    return link;
}

CTString DlgDeployment::ChatLink(const CTString& email)
{
    std::wstring link(kChatAddress);
    link += EncodeQueryValue(email.GetBuffer() ? email.GetBuffer() : L"");
    return CTString(link.c_str());
}

void DlgDeployment::OpenLinkAccess()
{
    const Object& user = GetSlot(SlotUser);
    if (user.id == 0 || !HasLinkAccess(&user))
        return;
    CTWndMessageBox box;
    const INT_PTR answer = box.Show(m_hWnd, GetModuleHandleW(nullptr),
                                    L"Opening the link will be recorded as a user logon event\r\n"
                                    L"Are you sure you want to continue?",
                                    L"Open Deployment Logon Link Access", 0x27);
    if ((answer & 0xFFFF) != kButtonContinue)
        return;
    OpenAsDesktopUser(LinkAccessUrl().GetBuffer());
}

void DlgDeployment::CopyLinkAccess()
{
    CTString text;
    if (m_linkAccessLink.m_hWnd) {
        const int length = static_cast<int>(::SendMessageW(m_linkAccessLink.m_hWnd, WM_GETTEXTLENGTH, 0, 0));
        std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
        ::SendMessageW(m_linkAccessLink.m_hWnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(buffer.data()));
        text = CTString(buffer.c_str());
    }
    const size_t bytes = (static_cast<size_t>(text.GetLength()) + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!block)
        return;
    if (void* memory = GlobalLock(block)) {
        if (text.GetLength())
            memcpy(memory, text.GetBuffer(), text.GetLength() * sizeof(wchar_t));
        GlobalUnlock(block);
    }
    if (!OpenClipboard(m_hWnd)) {
        GlobalFree(block);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, block))
        GlobalFree(block);
    CloseClipboard();
    CTWndMessageBox box;
    box.Show(m_hWnd, GetModuleHandleW(nullptr), L"Deployment link copied to clipboard", L"Link Access Copied",
             MB_ICONINFORMATION);
}

void DlgDeployment::OpenChat()
{
    CTString email = AttributeText(GetSlot(SlotUser), L"email_address");
    if (email.IsEmpty())
        return;
    OpenAsDesktopUser(ChatLink(email).GetBuffer());
}

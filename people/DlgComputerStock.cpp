#include "people/DlgComputerStock.h"

#include "app/App.h"
#include "foundation/TiXmlElement.h"
#include "session/FormHelpers.h"

namespace {

CTString UserName(const Object& object)
{
    CTStringLocale name(object.name);
    const wchar_t* text = name.GetUserText();
    return CTString(text ? text : L"");
}

CAttribute Value(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value;
}

// The control's whole text, typed as the attribute is.
void StoreText(Object& object, const wchar_t* name, HWND control)
{
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    CAttribute value = Value(object, name);
    int type = value.GetType();
    if (!CAttribute::IsTextType(type)) type = CAttribute::Text;
    object.SetAttribute(CTString(name), CAttribute(type, CTString(text.c_str())));
}

void ShowText(HWND control, const CTString& text)
{
    const wchar_t* wanted = text.GetBuffer() ? text.GetBuffer() : L"";
    const int length = ::GetWindowTextLengthW(control);
    std::wstring shown(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(control, shown.data(), length + 1);
    shown.resize(static_cast<size_t>(length));
    if (shown != wanted) ::SetWindowTextW(control, wanted);
}

} // namespace

DlgComputerStock::DlgComputerStock() { SetFormLayout(L"DlgComputerStock", 425); }

bool DlgComputerStock::OpenWindow()
{
    if (!CreateFormWindow(L"DlgComputerStock")) return false;
    m_general = new CGeneralPage(this);
    m_deployable = new CDeployablePage(this);
    AddPage(m_general);
    AddPage(m_deployable);
    ShowPages();
    return true;
}

bool DlgComputerStock::Load(UINT64) { return RequestObject(); }

void DlgComputerStock::RefreshHeader()
{
    if (!IsWindow()) return;
    TakeTreeImageIcon();
    CTString name = UserName(m_object);
    m_header.SetText(name);
    m_header.SetSubtitle(BuildSubtitle(m_object));
    ::SetWindowTextW(m_hWnd, name.GetBuffer() ? name.GetBuffer() : L"");
    LoadPages();
    SetModified(m_key == 0);
}

bool DlgComputerStock::Save() { return SavePagesAndChanges(); }

void DlgComputerStock::OnObjectReply(RequestResult& reply)
{
    if (!Succeeded(reply) || ReplyId(reply) != m_object.id) return;
    m_object.Clear();
    if (TiXmlElement* object = ReplyElement(reply, L"object")) m_object.ReadFromXml(object, true);
    m_object.id = static_cast<__int64>(m_key);
    RefreshHeader();
}

void DlgComputerStock::OnSaveReply(RequestResult& reply)
{
    // A reply for another id, or without the object, leaves the form as it is, still modified.
    TiXmlElement* object = ReplyElement(reply, L"object");
    if (!Succeeded(reply) || ReplyId(reply) != m_object.id || m_object.id == 0 || !object) return;
    m_object.Clear();
    m_object.ReadFromXml(object, true);
    m_object.id = static_cast<__int64>(m_key);
    OnSaveAccepted();
    // The fresh object reply refreshes the header and pages and clears the modified mark.
    if (IsWindow()) Load(m_key);
}

void DlgComputerStock::Notify(void* param)
{
    auto* reply = static_cast<RequestResult*>(param);
    if (!reply) return;
    switch (reply->route.requestId) {
    case kReqBusy:
        SetReadOnly(reply->returnCode != 0);
        break;
    case kReqIcon:
        if (IsWindow()) TakeTreeImageIcon();
        if (m_deployable) m_deployable->OnReply(*reply);
        break;
    case kReqSearch:
        if (reply->route.param2 == CDeployablePage::kSearchTag && m_deployable) m_deployable->OnReply(*reply);
        break;
    case kReqSave:
        OnSaveReply(*reply);
        break;
    case kReqObject:
        OnObjectReply(*reply);
        break;
    default:
        break;
    }
}

// ---- General page ----

DlgComputerStock::CGeneralPage::CGeneralPage(DlgComputerStock* form) : m_stock(form) { m_title = L"General"; }

bool DlgComputerStock::CGeneralPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result)) return true;
    if (msg != WM_INITDIALOG) return false;
    Init(m_hWnd, false, 300, 150, false);
    AddItem(GetDlgItem(m_hWnd, kMake), RightToRight);
    AddItem(GetDlgItem(m_hWnd, kModel), RightToRight);
    AddItem(GetDlgItem(m_hWnd, kType), LeftToRight | RightToRight);
    AddItem(GetDlgItem(m_hWnd, kDescription), RightToRight | BottomToBottom);
    m_model.AttachDlgItem(kModel, m_hWnd);
    m_description.AttachDlgItem(kDescription, m_hWnd);
    *result = TRUE;
    return true;
}

bool DlgComputerStock::CGeneralPage::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    const int id = LOWORD(wParam);
    if (id != kMake && id != kModel && id != kDescription && id != kType) return false;
    const int code = HIWORD(wParam);
    if (code == 0 || code == 1 || code == 768) m_form->SetModified(true);
    *result = 0;
    return true;
}

bool DlgComputerStock::CGeneralPage::Load()
{
    if (!m_hWnd) return true;
    const Object& object = m_stock->m_object;
    ShowText(GetDlgItem(m_hWnd, kMake), CTString(Value(object, L"vendor").GetText()));
    ShowText(GetDlgItem(m_hWnd, kModel), CTString(Value(object, L"model").GetText()));
    ShowText(GetDlgItem(m_hWnd, kDescription), CTString(Value(object, L"description").GetText()));
    FillComboFromAttributeValues(GetDlgItem(m_hWnd, kType), CTString(L"computer_type"), object, false);
    return true;
}

bool DlgComputerStock::CGeneralPage::Save()
{
    if (!m_hWnd) return true;
    Object& object = m_stock->m_object;
    StoreText(object, L"vendor", GetDlgItem(m_hWnd, kMake));
    StoreText(object, L"model", GetDlgItem(m_hWnd, kModel));
    StoreText(object, L"description", GetDlgItem(m_hWnd, kDescription));
    HWND combo = GetDlgItem(m_hWnd, kType);
    const LRESULT selected = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    // Nothing chosen (a stored value outside the list): the value stays as it is.
    if (selected != CB_ERR) {
        const LRESULT position = ::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
        object.SetAttribute(CTString(L"computer_type"), CAttribute(CAttribute::Integer, static_cast<__int64>(position)));
    }
    return true;
}

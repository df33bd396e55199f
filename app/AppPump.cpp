// The reply pump: the worker thread queues each finished request as an App::dbresult, the
// user-interface thread reads its error, return code and cookies, feeds the caches and delivers it.
#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/CTErrorString.h"
#include "foundation/CTTokenString.h"
#include "framework/CTWndMessageBox.h"

namespace {

const wchar_t* TextOf(const CTString& text)
{
    return text.GetBuffer() ? text.GetBuffer() : L"";
}

void ShowSystemError(HWND owner, const CTString& text)
{
    CTWndMessageBox box;
    box.Show(owner, GetModuleHandleW(nullptr), TextOf(text), L"System Error", MB_OK);
}

// Replies never parsed as XML nor searched for errors: pictures and plain texts.
bool IsNoDocumentRequest(int requestId)
{
    return requestId == 1021 || requestId == 1022 || requestId == 1046 || requestId == 1080 || requestId == 1082;
}

void TrimLineEnd(CTString& text)
{
    while (!text.IsEmpty()) {
        wchar_t last = text.GetBuffer()[text.GetLength() - 1];
        if (last != L'\n' && last != L'\r')
            break;
        text.TrimRight(last);
    }
}

__int64 ParseDecimal(const wchar_t* text)
{
    return text ? _wtoi64(text) : 0;
}

} // namespace

void App::on_connection_recv(DB::DBEvent& event)
{
    auto* record = new dbresult();
    record->owner = GetMainHwnd();
    RequestResult& result = record->result;
    result.kind = kKindServerAnswer;

    __int64 code = 0;
    if (event.GetInt64(::DBEvent::KeyResult, code))
        result.resultCode = static_cast<int>(code);
    if (event.Has(::DBEvent::KeyPath))
        record->path = event.At(::DBEvent::KeyPath).AsText();
    // The server client moves the raw payloads in (route record, body, header text): moved out
    // the same way.
    if (event.Has(::DBEvent::KeyRoute)) {
        CDataString routeRecord;
        event.SwapBytes(::DBEvent::KeyRoute, routeRecord);
        routeRecord.Rewind();
        ReadRoute(routeRecord, result.route);
    }
    if (event.Has(::DBEvent::KeyBody))
        event.SwapBytes(::DBEvent::KeyBody, result.body);
    if (event.Has(::DBEvent::KeyHeaders)) {
        CTByteArray headers;
        event.SwapBytes(::DBEvent::KeyHeaders, headers);
        result.response.SwapRaw(headers);
    }

    __int64 transportError = 0;
    bool failed = event.GetInt64(::DBEvent::KeyTransportError, transportError);
    if (failed) {
        CTString text;
        switch (transportError) {
        case 12002:
            text = L"The request has timed out.";
            break;
        case 12152:
            text = L"The server response could not be parsed.\r\n";
            text.Append(record->path);
            break;
        case 12175:
            text = L"Secure connection failed.\r\n";
            text.Append(record->path);
            break;
        default: {
            CTErrorString error(static_cast<DWORD>(transportError));
            text = error;
            text.AppendText(L" ");
            text.Append(record->path);
            break;
        }
        }
        ShowSystemError(record->owner, text);
        PostThreadMessageW(m_uiThread, kMsgTransportFailed, 0, 0);
    }

    if (!failed || result.body.GetSize() != 0) {
        record->CheckStatus();
        m_replies.AddTail(record);
        PostMessageW(m_appWnd.m_hWnd, kMsgResultsQueued, 0, 0);
    } else {
        delete record;
    }
}

void App::QueueResult(dbresult* record)
{
    m_replies.AddTail(record);
    PostMessageW(m_appWnd.m_hWnd, kMsgResultsQueued, 0, 0);
}

void App::dbresult::CheckStatus()
{
    CHTTP& response = result.response;
    if (response.GetSize() != 0) {
        response.Parse();
        result.statusText = response.m_statusText;
    }
    if (response.GetStatusClass() != 2)
        result.resultCode = response.m_statusCode == 404 ? RequestResult::CodeNotFound : RequestResult::CodeFailed;

    if (result.resultCode != 0) {
        CTString text;
        if (result.resultCode == RequestResult::CodeNotFound) {
            text = path;
            text.AppendText(L" not found");
        } else {
            text = L"DB Error\r\n";
            text.Append(path);
            if (!result.statusText.IsEmpty()) {
                text.AppendText(L"\r\n\r\n");
                text.Append(result.statusText);
            }
        }
        ShowSystemError(owner, text);
    }

    if (IsNoDocumentRequest(result.route.requestId))
        return;
    CTString contentType;
    response.GetHeader(CHTTP::ContentType, contentType);
    TrimLineEnd(contentType);
    if (result.body.GetSize() == 0 || contentType.Compare(L"application/xml") != 0)
        return;
    CTString text;
    DB::ParseXmlBody(result.body, result.document, text);
}

void App::ProcessResults()
{
    for (;;) {
        auto* record = static_cast<dbresult*>(m_replies.RemoveHead());
        if (!record)
            break;
        RequestResult& result = record->result;
        RequestRoute& route = result.route;
        result.response.Parse();

        // Cookies: the name-value pair ahead of the attributes of every Set-Cookie header.
        CTString header;
        for (int n = 1; result.response.GetHeader(CHTTP::SetCookie, header, n); ++n) {
            TrimLineEnd(header);
            CTString pair;
            int semicolon = header.Find(CTString(L";"));
            if (semicolon >= 0)
                header.Left(pair, static_cast<unsigned>(semicolon));
            else
                pair = header;
            pair.Trim(L' ');
            if (pair.IsEmpty())
                continue;
            CTTokenString parts(pair);
            parts.SetSeparators(L"=", 0);
            CTString name, value;
            parts.GetToken(0, name);
            parts.GetToken(1, value);
            if (name.IsEmpty())
                continue;
            name.MakeUpper();
            m_cookies.Set(name, CAttribute(value));
        }

        bool noDocument = IsNoDocumentRequest(route.requestId);
        CTString errorText;
        TiXmlElement* resultElement = result.document.FirstChildElementNamed(L"result");
        if (!noDocument && resultElement) {
            if (TiXmlElement* error = resultElement->FirstChildElementNamed(L"error")) {
                TiXmlNode* first = error->FirstChild();
                if (first && first->GetType() == TiXmlNode::TEXT)
                    errorText = first->Value();
                if (errorText.IsEmpty()) {
                    int id = 0;
                    error->GetAttributeInt(L"id", &id);
                    errorText.Format(L"%d", id);
                }
            }
            if (TiXmlElement* rc = resultElement->FirstChildElementNamed(L"RC")) {
                const wchar_t* text = rc->GetAttribute(L"text");
                errorText = text ? text : L"";
                int id = 0;
                rc->GetAttributeInt(L"id", &id);
                result.returnCode = id;
                if (result.statusText.CompareNoCase(L"OK") == 0)
                    result.statusText.Empty();
                if (result.returnCode != 0 && result.statusText.IsEmpty()) {
                    const wchar_t* conflict = rc->GetAttribute(L"conflictid");
                    if (conflict && ParseDecimal(conflict) > 0) {
                        errorText.AppendText(L"\r\nConflict ID: ");
                        errorText.AppendText(conflict);
                    }
                    CTString status;
                    status.Format(L"%s\r\n[%d]: %s", TextOf(record->path), result.returnCode, TextOf(errorText));
                    result.statusText = status;
                }
            }
        }

        // Caches.
        if (route.requestId == kReqIcon)
            StoreIconPicture(result);
        if (route.requestId >= kReqPathFirst && route.requestId <= kReqPathLast)
            StorePaths(result.document);

        // The application's own handlers, whatever the target.
        switch (route.requestId) {
        case kReqCommsList: OnCommsListResult(result.document); break;
        case kReqLookup: OnLookupResult(result); break;
        case kReqObjectDelete:
            if (route.targetType == 0)
                OnDeleteResult(result);
            break;
        case kReqDeploymentWindows: OnDeploymentWindowResult(result); break;
        default: break;
        }

        // Delivery.
        bool deliver = true;
        if (route.requestId == kReqLogon && result.resultCode == RequestResult::CodeFailed) {
            m_connected = false;
            deliver = false;
        } else {
            if (!noDocument && route.targetType != 0 && !resultElement && result.resultCode != 0) {
                // The failed status has had its box when the reply was checked; a second one with the
                // page or "Unknown Error" tells nothing more.
                deliver = false;
            } else if (!noDocument && route.targetType != 0 && !resultElement) {
                CTString text;
                unsigned size = result.body.GetSize();
                const BYTE* bytes = result.body.GetData();
                // The body as sent, up to its length (the parse may have added a terminator).
                while (size > 0 && bytes[size - 1] == 0)
                    --size;
                if (size > 0) {
                    int length = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes), static_cast<int>(size), nullptr, 0);
                    if (length > 0) {
                        wchar_t* buffer = text.Reserve(static_cast<unsigned>(length + 1));
                        MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes), static_cast<int>(size), buffer, length);
                        buffer[length] = 0;
                        text.ReleaseBuffer();
                    }
                }
                if (text.IsEmpty())
                    text = L"Unknown Error";
                ShowSystemError(GetMainHwnd(), text);
                deliver = false;
            } else if (!errorText.IsEmpty() && !route.silent) {
                errorText.AppendText(L" ");
                errorText.Append(result.statusText);
                ShowSystemError(GetMainHwnd(), errorText);
                deliver = false;
            }
            if (deliver) {
                if (route.targetType == Dir::kWindowType)
                    m_dir.OnResult(result);
                else if (route.targetType != 0)
                    m_windows.NotifyWindows(route.targetType, route.targetKey, &result);
            }
        }

        if (route.targetType == 0)
            OnRequestResult(result);
        delete record;
    }
}

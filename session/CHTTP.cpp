#include "session/CHTTP.h"
#include <cwchar>

namespace {

const wchar_t* const kMethods[] = {nullptr, L"OPTIONS", L"GET", L"HEAD", L"POST", L"PUT", L"DELETE", L"TRACE", L"CONNECT"};

const wchar_t* const kHeaders[] = {
    L"Accept", L"Accept-Charset", L"Accept-Encoding", L"Accept-Language", L"Authorization",
    L"Connection", L"Cookie", L"Date", L"Expect", L"From", L"Host", L"If-Modified-Since",
    L"If-Match", L"If-None-Match", L"If-Range", L"If-Unmodified-Since", L"Max-Forwards",
    L"Proxy-Authorization", L"Range", L"Referer", L"TE", L"User-Agent", L"Accept-Ranges", L"Age",
    L"ETag", L"Location", L"Proxy-Authenticate", L"Retry-After", L"Server", L"Set-Cookie", L"Vary",
    L"Allow", L"Content-Encoding", L"Content-Language", L"Content-Length", L"Content-Location",
    L"Content-MD5", L"Content-Range", L"Content-Type", L"Expires", L"Last-Modified", L"SOAPAction",
    L"WWW-Authenticate", L"Transfer-Encoding", L"Upgrade", L"Sec-WebSocket-Key",
    L"Sec-WebSocket-Protocol", L"Sec-WebSocket-Version", L"Sec-WebSocket-Accept", L"Keep-Alive",
    L"Content-Disposition"};

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

CTString TrimBlanks(const wchar_t* begin, const wchar_t* end)
{
    while (begin < end && IsBlank(*begin)) ++begin;
    while (end > begin && IsBlank(end[-1])) --end;
    CTString out;
    if (end > begin) {
        wchar_t* buffer = out.Reserve(static_cast<unsigned>(end - begin) + 1);
        wmemcpy(buffer, begin, end - begin);
        buffer[end - begin] = 0;
        out.ReleaseBuffer();
    }
    return out;
}

const wchar_t* Text(const CTString& s) { return s.GetBuffer() ? s.GetBuffer() : L""; }

} // namespace

CHTTP::CHTTP()
{
    m_path = L"/";
}

void CHTTP::SetSize(unsigned newSize, int growStep)
{
    m_parseNeeded = true;
    CTByteArray::SetSize(newSize, growStep);
}

CTByteArray& CHTTP::Assign(const CTByteArray& other)
{
    m_parseNeeded = true;
    return CTByteArray::Assign(other);
}

void CHTTP::SwapRaw(CTByteArray& other)
{
    m_parseNeeded = true;
    Swap(other);
}

unsigned CHTTP::AppendRaw(const CTByteArray& other)
{
    m_parseNeeded = true;
    return Append(other);
}

bool CHTTP::ReadLine(CTString& line)
{
    line.Empty();
    unsigned chars = size_ / 2;
    const wchar_t* text = reinterpret_cast<const wchar_t*>(data_);
    for (unsigned i = m_readOffset / 2; i + 1 < chars; ++i) {
        if (text[i] == 13 && text[i + 1] == 10) {
            unsigned start = m_readOffset / 2;
            if (i > start) {
                wchar_t* buffer = line.Reserve(i - start + 1);
                wmemcpy(buffer, text + start, i - start);
                buffer[i - start] = 0;
                line.ReleaseBuffer();
            }
            m_readOffset = (i + 2) * 2;
            return true;
        }
    }
    return false;
}

void CHTTP::Parse()
{
    if (!m_parseNeeded)
        return;
    m_complete = false;
    m_body.RemoveAll();
    m_headers.Clear();
    m_readOffset = 0;

    // Start line: "METHOD path ..." or "HTTP/1.1 code text".
    CTString line;
    ReadLine(line);
    const wchar_t* begin = Text(line);
    const wchar_t* end = begin + line.GetLength();
    const wchar_t* blank = begin;
    while (blank < end && *blank != L' ') ++blank;
    {
        CTString token = TrimBlanks(begin, blank);
        char* ansi = token.ToAnsi();
        if (ansi) {
            static const struct { const char* name; int method; } methods[] = {
                {"HEAD", Head}, {"GET", Get}, {"POST", Post}, {"PUT", Put}, {"DELETE", Delete}};
            for (const auto& m : methods)
                if (lstrcmpiA(ansi, m.name) == 0)
                    m_method = m.method;
            delete[] ansi;
        }
    }
    if (blank < end) {
        const wchar_t* rest = blank + 1;
        const wchar_t* restBlank = rest;
        while (restBlank < end && *restBlank != L' ') ++restBlank;
        m_path = TrimBlanks(rest, restBlank);
        const wchar_t* p = Text(m_path);
        int code = 0;
        while (*p >= L'0' && *p <= L'9' && code < 100000) code = code * 10 + (*p++ - L'0');
        m_statusCode = code;
        m_statusText = restBlank < end ? TrimBlanks(restBlank + 1, end) : CTString();
    } else {
        m_path.Empty();
        m_statusCode = 0;
        m_statusText.Empty();
    }

    // Headers, until an empty line; a repeated name gets "_2", "_3", ... in order of arrival.
    while (ReadLine(line) && !line.IsEmpty()) {
        const wchar_t* lb = Text(line);
        const wchar_t* le = lb + line.GetLength();
        const wchar_t* colon = lb;
        while (colon < le && *colon != L':') ++colon;
        CTString name;
        if (colon > lb) {
            wchar_t* buffer = name.Reserve(static_cast<unsigned>(colon - lb) + 1);
            wmemcpy(buffer, lb, colon - lb);
            buffer[colon - lb] = 0;
            name.ReleaseBuffer();
        }
        if (name.IsEmpty())
            continue;
        CTString value = colon < le ? TrimBlanks(colon + 1, le) : CTString();
        CTString key = name;
        for (int n = 2; m_headers.Find(key); ++n) {
            key = name;
            key.AppendChar(L'_').AppendInt(n);
        }
        m_headers.SetText(key, value);
    }

    // Body.
    CTString header;
    unsigned contentLength = 0;
    if (GetHeader(43, header) && header.CompareNoCase(L"chunked") == 0) {
        bool any = false;
        for (;;) {
            CTString sizeLine;
            if (!ReadLine(sizeLine) || sizeLine.IsEmpty())
                break;
            unsigned long chunk = wcstoul(Text(sizeLine), nullptr, 16);
            if (chunk == 0 || static_cast<unsigned long long>(m_readOffset) + chunk >= size_)
                break;
            CTByteArray part;
            part.SetSize(chunk);
            memcpy(part.GetData(), data_ + m_readOffset, chunk);
            m_body.Append(part);
            m_readOffset += chunk;
            any = true;
            CTString lineBreak;
            ReadLine(lineBreak);
        }
        if (any) {
            for (;;) {
                unsigned before = m_readOffset;
                CTString rest;
                ReadLine(rest);
                if (m_readOffset == before || m_readOffset >= size_)
                    break;
            }
            if (m_readOffset == size_)
                m_complete = true;
        }
    } else if (GetHeader(34, header)) {
        contentLength = static_cast<unsigned>(wcstoul(Text(header), nullptr, 10));
        if (static_cast<unsigned long long>(m_readOffset) + contentLength == size_) {
            m_body.SetSize(contentLength);
            if (contentLength)
                memcpy(m_body.GetData(), data_ + m_readOffset, contentLength);
            m_complete = true;
        }
    } else if (m_method == Get || m_method == Head) {
        m_complete = true;
    }
    m_parseNeeded = false;
}

int CHTTP::GetStatusClass() const
{
    switch (m_statusCode) {
    case 0: return 0;
    case 101: return 1;
    case 200: return 2;
    case 206: return 16;
    case 301: return 5;
    case 302: return 6;
    case 303: return 8;
    case 304: return 7;
    case 400: return 3;
    case 401: return 4;
    case 404: return 9;
    case 405: return 10;
    case 500: return 11;
    case 501: return 12;
    case 502: return 13;
    case 503: return 14;
    case 504: return 15;
    default: return 17;
    }
}

bool CHTTP::GetHeader(int id, CTString& out, int occurrence) const
{
    const wchar_t* base = HeaderName(id);
    if (!base)
        return false;
    CTString name(base);
    if (occurrence > 1)
        name.AppendChar(L'_').AppendInt(occurrence);
    CAttributes::CItem* item = m_headers.Find(name);
    if (!item)
        return false;
    out = item->GetString();
    return true;
}

const wchar_t* CHTTP::MethodName(int method)
{
    return method >= 1 && method <= 8 ? kMethods[method] : nullptr;
}

const wchar_t* CHTTP::HeaderName(int id)
{
    return id >= 0 && id < static_cast<int>(sizeof(kHeaders) / sizeof(kHeaders[0])) ? kHeaders[id] : nullptr;
}

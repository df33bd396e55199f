#include "foundation/CTStringA.h"
#include "foundation/CTString.h"
#include <cstring>
#include <cstdlib>

CTStringA::CTStringA(const char* text)
{
    Assign(text);
}

CTStringA::CTStringA(const CTString& text)
{
    Assign(text);
}

CTStringA::CTStringA(const CTStringA& other)
{
    Assign(other.m_buffer);
}

CTStringA& CTStringA::operator=(const CTStringA& other)
{
    if (&other != this)
        Assign(other.m_buffer);
    return *this;
}

CTStringA::~CTStringA()
{
    Empty();
}

CTStringA& CTStringA::Assign(const CTString& text)
{
    Empty();
    if (!text.IsEmpty())
        m_buffer = text.ToAnsi();
    return *this;
}

CTStringA& CTStringA::Assign(const char* text)
{
    if (text && text == m_buffer)
        return *this;
    Empty();
    if (text && *text) {
        size_t n = strlen(text) + 1;
        m_buffer = new char[n];
        strcpy_s(m_buffer, n, text);
    }
    return *this;
}

void CTStringA::Empty()
{
    delete[] m_buffer;
    m_buffer = nullptr;
}

char* CTStringA::AllocBuffer()
{
    Empty();
    m_buffer = new char[9];
    return m_buffer;
}

unsigned CTStringA::GetLength() const
{
    return m_buffer ? static_cast<unsigned>(strlen(m_buffer)) : 0;
}

int CTStringA::CompareNoCase(const CTStringA& other) const
{
    // _stricmp of a null text would crash: an empty text compares as "".
    return _stricmp(m_buffer ? m_buffer : "", other.m_buffer ? other.m_buffer : "");
}

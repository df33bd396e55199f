// The string-table operations of CTString that take no module: they load from the module the
// application object picks, so every text follows the user's language when a language module exists.
#include "foundation/CTString.h"
#include "framework/CTApp.h"

static HMODULE StringModule(UINT id)
{
    return CTApp::Instance()->FindResourceModule(RT_STRING, MAKEINTRESOURCEW(id));
}

CTString::CTString(UINT id)
{
    LoadString(id, StringModule(id));
}

bool CTString::LoadString(UINT id)
{
    return LoadString(id, StringModule(id));
}

unsigned CTString::FormatResource(UINT id, ...)
{
    CTString format; // wiped when it goes out of scope
    if (!format.LoadString(id, StringModule(id))) {
        Empty();
        return 0;
    }
    va_list args;
    va_start(args, id);
    unsigned length = FormatV(format.GetBuffer(), args);
    va_end(args);
    return length;
}

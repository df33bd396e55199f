#include "session/MainWindowLookups.h"

namespace {
MainWindowLookups* g_lookups = nullptr;
}

void MainWindowLookups::Install(MainWindowLookups* lookups)
{
    g_lookups = lookups;
}

MainWindowLookups* MainWindowLookups::Installed()
{
    return g_lookups;
}

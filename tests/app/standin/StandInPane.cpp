#include "StandInPane.h"

#include "StandInWindows.h"

StandInPane::~StandInPane()
{
    CTWnd2::Destroy();
}

bool StandInPane::Create()
{
    RECT rc = {0, 0, 200, 100};
    if (!CTWnd2::Create(L"STATIC", false, GetOwnerHwnd(), WS_CHILD | WS_CLIPSIBLINGS, 0, GetModuleHandleW(nullptr), &rc))
        return false;
    SetWindowText(kText);
    return true;
}

void StandInPane::Destroy()
{
    CTWnd2::Destroy();
}

int StandInPane::GetConsoleType()
{
    return standin::kConsoleType;
}

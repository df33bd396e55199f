#pragma once
// The "Emails" tab of the administrator form until its own page is built in.
#include "structure/StandInPage.h"

class AdministratorStandInPage : public StandInPage {
public:
    AdministratorStandInPage() : StandInPage(L"Emails", true) {}
};

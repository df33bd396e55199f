#pragma once
// The data points received for the shown person.
#include "people/DataPointsPage.h"
#include "people/DlgUser.h"

class DlgUser::CPageDataPoints : public DataPointsPage {};

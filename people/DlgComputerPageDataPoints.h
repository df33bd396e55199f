#pragma once
// The data points received for the shown computer.
#include "people/DataPointsPage.h"
#include "people/DlgComputer.h"

class DlgComputer::CPageDataPoints : public DataPointsPage {};

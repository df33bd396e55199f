#pragma once
// The exceptions of the shown computer; the tab takes image 0 of the pane's tab images, written on
// every fill.
#include "people/DlgComputer.h"
#include "people/ExceptionsPage.h"

class DlgComputer::CPageExceptions : public ExceptionsPage {
protected:
    void UpdateTabImage(bool hasRows) override { SetTabImage(hasRows ? 0 : -1, false); }
};

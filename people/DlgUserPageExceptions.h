#pragma once
// The exceptions of the shown person; the tab takes the pane's warning image, written only when
// it changes.
#include "people/DlgUser.h"
#include "people/ExceptionsPage.h"

class DlgUser::CPageExceptions : public ExceptionsPage {
protected:
    void UpdateTabImage(bool hasRows) override
    {
        RecordPageHost* host = GetPageHost();
        SetTabImage(hasRows && host ? host->GetWarningImage() : -1, true);
    }
};

#include "people/DlgUserPageEmails.h"

#include "app/App.h"

bool DlgUser::CPageEmails::SendSearch()
{
    App* app = GetApp();
    __int64 id = GetShownId();
    if (!app || id == 0)
        return false;
    app->m_db.ObjSearch(CTString(L"Email"), static_cast<unsigned>(id), CTString(), CTString(), false, DB::kNoMax,
                        Route(kReqSearch, kSearchParam));
    return true;
}

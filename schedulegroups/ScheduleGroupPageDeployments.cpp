#include "schedulegroups/ScheduleGroupPageDeployments.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"

void DlgScheduleGroup::CPageDeployments::SetDeleteIcon(DeleteConfirmInfo& info)
{
    App* app = App::Instance();
    if (!app || !app->m_mainWindow) return;
    Object definition;
    app->m_mainWindow->GetTypeByName(definition, CTString(L"Deployment"));
    CAttribute image;
    definition.GetAttribute(image, CTString(L"tree_image"));
    int index = app->FindIcon(image.GetString());
    if (index < 0 || !app->m_largeImages) return;
    // The report destroys the icon it put in the record once it sees it replaced.
    if (HICON icon = ImageList_GetIcon(app->m_largeImages, index, ILD_TRANSPARENT))
        info.icon = icon;
}

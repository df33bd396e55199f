#include "people/EmailList.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "session/RequestResult.h"

RecordList::Layout EmailList::GetLayout()
{
    RecordList::Layout layout;
    layout.columns = L"From;To;Subject;Sent;Error;";
    layout.emptyText = L"No Emails";
    layout.buttons = RecordList::ButtonNew | RecordList::ButtonOpen;
    layout.sortColumn = 3;
    return layout;
}

void EmailList::Fill(RecordList& list, RequestResult& reply, int iconKey)
{
    if (reply.resultCode != RequestResult::CodeOk || !list.IsReady())
        return;
    std::vector<Object> objects;
    ReadReplyObjects(reply.document, objects);
    list.Clear();
    const int image = list.ImageFor(iconKey);
    for (const Object& email : objects)
        list.AddEmailRow(email, image);
    list.FitColumns();
}

void EmailList::AddSent(RecordList& list, const Object& email, __int64 personId, int iconKey)
{
    if (personId == 0 || email.parent != personId || list.FindRow(email.id) >= 0)
        return;
    list.AddEmailRow(email, list.ImageFor(iconKey));
    list.FitColumns();
}

void EmailList::OpenWizard(HWND page, __int64 personId)
{
    App* app = App::Instance();
    if (!app || personId == 0)
        return;
    // The wizard takes the person's parent as its parent object once it exists; until then the
    // window of this type is a stand-in with nothing to set.
    app->m_windows.OpenWindow(kWindowUserWizard, static_cast<UINT64>(personId), reinterpret_cast<INT_PTR>(page));
}

void EmailList::OpenSelected(RecordList& list)
{
    __int64 id = list.SelectedId();
    App* app = App::Instance();
    if (id != 0 && app && app->m_mainWindow)
        app->m_mainWindow->ShowConsole(kConsoleEmail, id, false);
}

#include "calendars/CTWndScheduleEntry.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "controls/CGDIManager.h"
#include "foundation/CTStringLocale.h"
#include "session/DueStatus.h"

namespace {

void AppendColour(CTString& out, int id)
{
    CGDIManager::CObject* entry = CGDIManager::Instance()->Find(id);
    COLORREF colour = entry ? static_cast<COLORREF>(entry->Get()) : 0;
    out.AppendHtmlColour(&colour);
}

HICON StatusIcon(int status)
{
    if (status != DueCompleted && status != DueSoon && status != DueOverdue)
        return nullptr;
    // The ball icons sit under the ids of the statuses they show.
    CGDIManager::CObject* entry = CGDIManager::Instance()->Find(status);
    return entry ? reinterpret_cast<HICON>(entry->Get()) : nullptr;
}

} // namespace

void CTWndSchedule::CGfxEntry::BuildMarkup(CTString& out, const CTString& name, int status, int count)
{
    CTString hot(L" hot-track=\"");
    AppendColour(hot, ColourHot);
    hot.AppendText(L"\" on-click=\"1\"");

    CTString image;
    if (HICON icon = StatusIcon(status)) {
        image.AppendText(L"<Image width=\"16\" type=\"HICON\" handle=\"");
        image.AppendInt(static_cast<int>(reinterpret_cast<INT_PTR>(icon)));
        image.AppendText(L"\"   />");
    }

    CTString badge;
    if (count > 1) {
        badge.AppendText(L" <Div background-type=\"circle\" background-color=\"");
        AppendColour(badge, ColourBadge);
        badge.AppendText(L"\"  color=\"#B5B5B5\" width=\"14\" height=\"14\"  >");
        badge.AppendText(L"  <Text font-size=\"12\" font-weight=\"700\"  color=\"");
        AppendColour(badge, ColourBadgeText);
        badge.AppendText(L"\" vertical-align=\"middle\"  text-align=\"center\"  width=\"13\" "
                         L"font-size-to-fit-width=\"true\" padding-bottom=\"2\" >");
        if (count > 99)
            badge.AppendChar(L'#');
        else
            badge.AppendInt(count);
        badge.AppendText(L"</Text>");
        badge.AppendText(L" </Div>");
    }

    // The name is data: escaped, so that mark-up characters in it show as they are.
    CTStringLocale locale(name);
    CTString text(locale.GetUserText());
    text.XmlEscape();

    out.Empty();
    out.AppendText(L"<Div width=\"100%\" padding-left=\"2\" padding-right=\"6\"  >");
    out.AppendText(L"<Div text-align=\"right\">");
    out.Append(badge);
    out.AppendText(L"<Text padding-left=\"4\" font-size=\"12\" font-size-to-fit-width=\"true\" ");
    out.Append(hot);
    out.AppendText(L" color=\"");
    AppendColour(out, ColourName);
    out.AppendText(L"\">");
    out.Append(text);
    out.AppendText(L"</Text>");
    out.Append(image);
    out.AppendText(L"</Div>");
    out.AppendText(L"</Div>");
}

void CTWndSchedule::CGfxEntry::SetText(const CTString& name)
{
    int status = UpdateStatus();
    BuildMarkup(m_markup, name, status, GetCount());
    m_layoutValid = false;
    SetMarkup(m_markup);
}

void CTWndSchedule::CGfxEntry::LayoutAt(HDC dc, const RECT& rc)
{
    if (m_layoutValid && EqualRect(&rc, &m_laidOut))
        return;
    m_doc.Layout(dc, &rc);
    m_laidOut = rc;
    m_layoutValid = true;
}

void CTWndSchedule::CGfxEntry::Paint(HDC dc, const RECT* clip)
{
    if (m_visible && m_doc.gdi) {
        RECT rc = ClientBounds();
        RECT common;
        if (!clip || IntersectRect(&common, &rc, clip)) {
            LayoutAt(dc, rc);
            m_doc.root.Paint(dc, m_doc.gdi, nullptr);
        }
    }
    PaintChildren(dc, clip);
}

void CTWndSchedule::CGfxEntry::OnScroll()
{
    HWND hwnd = CanvasHwnd();
    if (hwnd && m_doc.gdi) {
        RECT rc = ClientBounds();
        RECT client, common;
        GetClientRect(hwnd, &client);
        if (IntersectRect(&common, &rc, &client)) {
            CGfxCanvasDC dc(hwnd);
            LayoutAt(dc.dc, rc);
        }
    }
    CGfxObject::OnScroll();
}

int CTWndSchedule::CGfxEntry::UpdateStatus()
{
    m_status = GetDueStatus(m_task);
    return m_status;
}

void CTWndSchedule::CGfxEntry::UpdateObject(const Object& task)
{
    m_task = task;
    SetText(m_task.name);
    Redraw(true);
}

void CTWndSchedule::CGfxEntry::OnClick(__int64)
{
    if (App* app = App::Instance())
        if (app->m_mainWindow)
            app->m_mainWindow->OpenObject(m_task, false, false);
    Redraw(true);
}

std::vector<Object>* CTWndSchedule::CGfxMultiTask::Tasks()
{
    App* app = App::Instance();
    if (!app)
        return nullptr;
    auto it = app->m_keyedLists.find(m_key);
    return it == app->m_keyedLists.end() ? nullptr : &it->second;
}

void CTWndSchedule::CGfxMultiTask::OnClick(__int64)
{
    if (App* app = App::Instance())
        if (app->m_mainWindow)
            app->m_mainWindow->ShowConsole(1008, m_key, false);
    Redraw(true);
}

int CTWndSchedule::CGfxMultiTask::UpdateStatus()
{
    std::vector<Object>* tasks = Tasks();
    m_status = GetCombinedDueStatus(tasks ? *tasks : std::vector<Object>());
    return m_status;
}

int CTWndSchedule::CGfxMultiTask::GetCount()
{
    std::vector<Object>* tasks = Tasks();
    return tasks ? static_cast<int>(tasks->size()) : 0;
}

bool CTWndSchedule::CGfxMultiTask::Holds(__int64 id)
{
    if (std::vector<Object>* tasks = Tasks())
        for (const Object& task : *tasks)
            if (task.id == id)
                return true;
    return false;
}

void CTWndSchedule::CGfxMultiTask::UpdateObject(const Object& task)
{
    std::vector<Object>* tasks = Tasks();
    if (!tasks)
        return;
    for (Object& held : *tasks) {
        if (held.id == task.id) {
            held = task;
            SetText(held.name);
            Redraw(true);
            return;
        }
    }
}

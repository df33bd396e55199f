#include "schedulegroups/DlgScheduleGroupDlg.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/CAttributes.h"
#include "foundation/TiXmlDocument.h"
#include "foundation/TiXmlElement.h"
#include "framework/CTApp.h"
#include "schedulegroups/DlgScheduleGroupDlgDefaultsPage.h"
#include "schedulegroups/DlgScheduleGroupDlgDeployablePage.h"
#include "schedulegroups/DlgScheduleGroupDlgT0Page.h"
#include "schedulegroups/DlgScheduleGroupDlgTasksPage.h"
#include "session/FormHelpers.h"

namespace {

App* TheApp() { return App::Instance(); }

MainWindow* TheMainWindow()
{
    App* app = App::Instance();
    return app ? app->m_mainWindow : nullptr;
}

TiXmlElement* ResultOf(RequestResult& result)
{
    return result.document.FirstChildElementNamed(L"result");
}

__int64 ParameterOf(RequestResult& result, const wchar_t* name)
{
    TiXmlElement* root = ResultOf(result);
    TiXmlElement* parameters = root ? root->FirstChildElementNamed(L"parameters") : nullptr;
    int64_t value = 0;
    if (parameters)
        parameters->GetAttributeInt64(name, &value);
    return value;
}

CTString TypeNumberText(const wchar_t* typeName)
{
    MainWindow* main = TheMainWindow();
    CTString text;
    if (main)
        text.Format(L"%I64u", static_cast<unsigned __int64>(main->GetTypeId(CTString(typeName))));
    else
        text = L"0";
    return text;
}

} // namespace

DlgScheduleGroupDlg::DlgScheduleGroupDlg()
{
    m_templateId = kTemplateId;
    m_tabId = 1187;
    m_headerId = 105;
    m_confirmCloseId = 112;
    m_minWidth = 425;
    m_minHeight = 425;
    m_placementName = kPlacementName;
}

DlgScheduleGroupDlg::~DlgScheduleGroupDlg()
{
    m_icon.Free();
}

RequestRoute DlgScheduleGroupDlg::Route(int requestId, __int64 param2) const
{
    RequestRoute route;
    route.targetType = kWindowType;
    route.targetKey = m_key;
    route.requestId = requestId;
    route.param2 = param2;
    return route;
}

bool DlgScheduleGroupDlg::Open()
{
    return BuildPages();
}

void DlgScheduleGroupDlg::Notify(void* param)
{
    OnResult(static_cast<RequestResult*>(param));
}

bool DlgScheduleGroupDlg::BuildPages()
{
    if (!m_hWnd) {
        // Centre on the opener's top-level window.
        HWND owner = reinterpret_cast<HWND>(m_param);
        while (owner && ::GetParent(owner))
            owner = ::GetParent(owner);
        m_param = reinterpret_cast<INT_PTR>(owner);
        HINSTANCE module = FindDialogTemplateModule(kTemplateId);
        if (!Create(reinterpret_cast<HWND>(m_param), module, kIconId, kPlacementName))
            return false;
        ApplyHeaderColours(m_header);
        m_t0Page = static_cast<CT0Page*>(AddPage(new CT0Page()));
        m_defaultsPage = static_cast<CDefaultsPage*>(AddPage(new CDefaultsPage()));
        m_tasksPage = static_cast<CTasksPage*>(AddPage(new CTasksPage()));
        m_tasksPage->m_editor.m_form = this;
        m_deployablePage = static_cast<CDeployablePage*>(AddPage(new CDeployablePage()));
        ShowPages();
    }
    Load();
    return true;
}

bool DlgScheduleGroupDlg::Load(UINT64 key)
{
    // Children are emptied only here, so that search replies arriving before the object reply stay.
    m_group.Clear();
    m_group.id = static_cast<__int64>(key);
    if (m_deployablePage)
        m_deployablePage->m_searchNeeded = true;
    if (m_tasksPage)
        m_tasksPage->m_freshLoad = true;
    App* app = TheApp();
    if (!app)
        return true;
    app->m_db.ObjGet(static_cast<unsigned>(m_group.id), false, false, Route(ReqObject));
    app->m_db.ObjSearch(TypeNumberText(L"Task"), static_cast<unsigned>(m_group.id), CTString(), CTString(), false,
                        DB::kNoMax, Route(ReqSearch, SearchTasks));
    app->IDToPath(m_group.id, Route(ReqPath));
    return true;
}

void DlgScheduleGroupDlg::ReadGroup(TiXmlElement* element)
{
    Object read;
    read.ReadFromXml(element, true);
    std::vector<Object> children;
    children.swap(m_group.children);
    m_group.Object::Assign(read);
    m_group.children.swap(children);
}

void DlgScheduleGroupDlg::ReadChildren(RequestResult& result, __int64* lastWindow)
{
    TiXmlElement* root = ResultOf(result);
    MainWindow* main = TheMainWindow();
    const __int64 windowType = main ? main->GetTypeId(CTString(L"Deployment Window")) : 0;
    for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object child;
        child.ReadFromXml(element, true);
        if (lastWindow && windowType != 0 && child.type == windowType)
            *lastWindow = child.id;
        m_group.children.push_back(child);
    }
}

void DlgScheduleGroupDlg::OnResult(RequestResult* result)
{
    if (!result)
        return;
    RequestResult& reply = *result;
    App* app = TheApp();
    switch (reply.route.requestId) {
    case ReqObject:
        if (ParameterOf(reply, L"ID") == m_group.id) {
            TiXmlElement* root = ResultOf(reply);
            if (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr) {
                ReadGroup(element);
                ShowLoadedObject();
            }
        }
        break;
    case ReqSearch:
        if (reply.route.param2 == SearchTasks) {
            if (ParameterOf(reply, L"PARENT") != m_group.id) {
                ShowLoadedObject();
                break;
            }
            __int64 window = 0;
            ReadChildren(reply, &window);
            if (window != 0 && app)
                app->m_db.ObjSearch(TypeNumberText(L"Deployment Slot"), static_cast<unsigned>(window), CTString(),
                                    CTString(), false, DB::kNoMax, Route(ReqSearch, SearchSlots));
            else
                ShowLoadedObject();
        } else if (reply.route.param2 == SearchSlots) {
            ReadChildren(reply, nullptr);
            ShowLoadedObject();
        } else if (reply.route.param2 == SearchComponents && m_deployablePage) {
            if (IsGood(reply))
                m_deployablePage->OnSearchReply(ResultOf(reply));
        }
        break;
    case ReqPath: {
        if (reply.returnCode != 0)
            break;
        TiXmlElement* root = ResultOf(reply);
        TiXmlElement* value = root ? root->FirstChildElementNamed(L"value") : nullptr;
        const wchar_t* path = value ? value->GetAttribute(L"path") : nullptr;
        if (reply.route.param2 == PathLocation) {
            if (m_defaultsPage)
                m_defaultsPage->SetLocationText(CTString(path ? path : L""));
        } else if (ParameterOf(reply, L"ID") == m_group.id) {
            m_pathTitle = path ? path : L"";
            ShowTitle();
        }
        break;
    }
    case ReqSet:
        if (!IsGood(reply))
            break;
        // Only the group's own reply updates the group; a child's reply leaves it as it is.
        if (TiXmlElement* root = ResultOf(reply))
            if (TiXmlElement* element = root->FirstChildElementNamed(L"object")) {
                int64_t id = 0;
                element->GetAttributeInt64(L"id", &id);
                if (id == m_group.id)
                    ReadGroup(element);
            }
        if (m_pendingSets > 0 && --m_pendingSets == 0) {
            RequestResult notice;
            notice.route.targetType = 0xffff;
            notice.route.consoleType = 1026;
            notice.route.consoleKey = m_group.id;
            notice.route.requestId = NoticeGroupSaved;
            notice.attached = static_cast<Object*>(&m_group);
            if (app)
                app->m_windows.NotifyWindows(0xffff, 0, &notice);
            AddCompletion(CompletedSets);
        }
        break;
    case ReqBusy:
        SetReadOnly(reply.returnCode != 0);
        break;
    case ReqLocales:
        if (m_defaultsPage)
            m_defaultsPage->OnLocales(reply);
        break;
    case ReqChoices:
        if (m_defaultsPage)
            m_defaultsPage->OnChoiceList(static_cast<int>(reply.route.param2));
        break;
    case ReqTemplate:
        if (IsGood(reply))
            Load();
        break;
    case ReqTasks:
        if (m_tasksPage)
            m_tasksPage->OnResult(&reply);
        break;
    case ReqIcon:
        if (m_tasksPage)
            m_tasksPage->OnResult(&reply);
        break;
    case ReqEmailTemplates:
        if (IsGood(reply) && m_tasksPage)
            m_tasksPage->m_editor.OnEmailTemplates(reply.document);
        break;
    default:
        break;
    }
}

CTString DlgScheduleGroupDlg::BuildSubtitle(const Object& group)
{
    CTString text;
    text.Format(L"ID: %d ", static_cast<int>(group.id));
    text.AppendText(L" Created: ");
    text.AppendText(group.created.GetText());
    text.AppendText(L" Updated: ");
    text.AppendText(group.updated.GetText());
    return text;
}

void DlgScheduleGroupDlg::ShowTitle()
{
    if (!m_hWnd)
        return;
    CTString title = m_pathTitle.IsEmpty() ? CTString(m_group.name) : m_pathTitle;
    ::SetWindowTextW(m_hWnd, title.GetBuffer() ? title.GetBuffer() : L"");
    m_header.SetText(title);
    m_header.SetSubtitle(BuildSubtitle(m_group));
}

bool DlgScheduleGroupDlg::ShowLoadedObject()
{
    if (App* app = TheApp()) {
        CAttribute image;
        m_group.GetAttribute(image, CTString(L"tree_image"));
        if (HICON icon = app->GetIcon(1, image.GetString(), Route(ReqIcon))) {
            m_icon.Free();
            m_icon.icon = icon;
            if (m_hWnd) {
                ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
                ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
                m_header.SetIcon(CopyIcon(icon));
            }
        }
    }
    ShowTitle();
    LoadPages();
    const bool modified = m_key == 0;
    if (modified != m_modified)
        SetModified(modified);
    return true;
}

bool DlgScheduleGroupDlg::Save()
{
    m_completion = 0;
    m_pendingSets = 0;
    if (!m_modified)
        return true;
    const bool verdict = SavePages();
    App* app = TheApp();
    if (!app)
        return verdict;
    m_group.ApplyConsoleDisplayName();
    CAttributes changes, privileges;
    m_group.CollectChanges(changes, true);
    m_pendingSets = 1;
    app->m_db.ObjSet(static_cast<unsigned>(m_group.id), static_cast<unsigned>(m_group.serial), m_group.name, changes,
                     privileges, Route(ReqSet));
    for (Object& child : m_group.children) {
        CAttributes childChanges;
        if (child.CollectChanges(childChanges, true) && childChanges.GetCount() != 0) {
            ++m_pendingSets;
            app->m_db.ObjSet(static_cast<unsigned>(child.id), static_cast<unsigned>(child.serial), child.name,
                             childChanges, privileges, Route(ReqSet));
        }
    }
    RequestResult notice;
    notice.route.targetType = 0xffff;
    notice.route.consoleType = 1009;
    notice.route.requestId = NoticeGroupSaved;
    notice.route.param2 = m_group.id;
    app->m_windows.NotifyWindows(0xffff, 0, &notice);
    // The tasks page reports its own part of the cycle (SavePages above).
    if (!m_tasksPage)
        AddCompletion(CompletedTasks);
    return verdict;
}

void DlgScheduleGroupDlg::OnOK()
{
    if (m_modified) {
        m_closeAfterSave = true;
        Save();
    } else {
        Destroy();
    }
}

void DlgScheduleGroupDlg::OnApply()
{
    // Only OK closes the form: an OK whose save failed is not carried over to a later Apply.
    m_closeAfterSave = false;
    Save();
}

void DlgScheduleGroupDlg::AddCompletion(int bits)
{
    m_completion |= bits;
    if (m_completion != CompletedAll)
        return;
    Load();
    SetModified(false);
    if (m_closeAfterSave)
        Destroy();
}

bool DlgScheduleGroupDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_INITDIALOG && m_readOnly)
        SetReadOnly(false);
    return CWMForm::OnMessage(msg, wParam, lParam, result);
}

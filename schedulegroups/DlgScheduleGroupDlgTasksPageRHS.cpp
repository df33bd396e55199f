#include "schedulegroups/DlgScheduleGroupDlgTasksPage.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/TiXmlDocument.h"
#include "foundation/TiXmlElement.h"

namespace {

// The pieces of text between the separator, each as written.
std::vector<CTString> Split(const CTString& text, wchar_t separator)
{
    std::vector<CTString> out;
    const wchar_t* chars = text.GetBuffer();
    if (!chars || !*chars)
        return out;
    std::wstring piece;
    for (const wchar_t* c = chars;; ++c) {
        if (*c == separator || *c == 0) {
            out.emplace_back(piece.c_str());
            piece.clear();
            if (*c == 0)
                break;
        } else {
            piece += *c;
        }
    }
    return out;
}

std::wstring Key(const CTString& name)
{
    return name.GetBuffer() ? name.GetBuffer() : L"";
}

} // namespace

std::vector<std::pair<CTString, bool>> DlgScheduleGroupDlg::CTasksPageRHS::ExtendedNames(const Object& task)
{
    CAttribute list;
    task.GetAttribute(list, CTString(L"extended_edit_attribs"));
    std::vector<std::pair<CTString, bool>> names;
    for (const CTString& piece : Split(CTString(list.GetString()), L'|')) {
        const wchar_t* chars = piece.GetBuffer() ? piece.GetBuffer() : L"";
        const bool starred = *chars == L'*';
        CTString name(starred ? chars + 1 : chars);
        if (!name.IsEmpty())
            names.emplace_back(name, starred);
    }
    return names;
}

void DlgScheduleGroupDlg::CTasksPageRHS::AddValueChoices(const CTString& values, CTWndPropertyList::ChoiceMap& choices)
{
    __int64 index = 0;
    for (const CTString& piece : Split(values, L',')) {
        std::wstring word = Key(piece);
        while (!word.empty() && word.front() == L'\'')
            word.erase(word.begin());
        while (!word.empty() && word.back() == L'\'')
            word.pop_back();
        choices[CAttribute(CAttribute::Integer, index++)] = CTString(word.c_str());
    }
}

bool DlgScheduleGroupDlg::CTasksPageRHS::IsEmailAttribute(const Object& task, const CTString& name)
{
    CAttribute value;
    task.GetAttribute(value, name);
    return task.HasAttribute(name) && CAttribute::IsTextType(value.GetType()) &&
           task.EditSpecItemEquals(name, CTString(L"TYPE"), CTString(L"EmailComm"));
}

void DlgScheduleGroupDlg::CTasksPageRHS::ShowTask(ObjectList& list, __int64 taskId)
{
    m_properties.CloseEditor();
    if (m_properties.m_hWnd)
        m_properties.RemoveAll();
    m_task = Object();
    m_taskList = &list;
    App* app = App::Instance();
    MainWindow* main = app ? app->m_mainWindow : nullptr;
    Object reference;
    if (main)
        main->GetTypeByName(reference, CTString(L"Deployment"));
    list.GetRowObject(m_task, taskId);
    if (m_task.id == 0 || !m_properties.m_hWnd)
        return;
    for (const auto& [name, starred] : ExtendedNames(m_task)) {
        // A starred name shows only when deployments have an attribute of exactly that name.
        if (starred && !reference.HasAttribute(name))
            continue;
        CAttribute value;
        m_task.GetAttribute(value, name);
        const __int64 data = m_task.GetAttributeId(name);
        CTWndPropertyList::ChoiceMap& choices = m_choiceLists[Key(name)];
        if (value.GetType() == CAttribute::Text) {
            if (!IsEmailAttribute(m_task, name))
                continue;
            if (m_form && !m_form->m_emailTemplatesRequested && app) {
                m_form->m_emailTemplatesRequested = true;
                app->m_db.QelLangSearch(CTString(), m_form->Route(ReqEmailTemplates));
            }
            if (m_emailTemplatesArrived)
                choices = m_emailTemplates;
            const int row = m_properties.InsertProperty(CTWndPropertyList::KindChoice, name, value, data, nullptr,
                                                        &OnPropertyEdited, nullptr, this, 0);
            m_properties.SetChoiceList(row, CTString(), false);
            m_properties.SetChoices(name, choices);
        } else if (value.GetType() == CAttribute::Integer) {
            CAttribute values;
            m_task.GetEditSpecItem(values, name, CTString(L"VALUES"));
            if (!CTString(values.GetString()).IsEmpty()) {
                AddValueChoices(CTString(values.GetString()), choices);
                const int row = m_properties.InsertProperty(CTWndPropertyList::KindChoice, name, value, data, nullptr,
                                                            &OnPropertyEdited, nullptr, this, 0);
                m_properties.SetChoiceList(row, CTString(), false);
                m_properties.SetChoices(name, choices);
            } else {
                m_properties.InsertProperty(CTWndPropertyList::KindText, name, value, data, nullptr, &OnPropertyEdited,
                                            nullptr, this, 0);
            }
        }
    }
}

void DlgScheduleGroupDlg::CTasksPageRHS::OnEmailTemplates(TiXmlDocument& reply)
{
    CTWndPropertyList::ChoiceMap templates;
    TiXmlElement* result = reply.FirstChildElementNamed(L"result");
    for (TiXmlElement* lang = result ? result->FirstChildElementNamed(L"lang") : nullptr; lang;
         lang = lang->NextSiblingElementNamed(L"lang")) {
        const wchar_t* type = lang->GetAttribute(L"type");
        if (!type || _wcsicmp(type, L"email") != 0)
            continue;
        const wchar_t* id = lang->GetAttribute(L"id");
        const wchar_t* name = lang->GetAttribute(L"name");
        templates[CAttribute(CAttribute::Text, id ? id : L"")] = CTString(name ? name : L"");
    }
    // Kept, so that e-mail attributes of tasks selected later are offered it too.
    m_emailTemplates = templates;
    m_emailTemplatesArrived = true;
    if (m_task.id == 0)
        return;
    for (const auto& [name, starred] : ExtendedNames(m_task)) {
        (void)starred;
        if (!IsEmailAttribute(m_task, name))
            continue;
        m_choiceLists[Key(name)] = templates;
        if (m_properties.m_hWnd)
            m_properties.SetChoices(name, templates);
    }
}

bool DlgScheduleGroupDlg::CTasksPageRHS::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    *result = 0;
    if (LOWORD(wParam) != IdProperties || HIWORD(wParam) != CTWndPropertyList::kNotifyChanged)
        return false;
    for (int index = 0; m_properties.m_hWnd; ++index) {
        const LRESULT data = ::SendMessageW(m_properties.m_hWnd, LB_GETITEMDATA, index, 0);
        if (data == LB_ERR || data == 0)
            break;
        CTWndPropertyList::CItem* item = m_properties.GetItem(index);
        if (item && item->m_data != 0 && m_taskList)
            m_taskList->SetAttributeForId(m_task.id, static_cast<int>(item->m_data), item->m_value);
    }
    if (m_form)
        m_form->SetModified(true);
    return true;
}

int DlgScheduleGroupDlg::CTasksPageRHS::OnPropertyEdited(void* context, __int64, int code, CAttribute*)
{
    auto* editor = static_cast<CTasksPageRHS*>(context);
    if (code == CTWndPropertyList::CodePressed && editor && editor->m_form)
        editor->m_form->SetModified(true);
    return 1;
}

bool DlgScheduleGroupDlg::CTasksPageRHS::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (CTWndSize::HandleMessage(msg, wParam, lParam, result))
        return true;
    if (m_properties.m_hWnd && m_properties.OnParentMessage(msg, wParam, lParam, result))
        return true;
    if (msg == WM_INITDIALOG) {
        CTWndSize::Init(m_hWnd, false, 0, 0, false);
        AddItem(GetDlgItem(m_hWnd, IdProperties), 12);
        m_properties.Create(IdProperties, m_hWnd);
        *result = TRUE;
        return true;
    }
    return false;
}

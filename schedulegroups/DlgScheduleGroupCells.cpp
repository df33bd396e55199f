// The cells of the schedule-group pages: each computed from the row's object, the column and the
// view's caches, with the data a cell lacks (linked objects, contacts, lookups, named lists, last
// logons) fetched on demand, once per load.
#include "schedulegroups/DlgScheduleGroup.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "calendars/model/DeploymentWin.h"
#include "foundation/UnixClock.h"
#include "schedulegroups/ScheduleGroupPage.h"
#include "session/DeploymentWorkflow.h"
#include "session/FormHelpers.h"

namespace {

using Cell = CTListCtrlReport::Cell;

void TextCell(Cell& cell, const CTString& text)
{
    cell.m_value = CAttribute(CAttribute::Text, text);
}

void ValueCell(Cell& cell, int type, __int64 value)
{
    cell.m_value = CAttribute(type, value);
    cell.m_value.UpdateText();
}

void EmptyCell(Cell& cell)
{
    TextCell(cell, CTString());
}

__int64 NumericOf(const CAttribute& value)
{
    return CAttribute::IsTextType(value.GetType()) ? 0 : value.GetValue();
}

int ImageOf(CTListCtrlReport* list, int key)
{
    return list && list->HasImageForKey(key) ? list->GetImageForKey(key) : 0;
}

} // namespace

void DlgScheduleGroup::ComputeCell(CTListCtrlReport* list, const Object& object, const ColHeading& column, Cell& cell)
{
    MainWindow* main = Main();
    const Object* linked = nullptr;

    // Step 1: the base value.
    if (column.key.IsEmpty()) {
        TextCell(cell, object.name);
    } else if (object.IsAttributeLink(column.key)) {
        CAttribute link;
        object.GetAttribute(link, column.key);
        const __int64 target = NumericOf(link);
        if (target != 0) {
            auto cached = m_objects.find(target);
            if (cached != m_objects.end() && cached->second.id != 0) {
                linked = &cached->second;
                if (!column.secondKey.IsEmpty()) {
                    CAttribute value;
                    linked->GetAttribute(value, column.secondKey);
                    cell.m_value = value;
                } else {
                    TextCell(cell, linked->name);
                }
            } else if (column.kind == 0) {
                if (cached == m_objects.end()) {
                    // A placeholder marks the object as asked for, so many rows send one request.
                    m_objects.emplace(target, Object());
                    // Silent, so that a refused fetch still counts off and the rows fill again.
                    if (DB* db = Server()) {
                        ++m_pendingObjectRequests;
                        db->ObjGet(static_cast<unsigned>(target), false, false, ReplyRoute(ReqObject, FetchCell, true));
                    }
                }
            } else if (column.kind == 2 && m_groupWindow) {
                cell.m_value = m_groupWindow->DateOfWindow(target);
            }
        }
    } else {
        CTString spec;
        object.GetAttributeEditSpec(column.key, spec);
        CAttribute value;
        object.GetAttribute(value, column.key);
        if (value.GetType() == CAttribute::Integer && spec.GetLength() >= 7 &&
            wcsncmp(spec.GetBuffer(), L"VALUES=", 7) == 0)
            object.GetAttributeValueText(cell.m_value, column.key);
        else
            cell.m_value = value;
    }

    // Step 2: by the column's kind.
    switch (column.kind) {
    case 1:
        ValueCell(cell, 4, NumericOf(cell.m_value));
        break;
    case 2: {
        ValueCell(cell, CAttribute::Date, NumericOf(cell.m_value));
        BYTE colour = 0;
        if (!DeploymentStatusIsSucceeded(object) && !DeploymentStatusIsFailed(object)) {
            CAttribute slot;
            object.GetAttribute(slot, CTString(L"link_deployment_slot"));
            __int64 day = 0;
            if (m_groupWindow && NumericOf(slot) != 0)
                day = NumericOf(m_groupWindow->DateOfWindow(NumericOf(slot)));
            colour = UnixClock::Now() >= day + 86400 ? 1 : 0;
        }
        cell.m_textColour = colour;
        break;
    }
    case 3: {
        CTString name;
        GetLinkedObjectName(name, CTString(cell.m_value.GetText()));
        TextCell(cell, name);
        break;
    }
    case 4:
        cell.m_value = MakeDeploymentStatusIcon(object, ImageOf(list, 502), ImageOf(list, 503));
        break;
    case 5: {
        auto usage = m_linkUsage.find(object.id);
        if (usage != m_linkUsage.end() && usage->second != 0)
            ValueCell(cell, CAttribute::Integer, usage->second);
        else
            EmptyCell(cell);
        break;
    }
    case 6: {
        CAttribute type;
        object.GetAttribute(type, column.key);
        CTString name;
        if (main)
            main->m_cache.GetDeploymentTypeName(name, NumericOf(type));
        TextCell(cell, name);
        break;
    }
    case 7:
        if (NumericOf(cell.m_value) != 0)
            ValueCell(cell, 4, static_cast<__int64>(ImageOf(list, 504)) * 65536 + 7);
        else
            EmptyCell(cell);
        break;
    case 8:
        if (cell.m_value.GetTextLength() > 0)
            ValueCell(cell, 4, static_cast<__int64>(ImageOf(list, 505)) * 65536 + 7);
        else
            EmptyCell(cell);
        break;
    case 9: {
        std::map<__int64, CTString>& texts = m_lookupTexts[Key(column.key)];
        if (!texts.empty()) {
            CAttribute value;
            object.GetAttribute(value, column.key);
            auto text = texts.find(NumericOf(value));
            CTStringLocale shown(text == texts.end() ? CTString() : text->second);
            const wchar_t* own = shown.GetUserText();
            TextCell(cell, CTString(own ? own : L""));
        } else if (DB* db = Server()) {
            texts[0] = CTString(L"1");
            const __int64 cookie = 100 + ++m_lookupCookie;
            m_lookupRequests[cookie] = Key(column.key);
            db->DirGetLookup(0, column.secondKey, ReplyRoute(ReqLookup, cookie));
        }
        break;
    }
    case 10: {
        std::map<std::wstring, CTString>& texts = m_listTexts[Key(column.key)];
        if (!texts.empty()) {
            CAttribute value;
            object.GetAttribute(value, column.key);
            auto text = texts.find(Key(value.GetString()));
            TextCell(cell, text == texts.end() ? CTString() : text->second);
            break;
        }
        m_listTexts.erase(Key(column.key));
        App* app = GetApp();
        std::vector<Object> definitions;
        if (!main || !app || !main->GetCustomAttributes(object, definitions))
            break;
        for (const Object& definition : definitions) {
            if (definition.name.Compare(column.caption) != 0)
                continue;
            CAttribute listName, attribName;
            definition.GetAttribute(listName, CTString(L"attrib_list_name"));
            definition.GetAttribute(attribName, CTString(L"attrib_name"));
            if (listName.GetTextLength() > 0) {
                m_listNames[Key(listName.GetString())] = Key(column.key);
                App::LookupList items;
                if (app->GetCommsList(CAttribute(listName.GetString()), items,
                                      ReplyRoute(ReqCommsList, object.GetAttributeId(attribName.GetString())))) {
                    std::map<std::wstring, CTString>& filled = m_listTexts[Key(column.key)];
                    filled[L""] = CTString();
                    for (const auto& [value, text] : items)
                        filled[Key(value.GetString())] = text;
                }
            }
            break;
        }
        break;
    }
    case 11:
        if (m_groupWindow) {
            CAttribute value;
            object.GetAttribute(value, column.key);
            TextCell(cell, m_groupWindow->CodeOfWindow(NumericOf(value)));
        }
        break;
    case 12: {
        std::vector<__int64> ids, mandatory;
        object.GetLinkArray(ids, CTString(L"deployable"));
        object.GetLinkArray(mandatory, CTString(L"deployable_mandatory"));
        for (__int64 id : mandatory)
            if (std::find(ids.begin(), ids.end(), id) == ids.end())
                ids.push_back(id);
        if (!ids.empty())
            ValueCell(cell, CAttribute::Integer, static_cast<__int64>(ids.size()));
        else
            EmptyCell(cell);
        break;
    }
    case 13:
        if (HasLinkAccess(&object))
            ValueCell(cell, 4, 1);
        else
            EmptyCell(cell);
        break;
    case 14:
        if (linked && HasLinkAccess(linked))
            ValueCell(cell, 4, 1);
        else
            EmptyCell(cell);
        break;
    case 15: {
        CAttribute value;
        object.GetAttribute(value, column.key);
        const __int64 contact = NumericOf(value);
        if (contact == 0)
            break;
        auto known = m_contacts.find(contact);
        if (known != m_contacts.end()) {
            if (known->second.id != 0)
                TextCell(cell, known->second.name);
            break;
        }
        auto cached = m_objects.find(contact);
        if (cached != m_objects.end() && cached->second.id != 0) {
            m_contacts[contact] = cached->second;
            TextCell(cell, cached->second.name);
            break;
        }
        m_contacts.emplace(contact, Object());
        m_pendingContacts.push_back(contact);
        break;
    }
    case 16: {
        auto logon = m_logonMap.find(object.id);
        if (logon != m_logonMap.end()) {
            cell.m_value = logon->second;
            break;
        }
        m_logonQueue.push_back(LogonEntry{object.id, 0, CAttribute()});
        if (m_logonQueue.size() > static_cast<size_t>(kLogonQueueLimit))
            FlushLogonQueries();
        break;
    }
    case 17:
        ValueCell(cell, CAttribute::Date, NumericOf(cell.m_value));
        break;
    default:
        break;
    }
}

CTListCtrlReport::Row& DlgScheduleGroup::BuildRow(CTListCtrlReport::Row& row, CTListCtrlReport* list,
                                                  const std::vector<ColHeading>& columns, const Object& object)
{
    row.m_data = reinterpret_cast<void*>(static_cast<UINT_PTR>(object.id));
    for (const ColHeading& column : columns) {
        Cell cell(CAttribute::Integer, static_cast<__int64>(0));
        ComputeCell(list, object, column, cell);
        row.AddCell(cell);
    }
    return row;
}

void DlgScheduleGroup::FlushLogonQueries()
{
    std::vector<LogonEntry> queue;
    queue.swap(m_logonQueue);
    // An empty list would read as no filter at all.
    if (queue.empty())
        return;
    CTString ids;
    for (size_t i = 0; i < queue.size(); ++i) {
        wchar_t item[32];
        _snwprintf(item, 32, i ? L",%I64d" : L"%I64d", queue[i].userId);
        ids.AppendText(item);
    }
    __int64 logon = 0, logonLink = 0;
    if (MainWindow* main = Main()) {
        Object type;
        main->GetTypeByName(type, CTString(L"Logon"));
        type.FindAllowedValueIndex(CTString(L"logon_event"), CTString(L"logon"), logon);
        type.FindAllowedValueIndex(CTString(L"logon_event"), CTString(L"logonlink"), logonLink);
    }
    CAttributes form;
    form.SetText(CTString(L"TYPE"), CTString(L"Logon"));
    form.SetText(CTString(L"RETURNTYPE"), CTString(L"OBJECT"));
    CTString attribs;
    attribs.Format(L"link_user=%s|logon_event=%d,%d", ids.GetBuffer(), static_cast<int>(logon),
                   static_cast<int>(logonLink));
    form.SetText(CTString(L"ATTRIBS"), attribs);
    form.SetText(CTString(L"MAXGROUPBY"), CTString(L"link_user"));
    DB* db = Server();
    if (!db)
        return;
    std::weak_ptr<DlgScheduleGroup*> alive = m_alive;
    db->Post(CTString(L"api/api_qelEventQuery.php"), form, [alive, queue](DB::DBEvent& reply) {
        auto view = alive.lock();
        if (view && *view)
            (*view)->OnLogonEvents(reply, queue);
    });
}

void DlgScheduleGroup::OnLogonEvents(DB::DBEvent& reply, const std::vector<LogonEntry>& queue)
{
    (void)queue;
    TiXmlDocument document;
    if (reply.ReadXmlReply(document) != 2)
        return;
    ApplyLogonEvents(document);
}

void DlgScheduleGroup::ApplyLogonEvents(TiXmlDocument& document)
{
    TiXmlElement* root = document.FirstChildElementNamed(L"result");
    if (!root)
        return;
    std::vector<__int64> users;
    for (TiXmlElement* element = root->FirstChildElementNamed(L"object"); element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object event;
        event.ReadFromXml(element, true);
        CAttribute user;
        event.GetAttribute(user, CTString(L"link_user"));
        const __int64 id = NumericOf(user);
        CAttribute created(event.created);
        m_logonMap[id] = created;
        users.push_back(id);
    }
    if (!m_usersPage || !m_usersPage->m_list.m_hWnd)
        return;
    const std::vector<ColHeading>& columns = m_usersPage->m_columns;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].key.Compare(L"col_LastLogon") != 0)
            continue;
        for (__int64 id : users) {
            Object user;
            user.id = id;
            Cell cell(CAttribute::Integer, static_cast<__int64>(0));
            ComputeCell(&m_usersPage->m_list, user, columns[i], cell);
            const int item = m_usersPage->m_list.FindRowByData(reinterpret_cast<void*>(static_cast<UINT_PTR>(id)));
            if (item >= 0)
                m_usersPage->m_list.SetCell(item, static_cast<int>(i), cell);
        }
        break;
    }
}

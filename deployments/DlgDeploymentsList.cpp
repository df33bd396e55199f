// The deployments view's list: columns, cells, images, lookups and the fetch of linked objects.
#include "deployments/DlgDeployments.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "controls/CGDIManager.h"
#include "deployments/DlgDeploymentsPanels.h"
#include "foundation/CDataString.h"
#include "foundation/TiXmlDocument.h"
#include "framework/CTApp.h"
#include "framework/CTIcon.h"
#include "session/DeploymentWorkflow.h"
#include "session/RequestResult.h"

namespace {

enum : int { kGdiRowMark = 16, kOverlayMark = 1 };
constexpr const wchar_t* kLayoutName = L"DlgScheduleGroup::CPageDeployments";

std::wstring W(const CTString& text)
{
    return text.GetBuffer() ? std::wstring(text.GetBuffer(), text.GetLength()) : std::wstring();
}

CTString T(const std::wstring& text)
{
    return CTString(text.c_str());
}

// A link's id: 0 for a text or missing value.
__int64 LinkOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return CAttribute::IsTextType(value.GetType()) ? 0 : value.GetValue();
}

CTString TextOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value.GetString();
}

// An image cell: value type 4 holding (image << 16) | 7.
CAttribute ImageValue(int image)
{
    return CAttribute(4, (static_cast<__int64>(image) << 16) | 7);
}

HICON LoadSmallIcon(UINT id)
{
    CTIcon icon;
    if (!icon.Load(id, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)))
        return nullptr;
    HICON handle = icon.GetHandle();
    icon.Detach();
    return handle;
}

HICON LoadWarningIcon()
{
    HICON icon = nullptr;
    if (HMODULE user = LoadLibraryExW(L"user32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        icon = static_cast<HICON>(LoadImageW(user, MAKEINTRESOURCEW(101), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
        FreeLibrary(user);
    }
    if (!icon)
        icon = CopyIcon(LoadIconW(nullptr, IDI_WARNING));
    return icon;
}

bool NumberAbove0(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return CAttribute::IsTextType(value.GetType()) ? _wtoi(value.GetText()) > 0 : value.GetValue() > 0;
}

} // namespace

void DlgDeployments::DeploymentMappings(std::vector<Object>& out)
{
    // Every shown mapping of the deployment type, whatever deployment type lists it.
    out.clear();
    if (!m_owner)
        return;
    const __int64 deploymentType = DeploymentTypeId();
    std::vector<Object> all;
    m_owner->GetAttributeMappings(all);
    for (const Object& mapping : all) {
        Object mapped;
        const __int64 base = m_owner->GetTypeByName(mapped, TextOf(mapping, L"attrib_object")).type;
        if (deploymentType != 0 && base != 0 && m_owner->IsTypeOf(deploymentType, base) && NumberAbove0(mapping, L"enable") &&
            NumberAbove0(mapping, L"console_display_type"))
            out.push_back(mapping);
    }
}

void DlgDeployments::SetupColumns()
{
    CTListCtrlReportEx& report = Report();
    report.ModifyOptions(CTListCtrlReport::OptGridLines, CTListCtrlReport::OptColumnMenu);
    report.ModifyStyle(LVS_SINGLESEL, WS_TABSTOP, 0);
    const CTListCtrlReportEx::ToolbarButton button = {kCmdProperties, CTListCtrlReportEx::kStandardImage, 111, BTNS_BUTTON};
    m_list.CreateToolbar(this, TBSTYLE_TOOLTIPS, 1, &button);
    // No delete confirmation: the view deletes nothing, so the Delete key asks nothing.
    report.SetEmptyText(CTString(L"No Deployments"));

    Object definition;
    if (m_owner)
        m_owner->GetTypeByName(definition, CTString(L"Deployment"));
    definition.GetAttributeEditSpec(CTString(L"link_deploy_model"), m_modelLookup);
    definition.GetAttributeEditSpec(CTString(L"link_fail_code"), m_failLookup);

    struct Fixed {
        const wchar_t* caption;
        int width;
        bool shown;
        const wchar_t* attribute;
        const wchar_t* linked;
        int code;
    };
    static const Fixed kFixed[] = {
        {L"#", 100, true, L"", L"", CodeValue},
        {L"Deployment ID", 100, false, L"deployment_id", L"", CodeValue},
        {L"Group", 100, true, L"", L"", CodeGroupPath},
        {L"User", 100, true, L"link_user", L"", CodeValue},
        {L"Email Address", 100, true, L"link_user", L"email_address", CodeValue},
        {L"UC", 20, true, L"link_user", L"user_details_confirmed", CodeCheck},
        {L"Old Computer", 100, true, L"link_legacy_computer", L"computer_name", CodeValue},
        {L"HW Model", 100, true, L"link_deploy_model", nullptr, CodeLookup},
        {L"Slot", 100, true, L"link_deployment_slot", L"link_deployment_slot_data", CodeSlot},
        {L"Type", 100, true, L"link_deployment_type", L"", CodeDeploymentType},
        {L"New Computer", 100, true, L"link_deployed_computer", L"computer_name", CodeValue},
        {L"Status", 100, true, L"deployment_status", L"", CodeValue},
        {L"Completed", 100, true, L"completed", L"", CodeValue},
        {L"Success", 20, true, L"DeploymentStatusIcon", L"", CodeStatusIcon},
        {L"Error Code", 100, false, L"link_fail_code", nullptr, CodeLookup},
        {L"VIP", 20, false, L"link_user", L"vip", CodeFlagImage},
        {L"VIM", 20, false, L"link_legacy_computer", L"vim", CodeFlagImage},
        {L"Exceptions", 20, false, L"exceptions", L"", CodeTextImage},
    };
    m_headings.clear();
    for (const Fixed& f : kFixed) {
        ColHeading h;
        h.caption = f.caption;
        h.width = f.width;
        h.shown = f.shown;
        h.attribute = f.attribute;
        if (f.linked)
            h.linked = f.linked;
        else
            h.linked = wcscmp(f.attribute, L"link_deploy_model") == 0 ? m_modelLookup : m_failLookup;
        h.code = f.code;
        m_headings.push_back(h);
    }

    std::vector<Object> mappings;
    DeploymentMappings(mappings);
    for (const Object& m : mappings) {
        CTString name = TextOf(m, L"attrib_name");
        if (name.IsEmpty() || !definition.FindAttribute(name))
            continue;
        CAttribute value;
        definition.GetAttribute(value, name);
        ColHeading h;
        CTStringLocale caption(m.name);
        h.caption = caption.GetUserText();
        h.attribute = name;
        h.shown = false;
        switch (value.GetType()) {
        case 0:
            h.code = TextOf(m, L"attrib_list_name").IsEmpty() ? CodeValue : CodeNamedList;
            break;
        case 1:
            if (definition.EditSpecItemEquals(name, CTString(L"TYPE"), CTString(L"Checkbox"))) {
                h.width = 20;
                h.code = CodeCheck;
            }
            break;
        case 10:
            break;
        default:
            continue;
        }
        m_headings.push_back(h);
    }

    CTString spec;
    for (size_t i = 0; i < m_headings.size(); ++i) {
        CTString part;
        part.Format(L"%s%s,%d,%d", i ? L";" : L"", m_headings[i].caption.GetBuffer() ? m_headings[i].caption.GetBuffer() : L"",
                    m_headings[i].width, m_headings[i].shown ? 1 : 0);
        spec.Append(part);
    }
    report.SortBy(0, true);
    m_list.SetColumns(spec, 104, GetModuleHandleW(nullptr), kLayoutName);

    const std::pair<int, HICON> fixed[] = {{kImageSucceeded, LoadSmallIcon(172)}, {kImageFailed, LoadSmallIcon(173)},
                                           {kImageVip, LoadSmallIcon(205)}, {kImageException, LoadWarningIcon()}};
    for (const auto& [key, icon] : fixed) {
        report.AddImageForKey(icon, key);
        if (icon)
            DestroyIcon(icon);
    }
    if (CGDIManager::CObject* mark = CGDIManager::Instance()->Find(kGdiRowMark)) {
        int image = report.AddImage(reinterpret_cast<HICON>(mark->Get()));
        if (image >= 0)
            report.SetOverlayImage(image);
    }
}

CTListCtrlReport::Row& DlgDeployments::BuildRow(CTListCtrlReport::Row& row, const Object& deployment)
{
    row.Clear();
    row.m_data = reinterpret_cast<void*>(deployment.id);
    for (const ColHeading& heading : m_headings) {
        CTListCtrlReport::Cell cell;
        BuildCell(deployment, heading, cell);
        row.AddCell(cell);
    }
    return row;
}

void DlgDeployments::BuildCell(const Object& d, const ColHeading& h, CTListCtrlReport::Cell& cell)
{
    cell.m_value = CAttribute();
    CAttribute value;
    if (h.attribute.IsEmpty()) {
        CTStringLocale name(d.name);
        value = CAttribute(CTString(name.GetUserText()));
    } else if (d.IsAttributeLink(h.attribute)) {
        CAttribute link;
        d.GetAttribute(link, h.attribute);
        const __int64 id = CAttribute::IsTextType(link.GetType()) ? 0 : link.GetValue();
        if (const Object* linked = id ? FindLoaded(id) : nullptr) {
            if (h.linked.IsEmpty() || h.code == CodeLookup) {
                if (h.code == CodeLookup)
                    value = link;
                else {
                    CTStringLocale name(linked->name);
                    value = CAttribute(CTString(name.GetUserText()));
                }
            } else {
                linked->GetAttribute(value, h.linked);
            }
        } else {
            value = h.code == CodeLookup || h.code == CodeDeploymentType ? link : CAttribute();
        }
    } else {
        const Object::Attribute* attribute = d.FindAttribute(h.attribute);
        if (attribute && attribute->GetType() == 1 && wcsncmp(attribute->editSpec.GetBuffer() ? attribute->editSpec.GetBuffer() : L"",
                                                                L"VALUES=", 7) == 0)
            d.GetAttributeValueText(value, h.attribute);
        else
            d.GetAttribute(value, h.attribute);
    }

    switch (h.code) {
    case CodeCheck:
        cell.m_value = CAttribute(4, CAttribute::IsTextType(value.GetType()) ? 0 : value.GetValue());
        return;
    case CodeStatusIcon:
        cell.m_value = MakeDeploymentStatusIcon(d, Report().GetImageForKey(kImageSucceeded),
                                                Report().GetImageForKey(kImageFailed));
        return;
    case CodeDeploymentType: {
        CAttribute link;
        d.GetAttribute(link, h.attribute);
        CTString name;
        const __int64 typeId = CAttribute::IsTextType(link.GetType()) ? 0 : link.GetValue();
        if (m_owner) {
            m_owner->m_cache.GetDeploymentTypeName(name, typeId);
            // Types read from the server carry their name as the object's name.
            for (const Object& type : m_owner->m_cache.deploymentTypes)
                if (name.IsEmpty() && typeId != 0 && type.id == typeId)
                    name = CTStringLocale(type.name).GetUserText();
        }
        cell.m_value = CAttribute(name);
        return;
    }
    case CodeFlagImage:
        if (!CAttribute::IsTextType(value.GetType()) && value.GetValue() != 0)
            cell.m_value = ImageValue(Report().GetImageForKey(kImageVip));
        else
            cell.m_value = CAttribute(CTString(L""));
        return;
    case CodeTextImage:
        if (!value.GetString().IsEmpty())
            cell.m_value = ImageValue(Report().GetImageForKey(kImageException));
        else
            cell.m_value = CAttribute(CTString(L""));
        return;
    case CodeLookup: {
        const std::wstring column = W(h.attribute);
        auto table = m_lookupTexts.find(column);
        if (table != m_lookupTexts.end() && !table->second.empty()) {
            const __int64 id = CAttribute::IsTextType(value.GetType()) ? 0 : value.GetValue();
            cell.m_value = CAttribute(T(table->second[id]));
            return;
        }
        m_lookupTexts[column][0] = L"";
        m_lookupColumns[W(h.linked)].push_back(column);
        if (App* app = GetApp())
            app->m_db.DirGetLookup(0, h.linked, Route(kReqLookup, kLookupColumn));
        cell.m_value = CAttribute(CTString(L""));
        return;
    }
    case CodeNamedList: {
        const std::wstring column = W(h.attribute);
        auto table = m_namedListTexts.find(column);
        if (table == m_namedListTexts.end() || table->second.empty()) {
            std::vector<Object> mappings;
            if (!m_owner || !m_owner->GetCustomAttributes(d, mappings))
                DeploymentMappings(mappings);
            const Object* mapping = nullptr;
            for (const Object& m : mappings) {
                CTStringLocale caption(m.name);
                if (!mapping && lstrcmpW(caption.GetUserText(), h.caption.GetBuffer() ? h.caption.GetBuffer() : L"") == 0)
                    mapping = &m;
            }
            if (!mapping)
                break;
            const CTString listName = TextOf(*mapping, L"attrib_list_name");
            m_namedListOwners[W(listName)] = column;
            if (!FillNamedList(h.attribute, listName, Route(kReqCommsList, d.GetAttributeId(TextOf(*mapping, L"attrib_name"))))) {
                cell.m_value = CAttribute(CTString(L""));
                return;
            }
            table = m_namedListTexts.find(column);
        }
        cell.m_value = CAttribute(T(table->second[W(value.GetString())]));
        return;
    }
    case CodeSlot: {
        const __int64 id = LinkOf(d, h.attribute.GetBuffer());
        if (const Object* slot = id ? FindLoaded(id) : nullptr) {
            CTString text;
            if (!h.linked.IsEmpty()) {
                if (m_owner)
                    m_owner->m_cache.GetSlotDataCode(text, LinkOf(*slot, h.linked.GetBuffer()));
            } else {
                CTStringLocale name(slot->name);
                text = name.GetUserText();
            }
            value = CAttribute(text);
        }
        break;
    }
    case CodeGroupPath: {
        const Object& group = m_groups[d.parent].group;
        value = CAttribute(group.path.IsEmpty() && group.id ? CTString(CTStringLocale(group.name).GetUserText()) : group.path);
        break;
    }
    default:
        break;
    }
    cell.m_value = value;
}

bool DlgDeployments::FillNamedList(const CTString& attribute, const CTString& listName, const RequestRoute& route)
{
    App* app = GetApp();
    App::LookupList items;
    if (!app || !app->GetCommsList(CAttribute(listName), items, route))
        return false;
    auto& table = m_namedListTexts[W(attribute)];
    table[L""] = L"";
    for (const auto& [key, text] : items)
        table[W(key.GetString())] = W(text);
    return true;
}

void DlgDeployments::OnCommsList(RequestResult& result)
{
    CDataString body;
    body.Swap(result.body);
    body.Rewind();
    CTString listName;
    body.ReadString(listName);
    result.body.Swap(body);
    const std::wstring column = m_namedListOwners[W(listName)];
    if (column.empty())
        return;
    if (FillNamedList(T(column), listName, result.route))
        RefreshColumn(T(column));
}

void DlgDeployments::OnLookup(RequestResult& result)
{
    if (result.returnCode != 0)
        return;
    // The reply names its lookup (EDIT echoed), so a failed or late answer fills no other column.
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    TiXmlElement* parameters = root ? root->FirstChildElementNamed(L"parameters") : nullptr;
    const wchar_t* edit = parameters ? parameters->GetAttribute(L"EDIT") : nullptr;
    if (!edit)
        return;
    auto waiting = m_lookupColumns.find(edit);
    if (waiting == m_lookupColumns.end())
        return;
    std::vector<std::wstring> columns;
    columns.swap(waiting->second);
    m_lookupColumns.erase(waiting);
    for (const std::wstring& column : columns) {
        auto& table = m_lookupTexts[column];
        table[0] = L"";
        for (TiXmlElement* element = root->FirstChildElementNamed(L"object"); element;
             element = element->NextSiblingElementNamed(L"object")) {
            Object object;
            object.ReadFromXml(element, true);
            CTStringLocale name(object.name);
            table[object.id] = name.GetUserText();
        }
        RefreshColumn(T(column));
    }
}

void DlgDeployments::RefreshColumn(const CTString& attribute)
{
    int column = -1;
    for (size_t i = 0; i < m_headings.size() && column < 0; ++i)
        if (lstrcmpW(m_headings[i].attribute.GetBuffer() ? m_headings[i].attribute.GetBuffer() : L"",
                     attribute.GetBuffer() ? attribute.GetBuffer() : L"") == 0)
            column = static_cast<int>(i);
    if (column < 0)
        return;
    CTListCtrlReportEx& report = Report();
    std::unordered_map<__int64, int> rows;
    const int count = report.GetItemCount();
    for (int item = 0; item < count; ++item)
        rows[reinterpret_cast<__int64>(report.GetRowData(item))] = item;
    for (const Object& object : m_loaded.children) {
        auto row = rows.find(object.id);
        if (row == rows.end() || !IsShown(object))
            continue;
        CTListCtrlReport::Cell cell;
        BuildCell(object, m_headings[column], cell);
        report.SetCell(row->second, column, cell);
    }
}

int DlgDeployments::GroupImage(const Object& deployment)
{
    const CTString iconName = TextOf(deployment, L"tree_image");
    App* app = GetApp();
    if (app && !iconName.IsEmpty()) {
        m_deploymentIcon = app->FindIcon(iconName);
        if (m_deploymentIcon < 0)
            m_deploymentIcon = app->AddIcon(iconName, Route(kReqIcon));
    }
    auto known = m_groupImages.find(deployment.parent);
    if (known != m_groupImages.end())
        return known->second;
    CTIcon icon(app && !iconName.IsEmpty() ? app->GetIcon(0, iconName, Route(kReqIcon)) : nullptr);
    if (!icon.IsValid())
        return -1;
    icon.Colorize(m_groups[deployment.parent].colour);
    const int image = Report().AddImage(icon.GetHandle());
    m_groupImages[deployment.parent] = image;
    return image;
}

void DlgDeployments::OnIcon()
{
    App* app = GetApp();
    if (!app || !app->m_smallImages || m_deploymentIcon < 0)
        return;
    for (const auto& [groupId, image] : m_groupImages) {
        CTIcon icon(ImageList_GetIcon(app->m_smallImages, m_deploymentIcon, ILD_TRANSPARENT));
        if (!icon.IsValid())
            continue;
        icon.Colorize(m_groups[groupId].colour);
        Report().ReplaceImage(icon.GetHandle(), image);
    }
    InvalidateRect(Report().m_hWnd, nullptr, TRUE);
}

void DlgDeployments::MarkAndCollect(const Object& deployment, int item, std::vector<__int64>& missing)
{
    for (const wchar_t* link : {L"link_user", L"link_legacy_computer"}) {
        const __int64 id = LinkOf(deployment, link);
        if (id == 0)
            continue;
        const Object* linked = FindLoaded(id);
        if (!linked) {
            if (!m_unreturned.count(id))
                missing.push_back(id);
            continue;
        }
        // The mark singles out users and computers that belong outside the deployment's group:
        // neither placed below it nor listed among its members.
        if (item >= 0 && linked->parent != 0 && !BelongsToGroup(*linked, deployment.parent))
            Report().SetRowOverlay(item, kOverlayMark);
    }
}

bool DlgDeployments::BelongsToGroup(const Object& object, __int64 groupId)
{
    if (object.parent == groupId)
        return true;
    auto members = m_groupMembers.find(groupId);
    if (members == m_groupMembers.end()) {
        std::vector<__int64> ids;
        m_groups[groupId].group.GetLinkArray(ids, CTString(L"members"));
        members = m_groupMembers.emplace(groupId, std::set<__int64>(ids.begin(), ids.end())).first;
    }
    return members->second.count(object.id) != 0;
}

void DlgDeployments::FetchMissing(std::vector<__int64>& missing)
{
    // Each id once, and none already on its way.
    std::set<__int64> asked;
    for (const auto& [number, ids] : m_searches)
        asked.insert(ids.begin(), ids.end());
    std::vector<__int64> ids;
    std::set<__int64> seen;
    for (__int64 id : missing)
        if (!asked.count(id) && seen.insert(id).second)
            ids.push_back(id);
    missing.clear();
    App* app = GetApp();
    if (ids.empty() || !app)
        return;
    CTString text(L"/");
    for (__int64 id : ids) {
        CTString part;
        part.Format(L"%I64d/", id);
        text.Append(part);
    }
    const __int64 number = m_nextSearch++;
    m_searches[number] = ids;
    app->m_db.ObjSearchIds(text, false, Route(kReqSearch, number));
}

void DlgDeployments::OnMissingObjects(RequestResult& result)
{
    auto search = m_searches.find(result.route.param2);
    std::vector<__int64> asked;
    if (search != m_searches.end()) {
        asked.swap(search->second);
        m_searches.erase(search);
    }
    if (result.returnCode != 0)
        return;
    for (TiXmlElement* root = result.document.FirstChildElementNamed(L"result"),
                      *element = root ? root->FirstChildElementNamed(L"object") : nullptr;
         element; element = element->NextSiblingElementNamed(L"object")) {
        Object object;
        object.ReadFromXml(element, true);
        AddLoaded(object);
    }
    // What the server did not return is not asked for again in this refresh.
    for (__int64 id : asked)
        if (!FindLoaded(id))
            m_unreturned.insert(id);
    Fill(1, 0);
}

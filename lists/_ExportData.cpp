#include "lists/_ExportData.h"
#include "foundation/CTOpenFile.h"
#include "framework/CTApp.h"
#include <cstdio>
#include "lists/ImportMapping.h"

const wchar_t* const _ExportData::kNamespace = L"urn:qel:console:objects";

namespace {
void AppendTextElement(TiXmlElement* parent, const wchar_t* name, const wchar_t* text)
{
    auto* element = new TiXmlElement(name);
    element->LinkEndChild(new TiXmlText(text));
    parent->LinkEndChild(element);
}

CTString Decimal(__int64 value)
{
    wchar_t buffer[32];
    _snwprintf(buffer, 32, L"%I64d", value);
    buffer[31] = 0;
    return CTString(buffer);
}

const wchar_t* Buf(const CTString& text) { return text.GetBuffer() ? text.GetBuffer() : L""; }
} // namespace

_ExportData::_ExportData(const MainWindowCache& cache) : m_cache(cache)
{
    TiXmlBase::SetCondenseWhiteSpace(false);
    LinkEndChild(new TiXmlDeclaration(nullptr));
    root = new TiXmlElement(L"Root");
    root->SetAttribute(L"xmlns:QEL", kNamespace);
    LinkEndChild(root);
}

void _ExportData::WriteObject(const Object& object)
{
    Object definition;
    m_cache.GetTypeById(definition, object.type);
    CTString elementName(definition.name);
    elementName.Replace(L" ", L"_", false);
    auto* element = new TiXmlElement(Buf(elementName));
    element->SetAttribute(L"name", Buf(object.name));
    for (const auto& [id, attribute] : object.attributes) {
        if (attribute.flags & Object::Attribute::Default)
            continue;
        const wchar_t* name = Buf(attribute.name);
        switch (attribute.GetType()) {
        case CAttribute::Integer:
            AppendTextElement(element, name, Buf(Decimal(attribute.GetValue())));
            break;
        case CAttribute::DateTime:
            if (attribute.GetValue() != 0)
                AppendTextElement(element, name, Buf(Decimal(attribute.GetValue())));
            break;
        default:
            AppendTextElement(element, name, attribute.GetText());
            break;
        }
    }
    root->LinkEndChild(element);
}

bool _ExportData::Save(const wchar_t* path) const
{
    FILE* file = nullptr;
    if (_wfopen_s(&file, path, L"w, ccs=UTF-8") != 0 || !file)
        return false;
    Print(file, 0);
    fclose(file);
    return true;
}

const wchar_t* const _ExportData::kFileFilter = L"Supported Files Types(*.XML)|*.XML|All Files (*.*)|*.*|";

bool _ExportData::SaveAs(HWND owner) const
{
    CTOpenFile dialog;
    CTString path;
    if (!dialog.ShowSave(GetModuleHandleW(nullptr), owner, kFileFilter, L"Save File", nullptr, path) ||
        path.IsEmpty())
        return false;
    return Save(path.GetBuffer());
}

namespace {
// The wait cursor for the length of a scope, whichever way it is left.
struct WaitCursor {
    WaitCursor()
    {
        if (CTApp* app = CTApp::Instance())
            app->AddWaitCursor(1);
    }
    ~WaitCursor()
    {
        if (CTApp* app = CTApp::Instance())
            app->AddWaitCursor(-1);
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
} // namespace

bool _ExportData::Load()
{
    if (GetFileAttributesW(Buf(fileName)) == INVALID_FILE_ATTRIBUTES)
        return false;
    WaitCursor wait;
    Clear();
    root = nullptr;
    cursor = nullptr;
    if (!LoadFile(Buf(fileName)))
        return false;
    root = RootElement();
    if (!root || lstrcmpW(root->Value(), L"Root") != 0)
        return false;
    m_snapshot.Clear();
    m_snapshot.types = m_cache.types;
    m_snapshot.typeNames = m_cache.typeNames;
    m_snapshot.slotData = m_cache.slotData;
    m_snapshot.loaded = m_cache.loaded;
    cursor = root->RootElement();
    return true;
}

bool _ExportData::ReadObject(Object& target, CTString& path, std::vector<LookupField>& lookups)
{
    if (!cursor)
        return false;
    path.Empty();
    target.Clear();
    lookups.clear();

    CTString typeName(cursor->Value());
    Object definition;
    target.Assign(m_snapshot.GetTypeByName(definition, typeName));
    RegisterImportLookups(target, lookups, typeName, m_snapshot);

    for (TiXmlElement* link = cursor->FirstChildElementNamed(L"link"); link; link = link->NextSiblingElementNamed(L"link")) {
        auto text = [link](const wchar_t* name) {
            const wchar_t* value = link->GetAttribute(name);
            return CTString(value ? value : L"");
        };
        LookupField lookup;
        CTString scope = text(L"parent");
        lookup.scope = scope.CompareNoCase(L"ScheduleGroup") == 0 ? 1 : scope.CompareNoCase(L"All") == 0 ? 2 : 0;
        lookup.field = text(L"field");
        lookup.attrib = text(L"attrib");
        lookup.sgLink = text(L"SGlink");
        lookup.value = text(L"value");
        lookups.push_back(lookup);
    }

    for (TiXmlElement* child = cursor->RootElement(); child; child = child->NextSiblingElement()) {
        const TiXmlNode* first = child->FirstChild();
        CTString text(first && first->GetType() == TiXmlNode::TEXT ? first->Value() : L"");
        CTString name(child->Value());
        if (name.CompareNoCase(L"path") == 0)
            path = text;
        else if (name.CompareNoCase(L"link") != 0)
            SetImportAttribute(text, name, lookups, target, m_snapshot, true);
    }

    std::vector<LookupField> kept;
    for (const LookupField& lookup : lookups)
        if (!lookup.value.IsEmpty())
            kept.push_back(lookup);
    lookups.swap(kept);

    target.name.Empty();
    target.ApplyConsoleDisplayName();
    // A type without a display-name rule keeps the name the file gave the object.
    if (target.name.IsEmpty()) {
        const wchar_t* stored = cursor->GetAttribute(L"name");
        if (stored)
            target.name = stored;
    }

    cursor = cursor->NextSiblingElement();
    return true;
}

const wchar_t* _ExportData::GetElementText(const TiXmlElement* element)
{
    if (!element)
        return nullptr;
    const TiXmlNode* first = element->FirstChild();
    return first && first->GetType() == TiXmlNode::TEXT ? first->Value() : nullptr;
}

TiXmlElement* _ExportData::FindDeployment(TiXmlElement* deploymentId)
{
    if (!deploymentId || !root)
        return nullptr;
    const wchar_t* wanted = GetElementText(deploymentId);
    for (TiXmlElement* deployment = root->FirstChildElementNamed(L"deployment"); deployment;
         deployment = deployment->NextSiblingElementNamed(L"deployment")) {
        const wchar_t* id = GetElementText(deployment->FirstChildElementNamed(L"deployment_id"));
        if (lstrcmpiW(id ? id : L"", wanted ? wanted : L"") == 0)
            return deployment;
    }
    auto* deployment = new TiXmlElement(L"deployment");
    deployment->InsertEndChildCopy(*deploymentId);
    root->LinkEndChild(deployment);
    return deployment;
}

void _ExportData::MergeDeploymentItems(const wchar_t* itemName, const wchar_t* idName)
{
    if (!root)
        return;
    while (TiXmlElement* item = root->FirstChildElementNamed(itemName)) {
        TiXmlElement* deployment = FindDeployment(item->FirstChildElementNamed(L"deployment_id"));
        if (deployment) {
            for (const wchar_t* moved : {idName, L"path"})
                while (TiXmlElement* child = item->FirstChildElementNamed(moved)) {
                    deployment->InsertEndChildCopy(*child);
                    item->RemoveChild(child);
                }
        }
        root->RemoveChild(item);
    }
    cursor = root->RootElement();
}

void _ExportData::MergeDeploymentApplications() { MergeDeploymentItems(L"deployment_application", L"package_id"); }

void _ExportData::MergeDeploymentPeripherals() { MergeDeploymentItems(L"deployment_peripheral", L"peripheral_id"); }

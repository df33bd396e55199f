#include "deployments/DeploymentLinks.h"

#include <vector>
#include "app/MainWindow.h"

__int64 LinkId(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    if (value.GetValue() != 0)
        return value.GetValue();
    const wchar_t* text = value.GetText();
    if (text[0] == L'/') {
        std::vector<__int64> ids;
        object.GetLinkArray(ids, CTString(name));
        return ids.empty() ? 0 : ids.front();
    }
    return ReadDecimal64(text);
}

CTString AttributeText(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return CTString(value.GetText());
}

CTString HeadingTitle(const CTString& path, const Object& deployment)
{
    CTString title(path.GetBuffer() ? path.GetBuffer() : L"");
    CTString id = AttributeText(deployment, L"deployment_id");
    const wchar_t* name = deployment.name.GetBuffer() ? deployment.name.GetBuffer() : L"";
    if (!id.IsEmpty() && (id.GetLength() != deployment.name.GetLength() || id.Compare(name) != 0)) {
        title.AppendText(L" (");
        title.Append(id);
        title.AppendText(L")");
    }
    return title;
}

CTString DeploymentTypeObjectName(MainWindow* main, __int64 typeId)
{
    if (main)
        for (const Object& type : main->m_cache.deploymentTypes)
            if (type.id == typeId) {
                CTStringLocale name(type.name);
                return CTString(name.GetUserText());
            }
    return CTString(L"");
}

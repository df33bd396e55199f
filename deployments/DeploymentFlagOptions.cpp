#include "deployments/DeploymentFlagOptions.h"

bool DeploymentFlagOptions::Create(HWND dialog, int id, HMODULE module)
{
    CTWndSettings::ToolbarDesc none;
    none.module = module;
    if (!m_list.Create(dialog, id, none))
        return false;
    for (size_t i = 0; i < m_count; ++i)
        m_list.AddItem(nullptr, {}, CTWndSettings::KindCheck, CTString(m_options[i].text), 0, 0, m_options[i].flag);
    m_list.Invalidate(true);
    return true;
}

void DeploymentFlagOptions::Load(__int64 value)
{
    for (size_t i = 0; i < m_count; ++i)
        if (CTWndSettings::CItem* item = m_list.FindItemByData(m_options[i].flag)) {
            item->value = (value & m_options[i].flag) != 0 ? 1 : 0;
            m_list.RefreshItem(item);
        }
}

DWORD DeploymentFlagOptions::Mask() const
{
    DWORD mask = 0;
    for (size_t i = 0; i < m_count; ++i)
        mask |= m_options[i].flag;
    return mask;
}

__int64 DeploymentFlagOptions::Save(__int64 stored) const
{
    __int64 value = stored & ~static_cast<__int64>(Mask());
    for (size_t i = 0; i < m_count; ++i)
        if (CTWndSettings::CItem* item = const_cast<CTWndSettings&>(m_list).FindItemByData(m_options[i].flag);
            item && item->value)
            value |= m_options[i].flag;
    return value;
}

__int64 DeploymentAttribs(const Object& object)
{
    CAttribute value;
    object.GetAttribute(value, CTString(L"deployment_attribs"));
    if (CAttribute::IsTextType(value.GetType()))
        return _wtoi64(value.GetText());
    return value.GetValue();
}

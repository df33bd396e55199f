#include "framework/CTWndManagerVTabPage.h"

#include "framework/CTWndVTab.h"

void CTWndManager::VTabPage::SetModified(bool modified)
{
    if (m_strip) m_strip->SetPageModified(this, modified);
}

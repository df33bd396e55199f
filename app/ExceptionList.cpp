#include "app/ExceptionList.h"

#include <algorithm>
#include <commctrl.h>
#include "app/MainWindowCache.h"

HICON ExceptionList::LoadWarningIcon()
{
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    if (HMODULE user32 = LoadLibraryExW(L"user32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        HICON icon = static_cast<HICON>(LoadImageW(user32, MAKEINTRESOURCEW(101), IMAGE_ICON, cx, cy, 0));
        FreeLibrary(user32);
        if (icon)
            return icon;
    }
    return CopyIcon(LoadIconW(nullptr, IDI_WARNING));
}

void ExceptionList::Fill(CTListCtrlReport& list, const Object& object, const MainWindowCache& cache)
{
    if (!list.m_hWnd)
        return;
    list.DeleteAllRows();
    std::vector<__int64> ids;
    object.GetLinkArray(ids, CTString(L"exceptions"));
    for (__int64 id : ids) {
        CTString description;
        bool persistent = false;
        if (!cache.GetExceptionInfo(id, description, persistent))
            continue;
        CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(id)));
        row.AddText(description);
        list.InsertRow(list.GetItemCount(), 0, row);
    }
}

bool ExceptionList::ClearSelected(CTListCtrlReport& list, Object& object, const MainWindowCache& cache)
{
    if (!list.m_hWnd)
        return false;
    // Rows are read first and deleted from the last one up, so that a deletion never moves a row
    // still to be looked at.
    std::vector<int> selected;
    for (int item = ListView_GetNextItem(list.m_hWnd, -1, LVNI_SELECTED); item >= 0;
         item = ListView_GetNextItem(list.m_hWnd, item, LVNI_SELECTED))
        selected.push_back(item);
    bool changed = false;
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        auto id = static_cast<__int64>(reinterpret_cast<INT_PTR>(list.GetRowData(*it)));
        CTString description;
        bool persistent = false;
        if (!cache.GetExceptionInfo(id, description, persistent) || !persistent)
            continue;
        std::vector<__int64> ids;
        object.GetLinkArray(ids, CTString(L"exceptions"));
        ids.erase(std::remove(ids.begin(), ids.end(), id), ids.end());
        object.SetLinkArray(CTString(L"exceptions"), ids);
        list.DeleteRow(*it);
        changed = true;
    }
    return changed;
}

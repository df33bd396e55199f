// The pickers with large directories: the object-tree picker building its tree from a cache of
// 2,000 and of 20,000 objects, and the access-list picker filling its list from a lookup answer of
// as many users, and the computer picker filtering as many computers. Each pair of times is printed with its ratio; work that grows with the number of
// objects gives about 10, the goal is below 15.
#include <stdio.h>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>
#include "foundation/TiXmlDocument.h"
#include "lists/DlgSelectAccessList.h"
#include "lists/DlgSelectComputer.h"
#include "lists/DlgSelectObject.h"

#include "BenchTimer.h"

namespace {

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (auto* list = dynamic_cast<CTListCtrlReport*>(CTWnd2::FromHandle(hdr->hwndFrom))) {
            LRESULT result = 0;
            if (list->OnParentNotify(hdr, &result)) return result;
        }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A tree picker over a cache of its own: organisational units ten to a level, with sites and
// other objects under them.
class CachedTreePicker : public DlgSelectObject {
public:
    explicit CachedTreePicker(int count)
    {
        for (int i = 0; i < count; ++i) {
            Object& object = m_objects[1000 + i];
            object.id = 1000 + i;
            object.parent = i < 10 ? 0 : 1000 + (i / 10) - 1;
            object.type = i % 3 == 0 ? 3 : i % 3 == 1 ? 4 : 5;
            CTString name;
            name.Format(L"Object %d", count - i);
            object.name = name;
            m_ids.push_back(object.id);
        }
        m_setup.types = L"OU,Site";
    }
    std::unordered_map<__int64, Object> m_objects;
    std::vector<__int64> m_ids;

protected:
    const std::vector<__int64>* CachedIds() override { return &m_ids; }
    const Object* CachedObject(__int64 id) override
    {
        auto it = m_objects.find(id);
        return it == m_objects.end() ? nullptr : &it->second;
    }
    CTString LookupTypeName(__int64 type) override
    {
        return CTString(type == 3 ? L"OU" : type == 4 ? L"Site" : L"Schedule User");
    }
};

double OpenTree(HWND host, int count)
{
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        CachedTreePicker picker(count);
        picker.m_tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS, 0, 0, 300, 400,
                                        host, nullptr, GetModuleHandleW(nullptr), nullptr);
        double t = Time([&] { picker.FillFromCache(0); });
        best = t < best ? t : best;
        DestroyWindow(picker.m_tree);
    }
    return best;
}

std::wstring AccessListReply(int count)
{
    std::wstring text = L"<result><RC id=\"0\" text=\"\"/>";
    for (int i = 0; i < count; ++i) {
        wchar_t line[200];
        _snwprintf(line, 200, L"<object id=\"%d\" type=\"%d\" parent=\"9\" serial=\"1\" name=\"Person %d\"/>", 5000 + i,
                   i % 2 ? 5 : 9, count - i);
        text += line;
    }
    return text + L"</result>";
}

double FillAccessList(HWND host, int count)
{
    std::wstring reply = AccessListReply(count);
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        TiXmlDocument document;
        document.Parse(reply.c_str(), nullptr, 0);
        DlgSelectAccessList picker;
        picker.m_list.Create(host, DlgSelectAccessList::kIdList, false, 0);
        picker.m_list.SetColumns(CTString(L"Name,200;Type,100;Enable,80"), 0, nullptr, nullptr);
        picker.m_editor.Attach(DlgSelectAccessList::kIdList, &picker.m_list.m_report, nullptr, nullptr, nullptr);
        for (int i = 0; i < count; i += 3)
            picker.m_ids.push_back(5000 + i);
        double t = Time([&] { picker.FillFromReply(document); });
        best = t < best ? t : best;
        picker.m_list.Destroy();
    }
    return best;
}

// The computer picker's list filled from as many computers through a search text that most match.
double FilterComputers(HWND host, int count)
{
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        DlgSelectComputer picker;
        picker.m_list.CreateReport(host, DlgPicker::kIdList, 0);
        picker.m_list.SetColumns(CTString(L"Name;Make;Model;Serial Number;Asset Tag;Type;Status;User"), 0, nullptr, nullptr);
        for (int i = 0; i < count; ++i) {
            Object& computer = picker.m_computers.emplace_back();
            computer.id = 10000 + i;
            CTString name, serial;
            name.Format(L"PC-%05d", i);
            serial.Format(L"SN%05d", count - i);
            computer.name = name;
            for (auto [id, attribute, text] : {std::tuple{157, L"vendor", CTString(L"Lenovo")},
                                               std::tuple{158, L"model", CTString(L"T14 Gen 4")},
                                               std::tuple{155, L"serial_number", serial}}) {
                Object::Attribute& a = computer.attributes[id];
                a.CAttribute::Assign(CAttribute(text));
                a.name = attribute;
            }
        }
        double t = Time([&] {
            picker.m_haystacks.clear();
            for (const Object& computer : picker.m_computers)
                picker.m_haystacks.push_back(DlgSelectComputer::Haystack(computer));
            picker.FillList();
        });
        best = t < best ? t : best;
        picker.m_list.Destroy();
    }
    return best;
}

} // namespace

int wmain()
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PickersBenchHost";
    RegisterClassExW(&wc);
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                wc.hInstance, nullptr);
    CTWndListCtrlEx2::RegisterClass(GetModuleHandleW(nullptr));

    double tree2k = OpenTree(host, 2000), tree20k = OpenTree(host, 20000);
    printf("tree picker from cache: 2,000 %.3f s, 20,000 %.3f s, ratio %.1f\n", tree2k, tree20k, tree20k / tree2k);
    double list2k = FillAccessList(host, 2000), list20k = FillAccessList(host, 20000);
    printf("access list fill: 2,000 %.3f s, 20,000 %.3f s, ratio %.1f\n", list2k, list20k, list20k / list2k);
    double pc2k = FilterComputers(host, 2000), pc20k = FilterComputers(host, 20000);
    printf("computer filter: 2,000 %.3f s, 20,000 %.3f s, ratio %.1f\n", pc2k, pc20k, pc20k / pc2k);
    DestroyWindow(host);
    return 0;
}

// The structure editor with large nodes: reading the children search reply of a node with 20,000
// children against one with 2,000 (work that grows with the children gives about 10, the goal is
// below 12), and listing a node of 10 children while the pane holds 50,000 objects against 500
// (the goal is below 2: listing must not walk every object the pane has read).
#include <stdio.h>
#include <string>
#include "foundation/CTByteArray.h"
#include "session/DB.h"
#include "structure/DlgStructure.h"

#include "BenchTimer.h"

namespace {

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND MakeHost()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"StructureBenchHost";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 700, nullptr,
                           nullptr, wc.hInstance, nullptr);
}

// A pane with its tree and list, shown, without a main window or a server behind it.
struct Pane {
    DlgStructure pane;
    explicit Pane(HWND host)
    {
        RECT rc = {0, 0, 880, 660};
        pane.CTWnd2::Create(L"StructureBenchPane", true, host, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                            GetModuleHandleW(nullptr), &rc);
        pane.m_visible = true;
        SendMessageW(pane.m_hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(880, 660));
    }
};

std::string ObjectXml(int id, int parent, int flags)
{
    return "<object id=\"" + std::to_string(id) + "\" type=\"3\" parent=\"" + std::to_string(parent) +
           "\" serial=\"1\" name=\"Unit " + std::to_string(id) +
           "\" created=\"1700000000\" updated=\"1700000000\"><attrib id=\"300\" name=\"console_setup_navigation\" "
           "type=\"value_int\">" + std::to_string(flags) + "</attrib></object>";
}

void Parse(const std::string& text, TiXmlDocument& doc)
{
    CTByteArray body;
    memcpy(body.Extend(static_cast<unsigned>(text.size())), text.data(), text.size());
    CTString unused;
    DB::ParseXmlBody(body, doc, unused);
}

// Seconds to read the reply of a node with n children (tree nodes and list rows).
double ExpandNode(HWND host, int n)
{
    Pane p(host);
    std::string text = "<?xml version=\"1.0\"?><result><RC id=\"0\"/><parameters PARENT=\"1\"/>";
    for (int i = 0; i < n; ++i)
        text += ObjectXml(100000 + i, 1, 3);
    text += "</result>";
    TiXmlDocument doc;
    Parse(text, doc);
    return Time([&] { p.pane.ReadChildren(doc); });
}

// Seconds to list a node of 10 children while the pane holds total objects.
double ListNode(HWND host, int total)
{
    Pane p(host);
    std::string text = "<?xml version=\"1.0\"?><result><RC id=\"0\"/><parameters PARENT=\"7\"/>";
    for (int i = 0; i < total; ++i)
        text += ObjectXml(100000 + i, i < 10 ? 7 : 8, 2);
    text += "</result>";
    TiXmlDocument doc;
    Parse(text, doc);
    p.pane.ReadChildren(doc);
    double best = 1e9;
    for (int round = 0; round < 20; ++round) {
        p.pane.m_listedNode = -1;
        double t = Time([&] { p.pane.ShowChildren(7); });
        if (t < best)
            best = t;
    }
    return best;
}

} // namespace

int wmain()
{
    HWND host = MakeHost();
    double small = ExpandNode(host, 2000), large = ExpandNode(host, 20000);
    printf("expand a node:           2,000 children %8.4f s   20,000 children %8.4f s   ratio %5.2f (goal < 12)\n",
           small, large, large / small);
    double few = ListNode(host, 500), many = ListNode(host, 50000);
    printf("list 10 children of:     500 objects    %8.5f s   50,000 objects  %8.5f s   ratio %5.2f (goal < 2)\n",
           few, many, many / few);
    DestroyWindow(host);
    return 0;
}

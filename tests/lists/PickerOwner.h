#pragma once
// A top-level window standing in for the form that opens a picker: it records every picker message
// it receives (1025 to 1045), telling sent from posted ones, and answers the messages a picker asks
// its owner.
#include <windows.h>
#include <functional>
#include <ostream>
#include <vector>

namespace {

// One message a picker gave its owner.
struct Answer {
    UINT msg = 0;
    WPARAM key = 0;
    LPARAM value = 0;
    bool sent = false;
    bool operator==(const Answer& o) const { return msg == o.msg && key == o.key && value == o.value && sent == o.sent; }
};

[[maybe_unused]] std::ostream& operator<<(std::ostream& out, const Answer& a)
{
    return out << "{" << a.msg << ", key " << a.key << ", " << a.value << (a.sent ? ", sent}" : ", posted}");
}

// A top-level window that records the picker messages it receives and answers 1035.
class RecordingOwner {
public:
    RecordingOwner()
    {
        static bool registered = [] {
            WNDCLASSEXW wc = {sizeof(wc)};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"PickerTestOwner";
            return RegisterClassExW(&wc) != 0;
        }();
        (void)registered;
        hwnd = CreateWindowExW(0, L"PickerTestOwner", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 640, 480,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        // A posted message passes the message queue: the hook sees it just before it is dispatched.
        // A message sent on this thread goes straight to the window procedure.
        s_current = this;
        hook = SetWindowsHookExW(WH_GETMESSAGE, QueueHook, nullptr, GetCurrentThreadId());
    }
    ~RecordingOwner()
    {
        UnhookWindowsHookEx(hook);
        s_current = nullptr;
        DestroyWindow(hwnd);
    }

    std::vector<Answer> For(UINT64 key) const
    {
        std::vector<Answer> out;
        for (const Answer& a : answers)
            if (a.key == key)
                out.push_back(a);
        return out;
    }

    HWND hwnd = nullptr;
    HHOOK hook = nullptr;
    std::vector<Answer> answers;
    LRESULT groupToSelect = 0;                                     // the answer to 1035
    std::function<LRESULT(UINT, WPARAM, LPARAM)> handler;          // answers instead, when set
    MSG dequeued = {};   // the posted message about to be dispatched to the owner

private:
    static inline RecordingOwner* s_current = nullptr;

    static LRESULT CALLBACK QueueHook(int code, WPARAM wParam, LPARAM lParam)
    {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (code == HC_ACTION && wParam == PM_REMOVE && s_current && msg->hwnd == s_current->hwnd)
            s_current->dequeued = *msg;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<RecordingOwner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && msg >= 1025 && msg <= 1045) {
            bool posted = self->dequeued.message == msg && self->dequeued.wParam == wParam &&
                          self->dequeued.lParam == lParam;
            self->dequeued = MSG{};
            self->answers.push_back(Answer{msg, wParam, lParam, !posted});
            if (self->handler)
                return self->handler(msg, wParam, lParam);
            return msg == 1035 ? self->groupToSelect : 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
};

} // namespace

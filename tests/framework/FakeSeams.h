#pragma once
// Test doubles for the framework's seams: message boxes answered by script (an unexpected box
// fails the test and is cancelled, so nothing waits for a person), modal dialogs driven by script,
// pop-up menus answered with a chosen command.
#include <gtest/gtest.h>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include "framework/CTWndMessageBox.h"
#include "framework/MessageBoxAnswerer.h"
#include "framework/ModalDialogDriver.h"
#include "framework/PopupMenuDriver.h"

// Installed for the whole program by including this header: a box that no test expects fails the
// running test and is cancelled at once, from whatever thread it was shown.
class StrictMessageBoxAnswerer : public MessageBoxAnswerer {
public:
    StrictMessageBoxAnswerer() { MessageBoxAnswerer::Install(this); }
    void OnMessageBox(CTWndMessageBox& box, HWND) override
    {
        ADD_FAILURE() << "unexpected message box \"" << Narrow(box.m_caption) << "\": " << Narrow(box.m_text);
        box.Press(IDCANCEL);
    }
    static std::string Narrow(const wchar_t* text)
    {
        std::string out;
        for (; text && *text; ++text) out += *text < 128 ? static_cast<char>(*text) : '?';
        return out;
    }
};
inline StrictMessageBoxAnswerer g_strictMessageBoxAnswerer;

// Answers the boxes a test expects, in order; while it lives, other boxes fail the test.
class ScriptedMessageBoxAnswerer : public MessageBoxAnswerer {
public:
    using Step = std::function<void(CTWndMessageBox& box, HWND dialog)>;

    ScriptedMessageBoxAnswerer() : m_previous(MessageBoxAnswerer::Installed()) { MessageBoxAnswerer::Install(this); }
    ~ScriptedMessageBoxAnswerer() override
    {
        MessageBoxAnswerer::Install(m_previous);
        std::lock_guard<std::mutex> lock(m_mutex);
        EXPECT_TRUE(m_steps.empty()) << m_steps.size() << " expected message box(es) never shown";
    }

    void Expect(Step step)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_steps.push_back(std::move(step));
    }

    int Shown() const { return m_shown; }

    void OnMessageBox(CTWndMessageBox& box, HWND dialog) override
    {
        Step step;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_shown;
            if (!m_steps.empty()) {
                step = std::move(m_steps.front());
                m_steps.pop_front();
            }
        }
        if (!step) {
            g_strictMessageBoxAnswerer.OnMessageBox(box, dialog);
            return;
        }
        step(box, dialog);
    }

private:
    MessageBoxAnswerer* m_previous = nullptr;
    std::mutex m_mutex;
    std::deque<Step> m_steps;
    int m_shown = 0;
};

class ScriptedModalDialogDriver : public ModalDialogDriver {
public:
    using Step = std::function<void(CTWnd2& wnd, HWND dialog)>;
    ScriptedModalDialogDriver() { ModalDialogDriver::Install(this); }
    ~ScriptedModalDialogDriver() override { ModalDialogDriver::Install(nullptr); }
    void Expect(Step step) { m_steps.push_back(std::move(step)); }
    void OnModalDialog(CTWnd2& wnd, HWND dialog) override
    {
        if (m_steps.empty()) {
            ADD_FAILURE() << "unexpected modal dialog";
            wnd.EndDialog(IDCANCEL);
            return;
        }
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        step(wnd, dialog);
    }

private:
    std::deque<Step> m_steps;
};

class FakePopupMenuDriver : public PopupMenuDriver {
public:
    explicit FakePopupMenuDriver(UINT command) : m_command(command) { PopupMenuDriver::Install(this); }
    ~FakePopupMenuDriver() override { PopupMenuDriver::Install(nullptr); }
    UINT ChooseCommand(HMENU menu, UINT, int, int, HWND) override
    {
        m_menu = menu;
        ++m_calls;
        return m_command;
    }
    UINT m_command = 0;
    HMENU m_menu = nullptr;
    int m_calls = 0;
};

#pragma once
// Answers the system's message boxes for a test, whatever thread shows them.
#include <string>
#include <vector>
#include "framework/CTWndMessageBox.h"
#include "framework/MessageBoxAnswerer.h"

// Answers every message box with OK and keeps its text.
class BoxRecorder : public MessageBoxAnswerer {
public:
    BoxRecorder() { MessageBoxAnswerer::Install(this); }
    ~BoxRecorder() override { MessageBoxAnswerer::Install(nullptr); }
    void OnMessageBox(CTWndMessageBox& box, HWND) override
    {
        texts.push_back(box.m_text ? box.m_text : L"");
        captions.push_back(box.m_caption ? box.m_caption : L"");
        box.Press(IDOK);
    }
    std::vector<std::wstring> texts;
    std::vector<std::wstring> captions;
};


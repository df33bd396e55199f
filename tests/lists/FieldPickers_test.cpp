// The asset picker, the drop-down list pop-up and the name prompt, for a recording owner on an
// application signed in to the fixture server under Xvfb.
#include <gtest/gtest.h>

#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>
#include "app/App.h"
#include "foundation/TiXmlDocument.h"
#include "framework/ModalDialogDriver.h"
#include "lists/DlgPopupDDLB.h"
#include "lists/DlgSelectAsset.h"
#include "lists/DlgSelectName.h"
#include "lists/ListWindows.h"

#include "app/SignedInSession.h"
#include "lists/PickerOwner.h"

namespace {

using signedin::Settle;

// What the form tells the pop-up.
struct PopupForm {
    POINT position = {10, 20};
    SIZE size = {0, 0};
    DlgPopupDDLB::Request request;
    std::vector<__int64> leaveOut;
};

class FieldPickers : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (s_app)
            RegisterListWindows(s_app->m_catalogue);
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }
    void SetUp() override { ASSERT_NE(nullptr, s_app); }
    void TearDown() override
    {
        s_app->m_windows.CloseWindows(DlgPopupDDLB::kType, 0);
        s_app->m_windows.CloseWindows(DlgSelectAsset::kType, 0);
        Settle(*s_app);
    }

    // Opens a pop-up over the owner answering as the form says; the pop-up once its lookup is in.
    DlgPopupDDLB* OpenPopup(UINT64 key, const PopupForm& form)
    {
        owner.handler = [form](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
            switch (msg) {
            case DlgPopupDDLB::kMsgPlace:
                return lParam == 0 ? MAKELONG(form.position.x, form.position.y) : MAKELONG(form.size.cx, form.size.cy);
            case DlgPopupDDLB::kMsgRequest: {
                auto* request = reinterpret_cast<DlgPopupDDLB::Request*>(lParam);
                EXPECT_TRUE(request->eraseBackground); // the defaults are set before the form is asked
                EXPECT_FALSE(request->autoWidth);
                *request = form.request;
                return 0;
            }
            case DlgPopupDDLB::kMsgLeaveOut: {
                auto* ids = reinterpret_cast<std::vector<__int64>*>(wParam);
                ids->insert(ids->end(), form.leaveOut.begin(), form.leaveOut.end());
                return 0;
            }
            default:
                return 0;
            }
        };
        s_app->m_windows.OpenWindow(DlgPopupDDLB::kType, key, reinterpret_cast<INT_PTR>(owner.hwnd));
        auto* popup = dynamic_cast<DlgPopupDDLB*>(s_app->m_windows.FindWindow(DlgPopupDDLB::kType, key));
        Settle(*s_app);
        return popup;
    }
    static HWND List(DlgPopupDDLB* popup) { return GetDlgItem(popup->m_hWnd, DlgPopupDDLB::kIdList); }
    static std::vector<std::wstring> Entries(DlgPopupDDLB* popup)
    {
        std::vector<std::wstring> out;
        int count = static_cast<int>(SendMessageW(List(popup), CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[256] = {};
            SendMessageW(List(popup), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            out.push_back(text);
        }
        return out;
    }
    static std::wstring Selected(DlgPopupDDLB* popup)
    {
        wchar_t text[256] = {};
        GetWindowTextW(List(popup), text, 255);
        return text;
    }
    std::vector<Answer> Of(UINT msg) const
    {
        std::vector<Answer> out;
        for (const Answer& a : owner.answers)
            if (a.msg == msg)
                out.push_back(a);
        return out;
    }
    void Command(HWND window, int id)
    {
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        Settle(*s_app);
    }

    static App* s_app;
    RecordingOwner owner;
};

App* FieldPickers::s_app = nullptr;

const wchar_t* const kLondon = L"\\Acme\\Engineering\\London";
const wchar_t* const kBerlin = L"\\Acme\\Sales\\Berlin";
const wchar_t* const kEdinburgh = L"\\Acme\\Finance\\Edinburgh";

} // namespace

TEST_F(FieldPickers, PopupAsksItsFormAndAnswersTheChosenEntry)
{
    PopupForm form;
    form.request.lookup = L"TYPE='Site'";
    form.request.addExtra = true;
    form.request.extraText = L"<none>";
    form.leaveOut = {21};
    DlgPopupDDLB* popup = OpenPopup(701, form);
    ASSERT_NE(nullptr, popup);
    EXPECT_EQ(owner.hwnd, GetParent(popup->m_hWnd));
    RECT rc = {};
    GetWindowRect(popup->m_hWnd, &rc);
    MapWindowPoints(nullptr, owner.hwnd, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(10, rc.left);
    EXPECT_EQ(20, rc.top);
    // The asking order: position, size, request, then the ids to leave out once the lookup is in.
    std::vector<std::pair<UINT, LPARAM>> asked;
    for (const Answer& a : owner.answers)
        asked.push_back({a.msg, a.msg == DlgPopupDDLB::kMsgRequest ? 0 : a.value});
    EXPECT_EQ((std::vector<std::pair<UINT, LPARAM>>{{1025, 0}, {1025, 1}, {1026, 0}, {1028, 0}}), asked);

    // Objects with a path show it; a left-out id is not offered; the extra entry is preselected by 0.
    std::vector<std::wstring> entries = Entries(popup);
    EXPECT_TRUE(std::find(entries.begin(), entries.end(), kLondon) != entries.end());
    EXPECT_TRUE(std::find(entries.begin(), entries.end(), kBerlin) == entries.end());
    EXPECT_EQ(L"<none>", Selected(popup));
    Command(popup->m_hWnd, IDOK);
    EXPECT_EQ((std::vector<Answer>{{1027, TRUE, 0, false}}), Of(DlgPopupDDLB::kMsgAnswer));
}

TEST_F(FieldPickers, PopupPreselectionsIncludedIdsAndNames)
{
    struct Case {
        int preselect;
        std::vector<__int64> included;
        const wchar_t* selected;
        LPARAM answered;
    };
    const Case cases[] = {
        {-1, {}, kLondon, 20},              // the first entry in sorted order
        {23, {}, kEdinburgh, 23},
        {23, {22, 23}, kEdinburgh, 23},
        {20, {22, 23}, L"", 0},             // not offered: nothing selected, OK answers as Cancel
    };
    UINT64 key = 710;
    for (const Case& c : cases) {
        owner.answers.clear();
        PopupForm form;
        form.request.lookup = L"TYPE='Site'";
        form.request.preselect = c.preselect;
        form.request.included = c.included;
        DlgPopupDDLB* popup = OpenPopup(++key, form);
        ASSERT_NE(nullptr, popup);
        if (!c.included.empty()) {
            EXPECT_EQ(c.included.size(), Entries(popup).size());
        }
        EXPECT_EQ(c.selected, Selected(popup)) << c.preselect;
        Command(popup->m_hWnd, IDOK);
        BOOL ok = c.answered != 0;
        EXPECT_EQ((std::vector<Answer>{{1027, static_cast<WPARAM>(ok), c.answered, false}}), Of(DlgPopupDDLB::kMsgAnswer))
            << c.preselect;
    }

    // Without a path an object shows its "name" attribute, or else its name.
    PopupForm form;
    form.request.lookup = L"TYPE='Nothing at all'";
    DlgPopupDDLB* popup = OpenPopup(720, form);
    ASSERT_NE(nullptr, popup);
    RequestResult result;
    result.route = RequestRoute{popup->m_type, popup->m_key, 0, 0, DlgPopupDDLB::kReqLookup, 0, false};
    result.document.Parse(L"<result><object id=\"7001\" type=\"4\" parent=\"0\" serial=\"1\" name=\"Plain\"/>"
                          L"<object id=\"7002\" type=\"4\" parent=\"0\" serial=\"1\" name=\"Stored\">"
                          L"<attrib id=\"118\" name=\"name\" type=\"value_varchar\">Attribute name</attrib></object>"
                          L"</result>",
                          nullptr, 0);
    s_app->m_windows.NotifyWindows(popup->m_type, popup->m_key, &result);
    EXPECT_EQ((std::vector<std::wstring>{L"Attribute name", L"Plain"}), Entries(popup));
}

TEST_F(FieldPickers, PopupWidensToItsEntriesButNeverShrinksAndClosesAsCancel)
{
    PopupForm form;
    form.request.lookup = L"TYPE='Site'";
    form.request.autoWidth = true;
    form.size = {40, 24};
    DlgPopupDDLB* popup = OpenPopup(730, form);
    ASSERT_NE(nullptr, popup);
    RECT rc = {};
    GetWindowRect(popup->m_hWnd, &rc);
    EXPECT_GT(rc.right - rc.left, 40 + GetSystemMetrics(SM_CXVSCROLL) + GetSystemMetrics(SM_CXSMICON) + 16);
    EXPECT_EQ(24, rc.bottom - rc.top);

    form.size = {900, 24};
    popup = OpenPopup(731, form);
    ASSERT_NE(nullptr, popup);
    GetWindowRect(popup->m_hWnd, &rc);
    EXPECT_EQ(900, rc.right - rc.left);

    // The close command answers as Cancel does.
    owner.answers.clear();
    SendMessageW(popup->m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    Settle(*s_app);
    EXPECT_EQ((std::vector<Answer>{{1027, FALSE, 0, false}}), Of(DlgPopupDDLB::kMsgAnswer));
    EXPECT_EQ(nullptr, s_app->m_windows.FindWindow(DlgPopupDDLB::kType, 731));
}

TEST_F(FieldPickers, AssetPickerIsReadByItsOwnerDuringTheAnswer)
{
    std::vector<std::pair<std::wstring, std::wstring>> read;
    owner.handler = [&](UINT msg, WPARAM, LPARAM lParam) -> LRESULT {
        if (msg == DlgSelectAsset::kMsgAssets) {
            auto* picker = dynamic_cast<DlgSelectAsset*>(
                s_app->m_windows.FindWindow(DlgSelectAsset::kType, static_cast<UINT64>(lParam)));
            if (picker)
                read.push_back({picker->m_text.GetBuffer() ? picker->m_text.GetBuffer() : L"",
                                picker->m_attribute.GetBuffer() ? picker->m_attribute.GetBuffer() : L""});
        }
        return 0;
    };
    auto open = [&](UINT64 key) {
        s_app->m_windows.OpenWindow(DlgSelectAsset::kType, key, reinterpret_cast<INT_PTR>(owner.hwnd));
        Settle(*s_app);
        return dynamic_cast<DlgSelectAsset*>(s_app->m_windows.FindWindow(DlgSelectAsset::kType, key));
    };

    // Paste replaces what was typed; the chosen kind goes with the text.
    DlgSelectAsset* picker = open(740);
    ASSERT_NE(nullptr, picker);
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(picker->m_hWnd, DlgSelectAsset::kIdName));
    SetDlgItemTextW(picker->m_hWnd, DlgSelectAsset::kIdText, L"typed before");
    const wchar_t pasted[] = L"A-0401,A-0402";
    ASSERT_TRUE(OpenClipboard(owner.hwnd));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(pasted));
    memcpy(GlobalLock(memory), pasted, sizeof(pasted));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    Command(picker->m_hWnd, DlgSelectAsset::kIdPaste);
    CheckRadioButton(picker->m_hWnd, DlgSelectAsset::kIdAssetTag, DlgSelectAsset::kIdName, DlgSelectAsset::kIdAssetTag);
    Command(picker->m_hWnd, IDOK);
    EXPECT_EQ((std::vector<Answer>{{1043, 0, 740, true}}), Of(DlgSelectAsset::kMsgAssets));
    EXPECT_EQ(nullptr, s_app->m_windows.FindWindow(DlgSelectAsset::kType, 740));

    // An empty text and the unchanged kind are sent as they are; Cancel sends nothing.
    picker = open(741);
    ASSERT_NE(nullptr, picker);
    Command(picker->m_hWnd, IDOK);
    picker = open(742);
    ASSERT_NE(nullptr, picker);
    Command(picker->m_hWnd, IDCANCEL);
    EXPECT_EQ((std::vector<std::pair<std::wstring, std::wstring>>{{L"A-0401,A-0402", L"asset_tag"},
                                                                   {L"", L"computer_name"}}),
              read);
}

namespace {

// Types a text into the prompt and ends it with a button.
class NameDriver : public ModalDialogDriver {
public:
    NameDriver(const wchar_t* text, int button) : m_text(text), m_button(button) { Install(this); }
    ~NameDriver() override { Install(nullptr); }
    void OnModalDialog(CTWnd2&, HWND dialog) override
    {
        if (m_text)
            SetDlgItemTextW(dialog, DlgSelectName::kIdName, m_text);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(m_button, BN_CLICKED), 0);
    }
    const wchar_t* m_text;
    int m_button;
};

} // namespace

TEST_F(FieldPickers, NamePromptAnswersOkWithTheTextAndKeepsTheNameOtherwise)
{
    struct Case {
        const wchar_t* typed;
        int button;
        bool ok;
        const wchar_t* name;
    };
    for (const Case& c : {Case{L"Spare laptops", IDOK, true, L"Spare laptops"}, Case{L"", IDOK, true, L""},
                          Case{L"ignored", IDCANCEL, false, L"kept"}}) {
        NameDriver driver(c.typed, c.button);
        DlgSelectName prompt;
        prompt.m_name = L"kept";
        EXPECT_EQ(c.ok, prompt.Run(owner.hwnd));
        EXPECT_STREQ(c.name, prompt.m_name.GetBuffer() ? prompt.m_name.GetBuffer() : L"");
    }
}

// The shell launcher seam: tests record what would be opened; nothing real is opened here.
#include <windows.h>
#include <ole2.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "foundation/IShellLauncher.h"
#include "foundation/ShellExecuteAsDesktopUser.h"

namespace {
class RecordingLauncher : public IShellLauncher {
public:
    HRESULT Open(const wchar_t* file) override
    {
        opened.push_back(file ? file : L"(null)");
        return answer;
    }
    std::vector<std::wstring> opened;
    HRESULT answer = S_OK;
};
} // namespace

TEST(IShellLauncher, OpeningGoesThroughTheInstalledLauncher)
{
    IShellLauncher* real = GetShellLauncher();
    ASSERT_NE(nullptr, dynamic_cast<CDesktopShellLauncher*>(real));

    RecordingLauncher recorder;
    EXPECT_EQ(real, SetShellLauncher(&recorder));
    EXPECT_EQ(&recorder, GetShellLauncher());
    EXPECT_EQ(S_OK, OpenAsDesktopUser(L"https://example.invalid/page"));
    recorder.answer = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), OpenAsDesktopUser(L"C:\\docs\\report.pdf"));
    EXPECT_EQ((std::vector<std::wstring>{ L"https://example.invalid/page", L"C:\\docs\\report.pdf" }), recorder.opened);

    // Null puts the real launcher back.
    EXPECT_EQ(&recorder, SetShellLauncher(nullptr));
    EXPECT_EQ(real, GetShellLauncher());
}

TEST(IShellLauncher, RealLauncherRefusesAnEmptyNameWithoutOpeningAnything)
{
    CDesktopShellLauncher launcher;
    EXPECT_EQ(E_INVALIDARG, launcher.Open(nullptr));
    EXPECT_EQ(E_INVALIDARG, launcher.Open(L""));
}

TEST(ShellExecuteAsDesktopUser, DesktopViewIsFoundOrAFailureIsReported)
{
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    EXPECT_EQ(E_POINTER, GetDesktopShellView(nullptr));
    IShellView* view = reinterpret_cast<IShellView*>(1);
    HRESULT hr = GetDesktopShellView(&view);
    if (SUCCEEDED(hr)) {
        ASSERT_NE(nullptr, view);
        view->Release();
    } else {
        EXPECT_EQ(nullptr, view);
    }
    EXPECT_EQ(E_INVALIDARG, ShellExecuteThroughView(nullptr, L"x"));
    OleUninitialize();
}

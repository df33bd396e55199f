// The build sheet: the file name the server proposes, made safe for the Downloads folder, and the
// pane saving a successful reply there and opening it through the launcher, never an error reply
// and never a program, script or shortcut.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PaneFixture.h"
#include "deployments/BuildSheetFile.h"
#include "foundation/IShellLauncher.h"

using namespace deptest;

namespace {

TEST(BuildSheetName, FromContentDisposition)
{
    struct Case {
        const wchar_t* header;
        const wchar_t* name;
    } cases[] = {
        {L"attachment; filename=\"Sheet 7.PDF\"", L"sheet 7.pdf"},
        {L"attachment; filename= Report.pdf ", L"report.pdf"},
        {L"attachment;\r\n filename=\"a.pdf\"", L"a.pdf"},
        {L"", L"buildsheet"},
        {L"attachment", L"buildsheet"},
        {L"attachment; filename=", L"buildsheet"},
        {L"attachment; filename=\"\"", L"buildsheet"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::wstring(c.name), Wide(BuildSheetFile::NameFromContentDisposition(CTString(c.header)))) << c.header;
}

TEST(BuildSheetName, MadeSafeAndOpenedOnlyWhenHarmless)
{
    struct Case {
        const wchar_t* proposed;
        const wchar_t* safe;
        bool open;
    } cases[] = {
        {L"sheet 7.pdf", L"sheet 7.pdf", true},
        {L"..\\x.exe", L"x.exe", false},
        {L"../../start menu/run.bat", L"run.bat", false},
        {L"c:\\x", L"x", true},
        {L"a:b", L"ab", true},
        {L"sheet.pdf:stream", L"sheet.pdfstream", true},
        {L"con", L"buildsheet", true},
        {L"lpt1.pdf", L"buildsheet", true},
        {L"com10.pdf", L"com10.pdf", true},
        {L"..", L"buildsheet", true},
        {L"sheet.pdf. . ", L"sheet.pdf", true},
        {L"we<ir>d|na?me*.pdf", L"weirdname.pdf", true},
        {L"link.lnk", L"link.lnk", false},
        {L"page.url", L"page.url", false},
        {L"script.PS1", L"script.PS1", false},
        {L"notes.txt", L"notes.txt", true},
    };
    for (const Case& c : cases) {
        CTString safe = BuildSheetFile::MakeSafeName(CTString(c.proposed));
        EXPECT_EQ(std::wstring(c.safe), Wide(safe)) << c.proposed;
        EXPECT_EQ(c.open, BuildSheetFile::MayOpen(safe)) << c.proposed;
    }
}

struct Launches : IShellLauncher {
    std::vector<std::wstring> opened;
    HRESULT Open(const wchar_t* file) override
    {
        opened.push_back(file);
        return S_OK;
    }
};

std::wstring g_folder;

bool TestFolder(CTString& folder)
{
    folder = g_folder.c_str();
    return true;
}

class BuildSheetDownload : public PaneFixture {
protected:
    void SetUp() override
    {
        PaneFixture::SetUp();
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        g_folder = std::wstring(temp) + L"qel-downloads-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(g_folder.c_str(), nullptr);
        previousFolder = BuildSheetFile::s_downloadsFolder;
        BuildSheetFile::s_downloadsFolder = &TestFolder;
        previousLauncher = SetShellLauncher(&launches);
    }
    void TearDown() override
    {
        SetShellLauncher(previousLauncher);
        BuildSheetFile::s_downloadsFolder = previousFolder;
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((g_folder + L"\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileW((g_folder + L"\\" + found.cFileName).c_str());
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        RemoveDirectoryW(g_folder.c_str());
    }
    std::vector<std::wstring> Files()
    {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((g_folder + L"\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    names.push_back(found.cFileName);
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        return names;
    }
    std::string Read(const std::wstring& name)
    {
        std::string bytes;
        HANDLE file = CreateFileW((g_folder + L"\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return bytes;
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read)
            bytes.append(buffer, read);
        CloseHandle(file);
        return bytes;
    }
    // Presses Build Sheet and answers the request with a status line, headers and body.
    void Download(DlgDeployment* pane, const std::wstring& status, const std::wstring& headers, const std::string& body)
    {
        SendMessageW(pane->GetHwnd(), WM_COMMAND, DlgDeployment::kIdBuildSheet, 0);
        ASSERT_FALSE(t.transport->m_sent.empty());
        const Sent& sent = t.transport->m_sent.back();
        ASSERT_EQ("pageBuildSheet/api_qelBuildsheetGeneration.php", sent.path);
        EXPECT_EQ("BS=300", sent.body);
        ReplyAll(sent.path, body, L"HTTP/1.1 " + status + L"\r\n" + headers + L"\r\n");
    }

    Launches launches;
    IShellLauncher* previousLauncher = nullptr;
    BuildSheetFile::FolderFn previousFolder = nullptr;
};

TEST_F(BuildSheetDownload, SavesTheSheetUnderItsNameAndOpensIt)
{
    DlgDeployment* pane = Open(300, Deployment(300, kGroup, {}));
    ASSERT_NE(pane, nullptr);
    const std::string pdf = std::string("%PDF-1.4\n\0binary\xff\n%%EOF\n", 24);
    Download(pane, L"200 OK", L"Content-Type: application/pdf\r\nContent-Disposition: attachment; filename=\"Sheet 7.PDF\"\r\n",
             pdf);
    EXPECT_EQ(std::vector<std::wstring>{L"sheet 7.pdf"}, Files());
    EXPECT_EQ(pdf, Read(L"sheet 7.pdf"));
    ASSERT_EQ(1u, launches.opened.size());
    EXPECT_EQ(g_folder + L"\\sheet 7.pdf", launches.opened[0]);

    // Without a name the sheet is "buildsheet"; a second download replaces it.
    Download(pane, L"200 OK", L"Content-Type: application/pdf\r\n", "one");
    Download(pane, L"200 OK", L"Content-Type: application/pdf\r\n", "two");
    EXPECT_EQ("two", Read(L"buildsheet"));
    EXPECT_EQ(3u, launches.opened.size());
}

TEST_F(BuildSheetDownload, NeverLeavesTheFolderNorRunsWhatTheServerNames)
{
    DlgDeployment* pane = Open(300, Deployment(300, kGroup, {}));
    ASSERT_NE(pane, nullptr);
    Download(pane, L"200 OK", L"Content-Disposition: attachment; filename=\"..\\x.exe\"\r\n", "MZ");
    Download(pane, L"200 OK", L"Content-Disposition: attachment; filename=\"C:\\x\"\r\n", "c");
    Download(pane, L"200 OK", L"Content-Disposition: attachment; filename=\"a:b\"\r\n", "ab");
    std::vector<std::wstring> files = Files();
    std::sort(files.begin(), files.end());
    EXPECT_EQ((std::vector<std::wstring>{L"ab", L"x", L"x.exe"}), files);
    EXPECT_EQ("MZ", Read(L"x.exe"));
    EXPECT_EQ((std::vector<std::wstring>{g_folder + L"\\x", g_folder + L"\\ab"}), launches.opened);
}

TEST_F(BuildSheetDownload, AnErrorReplyIsNeitherSavedNorOpened)
{
    DlgDeployment* pane = Open(300, Deployment(300, kGroup, {}));
    ASSERT_NE(pane, nullptr);
    Download(pane, L"404 Not Found", L"Content-Type: text/html\r\nContent-Disposition: attachment; filename=\"s.pdf\"\r\n",
             "no such deployment");
    Download(pane, L"200 OK", L"Content-Type: application/xml\r\n",
             "<?xml version=\"1.0\"?><result><RC id=\"1001\" text=\"Deployment not found\"/></result>");
    EXPECT_TRUE(Files().empty());
    EXPECT_TRUE(launches.opened.empty());
}

} // namespace

#pragma once
// A reply of the fixture server's sample directory, grown for benchmarks, read from the folder in
// QEL_BENCH_DATA (a Linux path; scripts/bench.sh writes the files there with
// tests/fixtures/sample_reply.py before the programs run).
#include <windows.h>
#include <stdio.h>
#include <string>

inline std::wstring LoadSampleReply(const char* name)
{
    char dir[1024] = {};
    if (!GetEnvironmentVariableA("QEL_BENCH_DATA", dir, sizeof(dir))) {
        printf("QEL_BENCH_DATA is not set: run scripts/bench.sh, which writes the sample replies\n");
        return std::wstring();
    }
    std::string path = std::string("Z:") + dir + "/" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        printf("%s is missing: run scripts/bench.sh, which writes the sample replies\n", path.c_str());
        return std::wstring();
    }
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    int chars = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), chars);
    return text;
}

// How many times the element's opening tag ("<object ") occurs in a reply.
inline int CountElements(const std::wstring& xml, const wchar_t* openTag)
{
    int count = 0;
    for (size_t at = xml.find(openTag); at != std::wstring::npos; at = xml.find(openTag, at + 1))
        ++count;
    return count;
}

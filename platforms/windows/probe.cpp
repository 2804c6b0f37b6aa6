// SPDX-License-Identifier: GPL-3.0-or-later
// What the end-to-end test of the Windows build sees, read the way Windows tools read it:
//
//   varnelo-probe window <exe name>  waits up to 30 s for a visible top-level window of a process
//                                    with that image name, then prints its title and where its
//                                    client area starts on the screen (x, y)
//   varnelo-probe close <exe name>   closes that window as its close button does and prints the
//                                    process's exit code once it has ended
//   varnelo-probe version <file>     prints the file's version record and how many icons it has
//
// Output is UTF-8 with bare LF, written unconverted. Exit status 0 when it found what it was asked.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <string_view>

namespace {

void write(std::wstring_view text)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), utf8.data(), length, nullptr,
                        nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), DWORD(utf8.size()), &written, nullptr);
}

std::wstring baseName(std::wstring_view path)
{
    const auto slash = path.find_last_of(L"\\/");
    return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

struct WindowSearch
{
    std::wstring imageName;
    HWND found = nullptr;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM parameter)
{
    auto *search = reinterpret_cast<WindowSearch *>(parameter);
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER))
        return TRUE;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return TRUE;
    wchar_t path[MAX_PATH];
    DWORD size = MAX_PATH;
    const bool named = QueryFullProcessImageNameW(process, 0, path, &size);
    CloseHandle(process);
    if (named && lstrcmpiW(baseName({path, size}).c_str(), search->imageName.c_str()) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND waitForWindow(const std::wstring &imageName)
{
    WindowSearch search{imageName};
    for (int tries = 0; tries < 300 && !search.found; ++tries) {
        EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            Sleep(100);
    }
    return search.found;
}

int printWindow(const std::wstring &imageName)
{
    const HWND window = waitForWindow(imageName);
    if (!window) {
        write(L"no window of " + imageName + L"\n");
        return 1;
    }
    wchar_t title[512] = {};
    GetWindowTextW(window, title, 512);
    write(std::wstring(L"title\t") + title + L"\n");

    // Qt draws its controls itself, so the test reads them off the screen from here on.
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    write(L"client\t" + std::to_wstring(origin.x) + L'\t' + std::to_wstring(origin.y) + L"\n");
    return 0;
}

int closeWindow(const std::wstring &imageName)
{
    const HWND window = waitForWindow(imageName);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!window || !process) {
        write(L"no window of " + imageName + L"\n");
        return 1;
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    CloseHandle(process);
    write(L"exit\t" + std::to_wstring(code) + L"\n");
    return code == 0 ? 0 : 1;
}

int printVersion(const std::wstring &file)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    std::string record(size, '\0');
    if (size == 0 || !GetFileVersionInfoW(file.c_str(), 0, size, record.data())) {
        write(L"no version record in " + file + L"\n");
        return 1;
    }
    struct Translation { WORD language, codePage; } *translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void **>(&translation), &length) || length < sizeof *translation) {
        write(L"no translation in the version record\n");
        return 1;
    }
    wchar_t block[64];
    wsprintfW(block, L"\\StringFileInfo\\%04x%04x\\", translation->language, translation->codePage);
    for (const wchar_t *key : {L"FileVersion", L"ProductVersion", L"InternalName", L"ProductName"}) {
        wchar_t *value = nullptr;
        if (VerQueryValueW(record.data(), (std::wstring(block) + key).c_str(),
                           reinterpret_cast<void **>(&value), &length))
            write(std::wstring(key) + L'\t' + value + L'\n');
    }
    const UINT icons = ExtractIconExW(file.c_str(), -1, nullptr, nullptr, 0);
    write(L"icons\t" + std::to_wstring(icons) + L'\n');
    return 0;
}

} // namespace

int main()
{
    // Wide arguments: the window title and paths may be Cyrillic.
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc == 3 && std::wstring_view(argv[1]) == L"window")
        return printWindow(argv[2]);
    if (argc == 3 && std::wstring_view(argv[1]) == L"close")
        return closeWindow(argv[2]);
    if (argc == 3 && std::wstring_view(argv[1]) == L"version")
        return printVersion(argv[2]);
    write(L"usage: varnelo-probe window|close <exe name> | version <file>\n");
    return 2;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// What the end-to-end test of the Windows build sees, read the way Windows tools read it:
//
//   varnelo-probe window <exe name>  waits up to 30 s for a visible top-level window of a process
//                                    with that image name, then prints its title and one line per
//                                    UI Automation element in it: control type id, bounding
//                                    rectangle on the screen (left top right bottom), name
//   varnelo-probe close <exe name>   closes that window as its close button does and prints the
//                                    process's exit code once it has ended
//   varnelo-probe version <file>     prints the file's version record and how many icons it has
//
// Output is UTF-8 with bare LF, written unconverted. Exit status 0 when it found what it was asked.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <uiautomationclient.h>
#include <uiautomationcore.h>

#include <string>
#include <string_view>
#include <type_traits>

namespace {

// UI Automation's flat client API, which Wine implements; MinGW-w64 10 declares none of it and has no
// import library for it, so it is declared here as the Windows SDK has it and looked up at run time.
enum UiaConditionType { ConditionType_True = 0 };
struct UiaCondition { UiaConditionType ConditionType; };
enum UiaTreeScope { TreeScope_Element = 1 };
enum UiaElementMode { AutomationElementMode_Full = 1 };
struct UiaCacheRequest
{
    UiaCondition *pViewCondition;
    UiaTreeScope Scope;
    PROPERTYID *pProperties;
    int cProperties;
    PATTERNID *pPatterns;
    int cPatterns;
    UiaElementMode automationElementMode;
};
DECLARE_HANDLE(HUIANODE);

struct UiaClient
{
    HRESULT(WINAPI *nodeFromHandle)(HWND, HUIANODE *) = nullptr;
    HRESULT(WINAPI *getPropertyValue)(HUIANODE, PROPERTYID, VARIANT *) = nullptr;
    HRESULT(WINAPI *navigate)(HUIANODE, NavigateDirection, UiaCondition *, UiaCacheRequest *,
                              SAFEARRAY **, BSTR *) = nullptr;
    HRESULT(WINAPI *nodeFromVariant)(VARIANT *, HUIANODE *) = nullptr;
    BOOL(WINAPI *nodeRelease)(HUIANODE) = nullptr;

    bool load()
    {
        const HMODULE module = LoadLibraryW(L"uiautomationcore.dll");
        if (!module)
            return false;
        const auto get = [module](auto &function, const char *name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                reinterpret_cast<void *>(GetProcAddress(module, name)));
            return function != nullptr;
        };
        return get(nodeFromHandle, "UiaNodeFromHandle") && get(getPropertyValue, "UiaGetPropertyValue")
            && get(navigate, "UiaNavigate") && get(nodeFromVariant, "UiaHUiaNodeFromVariant")
            && get(nodeRelease, "UiaNodeRelease");
    }

    // The node next to `node` in `direction` in the raw view, or null.
    HUIANODE step(HUIANODE node, NavigateDirection direction) const
    {
        UiaCondition all{ConditionType_True};
        UiaCacheRequest request{&all, TreeScope_Element, nullptr, 0, nullptr, 0,
                                AutomationElementMode_Full};
        SAFEARRAY *data = nullptr;
        BSTR structure = nullptr;
        HUIANODE next = nullptr;
        if (SUCCEEDED(navigate(node, direction, &all, &request, &data, &structure)) && data) {
            LONG index[2] = {0, 0};
            VARIANT element;
            VariantInit(&element);
            if (SUCCEEDED(SafeArrayGetElement(data, index, &element)))
                nodeFromVariant(&element, &next);
            VariantClear(&element);
            SafeArrayDestroy(data);
        }
        SysFreeString(structure);
        return next;
    }

    std::wstring line(HUIANODE node) const
    {
        VARIANT type, box, name;
        VariantInit(&type);
        VariantInit(&box);
        VariantInit(&name);
        getPropertyValue(node, UIA_ControlTypePropertyId, &type);
        getPropertyValue(node, UIA_BoundingRectanglePropertyId, &box);
        getPropertyValue(node, UIA_NamePropertyId, &name);
        std::wstring text = std::to_wstring(type.vt == VT_I4 ? type.lVal : 0) + L'\t';
        // Left, top, width, height in screen pixels; written as left top right bottom.
        double rect[4] = {};
        if (box.vt == (VT_ARRAY | VT_R8)) {
            for (LONG i = 0; i < 4; ++i)
                SafeArrayGetElement(box.parray, &i, &rect[i]);
        }
        text += std::to_wstring(long(rect[0])) + L' ' + std::to_wstring(long(rect[1])) + L' '
            + std::to_wstring(long(rect[0] + rect[2])) + L' ' + std::to_wstring(long(rect[1] + rect[3]));
        text += L'\t' + std::wstring(name.vt == VT_BSTR && name.bstrVal ? name.bstrVal : L"") + L'\n';
        VariantClear(&type);
        VariantClear(&box);
        VariantClear(&name);
        return text;
    }

    // Every descendant of `node`, depth first.
    void print(HUIANODE node) const;
};

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

void UiaClient::print(HUIANODE node) const
{
    for (HUIANODE child = step(node, NavigateDirection_FirstChild); child;) {
        write(line(child));
        print(child);
        const HUIANODE next = step(child, NavigateDirection_NextSibling);
        nodeRelease(child);
        child = next;
    }
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

    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    UiaClient client;
    HUIANODE root = nullptr;
    if (!client.load() || FAILED(client.nodeFromHandle(window, &root)) || !root) {
        write(L"the window's UI Automation elements cannot be read\n");
        return 1;
    }
    client.print(root);
    client.nodeRelease(root);
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

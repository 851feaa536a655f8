// What Windows shows of a file's face, read through the API that Explorer uses: the version
// resource (GetFileVersionInfoW, VerQueryValueW) and the icon (ExtractIconExW, and each image of
// the first icon group decoded by CreateIconFromResourceEx). Run as
//   brandprobe FILE OUT KEY...
// it writes one finding a line to OUT, in UTF-8.
#include <windows.h>
#include <shellapi.h>
#include <string>

static HANDLE out = INVALID_HANDLE_VALUE;

static void Line(const std::wstring& text) {
    std::wstring line = text + L"\n";
    char bytes[4096];
    int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), (int)line.size(), bytes, sizeof bytes, NULL, NULL);
    DWORD written = 0;
    WriteFile(out, bytes, (DWORD)size, &written, NULL);
}

static std::wstring Number(DWORD high, DWORD low) {
    return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"." + std::to_wstring(HIWORD(low)) +
           L"." + std::to_wstring(LOWORD(low));
}

static void Version(const wchar_t* file, wchar_t** keys, int count) {
    DWORD handle = 0, size = GetFileVersionInfoSizeW(file, &handle);
    std::string data(size, '\0');
    if (!size || !GetFileVersionInfoW(file, 0, size, &data[0])) return Line(L"no version");
    VS_FIXEDFILEINFO* fixed = NULL;
    WORD* translation = NULL;
    UINT length = 0;
    if (VerQueryValueW(&data[0], L"\\", (void**)&fixed, &length) && length >= sizeof *fixed)
        Line(L"file " + Number(fixed->dwFileVersionMS, fixed->dwFileVersionLS) + L" product " +
             Number(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
    if (!VerQueryValueW(&data[0], L"\\VarFileInfo\\Translation", (void**)&translation, &length) || length < 4)
        return Line(L"no translation");
    wchar_t table[32];
    wsprintfW(table, L"%04x%04x", translation[0], translation[1]);
    Line(std::wstring(L"translation ") + table);
    for (int i = 0; i < count; ++i) {
        wchar_t* value = NULL;
        std::wstring path = std::wstring(L"\\StringFileInfo\\") + table + L"\\" + keys[i];
        if (VerQueryValueW(&data[0], path.c_str(), (void**)&value, &length) && value)
            Line(std::wstring(keys[i]) + L"=" + value);
    }
}

static BOOL CALLBACK FirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
    *(LPCWSTR*)found = IS_INTRESOURCE(name) ? name : _wcsdup(name);
    return FALSE;
}

static void Icon(const wchar_t* file) {
    HICON large = NULL, small = NULL;
    UINT groups = ExtractIconExW(file, -1, NULL, NULL, 0);
    UINT extracted = ExtractIconExW(file, 0, &large, &small, 1);
    Line(L"icons " + std::to_wstring(groups) + L" extracted " + std::to_wstring(extracted && large && small));
    HMODULE module = LoadLibraryExW(file, NULL, LOAD_LIBRARY_AS_DATAFILE);
    LPCWSTR name = NULL;
    EnumResourceNamesW(module, (LPCWSTR)RT_GROUP_ICON, FirstName, (LONG_PTR)&name);
    HRSRC group = name ? FindResourceW(module, name, (LPCWSTR)RT_GROUP_ICON) : NULL;
    const BYTE* entries = group ? (const BYTE*)LockResource(LoadResource(module, group)) : NULL;
    if (!entries) return Line(L"no icon group");
    int count = *(const WORD*)(entries + 4), decoded = 0;
    for (int i = 0; i < count; ++i) {
        WORD id = *(const WORD*)(entries + 6 + 14 * i + 12);
        HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(id), (LPCWSTR)RT_ICON);
        BYTE* bits = image ? (BYTE*)LockResource(LoadResource(module, image)) : NULL;
        HICON icon =
            bits ? CreateIconFromResourceEx(bits, SizeofResource(module, image), TRUE, 0x00030000, 0, 0, 0) : NULL;
        decoded += icon != NULL;
    }
    Line(L"images " + std::to_wstring(count) + L" decoded " + std::to_wstring(decoded));
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!words || count < 3) return 2;
    out = CreateFileW(words[2], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (out == INVALID_HANDLE_VALUE) return 1;
    Version(words[1], words + 3, count - 3);
    Icon(words[1]);
    CloseHandle(out);
    return 0;
}

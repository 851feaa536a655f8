// A stand-in set-up program: appends the command line it was started with to a note file
// (c:\probe.txt for the tests; the demo builds it with its own NOTE_PATH). When c:\probe-names.txt
// lists names (UTF-8, one a line), it also opens c:\_setup\NAME for each by its Unicode name, as
// a set-up program that reads them from a Unicode project file would, and notes "opened NAME" or
// "missing NAME". When c:\probe-exit.txt holds "MS CODE", it then sleeps MS milliseconds and
// exits with CODE, as a set-up program that works a while and ends with a code.
#include <windows.h>

#ifndef NOTE_PATH
#define NOTE_PATH "c:\\probe.txt"
#endif

// The note, made whole before the file is opened, so that the test never reads half of it.
static char note[65536];
static DWORD noted = 0;

static void Note(const char* text, DWORD size) {
    for (DWORD i = 0; i < size && noted < sizeof note; ++i) note[noted++] = text[i];
}

// Whether c:\_setup\NAME opens, NAME given in UTF-8.
static bool OpensByUnicodeName(const char* name, int size) {
    WCHAR path[600] = L"c:\\_setup\\";
    int prefix = lstrlenW(path);
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, size, path + prefix, 500);
    if (length <= 0) return false;
    path[prefix + length] = 0;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

static void NoteNames() {
    HANDLE list = CreateFileA("c:\\probe-names.txt", GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (list == INVALID_HANDLE_VALUE) return;
    static char names[8192];
    DWORD size = 0;
    ReadFile(list, names, sizeof names, &size, NULL);
    CloseHandle(list);
    for (DWORD begin = 0, end = 0; end < size; begin = ++end) {
        while (end < size && names[end] != '\n') ++end;
        if (end == begin) continue;
        const char* said = OpensByUnicodeName(names + begin, (int)(end - begin)) ? "opened " : "missing ";
        Note(said, (DWORD)lstrlenA(said));
        Note(names + begin, end - begin + (end < size));
    }
}

static DWORD ReadNumber(const char*& p) {
    DWORD value = 0;
    while (*p == ' ') ++p;
    while (*p >= '0' && *p <= '9') value = value * 10 + (DWORD)(*p++ - '0');
    return value;
}

static int EndAsTold() {
    HANDLE told = CreateFileA("c:\\probe-exit.txt", GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (told == INVALID_HANDLE_VALUE) return 0;
    char text[64] = {0};
    DWORD size = 0;
    ReadFile(told, text, sizeof text - 1, &size, NULL);
    CloseHandle(told);
    const char* p = text;
    Sleep(ReadNumber(p));
    return (int)ReadNumber(p);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* line = GetCommandLineA();
    Note(line, (DWORD)lstrlenA(line));
    Note("\n", 1);
    NoteNames();
    HANDLE out = CreateFileA(NOTE_PATH, FILE_APPEND_DATA, 0, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (out == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(out, note, noted, &written, NULL);
    CloseHandle(out);
    return EndAsTold();
}

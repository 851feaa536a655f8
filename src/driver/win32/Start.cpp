// The stub's own start and end in place of the C runtime's: constructors, WinMain, the exit list.
#include <windows.h>
#include "driver/CommandTail.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR tail, int);

// The linker's script brackets the constructor pointers: an all-ones word, the entries, a null.
// The name is the linker's, reserved as it is.
extern "C" void (*__CTOR_LIST__[])();  // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)

// Static destructions are registered here as their objects are built (the compiler emits the
// atexit calls); only a couple ever are, so a small fixed list does.
static void (*exitList[8])();
static unsigned exitCount;

extern "C" int atexit(void (*function)()) {
    if (exitCount == sizeof exitList / sizeof exitList[0]) return -1;
    exitList[exitCount++] = function;
    return 0;
}

static bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

// The 32-bit loader promises only 4-byte stack alignment.
#ifdef __i386__
#define ALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define ALIGN_STACK
#endif

// An installer runs from the folder it was downloaded to, which may hold a planted DLL of a name
// that user32 or another system DLL loads at run time. Before anything that could load a DLL, the
// search is cut down to the system folder. SetDefaultDllDirectories is missing before Windows 8
// (and 7 without KB2533623), so it is looked up rather than imported: an import would keep the
// stub from starting there. SetDllDirectoryA("") at least drops the current folder; with neither
// the run goes on as before. Child processes do not inherit the setting.
static void RestrictDllSearch() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    typedef BOOL(WINAPI * SetDefaultDirectories)(DWORD);
    typedef BOOL(WINAPI * SetDirectory)(LPCSTR);
    const DWORD searchSystem32 = 0x800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    auto setDefault = (SetDefaultDirectories)(void*)GetProcAddress(kernel, "SetDefaultDllDirectories");
    if (setDefault && setDefault(searchSystem32)) return;
    auto setDirectory = (SetDirectory)(void*)GetProcAddress(kernel, "SetDllDirectoryA");
    if (setDirectory) setDirectory("");
}

// The process starts here.
extern "C" ALIGN_STACK void StubStart() {
    RestrictDllSearch();

    unsigned count = 0;
    while (__CTOR_LIST__[count + 1]) ++count;
    // The linker lays the entries down in reverse order of construction.
    for (unsigned i = count; i >= 1; --i) __CTOR_LIST__[i]();

    int result = WinMain(GetModuleHandleA(NULL), NULL,
                         (LPSTR)CommandTail(GetCommandLineA(), IsLeadByte), SW_SHOWDEFAULT);

    // Last registered, first destroyed.
    while (exitCount) exitList[--exitCount]();
    ExitProcess((UINT)result);
}

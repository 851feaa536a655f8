// What Windows makes of a file's application manifest: an activation context made from its
// resource 1 (CreateActCtxW), asked for the run level and the compatibility elements
// (QueryActCtxW). Run as
//   manifestprobe FILE OUT
// it writes one finding a line to OUT: "actctx ok" or "actctx error N", then "runlevel L uiaccess U"
// or "runlevel error N", then "os {GUID}" for each supported OS or "compatibility error N".
#include <windows.h>
#include <string>

static HANDLE out = INVALID_HANDLE_VALUE;

static void Line(const std::string& text) {
    std::string line = text + "\n";
    DWORD written = 0;
    WriteFile(out, line.data(), (DWORD)line.size(), &written, NULL);
}

static std::string Guid(const GUID& id) {
    char text[64];
    wsprintfA(text, "{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}", id.Data1, id.Data2, id.Data3, id.Data4[0],
              id.Data4[1], id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
    return text;
}

static void RunLevel(HANDLE context) {
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    SIZE_T needed = 0;
    if (!QueryActCtxW(0, context, NULL, RunlevelInformationInActivationContext, &level, sizeof level, &needed))
        return Line("runlevel error " + std::to_string(GetLastError()));
    Line("runlevel " + std::to_string((int)level.RunLevel) + " uiaccess " + std::to_string(level.UiAccess));
}

// The elements are 20 bytes behind a 4-byte count in the older layout, and 32 bytes (a GUID, the
// type and an 8-byte MaxVersionTested) behind an 8-byte-aligned count in the newer; the size
// returned tells which.
static void Compatibility(HANDLE context) {
    union {
        DWORD count;
        BYTE bytes[4096];
        ULONGLONG align;
    } info = {};
    SIZE_T needed = 0;
    if (!QueryActCtxW(0, context, NULL, CompatibilityInformationInActivationContext, &info, sizeof info, &needed))
        return Line("compatibility error " + std::to_string(GetLastError()));
    DWORD count = info.count;
    size_t start = 4, stride = 20;
    if (count && needed == 8 + 32 * (SIZE_T)count) start = 8, stride = 32;
    for (DWORD i = 0; i < count && start + stride * (i + 1) <= sizeof info; ++i) {
        GUID id;
        DWORD type;
        CopyMemory(&id, info.bytes + start + stride * i, sizeof id);
        CopyMemory(&type, info.bytes + start + stride * i + 16, sizeof type);
        Line((type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS ? "os " : "element " + std::to_string(type) + " ") +
             Guid(id));
    }
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!words || count < 3) return 2;
    out = CreateFileW(words[2], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (out == INVALID_HANDLE_VALUE) return 1;
    ACTCTXW request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = words[1];
    request.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE context = CreateActCtxW(&request);
    if (context == INVALID_HANDLE_VALUE) {
        Line("actctx error " + std::to_string(GetLastError()));
    } else {
        Line("actctx ok");
        RunLevel(context);
        Compatibility(context);
        ReleaseActCtx(context);
    }
    CloseHandle(out);
    return 0;
}

// The program's paths and the set-up folder: the portable half of every operation.
#include "system/Paths.h"
#include <string.h>
#include "foundation/PathString.h"
#include "stub/Texts.h"
#include "system/Messages.h"
#include "system/Platform.h"

static void* moduleHandle;
static char modulePath[256];
static SetupFolderText setupFolder = SetupFolderPath;

void SetModuleHandle(void* module) { moduleHandle = module; }

void* ModuleHandle() { return moduleHandle; }

const char* ModulePath() {
    PlatformModuleFileName(moduleHandle, modulePath, sizeof modulePath);
    // Older systems leave a cut path unterminated.
    modulePath[sizeof modulePath - 1] = 0;
    return modulePath;
}

char* SetupFolder() { return setupFolder.path; }

const char* MemberPath(const char* name) {
    if (strchr(name, ':')) return name;
    // Built on first use; its destruction is registered with the exit list at that moment.
    static PathString buffer;
    buffer = setupFolder.path;
    buffer.appendComponent(name);
    return buffer.text();
}

static bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

void MakeDirectory(char* path, const void* descriptor) {
    if (!IsAsciiLetter(path[0]) || path[1] != ':' || path[2] != '\\') {
        ShowError("Make directory \"<drive>:\\<directory>\"");
        return;
    }
    char letter = path[0];
    PlatformChangeDrive(letter >= 'a' ? (char)(letter - 'a' + 'A') : letter);
    // Each level is created on the current drive, from the backslash after the colon on.
    for (char* p = path + 3;; ++p) {
        if (*p == '\\') {
            *p = 0;
            PlatformMakeFolder(path + 2, descriptor);
            *p = '\\';
        } else if (*p == 0) {
            PlatformMakeFolder(path + 2, descriptor);
            return;
        }
    }
}

int EraseFile(const char* path) {
    PlatformDeleteFile(path);
    return 1;
}

void RemoveSetupFolder() { PlatformRemoveFolder(setupFolder.path); }

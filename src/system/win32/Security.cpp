// The win32 backend of the set-up folder's safety: the calls that fetch the bytes the portable
// checks judge. advapi32, like kernel32 and user32, is a known DLL, always loaded from the system.
#include <windows.h>
#include "system/Platform.h"

bool PlatformKeepsAccessLists(const char* root) {
    DWORD flags = FILE_PERSISTENT_ACLS;
    GetVolumeInformationA(root, NULL, 0, NULL, NULL, &flags, NULL, 0);
    return (flags & FILE_PERSISTENT_ACLS) != 0;
}

const uint8_t* PlatformUserSid() {
    // The system puts the SID behind the structure, within the buffer it was given.
    static union {
        TOKEN_USER user;
        // Room for the SID behind the structure; only its size matters.
        uint8_t bytes[sizeof(TOKEN_USER) + 68];  // cppcheck-suppress unusedStructMember
    } info;
    HANDLE token;
    DWORD length;
    // The process's own pseudo-handle, as GetCurrentProcess gives it, without importing that.
    if (!OpenProcessToken((HANDLE)(LONG_PTR)-1, TOKEN_QUERY, &token)) return NULL;
    BOOL ok = GetTokenInformation(token, TokenUser, &info, sizeof info, &length);
    CloseHandle(token);
    return ok ? (const uint8_t*)info.user.User.Sid : NULL;
}

uint32_t PlatformFileAttributes(const char* path) { return GetFileAttributesA(path); }

FileHandle PlatformOpenFolder(const char* path) {
    return CreateFileA(path, READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
}

uint32_t PlatformFolderSecurity(FileHandle folder, uint8_t* buffer, uint32_t size) {
    DWORD needed = 0;
    if (!GetKernelObjectSecurity(folder, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, buffer, size,
                                 &needed))
        return 0;
    return needed && needed <= size ? needed : size;
}

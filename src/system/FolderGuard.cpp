// The set-up folder kept private: the descriptor it is made with, the checks of what is there,
// and the box that says why a folder is refused.
#include "system/FolderGuard.h"
#include "system/AccessList.h"
#include "system/Messages.h"
#include "system/Paths.h"
#include "system/Platform.h"

// The folder as checked, held open until the run ends.
static FileHandle held;
static bool holding;

// The root of the set-up folder's drive.
static bool KeepsAccessLists() { return PlatformKeepsAccessLists("c:\\"); }

static FolderVerdict Check(const uint8_t* user) {
    const char* folder = SetupFolder();
    uint32_t attributes = PlatformFileAttributes(folder);
    // A folder that is not there holds nothing planted, and nothing can be written into it: each
    // member then shows that its file can't be created, as it always did.
    if (attributes == NoFileAttributes) return FolderSafe;
    if (attributes & LinkAttribute) return FolderLinked;
    held = PlatformOpenFolder(folder);
    if (held == InvalidFile()) return FolderUnreadable;
    holding = true;
    uint8_t descriptor[1024];
    return JudgeDescriptor(descriptor, PlatformFolderSecurity(held, descriptor, sizeof descriptor), user);
}

bool PrepareSetupFolder() {
    char* folder = SetupFolder();
    // A drive without access lists (FAT) can't keep anyone out: the folder is made as it always was.
    if (!KeepsAccessLists()) {
        MakeDirectory(folder);
        return true;
    }
    const uint8_t* user = PlatformUserSid();
    uint8_t descriptor[PrivateDescriptorRoom];
    BuildPrivateDescriptor(descriptor, user);
    MakeDirectory(folder, descriptor);
    // Checked whether made just now or found: a folder already there is left as it is.
    FolderVerdict verdict = Check(user);
    if (verdict == FolderSafe) return true;
    AddMessageText("The set-up folder ");
    AddMessageText(verdict == FolderLinked         ? "is a link to another place"
                   : verdict == FolderOwnedByOther ? "belongs to another user"
                   : verdict == FolderOpen         ? "can be changed by other users"
                                                   : "has permissions that can't be read");
    AddMessageText(". Delete it and run the installer again: ");
    ShowError(folder);
    return false;
}

bool SetupFolderCleanable() { return !KeepsAccessLists() || Check(PlatformUserSid()) == FolderSafe; }

void ReleaseSetupFolder() {
    if (holding) PlatformClose(held);
    holding = false;
}

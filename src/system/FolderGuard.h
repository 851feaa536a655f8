// The set-up folder kept out of other users' hands: made private, and one already there used only
// when no one else can change it or redirect it.
#pragma once

// Extraction: makes the set-up folder, every level of it, private, and checks what is there then.
// True when it may be unpacked into; otherwise one error box says why and what to do.
bool PrepareSetupFolder();

// Clean-up: true when files may be deleted in the set-up folder, or it is not there; silent.
bool SetupFolderCleanable();

// Lets go of the folder, which stays held from the check until the run ends.
void ReleaseSetupFolder();

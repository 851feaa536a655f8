// The platform calls behind the system services, one backend each for win32 and posix.
// They show nothing: the portable layer above them shows every box.
#pragma once
#include <stdint.h>
#include "system/FileHandle.h"

FileHandle PlatformOpenInput(const char* name);
FileHandle PlatformCreateOutput(const char* name);
// New position, or 0xFFFFFFFF on failure.
uint32_t PlatformSeek(FileHandle file, int32_t distance, SeekOrigin origin);
// False on failure; otherwise done holds the bytes moved.
bool PlatformRead(FileHandle file, void* buffer, int32_t count, int32_t* done);
bool PlatformWrite(FileHandle file, const void* buffer, int32_t count, int32_t* done);
int PlatformClose(FileHandle file);
// The file's size, or -1.
int64_t PlatformFileSize(FileHandle file);

// Fills the buffer with the running executable's path, cut to size - 1 characters.
void PlatformModuleFileName(void* module, char* buffer, uint32_t size);
// Makes the drive current; letter is upper case.
void PlatformChangeDrive(char letter);
// Folder calls; a path without a drive letter is taken on the current drive. Outcomes unexamined.
// A folder is made with the self-relative security descriptor when one is given.
void PlatformMakeFolder(const char* path, const void* descriptor);
void PlatformRemoveFolder(const char* path);
void PlatformDeleteFile(const char* path);
// Removes a file the run itself made and closed, whatever the length of its path.
void PlatformRemoveFile(const char* path);

// The set-up folder's safety. Whether the drive whose root is given keeps access lists (FAT keeps
// none); true when that can't be told.
bool PlatformKeepsAccessLists(const char* root);
// The running user's SID, or null when it can't be had.
const uint8_t* PlatformUserSid();
// The attributes of the path itself, not following a link; NoFileAttributes when nothing is there.
enum { NoFileAttributes = 0xFFFFFFFFu, LinkAttribute = 0x400 /* FILE_ATTRIBUTE_REPARSE_POINT */ };
uint32_t PlatformFileAttributes(const char* path);
// Opens a folder for reading its security, not following a link, and without sharing deletion,
// so that while it is open the folder can be neither moved away nor replaced.
FileHandle PlatformOpenFolder(const char* path);
// The open folder's owner and access list as a self-relative descriptor: its length, or 0 when it
// can't be read whole into size bytes.
uint32_t PlatformFolderSecurity(FileHandle folder, uint8_t* buffer, uint32_t size);

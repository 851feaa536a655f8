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
void PlatformMakeFolder(const char* path);
void PlatformRemoveFolder(const char* path);
void PlatformDeleteFile(const char* path);
// Removes a file the run itself made and closed, whatever the length of its path.
void PlatformRemoveFile(const char* path);

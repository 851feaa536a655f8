// The program's paths: its own executable, the fixed set-up folder and the member paths in it,
// and the folder and file operations on them.
#pragma once
#include <stdint.h>

void SetModuleHandle(void* module);
void* ModuleHandle();

// The running executable's path, refilled on every call into one 256-byte buffer.
const char* ModulePath();

// "c:\_setup", writable: MakeDirectory cuts it for a moment while it walks.
char* SetupFolder();

// A name with a colon is a path of its own; otherwise the set-up folder, a backslash and the
// name, in one shared buffer that the next call overwrites.
const char* MemberPath(const char* name);

// Creates a folder of the form drive letter, colon, backslash, folders, level by level, after
// making its drive current, each level with the security descriptor when one is given. Shows the
// usage text for any other form; otherwise silent.
void MakeDirectory(char* path, const void* descriptor = nullptr);

// Deletes the file; silent, always 1.
int EraseFile(const char* path);

// Removes the set-up folder when it is empty; silent.
void RemoveSetupFolder();

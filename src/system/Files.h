// File access: every file-level failure is shown here, in its box, and a failure value returned.
#pragma once
#include <stdint.h>
#include "system/FileHandle.h"

// Read access, shared with other readers, must exist. Invalid handle after "File not found: ".
FileHandle OpenInputFile(const char* name);
// Creates or empties the file for reading and writing, shared with nobody. Invalid handle,
// after "Cannot create file: " when report is set.
FileHandle CreateOutputFile(const char* name, int report);
// New position from the start, or -1 after "File seek error".
int32_t SeekFile(FileHandle file, int32_t distance, SeekOrigin origin);
// One read for the whole count: bytes delivered (short at the end of the file, silently),
// or -1 after "Cannot read file".
int32_t ReadFileBytes(FileHandle file, void* buffer, int32_t count);
// The whole count, or -1 after "Cannot read file" when the read fails or delivers less.
int32_t ReadFileExactly(FileHandle file, void* buffer, int32_t count);
// The box of a read that can't deliver: for bytes that lie outside the file.
void ShowCannotRead();
// One write for the whole count: the count, or -1 after "Cannot write file" when it fails or
// writes less.
int32_t WriteFileBytes(FileHandle file, const void* buffer, int32_t count);
int CloseFile(FileHandle file);

// Bytes from the current position to the end of the file (negative when the position lies
// past the end, -1 too when it can't be told). Loaders check stored lengths against it.
int32_t BytesLeft(FileHandle file);

// The platform's file handle as the portable code sees it, and the seek origins.
#pragma once
#include <stdint.h>

typedef void* FileHandle;

// All bits set marks a failed open or create, as on the platform itself.
inline FileHandle InvalidFile() { return (FileHandle)(intptr_t)-1; }

enum SeekOrigin { SeekBegin = 0, SeekCurrent = 1, SeekEnd = 2 };

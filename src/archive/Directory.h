// Directory: the stored forms the directory is made of (a 32-bit value, a text, a list of texts,
// a table of values), read straight from the file, and the stub's look-up of a name.
#pragma once
#include <stdint.h>
#include "foundation/IntArray.h"
#include "foundation/String.h"
#include "foundation/StringList.h"
#include "system/FileHandle.h"

// The 32-bit stub takes the loaders' two arguments in registers, as it took them when they were
// members: nine call sites in Archive::open, and the stub stays within its 512-byte step.
#if defined(__i386__) && defined(__GNUC__)
#define LOADER_CALL __attribute__((regparm(2)))
#else
#define LOADER_CALL
#endif

// A 32-bit little-endian value for loaders, which must tell a stored 0 from a failed read:
// false when fewer than 4 bytes arrive.
bool ReadStoredLong(FileHandle file, int32_t* value);
// The same value, or 0 when the read fails or delivers fewer than 4 bytes.
int32_t ReadFileLong(FileHandle file);

// A 32-bit length, then that many bytes. 0 when the length is negative or runs past the end of
// the file, or when no buffer can be had (the old text then stays).
LOADER_CALL int LoadText(FileHandle file, String& text);

// A count and that many stored texts; a count of zero or less is an empty list. 0 when a text's
// length is negative or runs past the end of the file, when the count promises more texts than
// the file could hold, or when a block can't be had.
LOADER_CALL int LoadList(FileHandle file, StringList& list);

// A 32-bit count and that many values in one read. 0 when the count is negative or more than
// the file still holds, or when the block can't be had.
LOADER_CALL int LoadTable(FileHandle file, IntArray& table);

// The first entry equal to name with only A-Z folded to a-z, or -1.
int32_t FindName(const StringList& names, const char* name);

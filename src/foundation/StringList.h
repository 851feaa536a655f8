// StringList: a list of owned texts, each in a heap block of exactly its length + 1 bytes.
#pragma once
#include <stdint.h>
#include "foundation/PtrArray.h"
#include "system/FileHandle.h"

struct StringList {
    int32_t count;
    PtrArray strings;

    StringList() : count(0) {}
    ~StringList() { strings.freeAll(); }
    StringList(const StringList&) = delete;
    StringList& operator=(const StringList&) = delete;

    // No bounds check: callers keep i within 0 .. count - 1.
    char* get(int32_t i) const { return (char*)strings.items[i]; }

    // The first entry equal to text with only A-Z folded to a-z, or -1.
    int32_t findIgnoreCase(const char* text) const;

    // Reads a count and that many stored texts. A count of zero or less is an empty list.
    // 0 when a text's length is negative or runs past the end of the file, when the count
    // promises more texts than the file could hold, or when a block can't be had.
    int load(FileHandle file);
};

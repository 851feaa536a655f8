// StringList: a list of owned texts, each in a heap block of exactly its length + 1 bytes.
#pragma once
#include <stdint.h>
#include "foundation/PtrArray.h"

struct StringList {
    int32_t count;
    PtrArray strings;

    StringList() : count(0) {}
    ~StringList() { strings.freeAll(); }
    StringList(const StringList&) = delete;
    StringList& operator=(const StringList&) = delete;

    // No bounds check: callers keep i within 0 .. count - 1.
    char* get(int32_t i) const { return (char*)strings.items[i]; }
};

// IntArray: an array of signed 32-bit values in one heap block, loaded whole from its stored form.
#pragma once
#include <stdint.h>
#include "system/FileHandle.h"

struct IntArray {
    int32_t count;
    int32_t capacity;
    int32_t* items;

    IntArray() : count(0), capacity(0), items(0) {}
    ~IntArray();
    IntArray(const IntArray&) = delete;
    IntArray& operator=(const IntArray&) = delete;

    // Reads a 32-bit count and that many values in one read. 0 when the count is negative or
    // more than the file still holds, or when the block can't be had.
    int load(FileHandle file);

    // No bounds check: callers keep i within 0 .. count - 1.
    int32_t* elementAt(int32_t i) const { return items + i; }
};

// IntArray: an array of signed 32-bit values in one heap block, loaded whole from its stored form.
#pragma once
#include <stdint.h>
#include "foundation/Heap.h"

struct IntArray {
    int32_t count;
    int32_t capacity;
    int32_t* items;

    IntArray() : count(0), capacity(0), items(0) {}
    ~IntArray();
    IntArray(const IntArray&) = delete;
    IntArray& operator=(const IntArray&) = delete;

    // Takes the block of n values as its items; the old ones are released.
    void replace(int32_t* block, int32_t n) {
        FreeBlock(items);
        items = block;
        count = capacity = n;
    }

    // No bounds check: callers keep i within 0 .. count - 1.
    int32_t* elementAt(int32_t i) const { return items + i; }
};

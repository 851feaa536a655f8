// PtrArray: a growable array of untyped pointers that grows by 8 elements at a time.
#pragma once
#include <stdint.h>

struct PtrArray {
    int32_t count;
    int32_t capacity;
    void** items;

    PtrArray() : count(0), capacity(0), items(0) {}
    ~PtrArray();  // frees the buffer, not what the elements point to
    PtrArray(const PtrArray&) = delete;
    PtrArray& operator=(const PtrArray&) = delete;

    // The new element's index; 0 with nothing stored when the buffer can't grow.
    int32_t push(void* item);
    // Gives every element back through FreeBlock and empties the array, keeping the buffer.
    void freeAll();
};

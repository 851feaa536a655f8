// PtrArray: linear growth by 8, never doubling, never shrinking.
#include "foundation/PtrArray.h"
#include "foundation/Heap.h"

PtrArray::~PtrArray() { FreeBlock(items); }

int32_t PtrArray::push(void* item) {
    if (count == capacity) {
        void** grown = (void**)ResizeBlock(items, (uint32_t)(capacity + 8) * sizeof(void*));
        if (!grown) return 0;
        items = grown;
        capacity += 8;
    }
    items[count] = item;
    return count++;
}

void PtrArray::freeAll() {
    for (int32_t i = 0; i < count; ++i) FreeBlock(items[i]);
    count = 0;
}

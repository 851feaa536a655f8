// The win32 backend of memory: the runtime heap, and global blocks locked for their whole life.
#include <windows.h>
#include <stdlib.h>
#include "foundation/Heap.h"
#include "system/Memory.h"

// calloc: the heap hands the block over zero-filled.
void* AllocBlock(uint32_t size) { return calloc(1, size ? size : 1); }

void* ResizeBlock(void* block, uint32_t size) {
    if (!block) return AllocBlock(size);
    return realloc(block, size ? size : 1);
}

void FreeBlock(void* block) {
    if (block) free(block);
}

void* AllocGlobal(uint32_t size, unsigned flags) {
    // The lock of a null handle yields null: no box, the caller sees null.
    return GlobalLock(GlobalAlloc(flags, size));
}

void FreeGlobal(void* address) {
    if (!address) return;
    GlobalUnlock(GlobalHandle(address));
    GlobalFree(GlobalHandle(address));
}

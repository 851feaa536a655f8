// The win32 backend of memory: the runtime heap, and global blocks locked for their whole life.
#include <windows.h>
#include <stdlib.h>
#include <string.h>
#include "system/Memory.h"

void* AllocBlock(uint32_t size) {
    void* block = malloc(size ? size : 1);
    if (block) memset(block, 0, size);
    return block;
}

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

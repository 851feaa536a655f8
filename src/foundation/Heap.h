// Heap: the zero-filled blocks that strings, arrays and list texts live in. Declared here so that
// foundation stands on nothing; each platform's backend (system/win32, system/posix) defines it.
#pragma once
#include <stdint.h>

// malloc, then zero-filled; null when the heap is out.
void* AllocBlock(uint32_t size);
// A null block is AllocBlock; otherwise realloc, added bytes not zeroed; null when the heap is out.
void* ResizeBlock(void* block, uint32_t size);
void FreeBlock(void* block);

// Memory: zero-filled heap blocks for arrays and list texts, locked global blocks for member data.
#pragma once
#include <stdint.h>

// malloc, then zero-filled; null when the heap is out.
void* AllocBlock(uint32_t size);
// A null block is AllocBlock; otherwise realloc, added bytes not zeroed; null when the heap is out.
void* ResizeBlock(void* block, uint32_t size);
void FreeBlock(void* block);

// Every caller asks for a moveable block, which the platform does not zero.
enum { GlobalMoveable = 2 };
// A global block, locked for its whole life; null (and no box) when it can't be had.
void* AllocGlobal(uint32_t size, unsigned flags);
void FreeGlobal(void* address);

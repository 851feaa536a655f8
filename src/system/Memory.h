// Memory: zero-filled heap blocks for arrays and list texts (foundation/Heap.h), locked global
// blocks for member data.
#pragma once
#include <stdint.h>
#include "foundation/Heap.h"

// Every caller asks for a moveable block, which the platform does not zero.
enum { GlobalMoveable = 2 };
// A global block, locked for its whole life; null (and no box) when it can't be had.
void* AllocGlobal(uint32_t size, unsigned flags);
void FreeGlobal(void* address);

// IntArray: one heap block of values, released with the array. Loading is archive/Directory's.
#include "foundation/IntArray.h"
#include "system/Memory.h"

IntArray::~IntArray() { FreeBlock(items); }

void IntArray::replace(int32_t* block, int32_t n) {
    FreeBlock(items);
    items = block;
    count = capacity = n;
}

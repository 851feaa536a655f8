// IntArray: one heap block of values, released with the array. Loading is archive/Directory's.
#include "foundation/IntArray.h"
#include "foundation/Heap.h"

IntArray::~IntArray() { FreeBlock(items); }

// IntArray: one heap block of values, released with the array. Loading is archive/Directory's.
#include "foundation/IntArray.h"
#include "system/Memory.h"

IntArray::~IntArray() { FreeBlock(items); }

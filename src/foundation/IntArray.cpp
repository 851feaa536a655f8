// IntArray: the stored form is a count followed by the values, least significant byte first.
#include "foundation/IntArray.h"
#include "system/Files.h"
#include "system/Memory.h"

IntArray::~IntArray() { FreeBlock(items); }

int IntArray::load(FileHandle file) {
    int32_t left = BytesLeft(file);
    if (left < 4) return 0;
    int32_t n = ReadFileLong(file);
    // Checked before 4 * n is formed, so it can neither overflow nor outrun the file.
    if (n < 0 || n > (left - 4) / 4) return 0;
    int32_t* block = (int32_t*)AllocBlock((uint32_t)n * 4u);
    if (!block) return 0;
    items = block;
    count = capacity = n;
    // The block is zero-filled, so values the file did not supply read as 0.
    if (n) ReadFileBytes(file, items, n * 4);
    return 1;
}

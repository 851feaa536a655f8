// IntArray: the stored form is a count followed by the values, least significant byte first.
#include "foundation/IntArray.h"
#include "system/Files.h"
#include "system/Memory.h"

IntArray::~IntArray() { FreeBlock(items); }

int IntArray::load(FileHandle file) {
    int32_t left = BytesLeft(file);
    if (left < 4) return 0;
    int32_t n;
    // Checked before 4 * n is formed, so it can neither overflow nor outrun the file.
    if (!ReadStoredLong(file, &n) || n < 0 || n > (left - 4) / 4) return 0;
    int32_t* block = (int32_t*)AllocBlock((uint32_t)n * 4u);
    if (!block) return 0;
    // The count was checked against the file, so only a failed read (its box shown) delivers
    // less; zeros in its place would send every member to the start of the file.
    if (n && ReadFileBytes(file, block, n * 4) != n * 4) {
        FreeBlock(block);
        return 0;
    }
    FreeBlock(items);
    items = block;
    count = capacity = n;
    return 1;
}

// StringList: loading from the stored form, and the ASCII-only case-insensitive search.
#include "foundation/StringList.h"
#include "system/Files.h"
#include "system/Memory.h"

static unsigned char FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

static bool EqualIgnoreCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (FoldAscii((unsigned char)*a) != FoldAscii((unsigned char)*b)) return false;
        if (!*a) return true;
    }
}

int32_t StringList::findIgnoreCase(const char* text) const {
    for (int32_t i = 0; i < count; ++i) {
        const char* entry = get(i);
        if (entry == text || (entry && text && EqualIgnoreCase(entry, text))) return i;
    }
    return -1;
}

int StringList::load(FileHandle file) {
    int32_t left = BytesLeft(file);
    if (left < 4) return 0;
    int32_t n;
    if (!ReadStoredLong(file, &n)) return 0;
    left -= 4;
    if (n <= 0) return 1;
    // Every text takes at least its 4-byte length.
    if (n > left / 4) return 0;
    for (int32_t i = 0; i < n; ++i) {
        if (left < 4) return 0;
        int32_t m;
        left -= 4;
        if (!ReadStoredLong(file, &m) || m < 0 || m > left) return 0;
        char* block = (char*)AllocBlock((uint32_t)m + 1);
        if (!block) return 0;
        // Only a failed read (its box shown) delivers less than the checked length.
        if (m && ReadFileBytes(file, block, m) != m) {
            FreeBlock(block);
            return 0;
        }
        left -= m;
        block[m] = 0;
        int32_t before = strings.count;
        strings.push(block);
        if (strings.count == before) {
            FreeBlock(block);
            return 0;
        }
        ++count;
    }
    return 1;
}

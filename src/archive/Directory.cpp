// Directory: loading the stored forms, each length and count checked against what the file still
// holds before anything is allocated or read, and the case-folding look-up of member names.
#include "archive/Directory.h"
#include "stub/Format.h"
#include "system/Files.h"
#include "system/Memory.h"

bool ReadStoredLong(FileHandle file, int32_t* value) {
    unsigned char bytes[4];
    *value = 0;
    if (ReadFileBytes(file, bytes, 4) != 4) return false;
    *value = ReadLittle32(bytes);
    return true;
}

int32_t ReadFileLong(FileHandle file) {
    int32_t value;
    ReadStoredLong(file, &value);
    return value;
}

LOADER_CALL int LoadText(FileHandle file, String& text) {
    int32_t left = BytesLeft(file);
    if (left < 4) return 0;
    int32_t n;
    if (!ReadStoredLong(file, &n) || n < 0 || n > left - 4) return 0;
    if (!text.prepareLength(n)) return 0;
    // The length was checked against the file, so only a failed read (its box shown) delivers
    // less; a text it left half-read must not be taken for a name.
    if (n && ReadFileBytes(file, text.data, n) != n) {
        text.clear();
        return 0;
    }
    return 1;
}

LOADER_CALL int LoadList(FileHandle file, StringList& list) {
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
        int32_t before = list.strings.count;
        list.strings.push(block);
        if (list.strings.count == before) {
            FreeBlock(block);
            return 0;
        }
        ++list.count;
    }
    return 1;
}

LOADER_CALL int LoadTable(FileHandle file, IntArray& table) {
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
    table.replace(block, n);
    return 1;
}

static bool EqualIgnoreCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (FoldAscii((unsigned char)*a) != FoldAscii((unsigned char)*b)) return false;
        if (!*a) return true;
    }
}

int32_t FindName(const StringList& names, const char* name) {
    for (int32_t i = 0; i < names.count; ++i) {
        const char* entry = names.get(i);
        if (entry == name || (entry && name && EqualIgnoreCase(entry, name))) return i;
    }
    return -1;
}

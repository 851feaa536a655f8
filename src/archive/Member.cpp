// Member extraction: find a member by name, read its stored bytes whole, unpack, write in one go.
#include "archive/Archive.h"
#include "archive/Directory.h"
#include "stub/Texts.h"
#include "system/Files.h"
#include "system/Memory.h"
#include "system/Messages.h"

char* Archive::readMember(const char* name, int32_t& size) {
    int32_t index = FindName(memberNames, name);
    // A name without an entry in every table is not a member.
    if (index < 0 || index >= memberOffsets.count || index >= memberSizes.count ||
        index >= memberMethods.count)
        return 0;
    int32_t offset = *memberOffsets.elementAt(index);
    int32_t stored = *memberSizes.elementAt(index);
    int32_t method = *memberMethods.elementAt(index);

    // Bytes outside the file were never read: refuse them rather than write whatever the block held.
    if (offset < 0 || stored < 0 || stored > fileSize - offset) {
        ShowError(BoxCannotRead);
        return 0;
    }
    if (SeekFile(file, offset, SeekBegin) != offset) return 0;

    size = stored;
    char* block = (char*)AllocGlobal((uint32_t)stored + 1, GlobalMoveable);
    if (!block) return 0;
    int32_t got = ReadFileBytes(file, block, stored);
    if (got != stored) {
        // A failed read has shown its box; a short one (the file shrank) shows the same text.
        if (got >= 0) ShowError(BoxCannotRead);
        FreeGlobal(block);
        return 0;
    }
    block[stored] = 0;

    if (method == MethodDeflated) {
        char* unpacked = InflateMember(size, block, stored);
        FreeGlobal(block);
        return unpacked;
    }
    if (method == MethodStored) return block;
    FreeGlobal(block);
    ShowError(BoxUnknownMethod);
    return 0;
}

int Archive::extractMember(const char* name, const char* path) {
    int32_t size = 0;
    char* block = readMember(name, size);
    // Nothing was read: the reading side has shown its box, and no file is made.
    if (!block) return 0;
    int written = WriteBlockToFile(path, block, size);
    FreeGlobal(block);
    return written;
}

int WriteBlockToFile(const char* path, const char* block, int32_t size) {
    FileHandle out = CreateOutputFile(path, 1);
    if (out == InvalidFile()) return 0;
    WriteFileBytes(out, block, size);
    CloseFile(out);
    return 1;
}

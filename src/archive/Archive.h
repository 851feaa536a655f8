// Archive: the executable opened for reading, with the directory loaded from its tail.
#pragma once
#include <stdint.h>
#include "stub/Format.h"
#include "foundation/IntArray.h"
#include "foundation/PathString.h"
#include "foundation/StringList.h"
#include "system/FileHandle.h"

class Archive {
public:
    Archive();
    ~Archive();
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    // 1 with the directory loaded and the file open; 0 with the file closed and nothing to read.
    int open(const char* path);

    // The unpacked member in a global block with a zero byte after it, size set; or null.
    // The caller releases the block with FreeGlobal.
    char* readMember(const char* name, int32_t& size);

    // Unpacks the member to path: 1 when the file was written, 0 when it was not.
    int extractMember(const char* name, const char* path);

    FileHandle file;
    PathString setupProgram;
    PathString projectFile;
    StringList supportFiles;
    StringList extraNames;   // kept, not used: every member but the set-up program
    String extraText;        // kept, not used
    StringList memberNames;
    IntArray memberOffsets;
    IntArray memberSizes;
    IntArray memberMethods;
    int32_t fileSize;        // bounds every member read: where the trailer ends (before a signature)
};

// Inflates a deflated member's stored bytes (a 32-bit size U, then a zlib stream) into a new
// global block of U bytes and a zero byte; null after "Zlib error". Does not release block.
char* InflateMember(int32_t& size, const char* block, int32_t storedSize);

// Creates (or empties) path and writes the block in one write: 1, or 0 when it can't be created.
int WriteBlockToFile(const char* path, const char* block, int32_t size);

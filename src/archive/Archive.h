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

    // Unpacks the member to path a piece at a time: 1 when the file was written whole, 0 when it
    // was not (after a box, but for an unknown name), and then no file of it is left.
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

// Members pass through two fixed buffers, whatever their size. A member whose unpacked bytes fit
// the output buffer (and whose stored bytes fit the input buffer) is read and checked whole
// before its file is created.
enum { MemberOutputBuffer = 1 << 20, MemberInputBuffer = 1 << 18 };

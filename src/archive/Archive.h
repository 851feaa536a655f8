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

// The stored bytes of one member still to be read, straight from the archive's file.
struct MemberInput {
    FileHandle file;
    int32_t left;
    // Reads the next piece, at most `most` bytes: its size, or -1 after "Cannot read file".
    int32_t next(char* buffer, int32_t most);
};

struct MemberOutput;
// Inflates a deflated member's stored bytes (a 32-bit size U, then a zlib stream) into the
// output, through the two buffers: true when all U bytes were accepted and written; false after
// its box ("Zlib error" for a stream the stub refuses).
bool InflateMember(MemberInput& input, MemberOutput& output, char* out, char* in);

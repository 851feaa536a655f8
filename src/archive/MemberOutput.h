// A member's output file: created at its first bytes, so that a member checked whole before its
// first write leaves no file when it fails, and removed again when the member fails part-way.
#pragma once
#include <stdint.h>
#include "system/FileHandle.h"

struct MemberOutput {
    const char* path;
    FileHandle file;  // null until created; the invalid handle once creating it failed

    // Writes the bytes, creating the file first if it is not there yet: false after its box
    // ("Cannot create file: " and the path, or "Cannot write file").
    bool write(const char* bytes, int32_t count);
    // Ends the member: a good one is closed (created, empty, if no bytes came) and 1 returned;
    // a failed one is closed and removed, and 0 returned.
    int finish(bool good);
};

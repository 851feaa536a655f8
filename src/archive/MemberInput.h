// A member's input: its stored bytes still to be read, a piece at a time, from the archive's file.
#pragma once
#include <stdint.h>
#include "system/FileHandle.h"

struct MemberInput {
    FileHandle file;
    int32_t left;
    // Reads the next piece, at most `most` bytes: its size, or -1 after "Cannot read file".
    int32_t next(char* buffer, int32_t most);
};

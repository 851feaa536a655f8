// A member's stored bytes, read straight from the archive's file and never past the member.
#include "archive/MemberInput.h"
#include "system/Files.h"

int32_t MemberInput::next(char* buffer, int32_t most) {
    int32_t count = left < most ? left : most;
    left -= count;
    return ReadFileExactly(file, buffer, count);
}

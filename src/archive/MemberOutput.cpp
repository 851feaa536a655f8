// A member's output file, written piece by piece and never left half-written.
#include "archive/MemberOutput.h"
#include "system/Files.h"
#include "system/Platform.h"

bool MemberOutput::write(const char* bytes, int32_t count) {
    if (!file) file = CreateOutputFile(path, 1);
    if (file == InvalidFile()) return false;
    return WriteFileBytes(file, bytes, count) == count;
}

int MemberOutput::finish(bool good) {
    // A member without bytes still leaves its (empty) file.
    if (good && !file) file = CreateOutputFile(path, 1);
    if (!file || file == InvalidFile()) return 0;
    CloseFile(file);
    if (good) return 1;
    PlatformRemoveFile(path);
    return 0;
}

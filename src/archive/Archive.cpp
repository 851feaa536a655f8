// Archive: opening the executable and loading its directory item by item, straight from the file.
#include "archive/Archive.h"
#include "archive/Directory.h"
#include "system/Files.h"

Archive::Archive() : file(0), fileSize(0) {}

Archive::~Archive() {
    if (file && file != InvalidFile()) CloseFile(file);
}

int Archive::open(const char* path) {
    file = OpenInputFile(path);
    if (file == InvalidFile()) return 0;

    // The trailer: the directory offset, then the signature in the last 4 bytes.
    int32_t signaturePosition = SeekFile(file, -4, SeekEnd);
    if (ReadFileLong(file) != ArchiveSignature) {
        CloseFile(file);
        file = 0;
        return 0;
    }
    fileSize = signaturePosition + 4;
    SeekFile(file, -TrailerSize, SeekEnd);
    SeekFile(file, ReadFileLong(file), SeekBegin);

    // Each load checks its own lengths against what the file still holds, so a damaged or
    // hostile directory stops here rather than reading or allocating out of bounds.
    if (!LoadText(file, setupProgram) || !LoadText(file, projectFile) || !LoadList(file, supportFiles) ||
        !LoadList(file, extraNames) || !LoadList(file, memberNames) || !LoadTable(file, memberOffsets) ||
        !LoadTable(file, memberSizes) || !LoadTable(file, memberMethods) || !LoadText(file, extraText)) {
        CloseFile(file);
        file = 0;
        return 0;
    }
    return 1;
}

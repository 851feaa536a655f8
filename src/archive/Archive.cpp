// Archive: opening the executable and loading its directory item by item, straight from the file.
#include "archive/Archive.h"
#include "archive/Directory.h"
#include "stub/PeImage.h"
#include "system/Files.h"

Archive::Archive() : file(0), fileSize(0) {}

Archive::~Archive() {
    if (file && file != InvalidFile()) CloseFile(file);
}

// The PE headers are read through the file routines at offsets inside the file. A failed seek
// has shown its box, and the read goes on as the directory's loads do: what it brings is checked
// like any other bytes.
static int32_t ReadAt(void* file, uint32_t offset, void* buffer, int32_t count) {
    SeekFile((FileHandle)file, (int32_t)offset, SeekBegin);
    return ReadFileBytes((FileHandle)file, buffer, count);
}

int Archive::open(const char* path) {
    file = OpenInputFile(path);
    if (file == InvalidFile()) return 0;

    // The trailer: the directory offset, then the signature in the last 4 bytes; in a signed
    // installer it stands before the certificate table instead.
    int32_t end = SeekFile(file, -4, SeekEnd) + 4;
    CertificateTable table;
    fileSize = ReadFileLong(file) == ArchiveSignature ? end : FindCertificateTable(ReadAt, file, end, &table);
    if (!fileSize) {
        CloseFile(file);
        file = 0;
        return 0;
    }
    SeekFile(file, fileSize - end - TrailerSize, SeekEnd);
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

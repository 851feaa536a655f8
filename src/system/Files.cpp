// File access: the portable half, which turns platform failures into the program's boxes.
#include "system/Files.h"
#include "stub/Texts.h"
#include "system/Messages.h"
#include "system/Platform.h"

FileHandle OpenInputFile(const char* name) {
    FileHandle file = PlatformOpenInput(name);
    if (file == InvalidFile()) {
        AddMessageText("File not found: ");
        ShowMessage(name);
    }
    return file;
}

FileHandle CreateOutputFile(const char* name, int report) {
    FileHandle file = PlatformCreateOutput(name);
    if (file == InvalidFile() && report) {
        AddMessageText("Cannot create file: ");
        ShowMessage(name);
    }
    return file;
}

int32_t SeekFile(FileHandle file, int32_t distance, SeekOrigin origin) {
    uint32_t position = PlatformSeek(file, distance, origin);
    if (position == 0xFFFFFFFFu) {
        ShowError(BoxSeekError);
        return -1;
    }
    return (int32_t)position;
}

int32_t ReadFileBytes(FileHandle file, void* buffer, int32_t count) {
    int32_t done = 0;
    if (!PlatformRead(file, buffer, count, &done)) {
        ShowCannotRead();
        return -1;
    }
    return done;
}

int32_t ReadFileExactly(FileHandle file, void* buffer, int32_t count) {
    int32_t got = ReadFileBytes(file, buffer, count);
    if (got == count) return count;
    // A failed read has shown its box; a short one (the file shrank) shows the same text.
    if (got >= 0) ShowCannotRead();
    return -1;
}

void ShowCannotRead() { ShowError(BoxCannotRead); }

int32_t WriteFileBytes(FileHandle file, const void* buffer, int32_t count) {
    int32_t done = 0;
    // A write that stops short (a full disk) has failed just the same.
    if (!PlatformWrite(file, buffer, count, &done) || done != count) {
        ShowError(BoxCannotWrite);
        return -1;
    }
    return done;
}

int CloseFile(FileHandle file) { return PlatformClose(file); }

int32_t BytesLeft(FileHandle file) {
    uint32_t position = PlatformSeek(file, 0, SeekCurrent);
    int64_t size = PlatformFileSize(file);
    if (position == 0xFFFFFFFFu || size < 0) return -1;
    int64_t left = size - (int64_t)position;
    if (left > INT32_MAX) return INT32_MAX;
    if (left < INT32_MIN) return INT32_MIN;
    return (int32_t)left;
}

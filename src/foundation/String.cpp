// String: exact-fit growth, one shared empty buffer, deep copies.
#include "foundation/String.h"
#include <stdlib.h>
#include <string.h>
#include "system/Files.h"

char SharedEmptyBuffer[1] = {0};

String::String() : data(SharedEmptyBuffer), length(0), capacity(0) {}

String::String(const char* text) : data(SharedEmptyBuffer), length(0), capacity(0) {
    if (text && *text) assign((int32_t)strlen(text), text);
}

String::String(const String& other) : data(SharedEmptyBuffer), length(0), capacity(0) {
    if (other.length) assign(other.length, other.data);
}

String::~String() { release(); }

String& String::operator=(const String& other) {
    if (this != &other) assign(other.length, other.data);
    return *this;
}

String& String::operator=(const char* text) {
    if (!text) clear();
    else assign((int32_t)strlen(text), text);
    return *this;
}

String& String::operator+=(const char* text) {
    if (text) append((int32_t)strlen(text), text);
    return *this;
}

bool String::allocate(int32_t n) {
    char* fresh = (char*)malloc((size_t)n + 1);
    if (!fresh) return false;
    data = fresh;
    length = capacity = n;
    data[n] = 0;
    return true;
}

void String::assign(int32_t n, const char* source) {
    if (n > capacity) {
        release();
        if (!allocate(n)) return;  // out of memory: the string stays empty
    } else {
        setLength(n);
    }
    // memmove: the source may lie inside our own buffer.
    if (n) memmove(data, source, (size_t)n);
}

void String::append(int32_t n, const char* source) {
    int32_t old = length;
    if (old + n > capacity) {
        // The old buffer is freed only after both copies, so a String may append its own text.
        char* previous = data;
        if (!allocate(old + n)) return;
        memcpy(data, previous, (size_t)old);
        memcpy(data + old, source, (size_t)n);
        if (previous != SharedEmptyBuffer) free(previous);
    } else {
        memmove(data + old, source, (size_t)n);
        setLength(old + n);
    }
}

void String::setLength(int32_t n) {
    if (n < 0 || n > capacity) return;
    length = n;
    data[n] = 0;
}

void String::clear() {
    if (data == SharedEmptyBuffer) return;
    length = 0;
    data[0] = 0;
}

void String::release() {
    if (data != SharedEmptyBuffer) free(data);
    data = SharedEmptyBuffer;
    length = capacity = 0;
}

static bool IsSeparator(char c) { return c == ' ' || c == '_'; }

String& String::appendSpaced(const char* text) {
    if (!IsSeparator(text[0]) && length != 0 && !IsSeparator(data[length - 1])) append(1, " ");
    return *this += text;
}

int String::load(FileHandle file) {
    int32_t left = BytesLeft(file);
    if (left < 4) return 0;
    int32_t n = ReadFileLong(file);
    if (n < 0 || n > left - 4) return 0;
    if (n > capacity) {
        release();
        if (!allocate(n)) return 0;
    } else {
        setLength(n);
    }
    if (n) {
        int32_t got = ReadFileBytes(file, data, n);
        // A failed read has shown its box; what it did not deliver reads as zeros.
        if (got < n) memset(data + (got > 0 ? got : 0), 0, (size_t)(n - (got > 0 ? got : 0)));
    }
    return 1;
}

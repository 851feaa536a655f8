// String: exact-fit growth, one shared empty buffer, deep copies.
#include "foundation/String.h"
#include <string.h>
#include "foundation/Heap.h"

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

bool String::replaceWith(int32_t n, const char* first, int32_t firstLength, const char* second) {
    char* fresh = (char*)AllocBlock((uint32_t)n + 1);
    if (!fresh) return false;
    // Both sources are copied before the old buffer goes, so they may lie inside it.
    if (firstLength) memcpy(fresh, first, (size_t)firstLength);
    if (second && n > firstLength) memcpy(fresh + firstLength, second, (size_t)(n - firstLength));
    fresh[n] = 0;
    release();
    data = fresh;
    length = capacity = n;
    return true;
}

void String::assign(int32_t n, const char* source) {
    if (n > capacity) {
        replaceWith(n, source, n, 0);  // out of memory: the old value stays
        return;
    }
    // memmove: the source may lie inside our own buffer.
    if (n) memmove(data, source, (size_t)n);
    setLength(n);
}

void String::append(int32_t n, const char* source) {
    if (length + n > capacity) {
        replaceWith(length + n, data, length, source);
        return;
    }
    memmove(data + length, source, (size_t)n);
    setLength(length + n);
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
    if (data != SharedEmptyBuffer) FreeBlock(data);
    data = SharedEmptyBuffer;
    length = capacity = 0;
}

static bool IsSeparator(char c) { return c == ' ' || c == '_'; }

String& String::appendSpaced(const char* text) {
    if (!IsSeparator(text[0]) && length != 0 && !IsSeparator(data[length - 1])) append(1, " ");
    return *this += text;
}

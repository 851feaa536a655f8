// The byte and text routines that the stub, zlib and the compiler call, with no C runtime behind them.
#include <stddef.h>

// gcc turns loops that copy, fill or scan bytes into calls of these very routines; here that would
// be a call of itself.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("no-tree-loop-distribute-patterns")
#endif

extern "C" {

// The string instructions are both the smallest and, on any x86 of the last decade, fast copies.
void* memcpy(void* to, const void* from, size_t count) {
    void* result = to;
    __asm__ volatile("rep movsb" : "+D"(to), "+S"(from), "+c"(count) : : "memory");
    return result;
}

void* memset(void* to, int value, size_t count) {
    void* result = to;
    __asm__ volatile("rep stosb" : "+D"(to), "+c"(count) : "a"(value) : "memory");
    return result;
}

void* memmove(void* to, const void* from, size_t count) {
    unsigned char* out = (unsigned char*)to;
    const unsigned char* in = (const unsigned char*)from;
    if (out <= in || out >= in + count) return memcpy(to, from, count);
    // An overlap with the source below the target: copy from the top down.
    while (count--) out[count] = in[count];
    return to;
}

int memcmp(const void* first, const void* second, size_t count) {
    const unsigned char* a = (const unsigned char*)first;
    const unsigned char* b = (const unsigned char*)second;
    for (; count; --count, ++a, ++b)
        if (*a != *b) return *a - *b;
    return 0;
}

size_t strlen(const char* text) {
    const char* end = text;
    while (*end) ++end;
    return (size_t)(end - text);
}

char* strchr(const char* text, int c) {
    for (;; ++text) {
        if (*text == (char)c) return (char*)text;
        if (!*text) return NULL;
    }
}

}  // extern "C"

// The C and C++ heap calls that the stub and zlib make, straight on the process heap: no C runtime.
#include <windows.h>

extern "C" {

void* malloc(size_t size) { return HeapAlloc(GetProcessHeap(), 0, size); }

void* calloc(size_t count, size_t size) {
    if (size && count > (size_t)-1 / size) return NULL;
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, count * size);
}

// Like realloc, a failed resize leaves the old block as it was.
void* realloc(void* block, size_t size) {
    if (!block) return malloc(size);
    return HeapReAlloc(GetProcessHeap(), 0, block, size);
}

void free(void* block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}

}  // extern "C"

// No exception machinery is linked: a failed new yields null, which every caller tests.
void* operator new(size_t size) { return malloc(size); }
void* operator new[](size_t size) { return malloc(size); }
void operator delete(void* block) noexcept { free(block); }
void operator delete[](void* block) noexcept { free(block); }
void operator delete(void* block, size_t) noexcept { free(block); }
void operator delete[](void* block, size_t) noexcept { free(block); }

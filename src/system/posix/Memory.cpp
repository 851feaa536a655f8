// The posix backend of memory: the C heap for both kinds of block, with failures injectable.
#include <cstdlib>
#include <cstring>
#include "foundation/Heap.h"
#include "system/Memory.h"
#include "system/posix/HostControl.h"

void* AllocBlock(uint32_t size) {
    if (HostShouldFail(HostCall::AllocBlock)) return nullptr;
    void* block = std::malloc(size ? size : 1);
    if (block) std::memset(block, 0, size);
    return block;
}

void* ResizeBlock(void* block, uint32_t size) {
    if (!block) return AllocBlock(size);
    if (HostShouldFail(HostCall::AllocBlock)) return nullptr;
    return std::realloc(block, size ? size : 1);
}

void FreeBlock(void* block) { std::free(block); }

void* AllocGlobal(uint32_t size, unsigned) {
    if (HostShouldFail(HostCall::AllocGlobal)) return nullptr;
    // Moveable global blocks are not zeroed; neither is this one.
    return std::malloc(size ? size : 1);
}

void FreeGlobal(void* address) { std::free(address); }

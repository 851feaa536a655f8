// Test data shared by every host test: deterministic payloads and byte/text conversions.
#pragma once
#include <string>
#include "write/Writer.h"

sfx::Bytes ToBytes(const std::string& text);
std::string ToText(const sfx::Bytes& bytes);
// Deterministic bytes that deflate well (text-like) or not at all (noise).
sfx::Bytes TextLike(size_t size, unsigned seed = 1);
sfx::Bytes Noise(size_t size, unsigned seed = 1);

// Hand-laid PE headers, written without the project's own PE code: "MZ", the PE signature at
// 0x80, a PE32 (or, when wide, PE32+) optional header with 16 directories, and one section from
// 0x200 to the end; an image of exactly size bytes (at least 0x201).
sfx::Bytes PeImageOf(size_t size, bool wide);
// The file offset of the security entry (table offset, then size) in such an image.
size_t SecurityEntryOf(bool wide);
// Signed as signing tools sign: zeros up to a multiple of 8, then a certificate table of
// tableSize bytes, recorded in the security entry.
sfx::Bytes SignedCopy(sfx::Bytes file, bool wide, size_t tableSize = 0x5A8);

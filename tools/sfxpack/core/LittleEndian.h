// Little-endian fields of Windows file formats, read from and written into bytes in memory.
// Readers check with Fits first: these never check bounds themselves.
#pragma once
#include <cstdint>
#include "core/Bytes.h"

namespace sfx {

// Whether `size` bytes at `at` lie inside the bytes.
inline bool Fits(ByteView bytes, uint64_t at, uint64_t size) { return at <= bytes.size() && size <= bytes.size() - at; }

inline uint16_t Le16(ByteView bytes, uint64_t at) { return (uint16_t)(bytes[at] | bytes[at + 1] << 8); }
inline uint32_t Le32(ByteView bytes, uint64_t at) { return Le16(bytes, at) | (uint32_t)Le16(bytes, at + 2) << 16; }

inline void SetLe16(Bytes& bytes, uint64_t at, uint16_t value) {
    bytes[at] = (uint8_t)value;
    bytes[at + 1] = (uint8_t)(value >> 8);
}
inline void SetLe32(Bytes& bytes, uint64_t at, uint32_t value) {
    SetLe16(bytes, at, (uint16_t)value);
    SetLe16(bytes, at + 2, (uint16_t)(value >> 16));
}

inline void AddLe16(Bytes& bytes, uint16_t value) {
    bytes.push_back((uint8_t)value);
    bytes.push_back((uint8_t)(value >> 8));
}
inline void AddLe32(Bytes& bytes, uint32_t value) {
    AddLe16(bytes, (uint16_t)value);
    AddLe16(bytes, (uint16_t)(value >> 16));
}

// Zero bytes up to the next multiple of `unit` (a power of two).
inline void PadTo(Bytes& bytes, size_t unit) { bytes.resize((bytes.size() + unit - 1) & ~(unit - 1), 0); }

}  // namespace sfx

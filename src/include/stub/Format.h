// Format: the installer's format as the stub and sfxpack both read it, defined once so that the
// two readers cannot drift apart. Plain C++ over <stdint.h> and zlib's result codes: no STL.
#pragma once
#include <stdint.h>
#include <zlib.h>

// The last 4 bytes of every installer: 8A 25 00 00.
enum { ArchiveSignature = 9610 };
// The trailer: the directory's offset, then the signature.
enum { TrailerSize = 8 };
// How a member's bytes are stored.
enum { MethodStored = 0, MethodDeflated = 2 };
// A deflated member starts with its unpacked size, before the zlib stream.
enum { DeflatedPrefixSize = 4 };

// Deflate never expands data by more than 1032 to 1, so a larger declared size can't be filled
// and is refused before it is allocated.
enum { MaxInflateRatio = 1032 };

// The stored forms are little-endian 32-bit values, at any alignment.
inline int32_t ReadLittle32(const unsigned char* bytes) {
    return (int32_t)((uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 | (uint32_t)bytes[2] << 16 |
                     (uint32_t)bytes[3] << 24);
}

inline void WriteLittle32(unsigned char* bytes, int32_t value) {
    for (int i = 0; i < 4; ++i) bytes[i] = (unsigned char)((uint32_t)value >> (8 * i));
}

// Names are compared with only A-Z folded to a-z: every other byte, Latin-1 letters included,
// stands for itself.
inline unsigned char FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? (unsigned char)(c + ('a' - 'A')) : c; }

// Whether a deflated member's declared size is one its stream could fill.
inline bool DeclaredSizeFits(int32_t declared, int32_t streamSize) {
    return declared >= 0 && streamSize >= 0 && (uint64_t)declared <= (uint64_t)streamSize * MaxInflateRatio;
}

// The stub's verdict on its one inflate call over the whole stream into exactly the declared
// size. Output left unfilled means the stream ended early: those bytes were never inflated.
// Streams as written lack their Adler-32 value, so inflate stops with Z_OK, output full, waiting
// for it; when the value is there, zlib checks it and ends with Z_STREAM_END. A stream without
// its value is taken whole before inflate waits, so Z_OK with input left over means the data ran
// on past the declared size: a damaged stream (or a wrong size) whose output would be garbage.
// What is accepted is written; a stream that is accepted may still be proven damaged by a look
// past the declared size, which only sfxpack takes.
inline bool InflateAccepted(int result, uint32_t outputLeft, uint32_t inputLeft) {
    if (outputLeft != 0) return false;
    return result == Z_STREAM_END || (result == Z_OK && inputLeft == 0);
}

// Deflating a member in pieces that join into one zlib stream: libdeflate where it is built in
// (levels 0 to 12; every build that could have it), zlib otherwise (levels above 9 deflate as 9).
#pragma once
#include <cstdint>
#include <memory>
#include "write/Writer.h"

namespace sfx {

const int MaxLevel = 12;
// The level create uses unless told: the highest whose work alone, on one core, stays under half
// of zip -9's on the benchmark's payloads (bench/results.md, "Levels").
const int DefaultLevel = 7;

enum class EncoderKind { Best, Zlib };  // Best: libdeflate when built in, else zlib

// Whether libdeflate is built in, so that levels 10 to 12 deflate harder than 9.
bool HasLibdeflate();

// The two zlib header bytes for a level, as both encoders write them for a whole stream.
Bytes ZlibHeader(int level);

// One per thread: it keeps its tables between pieces.
class Encoder {
public:
    virtual ~Encoder() = default;
    // The raw deflate bits of data[begin, end), byte-aligned. A piece that is not the last ends
    // with an empty stored block and no final-block mark, so that the next piece's bits can
    // follow it; data[0, begin) are the bytes before it, which an encoder may match against.
    virtual Bytes deflate(const uint8_t* data, size_t begin, size_t end, bool last) = 0;
};

std::unique_ptr<Encoder> MakeEncoder(int level, EncoderKind kind = EncoderKind::Best);

// Turns a complete raw deflate stream into one that the next piece can follow: the final-block
// mark cleared and an empty stored block appended. Throws std::runtime_error if it can't
// find the stream's blocks.
void MakeJoinable(Bytes& stream);

}  // namespace sfx

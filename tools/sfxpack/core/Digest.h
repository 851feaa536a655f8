// SHA-256 and SHA-1 from the system's own, well-kept implementation: OpenSSL's libcrypto on
// posix (core/posix/Digest.cpp), Windows' CNG in sfxpack.exe (core/win32/Digest.cpp). Nothing
// here computes a hash by hand.
#pragma once
#include <memory>
#include <stdexcept>
#include <string>
#include "core/Bytes.h"

namespace sfx {

enum class DigestKind { Sha1, Sha256 };

// The system's hashing can't be had or fails: a broken or exhausted system, never bad input.
struct DigestError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A hash fed its bytes a chunk at a time, in order.
class Digest {
public:
    explicit Digest(DigestKind kind = DigestKind::Sha256);
    ~Digest();
    Digest(const Digest&) = delete;
    Digest& operator=(const Digest&) = delete;
    void add(const uint8_t* data, size_t size);
    void add(ByteView bytes) { add(bytes.data(), bytes.size()); }
    // The digest of everything added; the hash takes no more bytes after it.
    Bytes finish();

private:
    struct State;
    std::unique_ptr<State> state;
};

// Lowercase hex digits, two a byte.
std::string HexDigits(ByteView bytes);

// The SHA-256 of the bytes, as hex digits.
std::string Sha256Hex(ByteView bytes);

}  // namespace sfx

// What the hash backends share: digests as hex digits.
#include "core/Digest.h"

namespace sfx {

std::string HexDigits(ByteView bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        out += digits[byte >> 4];
        out += digits[byte & 15];
    }
    return out;
}

std::string Sha256Hex(ByteView bytes) {
    Digest digest;
    digest.add(bytes);
    return HexDigits(digest.finish());
}

}  // namespace sfx

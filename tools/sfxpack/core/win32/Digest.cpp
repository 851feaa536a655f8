// The Windows backend of the hashes: CNG (bcrypt.dll), the system's own implementation.
#include <windows.h>
#include <bcrypt.h>
#include <algorithm>
#include "core/Digest.h"

namespace sfx {

// One provider per algorithm for the process's life: opening one costs far more than a hash.
static BCRYPT_ALG_HANDLE Provider(DigestKind kind) {
    struct Opened {
        BCRYPT_ALG_HANDLE handle = nullptr;
        explicit Opened(LPCWSTR algorithm) {
            if (BCryptOpenAlgorithmProvider(&handle, algorithm, nullptr, 0) < 0) handle = nullptr;
        }
    };
    static const Opened sha1(BCRYPT_SHA1_ALGORITHM), sha256(BCRYPT_SHA256_ALGORITHM);
    BCRYPT_ALG_HANDLE handle = kind == DigestKind::Sha1 ? sha1.handle : sha256.handle;
    if (!handle) throw DigestError("Windows' CNG offers no such hash");
    return handle;
}

struct Digest::State {
    BCRYPT_HASH_HANDLE hash = nullptr;
    ULONG size = 0;
    ~State() {
        if (hash) BCryptDestroyHash(hash);
    }
};

Digest::Digest(DigestKind kind) : state(new State) {
    BCRYPT_ALG_HANDLE provider = Provider(kind);
    ULONG got = 0;
    // The hash object's memory is CNG's own when none is given.
    if (BCryptCreateHash(provider, &state->hash, nullptr, 0, nullptr, 0, 0) < 0 ||
        BCryptGetProperty(provider, BCRYPT_HASH_LENGTH, (PUCHAR)&state->size, sizeof state->size, &got, 0) < 0)
        throw DigestError("Windows' CNG can't start a hash");
}

Digest::~Digest() = default;

void Digest::add(const uint8_t* data, size_t size) {
    // The length is a ULONG: a larger chunk goes in parts.
    while (size) {
        ULONG part = (ULONG)std::min<size_t>(size, 1u << 30);
        if (BCryptHashData(state->hash, (PUCHAR)data, part, 0) < 0) throw DigestError("Windows' CNG can't hash");
        data += part;
        size -= part;
    }
}

Bytes Digest::finish() {
    Bytes out(state->size);
    if (BCryptFinishHash(state->hash, out.data(), state->size, 0) < 0)
        throw DigestError("Windows' CNG can't end a hash");
    return out;
}

}  // namespace sfx

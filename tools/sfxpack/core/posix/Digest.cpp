// The posix backend of the hashes: OpenSSL's EVP interface in libcrypto.
#include <openssl/evp.h>
#include "core/Digest.h"

namespace sfx {

struct Digest::State {
    EVP_MD_CTX* context = nullptr;
    ~State() { EVP_MD_CTX_free(context); }
};

Digest::Digest(DigestKind kind) : state(new State) {
    state->context = EVP_MD_CTX_new();
    const EVP_MD* method = kind == DigestKind::Sha1 ? EVP_sha1() : EVP_sha256();
    if (!state->context || !EVP_DigestInit_ex(state->context, method, nullptr))
        throw DigestError("libcrypto can't start a hash");
}

Digest::~Digest() = default;

void Digest::add(const uint8_t* data, size_t size) {
    if (size && !EVP_DigestUpdate(state->context, data, size)) throw DigestError("libcrypto can't hash");
}

Bytes Digest::finish() {
    Bytes out(EVP_MAX_MD_SIZE);
    unsigned int size = 0;
    if (!EVP_DigestFinal_ex(state->context, out.data(), &size)) throw DigestError("libcrypto can't end a hash");
    out.resize(size);
    return out;
}

}  // namespace sfx

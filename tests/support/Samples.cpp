// Test data shared by every host test: seeded, so every run and every test sees the same bytes.
#include "support/Samples.h"
#include <cstring>
#include <random>

sfx::Bytes ToBytes(const std::string& text) { return sfx::Bytes(text.begin(), text.end()); }
std::string ToText(const sfx::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

sfx::Bytes TextLike(size_t size, unsigned seed) {
    static const char* words[] = {"setup ", "install ", "file ", "the ", "program ", "folder ", "\r\n", "data "};
    std::mt19937 random(seed);
    sfx::Bytes out;
    while (out.size() < size) {
        const char* word = words[random() % 8];
        out.insert(out.end(), word, word + std::strlen(word));
    }
    out.resize(size);
    return out;
}

sfx::Bytes Noise(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    sfx::Bytes out(size);
    for (uint8_t& b : out) b = (uint8_t)random();
    return out;
}

// Bytes and views of them: the types that every folder of sfxpack reads and writes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace sfx {

using Bytes = std::vector<uint8_t>;

// Receives bytes in order, a chunk at a time.
using ByteSink = std::function<void(const uint8_t* data, size_t size)>;

// Whoever holds the pages behind a view of a mapped file, and can let go of those read.
class PageKeeper {
public:
    // Lets the system take back the pages of a range that has been read, so that a long pass
    // over a large file keeps little of it in memory; a range looked at again is read again.
    virtual void release(const uint8_t* data, size_t size) const = 0;

protected:
    ~PageKeeper() = default;
};

// Bytes read in place: a vector's, or a mapped file's, which is never copied whole.
class ByteView {
public:
    ByteView() = default;
    ByteView(const uint8_t* data, size_t size, const PageKeeper* keeper = nullptr)
        : bytes(data), length(size), pages(keeper) {}
    // cppcheck-suppress noExplicitConstructor ; a vector passes wherever its view is wanted
    ByteView(const Bytes& vector) : bytes(vector.data()), length(vector.size()) {}  // NOLINT: a view of it
    const uint8_t* data() const { return bytes; }
    size_t size() const { return length; }
    bool empty() const { return length == 0; }
    const uint8_t* begin() const { return bytes; }
    const uint8_t* end() const { return bytes + length; }
    uint8_t operator[](size_t at) const { return bytes[at]; }

    // The first size bytes, on the same pages.
    ByteView first(size_t size) const { return ByteView(bytes, size, pages); }

    // Lets go of the pages of a range that has been read, where a mapping holds them; bytes in
    // memory stay as they are.
    void release(const uint8_t* data, size_t size) const {
        if (pages && size) pages->release(data, size);
    }

private:
    const uint8_t* bytes = nullptr;
    size_t length = 0;
    const PageKeeper* pages = nullptr;
};

}  // namespace sfx

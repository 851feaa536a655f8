// Writing installers: the stored forms of the directory, deflated members, and the whole tail
// laid out behind a stub. Host code, shared by sfxpack and the tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "stub/Format.h"

namespace sfx {

using Bytes = std::vector<uint8_t>;

// Bytes read in place: a vector's, or a mapped file's, which is never copied whole.
class ByteView {
public:
    ByteView() = default;
    ByteView(const uint8_t* data, size_t size, bool fromMapping = false)
        : bytes(data), length(size), isMapped(fromMapping) {}
    // cppcheck-suppress noExplicitConstructor ; a vector passes wherever its view is wanted
    ByteView(const Bytes& vector) : bytes(vector.data()), length(vector.size()) {}  // NOLINT: a view of it
    const uint8_t* data() const { return bytes; }
    size_t size() const { return length; }
    bool empty() const { return length == 0; }
    const uint8_t* begin() const { return bytes; }
    const uint8_t* end() const { return bytes + length; }
    uint8_t operator[](size_t at) const { return bytes[at]; }
    bool mapped() const { return isMapped; }  // mapped from a file: pages read can be let go

private:
    const uint8_t* bytes = nullptr;
    size_t length = 0;
    bool isMapped = false;
};

// The stored forms, little-endian, no padding. Lists and tables are written exactly as given,
// so callers can also write counts that lie.
class ByteWriter {
public:
    Bytes bytes;
    void put32(int32_t value);
    void putBytes(const void* data, size_t size);
    void putText(const std::string& text);                 // length, then the bytes
    void putList(const std::vector<std::string>& texts);   // count, then each text
    void putTable(const std::vector<int32_t>& values);     // count, then each value
};

// The format's numbers under the names the host code uses.
enum : int32_t { Signature = ArchiveSignature, Stored = MethodStored, Deflated = MethodDeflated };

// A member as it lies in the archive: its name, stored bytes and method.
struct Member {
    std::string name;
    Bytes stored;
    int32_t method = Stored;
};

// The named parts of the directory; the member tables are derived from the members.
struct Directory {
    std::string setupProgram;
    std::string projectFile;
    std::vector<std::string> supportFiles;
    std::vector<std::string> extraNames;
    std::string extraText;
};

// A deflated member's stored bytes: the 32-bit unpacked size, then a zlib stream (header 78 DA at
// level 9), with or without its Adler-32 check value.
Bytes DeflateMember(const Bytes& data, int level = 9, bool keepCheck = true);

// The nine directory items for members that start at the given offsets.
Bytes EncodeDirectory(const Directory& directory, const std::vector<Member>& members,
                      const std::vector<int32_t>& offsets);

// The stub, the members back to back, the directory, then the trailer (directory offset and
// signature), the directory ending exactly where the trailer begins.
Bytes BuildInstaller(const Bytes& stub, const Directory& directory, const std::vector<Member>& members);

// The 8-byte trailer.
Bytes Trailer(int32_t directoryOffset);

}  // namespace sfx

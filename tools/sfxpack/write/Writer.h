// Writing installers: the stored forms of the directory, deflated members, and the whole tail
// laid out behind a stub. Host code, shared by sfxpack and the tests.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "core/Bytes.h"
#include "stub/Format.h"

namespace sfx {

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
// The same from the member tables themselves.
Bytes EncodeDirectory(const Directory& directory, const std::vector<std::string>& names,
                      const std::vector<int32_t>& offsets, const std::vector<int32_t>& sizes,
                      const std::vector<int32_t>& methods);

// The stub, the members back to back, the directory, then the trailer (directory offset and
// signature), the directory ending exactly where the trailer begins.
Bytes BuildInstaller(const Bytes& stub, const Directory& directory, const std::vector<Member>& members);

// The 8-byte trailer.
Bytes Trailer(int32_t directoryOffset);

}  // namespace sfx

// Writing installers: stored forms, deflated members and the layout of the tail.
#include "write/Writer.h"
#include <stdexcept>
#include <zlib.h>

namespace sfx {

void ByteWriter::put32(int32_t value) {
    uint8_t stored[4];
    WriteLittle32(stored, value);
    putBytes(stored, sizeof stored);
}

void ByteWriter::putBytes(const void* data, size_t size) {
    const uint8_t* p = (const uint8_t*)data;
    bytes.insert(bytes.end(), p, p + size);
}

void ByteWriter::putText(const std::string& text) {
    put32((int32_t)text.size());
    putBytes(text.data(), text.size());
}

void ByteWriter::putList(const std::vector<std::string>& texts) {
    put32((int32_t)texts.size());
    for (const std::string& text : texts) putText(text);
}

void ByteWriter::putTable(const std::vector<int32_t>& values) {
    put32((int32_t)values.size());
    for (int32_t value : values) put32(value);
}

Bytes DeflateMember(const Bytes& data, int level, bool keepCheck) {
    uLongf bound = compressBound((uLong)data.size());
    Bytes out(DeflatedPrefixSize + bound);
    WriteLittle32(out.data(), (int32_t)data.size());
    uLongf streamSize = bound;
    if (compress2(out.data() + DeflatedPrefixSize, &streamSize, data.data(), (uLong)data.size(), level) != Z_OK)
        throw std::runtime_error("deflate failed");
    // The Adler-32 value is the stream's last 4 bytes.
    out.resize(DeflatedPrefixSize + streamSize - (keepCheck ? 0 : 4));
    return out;
}

Bytes EncodeDirectory(const Directory& directory, const std::vector<Member>& members,
                      const std::vector<int32_t>& offsets) {
    std::vector<std::string> names;
    std::vector<int32_t> sizes, methods;
    for (const Member& member : members) {
        names.push_back(member.name);
        sizes.push_back((int32_t)member.stored.size());
        methods.push_back(member.method);
    }
    return EncodeDirectory(directory, names, offsets, sizes, methods);
}

Bytes EncodeDirectory(const Directory& directory, const std::vector<std::string>& names,
                      const std::vector<int32_t>& offsets, const std::vector<int32_t>& sizes,
                      const std::vector<int32_t>& methods) {
    ByteWriter w;
    w.putText(directory.setupProgram);
    w.putText(directory.projectFile);
    w.putList(directory.supportFiles);
    w.putList(directory.extraNames);
    w.putList(names);
    w.putTable(offsets);
    w.putTable(sizes);
    w.putTable(methods);
    w.putText(directory.extraText);
    return w.bytes;
}

Bytes Trailer(int32_t directoryOffset) {
    ByteWriter w;
    w.put32(directoryOffset);
    w.put32(Signature);
    return w.bytes;
}

Bytes BuildInstaller(const Bytes& stub, const Directory& directory, const std::vector<Member>& members) {
    Bytes out = stub;
    std::vector<int32_t> offsets;
    for (const Member& member : members) {
        if (out.size() + member.stored.size() > INT32_MAX) throw std::runtime_error("installer over 2 GiB");
        offsets.push_back((int32_t)out.size());
        out.insert(out.end(), member.stored.begin(), member.stored.end());
    }
    int32_t directoryOffset = (int32_t)out.size();
    Bytes dir = EncodeDirectory(directory, members, offsets);
    out.insert(out.end(), dir.begin(), dir.end());
    Bytes trailer = Trailer(directoryOffset);
    out.insert(out.end(), trailer.begin(), trailer.end());
    return out;
}

}  // namespace sfx

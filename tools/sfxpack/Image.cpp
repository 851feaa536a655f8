// The end of a PE image, read from its headers with every field checked against the file.
#include "Image.h"
#include <algorithm>
#include <string>

namespace sfx {

static bool Read16(ByteView file, uint64_t at, uint32_t& value) {
    if (at + 2 > file.size()) return false;
    value = (uint32_t)file[at] | (uint32_t)file[at + 1] << 8;
    return true;
}

static bool Read32(ByteView file, uint64_t at, uint32_t& value) {
    if (at + 4 > file.size()) return false;
    value =
        (uint32_t)file[at] | (uint32_t)file[at + 1] << 8 | (uint32_t)file[at + 2] << 16 | (uint32_t)file[at + 3] << 24;
    return true;
}

int64_t ImageEnd(ByteView file) {
    uint32_t peOffset, sections, optionalSize, magic;
    if (file.size() < 0x40 || file[0] != 'M' || file[1] != 'Z') return -1;
    if (!Read32(file, 0x3C, peOffset)) return -1;
    uint64_t pe = peOffset;
    if (pe + 24 > file.size() || file[pe] != 'P' || file[pe + 1] != 'E' || file[pe + 2] || file[pe + 3]) return -1;
    if (!Read16(file, pe + 6, sections) || !Read16(file, pe + 20, optionalSize)) return -1;
    uint64_t optional = pe + 24;
    uint64_t table = optional + optionalSize;
    // The header alone, up to the end of the section table, is the least an image can be.
    uint64_t end = table + 40ull * sections;
    for (uint32_t i = 0; i < sections; ++i) {
        uint32_t rawSize, rawPointer;
        if (!Read32(file, table + 40ull * i + 16, rawSize) || !Read32(file, table + 40ull * i + 20, rawPointer))
            return (int64_t)end;  // the section table itself is cut short
        if (rawSize) end = std::max<uint64_t>(end, (uint64_t)rawPointer + rawSize);
    }
    // A signed executable carries its certificates behind the sections; they are not an archive.
    if (Read16(file, optional, magic)) {
        uint64_t directories = optional + (magic == 0x20B ? 112 : 96);
        uint32_t certificateOffset, certificateSize;
        if (optionalSize >= directories - optional + 40 && Read32(file, directories + 32, certificateOffset) &&
            Read32(file, directories + 36, certificateSize) && certificateSize)
            end = std::max<uint64_t>(end, (uint64_t)certificateOffset + certificateSize);
    }
    return (int64_t)end;
}

std::string StubProblem(ByteView stub) {
    uint32_t peOffset, machine, magic, subsystem, optionalSize;
    if (stub.size() < 0x40 || stub[0] != 'M' || stub[1] != 'Z' || !Read32(stub, 0x3C, peOffset))
        return "it is not a Windows executable (no MZ header)";
    uint64_t pe = peOffset;
    if (pe + 24 > stub.size() || stub[pe] != 'P' || stub[pe + 1] != 'E' || stub[pe + 2] || stub[pe + 3])
        return "it is not a Windows executable (no PE header)";
    Read16(stub, pe + 4, machine);
    Read16(stub, pe + 20, optionalSize);
    // The subsystem lies at the same place in the PE32 and PE32+ optional headers.
    const uint64_t optional = pe + 24, subsystemAt = 68;
    if (machine != 0x14C && machine != 0x8664) return "it is not built for i386 or x86-64 Windows";
    if (optionalSize < subsystemAt + 2 || !Read16(stub, optional, magic) || !Read16(stub, optional + subsystemAt, subsystem))
        return "its optional header is cut short";
    if (magic != (machine == 0x14C ? 0x10Bu : 0x20Bu)) return "its optional header does not match its machine";
    if (subsystem != 2) return "it is not a Windows GUI program (subsystem " + std::to_string(subsystem) + ")";
    int64_t end = ImageEnd(stub);
    if (end < 0 || (uint64_t)end > stub.size())
        return "it is cut short: its image needs " + std::to_string(end) + " bytes";
    if ((uint64_t)end < stub.size())
        return std::to_string(stub.size() - (uint64_t)end) + " bytes follow its image (an installer, or other data)";
    return "";
}

}  // namespace sfx

// A PE image's section table and data directories as its headers give them, every field checked
// against the file before it is used: what branding rewrites and what list reads resources from.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "core/Bytes.h"

namespace sfx {

// Where the fields lie beyond those the stub itself reads (stub/PeImage.h).
enum PeFields : uint32_t {
    InOptionalInitializedData = 8,
    InOptionalEntryPoint = 16,
    InOptionalSectionAlignment = 32,
    InOptionalFileAlignment = 36,
    InOptionalImageSize = 56,
    InSectionVirtualSize = 8,
    InSectionVirtualAddress = 12,
    InSectionCharacteristics = 36,
    ResourceDirectoryIndex = 2,
    SectionInitializedData = 0x40,
};

struct PeSection {
    uint64_t header = 0;  // file offset of its 40-byte header
    uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawPointer = 0, characteristics = 0;
};

struct PeSections {
    uint64_t optional = 0;  // file offset of the optional header
    bool plus = false;      // PE32+
    uint32_t sectionAlignment = 0, fileAlignment = 0;
    uint64_t directories = 0;     // file offset of the first data directory entry
    uint32_t directoryCount = 0;  // entries that lie inside the optional header
    std::vector<PeSection> sections;
};

// Empty when read; else why the headers can't be used.
std::string ReadPeSections(ByteView file, PeSections& pe);

// A data directory entry (RVA and size); both 0 when the headers hold no such entry.
void DataDirectory(ByteView file, const PeSections& pe, uint32_t index, uint32_t& rva, uint32_t& size);

// The section whose address range holds the RVA, or null.
const PeSection* SectionAt(const PeSections& pe, uint32_t rva);

// The section's raw bytes that the file holds and the loader maps.
ByteView SectionBytes(ByteView file, const PeSection& section);

}  // namespace sfx

// Reading a PE image's section table and data directories without trusting them.
#include "pe/PeSections.h"
#include <algorithm>
#include "core/LittleEndian.h"
#include "stub/PeImage.h"

namespace sfx {

static std::string ReadOptional(ByteView file, uint64_t signature, PeSections& pe) {
    uint32_t optionalSize = Le16(file, signature + InPeOptionalSize);
    pe.optional = signature + PeOptionalHeader;
    if (!Fits(file, pe.optional, optionalSize) || optionalSize < InOptionalDirectoriesPe32)
        return "its optional header is cut short";
    uint16_t magic = Le16(file, pe.optional);
    if (magic != OptionalMagicPe32 && magic != OptionalMagicPe32Plus) return "its optional header is of no known kind";
    pe.plus = magic == OptionalMagicPe32Plus;
    uint32_t directoriesIn = pe.plus ? InOptionalDirectoriesPe32Plus : InOptionalDirectoriesPe32;
    if (optionalSize < directoriesIn) return "its optional header is cut short";
    pe.sectionAlignment = Le32(file, pe.optional + InOptionalSectionAlignment);
    pe.fileAlignment = Le32(file, pe.optional + InOptionalFileAlignment);
    pe.directories = pe.optional + directoriesIn;
    // The count sits just before the entries; entries past the optional header's end don't count.
    pe.directoryCount = std::min(Le32(file, pe.directories - 4), (optionalSize - directoriesIn) / DirectoryEntrySize);
    return "";
}

std::string ReadPeSections(ByteView file, PeSections& pe) {
    pe = PeSections();
    if (!Fits(file, 0, DosHeaderSize) || Le16(file, 0) != DosSignature) return "it is not a Windows executable";
    uint64_t signature = Le32(file, DosPeOffsetField);
    if (!Fits(file, signature, PeOptionalHeader) || Le32(file, signature) != PeSignature)
        return "it is not a Windows executable";
    std::string why = ReadOptional(file, signature, pe);
    if (!why.empty()) return why;
    uint32_t count = Le16(file, signature + InPeSectionCount);
    uint64_t table = pe.optional + Le16(file, signature + InPeOptionalSize);
    if (!Fits(file, table, (uint64_t)count * SectionHeaderSize)) return "its section table is cut short";
    for (uint32_t i = 0; i < count; ++i) {
        PeSection section;
        section.header = table + (uint64_t)i * SectionHeaderSize;
        section.virtualSize = Le32(file, section.header + InSectionVirtualSize);
        section.virtualAddress = Le32(file, section.header + InSectionVirtualAddress);
        section.rawSize = Le32(file, section.header + InSectionRawSize);
        section.rawPointer = Le32(file, section.header + InSectionRawPointer);
        section.characteristics = Le32(file, section.header + InSectionCharacteristics);
        pe.sections.push_back(section);
    }
    return "";
}

void DataDirectory(ByteView file, const PeSections& pe, uint32_t index, uint32_t& rva, uint32_t& size) {
    rva = size = 0;
    if (index >= pe.directoryCount) return;
    rva = Le32(file, pe.directories + (uint64_t)index * DirectoryEntrySize);
    size = Le32(file, pe.directories + (uint64_t)index * DirectoryEntrySize + 4);
}

const PeSection* SectionAt(const PeSections& pe, uint32_t rva) {
    for (const PeSection& section : pe.sections) {
        // A zero virtual size means the raw size, as the loader takes it.
        uint32_t extent = section.virtualSize ? section.virtualSize : section.rawSize;
        if (rva >= section.virtualAddress && rva - section.virtualAddress < extent) return &section;
    }
    return nullptr;
}

ByteView SectionBytes(ByteView file, const PeSection& section) {
    if (section.rawPointer >= file.size()) return ByteView();
    // Only the part within the virtual size is mapped; the rest of the raw data is never seen.
    uint32_t mapped = section.virtualSize ? std::min(section.virtualSize, section.rawSize) : section.rawSize;
    size_t size = (size_t)std::min<uint64_t>(mapped, file.size() - section.rawPointer);
    return ByteView(file.data() + section.rawPointer, size);
}

}  // namespace sfx

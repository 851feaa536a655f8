// The end of a PE image, whether it can be a stub, and its certificate table, read from its
// headers with every field checked against the file; the layout and the table's look-up are the
// stub's own.
#include "pe/Image.h"
#include <algorithm>
#include <cstring>
#include "core/Why.h"

namespace sfx {

static int32_t ReadBytes(void* source, uint32_t offset, void* buffer, int32_t count) {
    const ByteView& file = *(const ByteView*)source;
    if (count < 0 || offset > file.size()) return -1;
    size_t got = std::min<size_t>((size_t)count, file.size() - offset);
    if (got) std::memcpy(buffer, file.data() + offset, got);
    return (int32_t)got;
}

static bool ReadHeaders(ByteView file, PeHeaders& headers) {
    return file.size() <= UINT32_MAX && ReadPeHeaders(ReadBytes, (void*)&file, (uint32_t)file.size(), &headers);
}

// A little-endian field of 2 or 4 bytes; the caller has checked that it lies inside the file.
static uint32_t Get(ByteView file, uint64_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | file[at + (uint64_t)i];
    return value;
}

int64_t ImageEnd(ByteView file, bool withCertificates) {
    PeHeaders headers;
    if (!ReadHeaders(file, headers)) return -1;
    uint64_t table = headers.sectionTable;
    uint32_t sections = Get(file, headers.signature + InPeSectionCount, 2);
    // The header alone, up to the end of the section table, is the least an image can be.
    uint64_t end = table + (uint64_t)SectionHeaderSize * sections;
    for (uint32_t i = 0; i < sections; ++i) {
        uint64_t header = table + (uint64_t)SectionHeaderSize * i;
        if (header + SectionHeaderSize > file.size()) return (int64_t)end;  // the section table is cut short
        uint32_t rawSize = Get(file, header + InSectionRawSize, 4);
        if (rawSize) end = std::max<uint64_t>(end, (uint64_t)Get(file, header + InSectionRawPointer, 4) + rawSize);
    }
    // A signed executable carries its certificates behind the sections; they are not an archive.
    if (withCertificates && headers.certificateSize)
        end = std::max<uint64_t>(end, (uint64_t)headers.certificateOffset + headers.certificateSize);
    return (int64_t)end;
}

bool UsableAsStub(ByteView stub, std::string& why) {
    if (stub.size() < DosHeaderSize || Get(stub, 0, 2) != DosSignature)
        return Refuse(why, "it is not a Windows executable (no MZ header)");
    PeHeaders headers;
    if (!ReadHeaders(stub, headers)) return Refuse(why, "it is not a Windows executable (no PE header)");
    uint32_t machine = Get(stub, headers.signature + InPeMachine, 2);
    if (machine != MachineI386 && machine != MachineAmd64)
        return Refuse(why, "it is not built for i386 or x86-64 Windows");
    // The subsystem lies at the same place in the PE32 and PE32+ optional headers.
    uint64_t optional = headers.signature + PeOptionalHeader, subsystemEnd = optional + InOptionalSubsystem + 2;
    if (headers.sectionTable < subsystemEnd || subsystemEnd > stub.size())
        return Refuse(why, "its optional header is cut short");
    uint32_t magic = Get(stub, optional, 2), subsystem = Get(stub, optional + InOptionalSubsystem, 2);
    if (magic != (machine == MachineI386 ? (uint32_t)OptionalMagicPe32 : (uint32_t)OptionalMagicPe32Plus))
        return Refuse(why, "its optional header does not match its machine");
    if (subsystem != SubsystemWindowsGui)
        return Refuse(why, "it is not a Windows GUI program (subsystem " + std::to_string(subsystem) + ")");
    int64_t end = ImageEnd(stub);
    if (end < 0 || (uint64_t)end > stub.size())
        return Refuse(why, "it is cut short: its image needs " + std::to_string(end) + " bytes");
    if ((uint64_t)end < stub.size())
        return Refuse(why, std::to_string(stub.size() - (uint64_t)end) +
                               " bytes follow its image (an installer, or other data)");
    return true;
}

int32_t FindCertificates(ByteView file, CertificateTable& table) {
    table = CertificateTable{0, 0, 0};
    if (file.size() > INT32_MAX) return 0;
    return FindCertificateTable(ReadBytes, (void*)&file, (int32_t)file.size(), &table);
}

bool HasSecurityEntry(ByteView file, PeHeaders& headers) {
    return ReadHeaders(file, headers) && headers.certificateSize;
}

bool SigningFields(ByteView file, uint64_t& checksum, uint64_t& securityEntry) {
    PeHeaders headers;
    if (!ReadHeaders(file, headers)) return false;
    checksum = (uint64_t)headers.signature + PeOptionalHeader + InOptionalChecksum;
    securityEntry = headers.securityEntry;
    return checksum + 4 <= file.size() && securityEntry + DirectoryEntrySize <= file.size();
}

bool IsPe32Plus(ByteView file) {
    PeHeaders headers;
    uint64_t magic = 0;
    if (ReadHeaders(file, headers)) magic = (uint64_t)headers.signature + PeOptionalHeader;
    return magic && magic + 2 <= file.size() && Get(file, magic, 2) == OptionalMagicPe32Plus;
}

uint32_t PeChecksum(ByteView file, uint64_t checksumField) {
    auto byte = [&](uint64_t at) -> uint32_t {
        return at >= file.size() || (at >= checksumField && at < checksumField + 4) ? 0 : file[at];
    };
    uint64_t sum = 0;
    for (uint64_t at = 0; at < file.size(); at += 2) {
        sum += byte(at) | byte(at + 1) << 8;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return (uint32_t)(sum + file.size());
}

Unsigned RemoveSignature(Bytes& stub) {
    PeHeaders headers;
    if (!HasSecurityEntry(stub, headers)) return Unsigned::NotSigned;
    CertificateTable table;
    FindCertificates(stub, table);
    if (table.size) {
        stub.resize(table.offset);
        // Signing padded the image with zeros up to a multiple of 8: they go with the table, so
        // that the stub ends where its image does.
        int64_t image = ImageEnd(stub, false);
        while (image >= 0 && (uint64_t)image < stub.size() && stub.size() - (uint64_t)image <= MaxCertificatePadding &&
               stub.back() == 0)
            stub.pop_back();
    }
    std::fill_n(stub.begin() + headers.securityEntry, (size_t)DirectoryEntrySize, 0);
    uint64_t checksum = (uint64_t)headers.signature + PeOptionalHeader + InOptionalChecksum;
    uint32_t value = PeChecksum(stub, checksum);
    for (int i = 0; i < 4; ++i) stub[checksum + (uint64_t)i] = (uint8_t)(value >> (8 * i));
    return table.size ? Unsigned::TableRemoved : Unsigned::EntryCleared;
}

}  // namespace sfx

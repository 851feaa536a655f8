// The PE headers' layout, and the certificate table of a signed executable found through them.
// Portable: the stub reads through its file routines, sfxpack from bytes in memory.
#pragma once
#include <stdint.h>

// Where the fields lie. Offsets named "In..." count from the start of the structure named.
enum PeLayout {
    DosSignature = 0x5A4D,         // "MZ", read as a little-endian 16-bit value
    DosHeaderSize = 0x40,
    DosPeOffsetField = 0x3C,       // the file offset of the "PE\0\0" signature
    PeSignature = 0x4550,          // "PE\0\0", read as a little-endian 32-bit value
    InPeMachine = 4,               // from the signature on: the 20-byte file header follows it
    InPeSectionCount = 6,
    InPeOptionalSize = 20,
    PeOptionalHeader = 24,         // the optional header follows the file header
    OptionalMagicPe32 = 0x10B,
    OptionalMagicPe32Plus = 0x20B,
    InOptionalChecksum = 64,       // the same in both forms
    InOptionalSubsystem = 68,      // the same in both forms
    InOptionalDirectoriesPe32 = 96,
    InOptionalDirectoriesPe32Plus = 112,
    DirectoryEntrySize = 8,        // a file offset (for this entry) and a size
    SecurityDirectoryIndex = 4,
    SectionHeaderSize = 40,
    InSectionRawSize = 16,
    InSectionRawPointer = 20,
    MachineI386 = 0x14C,
    MachineAmd64 = 0x8664,
    SubsystemWindowsGui = 2,
    // The longest stretch from the signature to the end of the security entry (PE32+).
    PeHeadersToSecurityEnd =
        PeOptionalHeader + InOptionalDirectoriesPe32Plus + (SecurityDirectoryIndex + 1) * DirectoryEntrySize,
    // Signing pads the file with zeros to a multiple of 8 before appending the table.
    MaxCertificatePadding = 7,
};

// Reads count bytes at a file offset: the number of bytes delivered, or -1.
typedef int32_t (*ReadAtFn)(void* source, uint32_t offset, void* buffer, int32_t count);

// What the headers say, each value read from the file.
struct PeHeaders {
    uint32_t signature;        // file offset of "PE\0\0"
    uint32_t sectionTable;     // file offset of the first section header
    uint32_t securityEntry;    // file offset of the security entry; 0 when the headers hold none
    uint32_t certificateOffset;
    uint32_t certificateSize;
};

// A certificate table that lies inside the file and ends it, and the zero bytes that stand
// between the archive's trailer and the table.
struct CertificateTable {
    uint32_t offset;
    uint32_t size;
    uint32_t padding;
};

// 1 when the file starts with "MZ" and its PE signature and file header lie inside it.
int ReadPeHeaders(ReadAtFn read, void* source, uint32_t fileSize, PeHeaders* headers);

// Where the archive's trailer ends in a signed file, or 0 when none stands there. The table's
// offset and size are filled when the security entry records one that ends the file exactly and
// leaves room for the headers and a trailer before it (the caller sets size 0 beforehand to tell);
// the trailer may stand behind at most 7 zero bytes, and padding is filled when it does.
int32_t FindCertificateTable(ReadAtFn read, void* source, int32_t fileSize, CertificateTable* table);

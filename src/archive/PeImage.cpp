// Finding the certificate table through the PE headers, trusting no field: every offset is
// checked against the file size before it is read.
#include "stub/PeImage.h"
#include "stub/Format.h"

// Inlined: each read is then one load on x86, where the stub's size is counted.
#define SFX_INLINE inline __attribute__((always_inline))

static SFX_INLINE uint32_t Le16(const unsigned char* bytes) { return (uint32_t)bytes[0] | (uint32_t)bytes[1] << 8; }

// Not Format.h's ReadLittle32: in its place the 32-bit stub's code grew by about 100 bytes.
static SFX_INLINE uint32_t Le32(const unsigned char* bytes) { return Le16(bytes) | Le16(bytes + 2) << 16; }

// Inlined into the stub's one caller, where the fields then live in registers.
static SFX_INLINE int ReadHeaders(ReadAtFn read, void* source, uint32_t fileSize, PeHeaders* headers) {
    unsigned char bytes[PeHeadersToSecurityEnd];
    if (read(source, 0, bytes, DosHeaderSize) != DosHeaderSize) return 0;
    uint32_t pe = Le32(bytes + DosPeOffsetField);
    if (Le16(bytes) != DosSignature || pe > fileSize - PeOptionalHeader) return 0;
    // A read that meets the end of the file delivers less: the lengths below are checked against it.
    int32_t got = read(source, pe, bytes, sizeof bytes);
    if (got < PeOptionalHeader + 2 || Le32(bytes) != PeSignature) return 0;
    uint32_t optionalSize = Le16(bytes + InPeOptionalSize);
    headers->signature = pe;
    headers->sectionTable = pe + PeOptionalHeader + optionalSize;
    headers->securityEntry = headers->certificateOffset = headers->certificateSize = 0;

    // The entry counts only in an optional header we know, long enough to hold it, whose
    // directory count (just before the directories) includes it.
    const unsigned char* optional = bytes + PeOptionalHeader;
    uint32_t magic = Le16(optional);
    uint32_t directories = magic == OptionalMagicPe32Plus ? InOptionalDirectoriesPe32Plus
                           : magic == OptionalMagicPe32   ? InOptionalDirectoriesPe32
                                                          : 0;
    uint32_t entry = directories + SecurityDirectoryIndex * DirectoryEntrySize;
    if (directories && optionalSize >= entry + DirectoryEntrySize &&
        (uint32_t)got >= PeOptionalHeader + entry + DirectoryEntrySize &&
        Le32(optional + directories - 4) > SecurityDirectoryIndex) {
        headers->securityEntry = pe + PeOptionalHeader + entry;
        headers->certificateOffset = Le32(optional + entry);
        headers->certificateSize = Le32(optional + entry + 4);
    }
    return 1;
}

int ReadPeHeaders(ReadAtFn read, void* source, uint32_t fileSize, PeHeaders* headers) {
    return fileSize >= DosHeaderSize && ReadHeaders(read, source, fileSize, headers);
}

int32_t FindCertificateTable(ReadAtFn read, void* source, int32_t fileSize, CertificateTable* table) {
    PeHeaders headers;
    // Too short for the DOS header, or too long for 32 signed bits.
    if (fileSize < DosHeaderSize || !ReadHeaders(read, source, (uint32_t)fileSize, &headers)) return 0;
    uint32_t offset = headers.certificateOffset, size = headers.certificateSize;
    // Unsigned arithmetic throughout: a table that wraps or lies beyond the file fails here too,
    // and one that starts inside the headers, or leaves no room for a trailer, is no table.
    if (!size || size > (uint32_t)fileSize || offset != (uint32_t)fileSize - size ||
        offset < headers.sectionTable + 8 + MaxCertificatePadding)
        return 0;
    table->offset = offset;
    table->size = size;

    // The trailer's signature starts with a non-zero byte, so at most one amount of padding fits.
    unsigned char tail[8 + MaxCertificatePadding];
    if (read(source, offset - sizeof tail, tail, sizeof tail) != (int32_t)sizeof tail) return 0;
    for (uint32_t padding = 0; padding <= MaxCertificatePadding; ++padding) {
        if (padding && tail[sizeof tail - padding]) break;
        if (Le32(tail + sizeof tail - padding - 4) == (uint32_t)ArchiveSignature) {
            table->padding = padding;
            return (int32_t)(offset - padding);
        }
    }
    return 0;
}

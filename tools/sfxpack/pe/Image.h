// A Windows executable's headers as sfxpack needs them: where the image ends, to tell a bare
// stub from a cut installer, whether it can serve as a stub, and the certificate table that
// signing appends.
#pragma once
#include <cstdint>
#include <string>
#include "core/Bytes.h"
#include "stub/PeImage.h"

namespace sfx {

// The end of the last section's raw data (or of an attached certificate table, whichever lies
// further, unless told to leave it out), or -1 when the bytes do not start with a readable PE
// header. The end may lie past the end of the bytes when the file is cut short.
int64_t ImageEnd(ByteView file, bool withCertificates = true);

// Whether the bytes can serve as a stub, and why not: a stub is a PE image for i386 or x86-64
// with the Windows GUI subsystem that ends where its image ends, so that nothing hides behind
// it. A certificate table that ends the file counts as part of the image.
bool UsableAsStub(ByteView stub, std::string& why);

// The certificate table as the stub finds it: where the archive's trailer ends before it, or 0;
// table.size is 0 unless the security entry records a table that ends the file.
int32_t FindCertificates(ByteView file, CertificateTable& table);

// Whether the security entry records a table at all (a size of 0 records none), however
// inconsistent it is; the headers as read.
bool HasSecurityEntry(ByteView file, PeHeaders& headers);

// Where the two fields lie that signing rewrites: the PE checksum, and the security entry's 8
// bytes (securityEntry 0 when the headers hold none). False when the bytes start with no
// readable PE header, or the checksum lies outside them.
bool SigningFields(ByteView file, uint64_t& checksum, uint64_t& securityEntry);

// Whether the image is PE32+, a 64-bit one, by its optional header's magic.
bool IsPe32Plus(ByteView file);

// The PE checksum of the bytes as they stand, its own field counted as 0.
uint32_t PeChecksum(ByteView file, uint64_t checksumField);

enum class Unsigned { NotSigned, TableRemoved, EntryCleared };

// A stub's signature can't cover an archive appended behind it, so a signed stub loses it: the
// table is cut off when it ends the file (with the zeros that padded the image up to it), the
// security entry is cleared either way, and the checksum is made again for what is left (which
// gives an unsigned build back byte for byte).
Unsigned RemoveSignature(Bytes& stub);

}  // namespace sfx

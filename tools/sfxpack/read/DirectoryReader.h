// Loading the nine directory items as the stub loads them, bounded by the end of the file.
#pragma once
#include "core/Bytes.h"
#include "read/Inspection.h"

namespace sfx {

// The little-endian 32-bit value at a position already checked to hold four bytes.
int32_t Get32(ByteView file, uint64_t at);

// Reads the items from inspection.directoryOffset on, bounded by the end of the whole file as
// the stub's loaders are: in a signed installer that lies past the trailer, at the end of the
// certificate table. On failure the error is recorded and the result is false; negative list
// counts and a directory that does not end where the trailer begins are recorded as warnings.
bool LoadDirectory(ByteView file, Inspection& inspection);

}  // namespace sfx

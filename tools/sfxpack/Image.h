// Where a Windows executable's image ends in its file, to tell a bare stub from a cut installer.
#pragma once
#include <cstdint>
#include "Writer.h"

namespace sfx {

// The end of the last section's raw data (or of an attached certificate table, whichever lies
// further), or -1 when the bytes do not start with a readable PE header. The end may lie past
// the end of the bytes when the file is cut short.
int64_t ImageEnd(ByteView file);

}  // namespace sfx

// Where a Windows executable's image ends in its file, to tell a bare stub from a cut installer.
#pragma once
#include <cstdint>
#include <string>
#include "Writer.h"

namespace sfx {

// The end of the last section's raw data (or of an attached certificate table, whichever lies
// further), or -1 when the bytes do not start with a readable PE header. The end may lie past
// the end of the bytes when the file is cut short.
int64_t ImageEnd(ByteView file);

// Why the bytes can't be a stub, or empty: a stub is a PE image for i386 or x86-64 with the
// Windows GUI subsystem that ends where its image ends, so that nothing hides behind it.
std::string StubProblem(ByteView stub);

}  // namespace sfx

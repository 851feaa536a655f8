// Reading an installer without trusting it: the trailer, the nine directory items, the member
// table and everything the stub would trip on. Works on bytes in memory and never throws on bad
// input.
#pragma once
#include "core/Bytes.h"
#include "read/Inspection.h"

namespace sfx {

// The trailer is looked for as the stub looks: at the end of the file, else before the
// certificate table of a signed file. Members must lie before the trailer's end.
Inspection Inspect(ByteView file);

}  // namespace sfx

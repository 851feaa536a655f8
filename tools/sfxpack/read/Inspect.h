// Reading an installer without trusting it: the trailer, the nine directory items, the member
// table and everything the stub would trip on. Works on bytes in memory and never throws on bad
// input.
#pragma once
#include "core/Bytes.h"
#include "core/CodePage.h"
#include "read/Inspection.h"

namespace sfx {

// The trailer is looked for as the stub looks: at the end of the file, else before the
// certificate table of a signed file. Members must lie before the trailer's end. Names are
// shown, and checked against Windows' rules, as characters of the code page given.
Inspection Inspect(ByteView file, int codePage = DefaultCodePage);

}  // namespace sfx

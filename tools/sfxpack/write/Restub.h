// Moving an archive behind another stub: the tail is copied as it is, and the absolute member
// offsets and the directory offset move by the difference in stub size.
#pragma once
#include <stdexcept>
#include "core/Bytes.h"
#include "read/Inspection.h"

namespace sfx {

struct RestubError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The result is unsigned: a signed installer's certificate table is left behind.
// Throws RestubError when the layout can't be trusted: no directory, members whose tables are
// short or whose bytes lie outside the file, or offsets that would leave 32 bits.
Bytes Restub(ByteView file, const Inspection& inspection, ByteView stub);

}  // namespace sfx

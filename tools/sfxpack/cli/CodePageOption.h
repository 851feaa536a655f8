// --codepage N, which every command that reads or writes names takes: the ANSI code page of the
// Windows machines the installer is for.
#pragma once
#include <string>
#include "cli/Args.h"
#include "write/Pack.h"

namespace sfx {

// The code page of the option just read; a usage error, listing the known ones, for any other.
int ReadCodePage(Args& args, const std::string& command);

// Every member name made from UTF-8 into the code page. A name with a character the code page
// can't hold stops create (exit 2, nothing written); names that look meant for a code page of
// the other kind (single-byte or double-byte) are warned about.
void EncodeNames(PackInputs& inputs, int codePage);

}  // namespace sfx

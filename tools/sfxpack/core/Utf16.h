// Text as Windows resources hold it: UTF-16 code units, made from and read back to UTF-8.
#pragma once
#include <stdint.h>
#include <string>

namespace sfx {

// False when the text is not valid UTF-8 (as Utf8Length judges each sequence).
bool Utf8ToUtf16(const std::string& text, std::u16string& out);

// Appends one code point (up to U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, uint32_t code);

// Unpaired surrogates, which a hostile file may hold, become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);

}  // namespace sfx

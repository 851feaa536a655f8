// Text as Windows resources hold it: UTF-16 code units, made from and read back to UTF-8.
#pragma once
#include <string>

namespace sfx {

// False when the text is not valid UTF-8 (as Utf8Length judges each sequence).
bool Utf8ToUtf16(const std::string& text, std::u16string& out);

// Unpaired surrogates, which a hostile file may hold, become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);

}  // namespace sfx

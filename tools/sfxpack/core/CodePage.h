// Member names in a Windows ANSI code page: the stub opens files through the ANSI calls, so a
// name's bytes are read in the code page of the machine that runs it. Names are made from UTF-8
// and read back to UTF-8 through the system's own tables (iconv, or the Windows conversion with
// best fit off), a character at a time, so that both builds give the same bytes.
#pragma once
#include <string>
#include <vector>

namespace sfx {

constexpr int DefaultCodePage = 1252;

// 874, 932, 936, 949, 950 and 1250-1258: the ANSI code pages Windows machines run with.
bool KnownCodePage(int codePage);
const std::vector<int>& KnownCodePages();

// The languages a code page serves, for help and messages: "Western Europe and the Americas".
const char* CodePageUse(int codePage);

// 932, 936, 949, 950, where a lead byte and the byte after it make one character.
bool DoubleByte(int codePage);

// The bytes of the character at name[at]: 2 for a lead byte with a byte after it in a
// double-byte code page (Windows reads the pair as one character whatever the second byte is),
// else 1.
size_t CharSize(const std::string& name, size_t at, int codePage);

// The name as Windows compares file names: read in the code page a character at a time, as
// UTF-16 upper-cased unit by unit (WindowsUpper), so that 'É' and 'é' give one key, and so do
// 'Ф' and 'ф', but a second byte of A-Z in a double-byte character is never folded on its own.
// Only equality tells: the key is two bytes a unit.
std::string CharKey(const std::string& name, int codePage);

// Whether the name holds a byte of A-Z that is the second byte of a double-byte character, which
// the stub folds while Windows does not.
bool FoldsInsideCharacter(const std::string& name, int codePage);

// The name in the code page. False when it is not valid UTF-8 or holds a character the code page
// can't hold; why then names the character ("U+4E2D '中'"), and the known code pages that can.
bool EncodeName(const std::string& utf8, int codePage, std::string& bytes, std::string& why);

// The known code pages that hold every character of the UTF-8 text.
std::vector<int> CodePagesHolding(const std::string& utf8);

// How bytes that are no character in the code page come out of DecodeName.
enum class Invalid {
    Escaped,   // \xNN, for messages (controls too, so a name can't drive a terminal)
    Percent,   // %NN, for the names of files extract writes: valid UTF-8 with no separator in it
    Replaced,  // U+FFFD, for JSON beside the exact bytes
};

// The name in UTF-8; clean, when given, is set false if any byte was no character.
std::string DecodeName(const std::string& bytes, int codePage, Invalid how, bool* clean = nullptr);

// The name decoded for messages: DecodeName(..., Invalid::Escaped).
std::string ShownName(const std::string& bytes, int codePage);

// The system's conversion of one character, from the backend (core/posix, core/win32): false
// when the code page has no such character.
bool SystemDecode(const std::string& bytes, int codePage, std::string& utf8);
bool SystemEncode(const std::string& utf8, int codePage, std::string& bytes);

}  // namespace sfx

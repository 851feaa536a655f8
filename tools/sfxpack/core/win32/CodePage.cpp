// The Windows backend of the code-page conversion: the system's own tables, with best fit off
// and invalid input refused, so that a character the code page lacks is never swapped for a
// look-alike.
#include <windows.h>
#include "core/CodePage.h"

namespace sfx {

static bool ToWide(UINT codePage, const std::string& in, WCHAR (&wide)[8], int& count) {
    count = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), (int)in.size(), wide, 8);
    return count > 0;
}

bool SystemDecode(const std::string& bytes, int codePage, std::string& utf8) {
    WCHAR wide[8];
    int count;
    if (!ToWide((UINT)codePage, bytes, wide, count)) return false;
    char out[32];
    int size = WideCharToMultiByte(CP_UTF8, 0, wide, count, out, sizeof out, nullptr, nullptr);
    if (size <= 0) return false;
    utf8.assign(out, (size_t)size);
    return true;
}

bool SystemEncode(const std::string& utf8, int codePage, std::string& bytes) {
    WCHAR wide[8];
    int count;
    if (!ToWide(CP_UTF8, utf8, wide, count)) return false;
    char out[16];
    BOOL usedDefault = FALSE;
    int size = WideCharToMultiByte((UINT)codePage, WC_NO_BEST_FIT_CHARS, wide, count, out, sizeof out, nullptr,
                                   &usedDefault);
    if (size <= 0 || usedDefault) return false;
    bytes.assign(out, (size_t)size);
    return true;
}

}  // namespace sfx

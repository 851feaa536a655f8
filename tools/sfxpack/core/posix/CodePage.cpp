// The posix backend of the code-page conversion: glibc's iconv, whose CPnnn tables are
// Windows' own (CP932 keeps 0x5C a backslash, as Windows does, where SHIFT_JIS makes it a yen).
#include <iconv.h>
#include <cerrno>
#include "core/CodePage.h"

namespace sfx {

static bool Convert(const char* to, const char* from, const std::string& in, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) return false;
    char buffer[16];
    char* input = const_cast<char*>(in.data());
    size_t inLeft = in.size(), outLeft = sizeof buffer;
    char* output = buffer;
    bool done = iconv(cd, &input, &inLeft, &output, &outLeft) != (size_t)-1 && inLeft == 0 &&
                iconv(cd, nullptr, nullptr, &output, &outLeft) != (size_t)-1;
    iconv_close(cd);
    if (done) out.assign(buffer, output);
    return done;
}

static std::string Name(int codePage) { return "CP" + std::to_string(codePage); }

bool SystemDecode(const std::string& bytes, int codePage, std::string& utf8) {
    return Convert("UTF-8", Name(codePage).c_str(), bytes, utf8);
}

bool SystemEncode(const std::string& utf8, int codePage, std::string& bytes) {
    return Convert(Name(codePage).c_str(), "UTF-8", utf8, bytes);
}

}  // namespace sfx

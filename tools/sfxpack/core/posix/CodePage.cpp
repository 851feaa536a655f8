// The posix backend of the code-page conversion: glibc's iconv, whose CPnnn tables are
// Windows' own (CP932 keeps 0x5C a backslash, as Windows does, where SHIFT_JIS makes it a yen).
#include <iconv.h>
#include <map>
#include <utility>
#include "core/CodePage.h"

namespace sfx {

// One conversion descriptor per direction and thread, kept for the thread's life: opening one
// costs far more than converting a character.
struct Descriptors {
    std::map<std::pair<std::string, std::string>, iconv_t> open;
    ~Descriptors() {
        for (auto& each : open)
            if (each.second != (iconv_t)-1) iconv_close(each.second);
    }
};

static iconv_t Descriptor(const std::string& to, const std::string& from) {
    thread_local Descriptors descriptors;
    auto [it, added] = descriptors.open.emplace(std::make_pair(to, from), (iconv_t)-1);
    if (added) it->second = iconv_open(to.c_str(), from.c_str());
    return it->second;
}

static bool Convert(const std::string& to, const std::string& from, const std::string& in, std::string& out) {
    iconv_t cd = Descriptor(to, from);
    if (cd == (iconv_t)-1) return false;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    char buffer[16];
    char* input = const_cast<char*>(in.data());
    size_t inLeft = in.size(), outLeft = sizeof buffer;
    char* output = buffer;
    bool done = iconv(cd, &input, &inLeft, &output, &outLeft) != (size_t)-1 && inLeft == 0 &&
                iconv(cd, nullptr, nullptr, &output, &outLeft) != (size_t)-1;
    if (done) out.assign(buffer, output);
    return done;
}

static std::string Name(int codePage) { return "CP" + std::to_string(codePage); }

bool SystemDecode(const std::string& bytes, int codePage, std::string& utf8) {
    return Convert("UTF-8", Name(codePage), bytes, utf8);
}

bool SystemEncode(const std::string& utf8, int codePage, std::string& bytes) {
    return Convert(Name(codePage), "UTF-8", utf8, bytes);
}

}  // namespace sfx

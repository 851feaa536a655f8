// The command line's tail, its words and what they ask for.
#include "driver/CommandTail.h"

static bool IsBlank(unsigned char c) { return c >= 1 && c <= ' '; }

const char* CommandTail(const char* commandLine, bool (*isLeadByte)(unsigned char)) {
    const unsigned char* p = (const unsigned char*)commandLine;
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) {
            // A trail byte may have the quote's value; never step over the terminator.
            if (isLeadByte(*p) && p[1]) ++p;
        }
        if (*p == '"') ++p;
    } else {
        while (*p > ' ') ++p;
    }
    while (IsBlank(*p)) ++p;
    return (const char*)p;
}

TailRequest ReadTail(const char* tail) {
    TailRequest request = {false, false, ""};
    const unsigned char* p = (const unsigned char*)tail;
    for (;;) {
        while (IsBlank(*p)) ++p;
        if (!*p) return request;
        const unsigned char* word = p;
        for (; *p && !IsBlank(*p); ++p)
            if ((*p | 0x20) == 'q') request.cleanUp = true;
        if (p - word != 2) continue;
        if (word[0] == '-' && word[1] == '-') {
            while (IsBlank(*p)) ++p;
            request.passedOn = (const char*)p;
            return request;
        }
        if (word[0] == '/' && (word[1] | 0x20) == 's') request.silent = true;
    }
}

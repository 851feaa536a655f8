// The command line's tail and the choice of mode.
#include "driver/CommandTail.h"

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
    while (*p >= 1 && *p <= ' ') ++p;
    return (const char*)p;
}

bool IsCleanUpMode(const char* tail) {
    for (; *tail; ++tail)
        if (*tail == 'q' || *tail == 'Q') return true;
    return false;
}

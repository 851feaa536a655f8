// PathString: joining a folder and a name with a backslash.
#include "foundation/PathString.h"

PathString& PathString::appendComponent(const char* name) {
    if (length != 0 && data[length - 1] != '\\') append(1, "\\");
    *this += name;
    return *this;
}

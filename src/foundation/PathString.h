// PathString: a String that can append a path component with a backslash.
#pragma once
#include "foundation/String.h"

class PathString : public String {
public:
    PathString() {}
    // Implicit on purpose, like String's.
    // cppcheck-suppress noExplicitConstructor
    PathString(const char* text) : String(text) {}
    ~PathString() override {}

    PathString& operator=(const char* text) {
        String::operator=(text);
        return *this;
    }

    // One backslash between the path and the name, unless the path is empty or ends in one.
    PathString& appendComponent(const char* name);
};

// String: a growable, zero-terminated byte string that owns its buffer and grows to exact fit.
#pragma once
#include <stdint.h>

class String {
public:
    String();
    // Implicit on purpose: a String stands in for a C text wherever one is taken.
    // cppcheck-suppress noExplicitConstructor
    String(const char* text);
    String(const String& other);
    virtual ~String();

    String& operator=(const String& other);
    String& operator=(const char* text);
    String& operator+=(const char* text);

    // Always a valid zero-terminated text; the shared empty buffer when empty.
    char* text() const { return data; }

    // Joins words with one blank, unless a blank or underscore already stands at the seam.
    String& appendSpaced(const char* text);

    // Makes the text n bytes long for the caller to fill: a fresh zero-filled buffer when n is
    // over the capacity (false, and no change, when the heap is out), else the same one cut.
    bool prepareLength(int32_t n) {
        if (n > capacity) return replaceWith(n, 0, 0, 0);
        setLength(n);
        return true;
    }

    void assign(int32_t n, const char* source);
    void append(int32_t n, const char* source);
    void setLength(int32_t n);
    void clear();
    void release();

    char* data;
    int32_t length;
    int32_t capacity;

protected:
    // A new buffer of exactly n + 1 bytes holding first then second, or false (and no change)
    // when the heap is out.
    bool replaceWith(int32_t n, const char* first, int32_t firstLength, const char* second);
};

// The one static byte that every empty String points at.
// A declaration only: the definition is constant-initialised, so nothing runs at start-up.
extern char SharedEmptyBuffer[1];  // NOLINT(bugprone-dynamic-static-initializers)

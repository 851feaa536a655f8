// The stub's own byte routines, built here under other names: overlaps both ways, signs, the end.
#include <gtest/gtest.h>
#include <string>
#define memcpy StubMemcpy
#define memset StubMemset
#define memmove StubMemmove
#define memcmp StubMemcmp
#define strlen StubStrlen
#define strchr StubStrchr
#include "driver/win32/Bytes.cpp"
#undef memcpy
#undef memset
#undef memmove
#undef memcmp
#undef strlen
#undef strchr

TEST(Bytes, MemmoveCopiesOverlapsInEitherDirection) {
    struct Case { int to, from, count; const char* want; };
    const Case cases[] = {
        {2, 0, 6, "ababcdefij"},  // target above source: copied from the top down
        {0, 2, 6, "cdefghghij"},  // target below source
        {3, 3, 4, "abcdefghij"},  // onto itself
        {1, 0, 0, "abcdefghij"},  // nothing
        {5, 0, 5, "abcdeabcde"},  // adjacent, no overlap
    };
    for (const Case& c : cases) {
        char buffer[] = "abcdefghij";
        EXPECT_EQ(StubMemmove(buffer + c.to, buffer + c.from, c.count), buffer + c.to);
        EXPECT_EQ(std::string(buffer), c.want) << c.to << " " << c.from << " " << c.count;
    }
}

TEST(Bytes, CopyAndFillTouchExactlyTheirBytes) {
    char buffer[] = "..........";
    EXPECT_EQ(StubMemset(buffer + 2, 0x1A7, 3), buffer + 2);  // only the low byte is stored
    EXPECT_EQ(std::string(buffer), "..\xA7\xA7\xA7.....");
    EXPECT_EQ(StubMemcpy(buffer + 6, "xyz", 3), buffer + 6);
    EXPECT_EQ(std::string(buffer), "..\xA7\xA7\xA7.xyz.");
}

TEST(Bytes, ComparisonsAreUnsignedAndTextsEndAtTheirZero) {
    EXPECT_EQ(StubMemcmp("abc", "abc", 3), 0);
    EXPECT_LT(StubMemcmp("ab\x01", "ab\xFF", 3), 0);  // bytes compare as unsigned
    EXPECT_GT(StubMemcmp("\x80", "\x7F", 1), 0);
    EXPECT_EQ(StubMemcmp("abX", "abY", 2), 0);
    EXPECT_EQ(StubStrlen(""), 0u);
    EXPECT_EQ(StubStrlen("c:\\_setup"), 9u);
    const char* path = "c:\\_setup";
    EXPECT_EQ(StubStrchr(path, ':'), path + 1);
    EXPECT_EQ(StubStrchr(path, 0), path + 9);  // the terminator itself is found
    EXPECT_EQ(StubStrchr(path, 'q'), nullptr);
    const char* accented = "t\xE9t";
    EXPECT_EQ(StubStrchr(accented, 0xE9), accented + 1);  // a byte above 127, passed as an int
}

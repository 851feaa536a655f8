// String and PathString: the shared empty buffer, exact-fit growth, self-append, the seams of
// appendSpaced, the stored form, and behaviour when the heap is out.
#include "archive/Directory.h"
#include "foundation/PathString.h"
#include "support/HostRun.h"
#include "system/Files.h"
#include "system/posix/HostControl.h"

TEST(StringBuffer, EmptyStringsShareOneStaticByte) {
    String a, b(""), c((const char*)nullptr);
    EXPECT_EQ(a.text(), SharedEmptyBuffer);
    EXPECT_EQ(b.text(), SharedEmptyBuffer);
    EXPECT_EQ(c.text(), SharedEmptyBuffer);
    a = "x";
    a.release();
    EXPECT_EQ(a.text(), SharedEmptyBuffer);
    // Clearing or emptying an empty string must never write into the shared byte.
    b.clear();
    b = "";
    b.setLength(0);
    EXPECT_EQ(SharedEmptyBuffer[0], 0);
    EXPECT_EQ(a.capacity, 0);
}

TEST(StringBuffer, GrowsToExactFitAndReusesALargerBuffer) {
    String s("abc");
    EXPECT_EQ(s.capacity, 3);
    s += "de";
    EXPECT_STREQ(s.text(), "abcde");
    EXPECT_EQ(s.capacity, 5);
    char* buffer = s.text();
    s = "xy";
    EXPECT_EQ(s.text(), buffer);
    EXPECT_EQ(s.capacity, 5);
    EXPECT_EQ(s.length, 2);
    EXPECT_STREQ(s.text(), "xy");
    s.clear();
    EXPECT_EQ(s.text(), buffer);
    EXPECT_STREQ(s.text(), "");
}

TEST(StringBuffer, AppendsAndAssignsItsOwnText) {
    String s("abc");
    s += s.text();
    EXPECT_STREQ(s.text(), "abcabc");
    s += s.text() + 4;  // the tail of itself, after a reallocation
    EXPECT_STREQ(s.text(), "abcabcbc");
    s = s.text() + 3;   // a shorter part of itself, in place
    EXPECT_STREQ(s.text(), "abcbc");
    s = s;
    EXPECT_STREQ(s.text(), "abcbc");
    String copy(s);
    EXPECT_NE(copy.text(), s.text());
    EXPECT_STREQ(copy.text(), "abcbc");
}

TEST(StringBuffer, AppendSpacedPutsOneBlankOnlyAtABareSeam) {
    struct Case { const char* left; const char* right; const char* joined; };
    const Case cases[] = {
        {"a", "b", "a b"},   {"a ", "b", "a b"},  {"a", " b", "a b"},  {"a_", "b", "a_b"},
        {"a", "_b", "a_b"},  {"", "b", "b"},      {"a", "", "a "},     {"c:\\_setup\\x_", "p", "c:\\_setup\\x_p"},
    };
    for (const Case& c : cases) {
        String s(c.left);
        s.appendSpaced(c.right);
        EXPECT_STREQ(s.text(), c.joined) << '"' << c.left << "\" + \"" << c.right << '"';
    }
}

TEST(StringBuffer, AppendComponentPutsOneBackslash) {
    PathString a("c:\\_setup"), b("c:\\_setup\\"), c;
    a.appendComponent("x.exe");
    b.appendComponent("x.exe");
    c.appendComponent("x.exe");
    EXPECT_STREQ(a.text(), "c:\\_setup\\x.exe");
    EXPECT_STREQ(b.text(), "c:\\_setup\\x.exe");
    EXPECT_STREQ(c.text(), "x.exe");
}

class StringLoad : public HostRun {};

TEST_F(StringLoad, ReadsTheWorkedExampleAndLeavesThePositionAfterIt) {
    FileHandle file = openBytes({0x03, 0x00, 0x00, 0x00, 'a', 'b', 'c', 0x01, 0x00, 0x00, 0x00, 'z'});
    String s("previous value that is long");
    ASSERT_EQ(LoadText(file, s), 1);
    EXPECT_STREQ(s.text(), "abc");
    EXPECT_EQ(s.length, 3);
    ASSERT_EQ(LoadText(file, s), 1);
    EXPECT_STREQ(s.text(), "z");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(StringLoad, ZeroLengthIsTheEmptyText) {
    String s;
    ASSERT_EQ(LoadText(openBytes({0, 0, 0, 0}), s), 1);
    EXPECT_STREQ(s.text(), "");
    EXPECT_EQ(SharedEmptyBuffer[0], 0);
}

TEST_F(StringLoad, RefusesNegativeAndOverlongLengths) {
    String s;
    EXPECT_EQ(LoadText(openBytes({0xFF, 0xFF, 0xFF, 0xFF, 'a'}), s), 0);
    EXPECT_EQ(LoadText(openBytes({0x00, 0x00, 0x00, 0x80}), s), 0);
    EXPECT_EQ(LoadText(openBytes({0x04, 0x00, 0x00, 0x00, 'a', 'b', 'c'}), s), 0);
    EXPECT_EQ(LoadText(openBytes({0x03, 0x00}), s), 0);
    EXPECT_EQ(LoadText(openBytes({}), s), 0);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(StringLoad, KeepsItsValueWhenTheHeapIsOut) {
    String s("old");
    HostFailCall(HostCall::AllocBlock, 0);
    s = "a longer value";
    EXPECT_STREQ(s.text(), "old");
    s += " and more";
    EXPECT_STREQ(s.text(), "old");
    EXPECT_EQ(LoadText(openBytes({0x05, 0, 0, 0, '1', '2', '3', '4', '5'}), s), 0);
    EXPECT_STREQ(s.text(), "old");
    HostResetFaults();
    s.appendSpaced("new");
    EXPECT_STREQ(s.text(), "old new");
}

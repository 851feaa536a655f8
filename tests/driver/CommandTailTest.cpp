// The command line's tail and what it asks: quoted and unquoted names, lead bytes, the q anywhere,
// the silent switch and the words passed on.
#include "driver/CommandTail.h"
#include <gtest/gtest.h>

namespace {
bool NoLeadBytes(unsigned char) { return false; }
// As in a double-byte code page such as 932: 0x81-0x9F and 0xE0-0xFC lead.
bool ShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
std::string Tail(const char* line, bool (*lead)(unsigned char) = NoLeadBytes) { return CommandTail(line, lead); }
}  // namespace

TEST(CommandTail, UnquotedNamesEndAtTheFirstBlankOrControlByte) {
    EXPECT_EQ(Tail("setup.exe /q"), "/q");
    EXPECT_EQ(Tail("setup.exe    \t  q"), "q");
    EXPECT_EQ(Tail("c:\\my files\\setup.exe x"), "files\\setup.exe x");  // a blank ends an unquoted name
    EXPECT_EQ(Tail("setup.exe"), "");
    EXPECT_EQ(Tail("setup.exe   "), "");
    EXPECT_EQ(Tail(""), "");
}

TEST(CommandTail, QuotedNamesRunToTheClosingQuote) {
    EXPECT_EQ(Tail("\"c:\\quiet files\\setup.exe\" /x"), "/x");
    EXPECT_EQ(Tail("\"c:\\q\\setup.exe\""), "");
    EXPECT_EQ(Tail("\"unterminated q"), "");
    EXPECT_EQ(Tail("\"a\"b c"), "b c");  // the tail starts right after the quote
}

TEST(CommandTail, ALeadByteTakesItsTrailByteAlongEvenIfItIsAQuote) {
    EXPECT_EQ(Tail("\"\x83\"x.exe\" q", ShiftJisLead), "q");
    EXPECT_EQ(Tail("\"\x83\"x.exe\" q", NoLeadBytes), "x.exe\" q");
    // A lead byte right before the terminator must not step over it.
    EXPECT_EQ(Tail("\"abc\x83", ShiftJisLead), "");
}

struct TailRow {
    const char* tail;
    bool cleanUp, silent;
    const char* passedOn;
};

// Words are raw bytes between blanks (1 to 32): no quoting, no lead bytes. Behind the first word
// "--" nothing counts but as words passed on, exactly as they stand.
TEST(ReadTail, ModeSwitchAndWordsPassedOn) {
    const TailRow rows[] = {
        {"", false, false, ""},
        {"q", true, false, ""},
        {"xyzQ", true, false, ""},
        {"a q b", true, false, ""},
        {"\xD1", false, false, ""},
        {"q -- /x", true, false, "/x"},
        {"-- /quiet", false, false, "/quiet"},
        {"/S", false, true, ""},
        {"/s", false, true, ""},
        {"/s/S", false, false, ""},
        {"a/S", false, false, ""},
        {"/S2", false, false, ""},
        {"/S q", true, true, ""},
        {"-- /S", false, false, "/S"},
        {"--x /S", false, true, ""},
        {"x-- y", false, false, ""},
        {"--", false, false, ""},
        {"/S --   ", false, true, ""},
        {"-- a -- q", false, false, "a -- q"},
        {"/S\t--\t\"c:\\my logs\\x.txt\"  tail ", false, true, "\"c:\\my logs\\x.txt\"  tail "},
        {"\"/S\" -- x", false, false, "x"},
        {"\"q x\" --", true, false, ""},
        // A double-byte character whose trail byte is q (0x71) still counts as a q.
        {"\x83q.txt -- \x83q", true, false, "\x83q"},
    };
    for (const TailRow& row : rows) {
        TailRequest request = ReadTail(row.tail);
        EXPECT_EQ(request.cleanUp, row.cleanUp) << row.tail;
        EXPECT_EQ(request.silent, row.silent) << row.tail;
        EXPECT_STREQ(request.passedOn, row.passedOn) << row.tail;
    }
}

TEST(ReadTail, OnlyTheTailCounts) {
    // A q in the program's own name, quoted or not, does not.
    EXPECT_FALSE(ReadTail(CommandTail("\"c:\\quiet\\setup.exe\"", NoLeadBytes)).cleanUp);
    EXPECT_FALSE(ReadTail(CommandTail("c:\\quiet\\setup.exe", NoLeadBytes)).cleanUp);
    EXPECT_TRUE(ReadTail(CommandTail("c:\\quiet\\setup.exe q", NoLeadBytes)).cleanUp);
}

// The command line's tail and the mode: quoted and unquoted names, lead bytes, the q anywhere.
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

TEST(CleanUpMode, AQAnywhereInTheTailChoosesCleanUp) {
    for (const char* tail : {"q", "Q", "/q", "-quiet", "xyzQ", "a q b"}) EXPECT_TRUE(IsCleanUpMode(tail)) << tail;
    for (const char* tail : {"", "/x", "-silent", "\xD1"}) EXPECT_FALSE(IsCleanUpMode(tail)) << tail;
    // Only the tail counts: a q in the program's own name, quoted or not, does not.
    EXPECT_FALSE(IsCleanUpMode(CommandTail("\"c:\\quiet\\setup.exe\"", NoLeadBytes)));
    EXPECT_FALSE(IsCleanUpMode(CommandTail("c:\\quiet\\setup.exe", NoLeadBytes)));
    EXPECT_TRUE(IsCleanUpMode(CommandTail("c:\\quiet\\setup.exe q", NoLeadBytes)));
}

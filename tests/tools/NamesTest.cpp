// Names: the stub's comparison, globs, printable forms, and the paths extract may write to.
#include <gtest/gtest.h>
#include "core/Names.h"
#include "core/WindowsUpper.h"
#include "read/SafePath.h"

TEST(Names, FoldOnlyAsciiLettersAndStopAtAZeroByte) {
    EXPECT_TRUE(sfx::SameName("Read_Me[1].TXT", "rEAD_mE[1].txt"));
    EXPECT_TRUE(sfx::SameName("AZ", "az"));  // both ends of the range
    // É and é in the Windows code page stay apart; so do the neighbours of A-Z and a-z.
    EXPECT_FALSE(sfx::SameName("\xC9.txt", "\xE9.txt"));
    EXPECT_FALSE(sfx::SameName("@[", "`{"));
    EXPECT_TRUE(sfx::SameName(std::string("a.dll\0junk", 10), "A.DLL"));
}

// Windows' table, as runs: every unit of a run, every other one, and deltas that wrap past 0xFFFF.
TEST(Names, WindowsUpperCasesTheBasicMultilingualPlane) {
    const std::pair<char16_t, char16_t> rows[] = {
        {u'a', u'A'}, {u'z', u'Z'}, {u'A', u'A'}, {u'{', u'{'}, {u'é', u'É'}, {u'ÿ', u'Ÿ'}, {u'ß', u'ß'},
        {u'ā', u'Ā'}, {u'Ā', u'Ā'}, {u'ф', u'Ф'}, {u'ё', u'Ё'}, {u'ａ', u'Ａ'}, {u'ꭰ', u'Ꭰ'}, {u'ɡ', u'Ɡ'},
        {0xD801, 0xD801}, {0xFFFF, 0xFFFF}};
    for (auto [unit, upper] : rows) EXPECT_EQ(sfx::WindowsUpper(unit), upper) << (unsigned)unit;
}

TEST(Names, GlobsMatchAsTheStubComparesNames) {
    EXPECT_TRUE(sfx::MatchGlob("*.DLL", "mfc42.dll"));
    EXPECT_TRUE(sfx::MatchGlob("setup.ex?", "SETUP.EXE"));
    EXPECT_TRUE(sfx::MatchGlob("a*b*c", "aXXbYYbZZc"));
    EXPECT_FALSE(sfx::MatchGlob("a*b*c", "aXXbYYbZZ"));
    EXPECT_FALSE(sfx::MatchGlob("readme", "readme.txt"));
    // Many stars against a long name must not take exponential time.
    EXPECT_FALSE(sfx::MatchGlob(std::string(40, '*') + "b", std::string(5000, 'a')));
}

TEST(Names, PrintableDefusesControlsAndBrokenUtf8) {
    EXPECT_EQ(sfx::Printable("caf\xC3\xA9 name.txt"), "caf\xC3\xA9 name.txt");
    EXPECT_EQ(sfx::Printable("caf\xE9"), "caf\\xe9");
    EXPECT_EQ(sfx::Printable("\x1B[2J\x7F"), "\\x1b[2J\\x7f");
    EXPECT_EQ(sfx::Printable("\xC2\x9B\xC0\xAF"), "\\xc2\\x9b\\xc0\\xaf");  // a C1 control, an overlong '/'
}

TEST(SafePath, NamesStayInsideTheFolderOrAreRefused) {
    std::vector<std::string> parts;
    std::string why;
    ASSERT_TRUE(sfx::SafeRelativePath("sub\\dir/./..name..txt", parts, why));
    EXPECT_EQ(parts, (std::vector<std::string>{"sub", "dir", "..name..txt"}));
    for (const char* name : {"..\\evil.exe", "a/../../b", "..", "c:\\windows\\x.dll", "C:x", "\\\\server\\share\\x",
                             "/etc/passwd", "\\rooted", "...", ". .", "", "dir/"}) {
        EXPECT_FALSE(sfx::SafeRelativePath(name, parts, why)) << name;
        EXPECT_FALSE(why.empty()) << name;
        EXPECT_TRUE(parts.empty()) << name;
    }
    EXPECT_FALSE(sfx::SafeRelativePath(std::string("a\0/../../x", 10), parts, why));
}

TEST(SafePath, WindowsRulesRefuseDevicesAndNamesWindowsWouldChange) {
    std::vector<std::string> parts;
    std::string why;
    for (const char* name : {"CON", "sub\\nul.txt", "Aux", "prn.", "com1.log", "LPT9", "con .txt", "CONOUT$",
                             "dir.\\x", "x ", "a?b", "a*b", "a|b", "a<b", "a\x01" "b", "a\"b"}) {
        EXPECT_TRUE(sfx::SafeRelativePath(name, parts, why, false)) << name;
        EXPECT_FALSE(sfx::SafeRelativePath(name, parts, why, true)) << name;
    }
    for (const char* name : {"console.txt", "com10", "lpt0", "nul_x", "a.b.c", "sub\\con1", ".hidden"})
        EXPECT_TRUE(sfx::SafeRelativePath(name, parts, why, true)) << name;
}

TEST(SafePath, ListFlagsExactlyTheNamesThatExtractRefusesOnWindows) {
    std::vector<std::string> parts;
    std::string why;
    for (const char* name : {"CON", "sub\\nul.txt", "prn.", "com1.log", "LPT9", "con .txt", "CONIN$", "conout$.log",
                             "dir.\\x", "x ", "a?b", "a|b", "a\x01" "b", "console.txt", "com10", "lpt0", "nul_x",
                             "a.b.c", "sub\\con1", ".hidden", "conin$x"}) {
        bool refused = sfx::SafeRelativePath(name, parts, why, false) && !sfx::SafeRelativePath(name, parts, why, true);
        EXPECT_EQ(!sfx::WindowsCanCreate(name, why), refused) << name;
    }
}

// Names: the stub's comparison, globs, printable forms, and the paths extract may write to.
#include <gtest/gtest.h>
#include "Names.h"
#include "SafePath.h"

using sfx::MatchGlob;
using sfx::SameName;

TEST(Names, FoldOnlyAsciiLettersAndStopAtAZeroByte) {
    EXPECT_TRUE(SameName("SETUP.EXE", "setup.exe"));
    EXPECT_TRUE(SameName("Read_Me[1].txt", "rEAD_mE[1].TXT"));
    // 0xC9 and 0xE9 are É and é in the Windows code page; the stub leaves them apart.
    EXPECT_FALSE(SameName("\xC9t\xE9.txt", "\xE9t\xE9.txt"));
    // '@' and '`' sit next to A and a; '[' and '{' next to Z and z: folding must not reach them.
    EXPECT_FALSE(SameName("@", "`"));
    EXPECT_FALSE(SameName("[", "{"));
    EXPECT_TRUE(SameName(std::string("a.dll\0junk", 10), "A.DLL"));
}

TEST(Names, GlobsMatchAsTheStubComparesNames) {
    EXPECT_TRUE(MatchGlob("*.DLL", "mfc42.dll"));
    EXPECT_TRUE(MatchGlob("setup.ex?", "SETUP.EXE"));
    EXPECT_TRUE(MatchGlob("*", ""));
    EXPECT_TRUE(MatchGlob("a*b*c", "aXXbYYbZZc"));
    EXPECT_TRUE(MatchGlob("**x", "x"));
    EXPECT_FALSE(MatchGlob("a*b*c", "aXXbYYbZZ"));
    EXPECT_FALSE(MatchGlob("?", ""));
    EXPECT_FALSE(MatchGlob("readme", "readme.txt"));
    // A long run of stars against a long name must not take exponential time.
    EXPECT_FALSE(MatchGlob(std::string(40, '*') + "b", std::string(5000, 'a')));
}

TEST(Names, PrintableEscapesControlsAndBrokenUtf8) {
    EXPECT_EQ(sfx::Printable("plain name.txt"), "plain name.txt");
    EXPECT_EQ(sfx::Printable("caf\xC3\xA9"), "caf\xC3\xA9");           // valid UTF-8 stays
    EXPECT_EQ(sfx::Printable("caf\xE9"), "caf\\xe9");                   // a code-page byte does not
    EXPECT_EQ(sfx::Printable("\x1B[2J\x7F"), "\\x1b[2J\\x7f");          // terminal escapes are defused
    EXPECT_EQ(sfx::Printable("\xC2\x9B"), "\\xc2\\x9b");                // a C1 control in UTF-8 too
    EXPECT_EQ(sfx::Printable("\xC0\xAF"), "\\xc0\\xaf");                // overlong '/'
    EXPECT_EQ(sfx::Printable(std::string("a\0b", 3)), "a\\x00b");
}

static std::string Joined(const std::string& name) {
    std::vector<std::string> parts;
    std::string why, joined;
    if (!sfx::SafeRelativePath(name, parts, why)) return "refused";
    for (const std::string& part : parts) joined += (joined.empty() ? "" : "/") + part;
    return joined;
}

TEST(SafePath, BackslashesSeparateFoldersAndHarmlessPartsDropOut) {
    EXPECT_EQ(Joined("setup.exe"), "setup.exe");
    EXPECT_EQ(Joined("sub\\dir/file.txt"), "sub/dir/file.txt");
    EXPECT_EQ(Joined("a//./b"), "a/b");
    EXPECT_EQ(Joined("..name..txt"), "..name..txt");  // dots inside a part are fine
}

TEST(SafePath, NamesThatLeaveTheFolderAreRefused) {
    for (const char* name : {"..\\evil.exe", "../evil", "a/../../b", "a\\..", "..", "c:\\windows\\x.dll", "C:x",
                             "d:", "\\\\server\\share\\x", "/etc/passwd", "\\rooted", "...", ". .", "", "dir/",
                             "./"}) {
        std::vector<std::string> parts;
        std::string why;
        EXPECT_FALSE(sfx::SafeRelativePath(name, parts, why)) << name;
        EXPECT_FALSE(why.empty()) << name;
        EXPECT_TRUE(parts.empty()) << name;
    }
    std::vector<std::string> parts;
    std::string why;
    EXPECT_FALSE(sfx::SafeRelativePath(std::string("a\0/../../x", 10), parts, why));
}

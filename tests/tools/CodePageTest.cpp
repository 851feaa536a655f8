// Names in Windows ANSI code pages: conversion both ways, refusals, bytes that are no character,
// and the path and clash rules going by characters where a second byte is '\' or a letter.
#include <gtest/gtest.h>
#include "PackTestSupport.h"
#include "core/CodePage.h"
#include "core/Names.h"
#include "read/Inspect.h"
#include "read/SafePath.h"
#include "write/Pack.h"

using sfx::Bytes;

namespace {

struct RoundTrip {
    int page;
    const char* utf8;
    std::string bytes;
};

const RoundTrip RoundTrips[] = {
    {1252, "\xC3\xA9\xC3\x9F\xE2\x82\xAC\xC5\x93.txt", "\xE9\xDF\x80\x9C.txt"},  // é ß € œ
    {1250, "\xC5\x81\xC3\xB3""d\xC5\xBA", "\xA3\xF3""d\x9F"},                       // Łódź
    {1251, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "\xCF\xF0\xE8\xE2\xE5\xF2"},  // Привет
    {1253, "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1", "\xC5\xEB\xEB\xDC\xE4\xE1"},  // Ελλάδα
    {932, "\xE8\xA1\xA8\xE3\x82\xBD\xE3\x82\xA2.txt", "\x95\x5C\x83\x5C\x83\x41.txt"},       // 表ソア: \ and A second
    {936, "\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4"},                                   // 中文
    {949, "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4", "\xC7\xD1\xB1\xB9\xBE\xEE"},               // 한국어
    {950, "\xE4\xB8\xAD\xE6\x96\x87", "\xA4\xA4\xA4\xE5"},                                   // 中文
    {874, "setup.exe", "setup.exe"},                                                         // ASCII as it is
};

TEST(CodePage, NamesRoundTripThroughEachCodePage) {
    for (const RoundTrip& row : RoundTrips) {
        std::string bytes, why;
        ASSERT_TRUE(sfx::EncodeName(row.utf8, row.page, bytes, why)) << row.page << ": " << why;
        EXPECT_EQ(bytes, row.bytes) << row.page;
        bool clean = false;
        EXPECT_EQ(sfx::DecodeName(row.bytes, row.page, sfx::Invalid::Percent, &clean), row.utf8) << row.page;
        EXPECT_TRUE(clean) << row.page;
    }
}

TEST(CodePage, CharactersACodePageLacksAreRefusedNamingThemAndWhereTheyFit) {
    struct Row {
        int page;
        const char* utf8;
        const char* why;
    };
    for (const Row& row : {
             Row{1252, "a\xE4\xB8\xAD.txt", "U+4E2D '\xE4\xB8\xAD' is not in code page 1252; code pages 932, 936, 949, 950 hold it"},
             Row{932, "\xF0\x9F\x98\x80", "U+1F600 '\xF0\x9F\x98\x80' is not in code page 932; no Windows ANSI code page holds it"},
             Row{1251, "caf\xC3\xA9", "code pages 936, 1250, 1252, 1254, 1256, 1257, 1258 hold it"},
             // The wave dash shares 932's bytes with the fullwidth tilde, which they read back as.
             Row{932, "\xE3\x80\x9C", "U+301C"},
             Row{1252, "caf\xE9", "not valid UTF-8 (byte \\xe9)"},
         }) {
        std::string bytes, why;
        EXPECT_FALSE(sfx::EncodeName(row.utf8, row.page, bytes, why)) << row.utf8;
        EXPECT_NE(why.find(row.why), std::string::npos) << why;
    }
}

TEST(CodePage, BytesThatAreNoCharacterAreEscapedNeverPassedOn) {
    struct Row {
        int page;
        std::string bytes, shown, written;
    };
    for (const Row& row : {
             Row{1252, "a\x81\x8D\x8F\x90\x9D", "a\\x81\\x8d\\x8f\\x90\\x9d", "a%81%8D%8F%90%9D"},
             Row{932, "x\x81", "x\\x81", "x%81"},                // a lone lead byte
             Row{932, "\x81\x2F" "a", "\\x81\\x2fa", "%81%2Fa"},  // a lead byte takes '/' with it
             Row{932, "\x80", "\\x80", "%80"},
             Row{1251, "\x1B[2J\x7F", "\\x1b[2J\\x7f", "\x1B[2J\x7F"},  // controls are valid, only never shown
         }) {
        bool clean = true;
        EXPECT_EQ(sfx::DecodeName(row.bytes, row.page, sfx::Invalid::Escaped, &clean), row.shown);
        EXPECT_EQ(sfx::DecodeName(row.bytes, row.page, sfx::Invalid::Percent), row.written);
        EXPECT_EQ(clean, row.page == 1251) << row.shown;
    }
}

// Each name read in 932 and in 1252, through the rules extract applies on Windows.
TEST(CodePage, PathRulesGoByCharactersInDoubleBytePages) {
    struct Row {
        std::string name;
        const char* parts932;  // parts joined with '|', or "refused"
        const char* parts1252;
    };
    auto parts = [](const std::string& name, int page) {
        std::vector<std::string> parts;
        std::string why, joined;
        if (!sfx::SafeRelativePath(name, parts, why, true, page)) return std::string("refused");
        for (const std::string& part : parts) joined += (joined.empty() ? "" : "|") + part;
        return joined;
    };
    for (const Row& row : {
             Row{"\x95\x5C.txt", "\x95\x5C.txt", "\x95|.txt"},            // 表: not a folder
             Row{"dir\\\x83\x5C", "dir|\x83\x5C", "refused"},              // ソ ends it, not a separator
             Row{"\x81\x7C.txt", "\x81\x7C.txt", "refused"},              // '|' as a second byte
             Row{"\x83\x5C..\\x", "refused", "refused"},                  // ends in dots under either
             Row{"\x83\x5C" "con.txt", "\x83\x5C" "con.txt", "refused"},  // CON only in 1252
             Row{"\x83\x5C..", "refused", "refused"},
             Row{"a\\..\\\x83\x5C", "refused", "refused"},
             Row{"\xFB\x5C.txt", "\xFB\x5C.txt", "\xFB|.txt"},  // lead bytes run to 0xFC
         })
        EXPECT_EQ(parts(row.name, 932) + " / " + parts(row.name, 1252),
                  std::string(row.parts932) + " / " + row.parts1252);
    // ア and ヂ differ in a second byte only: one file to the stub, two on disk.
    EXPECT_EQ(sfx::NameKey("\x83\x41"), sfx::NameKey("\x83\x61"));
    EXPECT_NE(sfx::PathKey("\x83\x41", 932), sfx::PathKey("\x83\x61", 932));
    EXPECT_EQ(sfx::PathKey("DIR/\x83\x41", 932), sfx::PathKey("dir\\\x83\x41", 932));
    EXPECT_EQ(sfx::PathKey("\x83\x41", 1252), sfx::PathKey("\x83\x61", 1252));
    for (int page : {936, 949, 950})  // their lead bytes start at 0x81
        EXPECT_NE(sfx::PathKey("\x81\x41", page), sfx::PathKey("\x81\x61", page)) << page;
}

// Windows upper-cases names as UTF-16 before it compares them, in the installer's code page.
TEST(CodePage, NamesWindowsTakesForOneFileAreWarnedOfInTheirCodePage) {
    struct Row {
        int page;
        std::string a, b;
        bool oneFile;
    };
    for (const Row& row : {
             Row{1252, "\xC9.txt", "\xE9.txt", true},      // É, é
             Row{1251, "\xD4.txt", "\xF4.txt", true},      // Ф, ф
             Row{1251, "\xDF.txt", "\xFF.txt", true},      // Я, я
             Row{1252, "\xDF.txt", "\xFF.txt", false},     // ß, ÿ
             Row{1252, "\x8A.txt", "\x9A.txt", true},      // Š, š: a capital inside a run of every other unit
             Row{1252, "\xF7.txt", "\xD7.txt", false},     // ÷, ×: between two runs, neither folds
             Row{1251, "\xD4.txt", "$.txt", false},        // Ф, $: U+0424 and U+0024 share a low byte
             Row{932, "\x82\x60", "\x82\x81", true},      // fullwidth Ａ, ａ
             Row{1252, "\x83\x5C.txt", "\x83/.txt", true},  // ƒ\.txt, ƒ/.txt
             Row{932, "\x83\x5C.txt", "\x83/.txt", false},  // ソ.txt, and a lead byte taking '/'
         }) {
        Bytes installer = sfx::BuildInstaller(PeStub(0x400), {"s.exe", "p.lst", {row.a, row.b}, {}, ""},
                                              {{"s.exe", ToBytes("S")}, {"p.lst", ToBytes("P")},
                                               {row.a, ToBytes("A")}, {row.b, ToBytes("B")}});
        bool warned = false;
        for (const sfx::Problem& problem : sfx::Inspect(installer, row.page).problems)
            warned = warned || problem.text.find("land on one path") != std::string::npos;
        EXPECT_EQ(warned, row.oneFile) << row.page << " " << row.a;
    }
}

TEST(CodePage, NamesTheStubFoldsTogetherOnlyThroughASecondByteAreNamedSo) {
    const std::string a = "\x83\x41.txt", b = "\x83\x61.txt";  // ア, ヂ
    Bytes installer = sfx::BuildInstaller(PeStub(0x400), {"s.exe", "p.lst", {a, b}, {}, ""},
                                          {{"s.exe", ToBytes("S")}, {"p.lst", ToBytes("P")}, {a, ToBytes("A")},
                                           {b, ToBytes("B")}});
    auto warned = [&](int page, const char* text) {
        for (const sfx::Problem& problem : sfx::Inspect(installer, page).problems)
            if (problem.text.find(text) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(warned(932, "\xE3\x83\x82.txt and \xE3\x82\xA2.txt are different names, but the stub folds"));
    EXPECT_TRUE(warned(1252, "the name repeats entry 2"));
    sfx::PackInputs inputs;
    inputs.setupProgram = {"s.exe", ToBytes("S")};
    inputs.projectFile = {"p.lst", ToBytes("P")};
    inputs.supportFiles = {{a, ToBytes("A")}, {b, ToBytes("B")}};
    sfx::PackOptions options;
    options.codePage = 932;
    try {
        sfx::Pack(inputs, options);
        ADD_FAILURE() << "packed two names the stub takes for one";
    } catch (const sfx::PackError& error) {
        EXPECT_NE(std::string(error.what()).find("are different names"), std::string::npos) << error.what();
    }
}

}  // namespace

class CodePageCommand : public ToolRun {
protected:
    void SetUp() override {
        ToolRun::SetUp();
        write("stub.exe", PeStub(0x600));
        write("in/setup.exe", TextLike(3000, 1));
        write("in/setup.lst", TextLike(400, 2));
    }
    int create(const std::string& output, std::vector<std::string> more) {
        std::vector<std::string> words = {"create", "-q", "-o", output, "--stub", "stub.exe", "--setup",
                                          "in/setup.exe", "--project", "in/setup.lst"};
        words.insert(words.end(), more.begin(), more.end());
        return run(words);
    }
};

TEST_F(CodePageCommand, NamesArePackedInTheCodePageAndExtractedUnderTheirUtf8Names) {
    const std::string table = "\xE8\xA1\xA8\xE3\x82\xBD.txt", privet = "\xD0\x9F\xD1\x80\xD0\xB8.txt";  // 表ソ, При
    write("in/" + table, ToBytes("T"));
    write("in/" + privet, ToBytes("P"));
    // The default, 1252, holds neither: nothing is written.
    ASSERT_EQ(create("x.exe", {"--support", "in/" + table}), 2);
    EXPECT_NE(err.find("U+8868"), std::string::npos) << err;
    EXPECT_FALSE(exists("x.exe"));
    // So are --member files and the files of a folder's subfolders.
    const std::string member = "\xE3\x82\xA2.txt", inFolder = "sub/\xE3\x82\xA4.txt";  // ア, イ
    write("in/" + member, ToBytes("M"));
    write("more/" + inFolder, ToBytes("F"));
    ASSERT_EQ(create("x.exe", {"--codepage", "932", "--support", "in/" + table, "--support", "in/" + privet,
                               "--member", "in/" + member, "more"}),
              0)
        << err;
    ASSERT_EQ(run({"list", "--json", "--codepage", "932", "x.exe"}), 0) << err;
    EXPECT_NE(out.find("\"name\": \"" + table + "\", \"nameHex\": \"955c835c2e747874\""), std::string::npos) << out;
    // The patterns, and the names they pick, are read in the code page given.
    ASSERT_EQ(run({"extract", "-q", "--codepage", "932", "-d", "out", "x.exe", "\xE8\xA1\xA8*", "*.txt"}), 0) << err;
    EXPECT_EQ(read("out/" + table), ToBytes("T"));
    EXPECT_EQ(read("out/" + privet), ToBytes("P"));
    EXPECT_EQ(read("out/" + member), ToBytes("M"));
    EXPECT_EQ(read("out/" + inFolder), ToBytes("F"));
    // Cyrillic alone fits 1251, which Russian machines run; 932 holds it too, with a warning.
    ASSERT_EQ(create("y.exe", {"--codepage=932", "--support", "in/" + privet}), 0) << err;
    EXPECT_NE(err.find("single-byte code page 1251 holds it too"), std::string::npos) << err;
}

TEST_F(CodePageCommand, NamesWindowsTakesForOneFileAreRefusedByCreateAndWarnedOfByListAndVerify) {
    write("in/\xC3\x89.txt", ToBytes("E"));  // É
    write("in/\xC3\xA9.txt", ToBytes("e"));  // é
    EXPECT_EQ(create("x.exe", {"--support", "in/\xC3\x89.txt", "--support", "in/\xC3\xA9.txt"}), 2);
    EXPECT_NE(err.find("\xC3\x89.txt and \xC3\xA9.txt are one file to Windows"), std::string::npos) << err;
    EXPECT_FALSE(exists("x.exe"));
    // Ф and ф in 1251, an installer packed by something else.
    write("y.exe", sfx::BuildInstaller(PeStub(0x400), {"s.exe", "p.lst", {"\xD4.txt", "\xF4.txt"}, {}, ""},
                                       {{"s.exe", ToBytes("S")}, {"p.lst", ToBytes("P")},
                                        {"\xD4.txt", ToBytes("F")}, {"\xF4.txt", ToBytes("f")}}));
    for (const char* command : {"list", "verify"}) {
        EXPECT_EQ(run({command, "--codepage", "1251", "y.exe"}), 0) << command << err;
        EXPECT_NE(err.find("\xD0\xA4.txt and \xD1\x84.txt land on one path"), std::string::npos) << command << err;
    }
}

TEST_F(CodePageCommand, AsciiNamesGiveTheSameBytesInEveryCodePage) {
    ASSERT_EQ(create("default.exe", {}), 0) << err;
    for (const char* page : {"1252", "932", "1251"}) {
        ASSERT_EQ(create(std::string("in") + page + ".exe", {"--codepage", page}), 0) << err;
        EXPECT_EQ(read(std::string("in") + page + ".exe"), read("default.exe")) << page;
    }
    EXPECT_EQ(create("z.exe", {"--codepage", "65001"}), 2);
    EXPECT_NE(err.find("--codepage takes a Windows ANSI code page"), std::string::npos) << err;
}

TEST_F(CodePageCommand, ANameWithBytesThatAreNoCharacterIsWrittenEscapedAndWarned) {
    write("odd.exe", sfx::BuildInstaller(PeStub(0x400), {"s.exe", "p.lst", {"caf\xE9\x81.txt"}, {}, ""},
                                         {{"s.exe", ToBytes("S")}, {"p.lst", ToBytes("P")},
                                          {"caf\xE9\x81.txt", ToBytes("C")}}));
    ASSERT_EQ(run({"extract", "-q", "-d", "out", "odd.exe"}), 0) << err;
    EXPECT_EQ(read("out/caf\xC3\xA9%81.txt"), ToBytes("C"));
    EXPECT_NE(err.find("caf\xC3\xA9\\x81.txt: bytes that are no character in code page 1252 are written as %NN"),
              std::string::npos)
        << err;
}

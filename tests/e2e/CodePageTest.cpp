// Names beyond ASCII under Wine: an installer packed on Linux in a code page unpacks, under a
// locale whose ANSI code page is that one, under exactly the names its author gave, and the
// set-up program opens each by its Unicode name. Wine takes its ANSI code page from LC_ALL.
#include <algorithm>
#include "core/CodePage.h"
#include "e2e/E2e.h"

namespace {

struct CodePageRow {
    const char* name;  // "win32" in it runs the PE32 stub, in the wine32 set
    const char* locale;
    const char* page;                // packed with --codepage
    std::vector<std::string> names;  // the project file, then the support files
    int readAs;                      // the locale's code page, when it is not the one packed
};

const CodePageRow CodePageRows[] = {
    {"Western1252", "en_US.UTF-8", "1252", {"proj\xC3\xA9t.lst", "caf\xC3\xA9.txt", "\xC3\x9F\xC5\x93\xE2\x82\xAC.dat"}, 0},
    {"Cyrillic1251", "ru_RU.UTF-8", "1251", {"\xD0\xBF\xD1\x80\xD0\xBE\xD0\xB5\xD0\xBA\xD1\x82.lst", "\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB.txt"}, 0},
    // 表 and ソ end in 0x5C, ア in A, データ in f, [ and ^; ﾃｽﾄ is single-byte kana.
    {"Japanese932", "ja_JP.UTF-8", "932",
     {"\xE8\xA1\xA8\xE3\x82\xBD.lst", "\xE3\x82\xA2.txt", "\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF.txt",
      "\xEF\xBE\x83\xEF\xBD\xBD\xEF\xBE\x84.dat"},
     0},
    {"Japanese932_win32", "ja_JP.UTF-8", "932", {"\xE8\xA1\xA8\xE3\x82\xBD.lst", "\xE3\x82\xA2.txt"}, 0},
    // The limit: bytes packed for 932 read in 1252 are other characters. アヂ is 83 41 83 61.
    {"Japanese932ReadIn1252", "en_US.UTF-8", "932", {"\xE3\x82\xA2\xE3\x83\x82.lst"}, 1252},
};

class CodePages : public E2e, public ::testing::WithParamInterface<CodePageRow> {
    const Stub& stubUnderTest() const override {
        return std::string(GetParam().name).find("win32") != std::string::npos ? Win32Stub() : Win64Stub();
    }
};

// The name a file gets on Windows: the bytes packed, read in the locale's code page.
std::string Arrives(const std::string& name, const CodePageRow& row) {
    if (!row.readAs) return name;
    std::string bytes, why;
    EXPECT_TRUE(sfx::EncodeName(name, std::stoi(row.page), bytes, why)) << why;
    return sfx::DecodeName(bytes, row.readAs, sfx::Invalid::Percent);
}

TEST_P(CodePages, NamesArriveAsTheAuthorGaveThem) {
    const CodePageRow& row = GetParam();
    std::string work = DriveC() + "/pack/", command = std::string(SfxpackPath) + " create -q --codepage " + row.page +
                                                      " -o '" + work + "setup.exe' --stub '" + stub.exe + "' --setup '" +
                                                      work + "in/setup.exe'";
    WriteHostFile(work + "in/setup.exe", probe);
    std::string listed;
    for (size_t i = 0; i < row.names.size(); ++i) {
        WriteHostFile(work + "in/" + row.names[i], TextLike(500, (unsigned)i + 1));
        command += (i ? " --support '" : " --project '") + work + "in/" + row.names[i] + "'";
        listed += row.names[i] + "\n";
    }
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    WriteHostFile(DriveC() + "/probe-names.txt", sfx::Bytes(listed.begin(), listed.end()));
    WineRun result = RunUnderWine(stub, "c:\\pack\\setup.exe", "", false, 600, std::string("LC_ALL=") + row.locale);
    EXPECT_EQ(result.exitCode, 0);

    std::vector<std::string> expected = {"setup.exe"};
    std::string note;
    for (size_t i = 0; i < row.names.size(); ++i) {
        expected.push_back(Arrives(row.names[i], row));
        EXPECT_EQ(ReadHostFile(setup(expected.back())), TextLike(500, (unsigned)i + 1)) << expected.back();
        note += (row.readAs ? "missing " : "opened ") + row.names[i] + "\n";
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesUnder(DriveC() + "/_setup"), expected);
    std::string probeSaid = probeNote();
    EXPECT_EQ(probeSaid.substr(probeSaid.find('\n') + 1), note);
}

INSTANTIATE_TEST_SUITE_P(Wide, CodePages, ::testing::ValuesIn(CodePageRows),
                         [](const ::testing::TestParamInfo<CodePageRow>& info) { return std::string(info.param.name); });

}  // namespace

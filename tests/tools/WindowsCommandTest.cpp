// sfxpack.exe, the Windows build, run under the 64-bit Wine loader: the round trip, bad input,
// and extraction that keeps to its folder under Windows' own path rules.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include "read/Inspect.h"
#include "core/Names.h"
#include "PackTestSupport.h"

using sfx::Bytes;
namespace fs = std::filesystem;

namespace {

// The shared prefix, made once per machine by the script, which prints where it is.
std::string WinePrefix() {
    std::string path;
    if (FILE* out = popen(("bash " + std::string(SourceDir) + "/scripts/wine-prefix.sh").c_str(), "r")) {
        char buffer[4096];
        while (fgets(buffer, sizeof buffer, out)) path = buffer;
        pclose(out);
    }
    while (!path.empty() && path.back() == '\n') path.pop_back();
    return path;
}

// Windows' C runtime ends text lines with CR LF.
std::string Lines(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

}  // namespace

class WindowsCommand : public ToolRun {
protected:
    void SetUp() override {
        ToolRun::SetUp();
        static const std::string prefix = WinePrefix();
        ASSERT_TRUE(fs::exists(SfxpackExe)) << "build the winpack preset first";
        ASSERT_TRUE(fs::exists(prefix + "/.sfx-ready")) << "run scripts/wine-prefix.sh first";
        // The tool ships as one folder with its stubs, so it finds them beside itself.
        fs::create_directories(path("tool"));
        fs::copy_file(SfxpackExe, path("tool/sfxpack.exe"));
        write("tool/sfxstub.exe", PeStub(0x800));
        // A fixed address layout, as for every Wine run of the tests (e2e/WineRun.cpp says why).
        // A UTF-8 locale, so that Wine hands sfxpack.exe (whose code page is UTF-8) its words as given.
        tool = {"setarch", "-R", "env", "-u", "DISPLAY", "LC_ALL=C.UTF-8", "WINEPREFIX=" + prefix, "WINEDEBUG=-all", "/usr/lib/wine/wine64",
                "tool/sfxpack.exe"};
        write("app/setup.exe", TextLike(30000, 1));
        write("app/setup.lst", TextLike(400, 2));
        write("app/readme.txt", TextLike(5000, 3));
        write("app/data/colors.ini", TextLike(2000, 4));
    }

    int runWindows(const std::vector<std::string>& arguments, const std::string& input = "") {
        int code = run(arguments, input);
        out = Lines(out);
        err = Lines(err);
        return code;
    }

    void expectFailure(int code, int expected, const std::string& part) {
        EXPECT_EQ(code, expected) << err;
        EXPECT_EQ(err.rfind("sfxpack: ", 0), 0u) << err;
        EXPECT_NE(err.find(part), std::string::npos) << part << "\n" << err;
    }
};

TEST_F(WindowsCommand, RoundTripWithTheStubBesideTheToolGivesTheLinuxToolsBytes) {
    ASSERT_EQ(runWindows({"--version"}), 0) << err;
    EXPECT_NE(out.find("sfxstub.exe, 2048 bytes"), std::string::npos) << out;
    ASSERT_EQ(runWindows({"create", "-q", "-oout.exe", "--setup", "app/setup.exe", "--project", "app/setup.lst",
                          "app"}),
              0)
        << err;
    EXPECT_TRUE(out.empty()) << out;
    ASSERT_EQ(runWindows({"list", "--json", "-"}, "out.exe"), 0) << err;
    EXPECT_NE(out.find("\"name\": \"data\\\\colors.ini\", \"nameHex\": \"646174615c636f6c6f72732e696e69\""),
              std::string::npos)
        << out;
    ASSERT_EQ(runWindows({"verify", "out.exe"}), 0) << err;
    EXPECT_NE(out.find("out.exe: sound, 4 members"), std::string::npos) << out;
    ASSERT_EQ(runWindows({"extract", "-q", "-dunpacked", "out.exe"}), 0) << err;
    for (const char* name : {"setup.exe", "setup.lst", "readme.txt", "data/colors.ini"})
        EXPECT_EQ(read(std::string("unpacked/") + name), read(std::string("app/") + name)) << name;

    // The same inputs give the same bytes on either system.
    tool = {SfxpackPath};
    ASSERT_EQ(run({"create", "-o", "linux.exe", "--stub", "tool/sfxstub.exe", "--setup", "app/setup.exe", "--project",
                   "app/setup.lst", "app"}),
              0)
        << err;
    EXPECT_EQ(read("linux.exe"), read("out.exe"));
}

// The bill of materials: sfxpack.exe hashes through Windows' CNG what the Linux tool hashes
// through libcrypto, and prints the same document byte for byte, from create and from list.
TEST_F(WindowsCommand, BillOfMaterialsGivesTheLinuxToolsBytes) {
    limits = "export SOURCE_DATE_EPOCH=1700000000; ";
    write("app/\xD0\x9F\xD1\x80\xD0\xB8.txt", TextLike(700, 5));  // При.txt, in 1251
    fs::create_directories(path("win"));
    fs::create_directories(path("linux"));
    std::vector<std::string> words = {"create", "-q", "--codepage", "1251", "--stub", "tool/sfxstub.exe", "--setup",
                                      "app/setup.exe", "--project", "app/setup.lst", "app"};
    std::vector<std::string> windows = words, linux = words;
    windows.insert(windows.end(), {"-o", "win/setup.exe", "--sbom", "win/made.cdx.json"});
    linux.insert(linux.end(), {"-o", "linux/setup.exe", "--sbom", "linux/made.cdx.json"});
    ASSERT_EQ(runWindows(windows), 0) << err;
    // Raw bytes: the document's lines end in LF alone on Windows too.
    ASSERT_EQ(run({"list", "--sbom", "--codepage", "1251", "win/setup.exe"}), 0) << err;
    std::string listed = out;
    std::vector<std::string> wine = tool;
    tool = {SfxpackPath};
    ASSERT_EQ(run(linux), 0) << err;
    EXPECT_EQ(read("win/setup.exe"), read("linux/setup.exe"));
    EXPECT_EQ(read("win/made.cdx.json"), read("linux/made.cdx.json"));
    EXPECT_EQ(listed, ToText(read("linux/made.cdx.json")));
    EXPECT_EQ(BomProblems({path("win/made.cdx.json")}), "");
    tool = wine;
    ASSERT_EQ(runWindows({"verify", "--sbom", "linux/made.cdx.json", "win/setup.exe"}), 0) << out << err;
    EXPECT_NE(out.find("win/setup.exe: matches linux/made.cdx.json: the stub and 5 members"), std::string::npos)
        << out;
}

// Names beyond ASCII, in a single-byte and a double-byte code page: the same bytes on either
// system, the same refusal, and extract writing the names as given.
TEST_F(WindowsCommand, NonAsciiNamesGiveTheLinuxToolsBytesInEachCodePage) {
    struct Row {
        const char* page;
        std::vector<std::string> names;
    };
    const Row rows[] = {
        {"1252", {"caf\xC3\xA9.txt", "\xC3\x9F\xE2\x82\xAC\xC5\x93", "sub/na\xC3\xAFve.ini"}},    // café ß€œ naïve
        {"932", {"\xE8\xA1\xA8\xE3\x82\xBD.txt", "\xE3\x82\xA2\xE3\x83\x82", "sub/\xE8\xA1\xA8.ini"}},  // 表ソ アヂ 表
    };
    for (const Row& row : rows) {
        std::string in = std::string("in") + row.page, output = std::string("w") + row.page + ".exe";
        write(in + "/setup.exe", TextLike(3000, 1));
        write(in + "/setup.lst", TextLike(300, 2));
        for (const std::string& name : row.names) write(in + "/" + name, TextLike(100, 3));
        std::vector<std::string> words = {"create", "-q", "--codepage", row.page, "--stub", "tool/sfxstub.exe",
                                          "--setup", in + "/setup.exe", "--project", in + "/setup.lst", in};
        words.insert(words.begin() + 1, "-o" + output);
        ASSERT_EQ(runWindows(words), 0) << row.page << err;
        ASSERT_EQ(runWindows({"extract", "-q", "--codepage", row.page, "-dout" + std::string(row.page), output}), 0)
            << err;
        for (const std::string& name : row.names)
            EXPECT_EQ(read("out" + std::string(row.page) + "/" + name), TextLike(100, 3)) << name;
        std::vector<std::string> wine = tool;
        tool = {SfxpackPath};
        words[1] = "-olinux.exe";
        int code = run(words);
        tool = wine;
        ASSERT_EQ(code, 0) << err;
        EXPECT_EQ(read("linux.exe"), read(output)) << row.page;
    }
    // What neither code page holds is refused alike.
    write("in1252/\xE8\xA1\xA8.txt", TextLike(10, 4));
    std::vector<std::string> words = {"create", "-o", "x.exe", "--stub", "tool/sfxstub.exe", "--setup",
                                      "in1252/setup.exe", "--project", "in1252/setup.lst", "in1252"};
    expectFailure(runWindows(words), 2, "U+8868 '\xE8\xA1\xA8' is not in code page 1252");
    EXPECT_FALSE(exists("x.exe"));
}

TEST_F(WindowsCommand, BadInputGetsAClearMessageAndTheDocumentedExitCode) {
    ASSERT_EQ(runWindows({"create", "-o", "good.exe", "--setup", "app/setup.exe", "--project", "app/setup.lst"}), 0)
        << err;
    Bytes good = read("good.exe");
    write("truncated.exe", Bytes(good.begin(), good.begin() + (long)good.size() / 2));
    write("plain.txt", ToBytes("just a text file\n"));
    for (const char* command : {"list", "verify", "extract"}) {
        SCOPED_TRACE(command);
        expectFailure(runWindows({command, "plain.txt"}), 2, "plain.txt: not an installer");
        expectFailure(runWindows({command, "truncated.exe"}), 1, "the installer is truncated or damaged");
        expectFailure(runWindows({command, "missing.exe"}), 2, "cannot read missing.exe: No such file or directory");
        expectFailure(runWindows({command, "app"}), 2, "cannot read app: it is a folder");
    }
    expectFailure(runWindows({"create", "-o", "x.exe", "--setup", "app/setup.exe", "--project", "app/none.lst"}), 2,
                  "cannot read app/none.lst");
    expectFailure(runWindows({"extract", "good.exe", "-d", "good.exe\\sub"}), 2, "cannot create the folder");
    EXPECT_FALSE(exists("x.exe"));
}

TEST_F(WindowsCommand, ExtractKeepsToItsFolderUnderWindowsPathRules) {
    std::vector<sfx::Member> members;
    const std::vector<std::string> refused = {
        "c:\\drive.txt", "C:drive.txt", "\\\\server\\share\\x.txt", "\\rooted.txt", "/rooted.txt", "..\\up.txt",
        "sub/..\\..\\up.txt", "sub\\.. \\up.txt", "CON", "nul.txt", "sub\\AUX", "Com1.log", "lpt9", "dots...",
        "blank ", "sub.\\x.txt", "a?b.txt", "a*b.txt", "a|b.txt"};
    members.push_back({"setup.exe", ToBytes("EXE")});
    members.push_back({"sub\\ok.txt", ToBytes("OK")});
    for (const std::string& name : refused) members.push_back({name, ToBytes(name)});
    write("evil.exe", sfx::BuildInstaller(PeStub(0x300), {"setup.exe", "setup.exe", {}, {}, ""}, members));
    fs::create_directories(path("box/out"));

    expectFailure(runWindows({"extract", "evil.exe", "-dbox/out"}), 1, "refused");
    for (const std::string& name : refused)
        EXPECT_NE(err.find(sfx::Printable(name) + ": refused: "), std::string::npos) << name << "\n" << err;
    std::vector<std::string> written;
    for (const auto& entry : fs::recursive_directory_iterator(path("box")))
        written.push_back(entry.path().lexically_relative(path("box")).generic_string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"out", "out/setup.exe", "out/sub", "out/sub/ok.txt"}));
    EXPECT_EQ(read("box/out/sub/ok.txt"), ToBytes("OK"));
    EXPECT_FALSE(exists("up.txt") || exists("box/up.txt") || exists("drive.txt"));
}

// The Windows download, unzipped into a folder whose name has a space and a non-ASCII letter:
// sfxpack.exe names the stubs beside it and packs the Linux tool's bytes from the same inputs.
class WindowsZip : public WindowsCommand {};

TEST_F(WindowsZip, RunsFromItsFolderWithTheStubsBesideIt) {
    const std::string where = "Pr\xC3\xB6gramme sfx";  // Prögramme sfx
    ASSERT_EQ(std::system(("unzip -q '" + std::string(WinZip) + "' -d '" + path(where) + "'").c_str()), 0);
    tool.back() = where + "/sfxpack.exe";
    ASSERT_EQ(runWindows({"--version"}), 0) << err;
    for (const char* stub : {"sfxstub.exe", "sfxstub64.exe"}) {
        size_t size = read(where + "/" + stub).size();
        EXPECT_NE(out.find(where + "\\" + stub + ", " + std::to_string(size) + " bytes"), std::string::npos) << out;
    }
    ASSERT_EQ(runWindows({"create", "-q", "-oout.exe", "--setup", "app/setup.exe", "--project", "app/setup.lst",
                          "app"}),
              0)
        << err;
    tool = {SfxpackPath};
    ASSERT_EQ(run({"create", "-q", "-olinux.exe", "--stub", where + "/sfxstub.exe", "--setup", "app/setup.exe",
                   "--project", "app/setup.lst", "app"}),
              0)
        << err;
    EXPECT_EQ(read("linux.exe"), read("out.exe"));
}

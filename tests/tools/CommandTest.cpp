// The built sfxpack run as a command: round trips, bad input with its message and exit code,
// and extraction that never leaves its folder.
#include <filesystem>
#include "Inspect.h"
#include "PackTestSupport.h"

using sfx::Bytes;
namespace fs = std::filesystem;

class Command : public ToolRun {
protected:
    void SetUp() override {
        ToolRun::SetUp();
        write("stub.exe", PeStub(0x600));
        write("big stub.exe", PeStub(0x2345));
        write("in/setup.exe", TextLike(30000, 1));
        write("in/setup.lst", TextLike(400, 2));
        write("in/noise.bin", Noise(5000));
        write("in/empty.txt", {});
        write("in/local name.txt", TextLike(1000, 3));
        write("in/extra.dat", TextLike(7000, 4));
    }

    // Packs in/ into the named installer with the options added.
    int create(const std::string& output, std::vector<std::string> more = {}) {
        std::vector<std::string> words = {"create", "-o", output, "--stub", "stub.exe", "--setup", "in/setup.exe",
                                          "--project", "in/setup.lst", "--support", "in/noise.bin", "--support",
                                          "in/empty.txt", "--support", "README.TXT=in/local name.txt", "--member",
                                          "in/extra.dat"};
        words.insert(words.end(), more.begin(), more.end());
        return run(words);
    }

    // A failure as the tool should report it: its exit code, one "sfxpack: " message, no crash.
    void expectFailure(int code, int expected, const std::string& part) {
        EXPECT_EQ(code, expected) << err;
        EXPECT_EQ(err.rfind("sfxpack: ", 0), 0u) << err;
        EXPECT_NE(err.find(part), std::string::npos) << err;
        EXPECT_EQ(err.find("runtime error"), std::string::npos) << err;
        EXPECT_EQ(err.find("Sanitizer"), std::string::npos) << err;
    }
};

TEST_F(Command, CreateListVerifyAndExtractGiveBackEveryFile) {
    ASSERT_EQ(create("setup out.exe"), 0) << err;
    EXPECT_TRUE(err.empty()) << err;

    ASSERT_EQ(run({"list", "setup out.exe"}), 0) << err;
    for (const char* part : {"set-up program:  setup.exe", "project file:    setup.lst", "support files:   noise.bin",
                             "README.TXT", "6 members", "deflated", "stored", "extra.dat"})
        EXPECT_NE(out.find(part), std::string::npos) << part << "\n" << out;
    EXPECT_EQ(out.find("warning"), std::string::npos) << out;

    ASSERT_EQ(run({"list", "--json", "setup out.exe"}), 0) << err;
    for (const char* part : {"\"kind\": \"installer\"", "\"stubSize\": 1536", "\"name\": \"README.TXT\"",
                             "\"use\": \"support\"", "\"problems\": []"})
        EXPECT_NE(out.find(part), std::string::npos) << part << "\n" << out;

    ASSERT_EQ(run({"verify", "setup out.exe"}), 0) << out << err;
    EXPECT_NE(out.find("sound, 6 members"), std::string::npos) << out;

    ASSERT_EQ(run({"extract", "setup out.exe", "-d", "out/new"}), 0) << err;
    const std::pair<const char*, const char*> files[] = {
        {"setup.exe", "in/setup.exe"}, {"setup.lst", "in/setup.lst"}, {"noise.bin", "in/noise.bin"},
        {"empty.txt", "in/empty.txt"}, {"README.TXT", "in/local name.txt"}, {"extra.dat", "in/extra.dat"}};
    for (const auto& file : files) {
        ASSERT_TRUE(exists(std::string("out/new/") + file.first)) << file.first;
        EXPECT_EQ(read(std::string("out/new/") + file.first), read(file.second)) << file.first;
    }
}

TEST_F(Command, OutputIsReproducibleAndTheOptionsShapeIt) {
    ASSERT_EQ(create("a.exe"), 0) << err;
    ASSERT_EQ(create("b.exe"), 0) << err;
    EXPECT_EQ(read("a.exe"), read("b.exe"));

    // Four deflated members (set-up program, project, README.TXT, extra.dat) lose 4 bytes each.
    ASSERT_EQ(create("nocheck.exe", {"--no-check"}), 0) << err;
    EXPECT_EQ(read("nocheck.exe").size(), read("a.exe").size() - 16);
    ASSERT_EQ(run({"verify", "nocheck.exe"}), 0) << out;
    EXPECT_NE(out.find("setup.exe: deflated, no check value"), std::string::npos) << out;
    ASSERT_EQ(run({"verify", "a.exe"}), 0) << out;
    EXPECT_NE(out.find("setup.exe: deflated, check value matches"), std::string::npos) << out;

    ASSERT_EQ(create("stored.exe", {"--store", "*.TXT", "--store=setup.*", "--level", "9"}), 0) << err;
    sfx::Inspection in = sfx::Inspect(read("stored.exe"));
    std::vector<int32_t> methods;
    for (const sfx::MemberEntry& m : in.members) methods.push_back(m.method);
    EXPECT_EQ(methods, (std::vector<int32_t>{0, 0, 0, 0, 0, 2}));
    ASSERT_EQ(run({"extract", "stored.exe", "-d", "x"}), 0) << err;
    EXPECT_EQ(read("x/setup.exe"), read("in/setup.exe"));
}

TEST_F(Command, HelpVersionAndUsageErrors) {
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_NE(out.find("Usage: sfxpack COMMAND"), std::string::npos);
    EXPECT_EQ(run({"extract", "--help"}), 0);
    EXPECT_NE(out.find("Usage: sfxpack extract FILE [-d DIR]"), std::string::npos);
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(out, "sfxpack 1.0.0\n");

    expectFailure(run({}), 2, "no command given");
    expectFailure(run({"pack"}), 2, "unknown command pack");
    expectFailure(run({"list", "a", "b"}), 2, "one FILE only");
    expectFailure(run({"list", "--xml", "a"}), 2, "unknown option --xml");
    expectFailure(run({"create", "-o", "x.exe", "--setup", "in/setup.exe", "--project", "in/setup.lst"}), 2,
                  "--stub is required");
    expectFailure(create("x.exe", {"--level", "10"}), 2, "--level takes a number from 0 to 9, not 10");
    expectFailure(create("x.exe", {"--no-check=yes"}), 2, "--no-check takes no value");
    expectFailure(create("x.exe", {"--store"}), 2, "--store needs a value");
    // The stub would never find a second member under a name that differs only in case.
    expectFailure(create("x.exe", {"--member", "SETUP.LST=in/extra.dat"}), 2, "two members are named SETUP.LST");
    EXPECT_FALSE(exists("x.exe"));
}

TEST_F(Command, BadInputGetsAClearMessageAndTheDocumentedExitCode) {
    ASSERT_EQ(create("good.exe"), 0) << err;
    Bytes good = read("good.exe");
    write("plain.txt", ToBytes("just a text file\n"));
    write("truncated.exe", Bytes(good.begin(), good.begin() + (long)good.size() / 2));
    Bytes past = good;
    Put32(past, past.size() - 8, (int32_t)past.size() + 100);
    write("past.exe", past);

    for (const char* command : {"list", "verify", "extract"}) {
        SCOPED_TRACE(command);
        expectFailure(run({command, "plain.txt"}), 2, "plain.txt: not an installer");
        expectFailure(run({command, "stub.exe"}), 2, "stub.exe: not an installer: an executable without an archive");
        expectFailure(run({command, "truncated.exe"}), 1, "the installer is truncated or damaged");
        expectFailure(run({command, "missing.exe"}), 2, "cannot read missing.exe: No such file or directory");
        expectFailure(run({command, "in"}), 2, "cannot read in: it is a folder");
    }
    // The directory offset points past the end: listed, with the error, and exit code 1.
    EXPECT_EQ(run({"list", "past.exe"}), 1);
    EXPECT_NE(out.find("error: the directory offset"), std::string::npos) << out;
    EXPECT_EQ(run({"verify", "past.exe"}), 1);
    expectFailure(run({"extract", "past.exe", "-d", "x"}), 1, "points outside the archive");
    expectFailure(run({"restub", "past.exe", "--stub", "stub.exe", "-o", "r.exe"}), 1, "cannot move the archive");

    expectFailure(create("no/such/folder/x.exe"), 2, "cannot create no/such/folder/x.exe: No such file or directory");
    expectFailure(run({"restub", "good.exe", "--stub", "stub.exe", "-o", "no/such/r.exe"}), 2, "cannot create");
    expectFailure(create("x.exe", {"--support", "in/absent.dll"}), 2, "cannot read in/absent.dll");
    // A file stands where the folder would go.
    expectFailure(run({"extract", "good.exe", "-d", "stub.exe/sub"}), 2, "cannot create the folder stub.exe/sub");
}

TEST_F(Command, AnUnreadableFileIsAUsageError) {
    write("locked.exe", read("stub.exe"));
    fs::permissions(path("locked.exe"), fs::perms::none);
    if (std::FILE* probe = std::fopen(path("locked.exe").c_str(), "rb")) {
        std::fclose(probe);
        GTEST_SKIP() << "running with rights that read any file";
    }
    expectFailure(run({"list", "locked.exe"}), 2, "cannot read locked.exe: Permission denied");
}

TEST_F(Command, ExtractNeverWritesOutsideItsFolder) {
    sfx::Directory dir{"setup.exe", "setup.lst", {}, {}, ""};
    std::vector<sfx::Member> members = {{"setup.exe", ToBytes("EXE")},       {"setup.lst", ToBytes("LST")},
                                        {"..\\evil.txt", ToBytes("up")},     {"sub/../../evil2.txt", ToBytes("up")},
                                        {"c:\\evil.txt", ToBytes("drive")},  {"C:evil.txt", ToBytes("drive")},
                                        {"/tmp/evil.txt", ToBytes("root")},  {"\\evil.txt", ToBytes("root")},
                                        {"sub\\ok.txt", ToBytes("nested")},  {"link\\x.txt", ToBytes("through")}};
    write("evil.exe", sfx::BuildInstaller(PeStub(0x300), dir, members));
    fs::create_directories(path("out"));
    fs::create_directories(path("elsewhere"));
    fs::create_directory_symlink(path("elsewhere"), path("out/link"));

    expectFailure(run({"extract", "evil.exe", "-d", "out"}), 1, "..\\evil.txt: refused: the name holds a \"..\" part");
    for (const char* name : {"sub/../../evil2.txt", "c:\\evil.txt: refused", "C:evil.txt: refused",
                             "/tmp/evil.txt: refused: the name is an absolute path", "\\evil.txt: refused",
                             "link\\x.txt: refused"})
        EXPECT_NE(err.find(name), std::string::npos) << name << "\n" << err;
    EXPECT_EQ(read("out/setup.exe"), ToBytes("EXE"));
    EXPECT_EQ(read("out/sub/ok.txt"), ToBytes("nested"));
    EXPECT_TRUE(fs::is_empty(path("elsewhere")));
    EXPECT_FALSE(exists("evil.txt"));
    EXPECT_FALSE(exists("evil2.txt"));
    std::vector<std::string> written;
    for (const auto& entry : fs::recursive_directory_iterator(path("out")))
        written.push_back(entry.path().lexically_relative(path("out")).string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"link", "setup.exe", "setup.lst", "sub", "sub/ok.txt"}));
}

TEST_F(Command, ExtractGoesOnPastDamageAndPicksByNameOrGlob) {
    Bytes bad = sfx::DeflateMember(TextLike(3000, 7), 9, true);
    bad[bad.size() / 2] ^= 0xFF;
    sfx::Directory dir{"setup.exe", "setup.lst", {"a.dll", "b.dll"}, {}, ""};
    std::vector<sfx::Member> members = {{"setup.exe", ToBytes("EXE")},
                                        {"setup.lst", bad, sfx::Deflated},
                                        {"a.dll", ToBytes("first")},
                                        {"b.dll", ToBytes("B")},
                                        {"A.DLL", ToBytes("second")}};
    write("damaged.exe", sfx::BuildInstaller(PeStub(0x300), dir, members));

    expectFailure(run({"extract", "damaged.exe", "-d", "all"}), 1, "setup.lst: damaged: zlib error");
    EXPECT_FALSE(exists("all/setup.lst"));
    EXPECT_EQ(read("all/setup.exe"), ToBytes("EXE"));
    EXPECT_EQ(read("all/b.dll"), ToBytes("B"));
    EXPECT_EQ(read("all/a.dll"), ToBytes("first"));  // the entry the stub reads
    EXPECT_FALSE(exists("all/A.DLL"));

    EXPECT_EQ(run({"extract", "damaged.exe", "-d", "some", "SETUP.EXE", "*.DlL"}), 0) << err;
    EXPECT_TRUE(exists("some/setup.exe"));
    EXPECT_TRUE(exists("some/a.dll"));
    EXPECT_TRUE(exists("some/b.dll"));
    EXPECT_FALSE(exists("some/setup.lst"));

    expectFailure(run({"extract", "damaged.exe", "-d", "none", "nothing*"}), 2, "no member matches nothing*");
    EXPECT_FALSE(exists("none"));

    EXPECT_EQ(run({"verify", "damaged.exe"}), 1);
    EXPECT_NE(out.find("DAMAGED  setup.lst: zlib error"), std::string::npos) << out;
}

TEST_F(Command, OddWriterMadeArchivesListAndVerify) {
    // Repeated names, a negative count and members without their check value: all readable.
    Bytes head = PeStub(0x300);
    Bytes exe = sfx::DeflateMember(TextLike(4000, 8), 9, false), dll = ToBytes("DLL");
    head.insert(head.end(), exe.begin(), exe.end());
    head.insert(head.end(), dll.begin(), dll.end());
    sfx::ByteWriter d;
    d.putText("setup.exe");
    d.putText("setup.exe");
    d.putList({"a.dll"});
    d.put32(-7);
    d.putList({"setup.exe", "a.dll", "A.dll"});
    d.putTable({0x300, 0x300 + (int32_t)exe.size(), 0x300 + (int32_t)exe.size()});
    d.putTable({(int32_t)exe.size(), 3, 3});
    d.putTable({2, 0, 0});
    d.putText("");
    Bytes file = head;
    file.insert(file.end(), d.bytes.begin(), d.bytes.end());
    Bytes trailer = sfx::Trailer((int32_t)head.size());
    file.insert(file.end(), trailer.begin(), trailer.end());
    write("odd.exe", file);

    EXPECT_EQ(run({"list", "odd.exe"}), 0) << out << err;
    EXPECT_NE(out.find("warning: the further names list has the count -7"), std::string::npos) << out;
    EXPECT_NE(out.find("warning: A.dll: the name repeats entry 1 (same bytes)"), std::string::npos) << out;
    EXPECT_EQ(run({"verify", "odd.exe"}), 0) << out << err;
    EXPECT_NE(out.find("setup.exe: deflated, no check value"), std::string::npos) << out;
}

TEST_F(Command, RestubMovesTheArchiveBehindAnotherStub) {
    ASSERT_EQ(create("small.exe"), 0) << err;
    ASSERT_EQ(run({"restub", "small.exe", "--stub", "big stub.exe", "-o", "big.exe"}), 0) << err;
    EXPECT_EQ(read("big.exe").size(), read("small.exe").size() - 0x600 + 0x2345);
    ASSERT_EQ(run({"verify", "big.exe"}), 0) << out;
    ASSERT_EQ(run({"list", "big.exe"}), 0);
    EXPECT_NE(out.find("stub 9029 bytes"), std::string::npos) << out;
    ASSERT_EQ(run({"extract", "big.exe", "-d", "x"}), 0) << err;
    EXPECT_EQ(read("x/README.TXT"), read("in/local name.txt"));
    EXPECT_EQ(read("x/setup.exe"), read("in/setup.exe"));

    // An installer given as the stub: packed over, with a warning.
    ASSERT_EQ(run({"restub", "small.exe", "--stub", "big.exe", "-o", "nested.exe"}), 0) << err;
    EXPECT_NE(err.find("warning: the stub big.exe already ends with an archive"), std::string::npos) << err;
    EXPECT_EQ(run({"verify", "nested.exe"}), 0) << out;
}

TEST_F(Command, NoProgressLineWhenStderrIsNotATerminal) {
    write("in/large.dat", TextLike(20u << 20, 9));
    ASSERT_EQ(create("large.exe", {"--member", "in/large.dat", "--level", "1"}), 0) << err;
    EXPECT_TRUE(err.empty()) << err;
    ASSERT_EQ(run({"verify", "large.exe"}), 0);
    EXPECT_TRUE(err.empty()) << err;
}

// Inspecting installers: the directory as the stub reads it, and every oddity it would trip on.
#include <algorithm>
#include "Inspect.h"
#include "Names.h"
#include "Pack.h"
#include "PackTestSupport.h"

using sfx::Bytes;
using sfx::FileKind;
using sfx::Inspect;
using sfx::Inspection;
using sfx::Severity;

// Three members typed out byte by byte: a 2-byte image; "s.exe" stored ("ab"); "p.txt" deflated
// with its check value and "q.txt" deflated without, both "hello hello hello"; the directory at
// 40 and the trailer.
const Bytes HandWritten = {
    'M', 'Z',
    'a', 'b',                                                          // s.exe at 2
    0x11, 0, 0, 0, 0x78, 0xDA, 0xCB, 0x48, 0xCD, 0xC9, 0xC9, 0x57,     // p.txt at 4: U = 17,
    0xC8, 0x40, 0x90, 0x00, 0x3A, 0x2E, 0x06, 0x7D,                    //   stream, Adler-32
    0x11, 0, 0, 0, 0x78, 0xDA, 0xCB, 0x48, 0xCD, 0xC9, 0xC9, 0x57,     // q.txt at 24: the same
    0xC8, 0x40, 0x90, 0x00,                                            //   without the check
    5, 0, 0, 0, 's', '.', 'e', 'x', 'e',                               // set-up program
    5, 0, 0, 0, 'p', '.', 't', 'x', 't',                               // project file
    1, 0, 0, 0, 5, 0, 0, 0, 'Q', '.', 'T', 'X', 'T',                   // support files
    2, 0, 0, 0, 5, 0, 0, 0, 'p', '.', 't', 'x', 't', 5, 0, 0, 0, 'q', '.', 't', 'x', 't',  // further
    3, 0, 0, 0, 5, 0, 0, 0, 's', '.', 'e', 'x', 'e', 5, 0, 0, 0, 'p', '.', 't', 'x', 't',  // names
    5, 0, 0, 0, 'q', '.', 't', 'x', 't',
    3, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 24, 0, 0, 0,                   // offsets
    3, 0, 0, 0, 2, 0, 0, 0, 20, 0, 0, 0, 16, 0, 0, 0,                  // stored sizes
    3, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0,                    // methods
    0, 0, 0, 0,                                                        // final text
    40, 0, 0, 0, 0x8A, 0x25, 0x00, 0x00,                               // trailer
};

static std::vector<std::string> Texts(const Inspection& inspection, Severity severity) {
    std::vector<std::string> texts;
    for (const sfx::Problem& problem : inspection.problems)
        if (problem.severity == severity) texts.push_back(problem.text);
    return texts;
}

static bool Mentions(const Inspection& inspection, Severity severity, const std::string& part) {
    std::vector<std::string> texts = Texts(inspection, severity);
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.find(part) != std::string::npos; });
}

// The stub, the member bytes and the directory back to back, then the trailer.
static Bytes Assemble(const Bytes& head, const Bytes& directory) {
    Bytes out = head;
    out.insert(out.end(), directory.begin(), directory.end());
    Bytes trailer = sfx::Trailer((int32_t)head.size());
    out.insert(out.end(), trailer.begin(), trailer.end());
    return out;
}

TEST(Inspect, ReadsTheHandWrittenInstaller) {
    Inspection in = Inspect(HandWritten);
    ASSERT_EQ(in.kind, FileKind::Installer);
    ASSERT_TRUE(in.directoryLoaded);
    EXPECT_TRUE(in.problems.empty()) << testing::PrintToString(Texts(in, Severity::Warning));
    EXPECT_EQ(in.directoryOffset, 40);
    EXPECT_EQ(in.directoryEnd, HandWritten.size() - 8);
    EXPECT_EQ(in.setupProgram, "s.exe");
    EXPECT_EQ(in.projectFile, "p.txt");
    EXPECT_EQ(in.supportFiles, std::vector<std::string>{"Q.TXT"});
    ASSERT_EQ(in.members.size(), 3u);
    EXPECT_EQ(in.members[1].offset, 4);
    EXPECT_EQ(in.members[1].storedSize, 20);
    EXPECT_EQ(in.members[1].unpackedSize, 17);
    EXPECT_EQ(in.members[2].unpackedSize, 17);
    EXPECT_EQ(in.members[0].role, sfx::Role::SetupProgram);
    EXPECT_EQ(in.members[1].role, sfx::Role::ProjectFile);
    EXPECT_EQ(in.members[2].role, sfx::Role::SupportFile);  // found as the stub finds it, ignoring case
    EXPECT_EQ(in.find("S.EXE"), 0);
}

TEST(Inspect, HandWrittenHostileDirectoriesAreRefusedWithoutReadingOutOfBounds) {
    // The member names list claims 0x7FFFFFFF entries in a 30-byte file.
    const Bytes hugeCount = {'M', 'Z', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                             0xFF, 0xFF, 0xFF, 0x7F, 2, 0, 0, 0, 0x8A, 0x25, 0, 0};
    Inspection in = Inspect(hugeCount);
    EXPECT_EQ(in.kind, FileKind::Installer);
    EXPECT_FALSE(in.directoryLoaded);
    EXPECT_TRUE(Mentions(in, Severity::Error, "member names list: its count 2147483647"));

    // Only a trailer: the directory at 0 is read from the trailer's own bytes and runs out.
    in = Inspect(Bytes{0, 0, 0, 0, 0x8A, 0x25, 0, 0});
    EXPECT_FALSE(in.directoryLoaded);
    EXPECT_TRUE(Mentions(in, Severity::Error, "project file name: its length 9610 runs past the end"));

    // A text with a negative length.
    in = Inspect(Bytes{'M', 'Z', 0xFE, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0x8A, 0x25, 0, 0});
    EXPECT_TRUE(Mentions(in, Severity::Error, "set-up program name: its length -2 is negative"));
}

TEST(Inspect, APackedInstallerIsLaidOutAsTheStubExpects) {
    Bytes file = SampleInstaller();
    Inspection in = Inspect(file);
    ASSERT_TRUE(in.directoryLoaded);
    EXPECT_FALSE(in.hasErrors());
    EXPECT_TRUE(in.problems.empty());
    EXPECT_EQ(in.members.front().offset, 0x400);  // right where the stub ends
    for (size_t i = 1; i < in.members.size(); ++i)
        EXPECT_EQ(in.members[i].offset, in.members[i - 1].offset + in.members[i - 1].storedSize);
    EXPECT_EQ((uint64_t)in.directoryOffset, (uint64_t)in.members.back().offset + in.members.back().storedSize);
    EXPECT_EQ(in.directoryEnd, file.size() - 8);
    EXPECT_EQ(in.extraNames, (std::vector<std::string>{"setup.lst", "readme.txt", "noise.bin"}));
    EXPECT_EQ(in.extraText, "");
}

TEST(Inspect, RepeatedNamesAreWarnedAboutAndTheFirstEntryIsRead) {
    sfx::Directory dir{"setup.exe", "setup.lst", {"a.dll", "b.dll"}, {}, ""};
    std::vector<sfx::Member> members = {{"setup.exe", ToBytes("EXE")},
                                        {"setup.lst", ToBytes("LST")},
                                        {"a.dll", ToBytes("AAAA")},
                                        {"b.dll", ToBytes("first")},
                                        {"A.DLL", ToBytes("AAAA")},
                                        {"B.dll", ToBytes("other")}};
    Inspection in = Inspect(sfx::BuildInstaller(PeStub(0x300), dir, members));
    EXPECT_FALSE(in.hasErrors());
    EXPECT_EQ(in.members[4].readBy, 2);
    EXPECT_EQ(in.members[5].readBy, 3);
    EXPECT_EQ(in.find("B.DLL"), 3);
    EXPECT_TRUE(Mentions(in, Severity::Warning, "A.DLL: the name repeats entry 2 (same bytes)"));
    EXPECT_TRUE(Mentions(in, Severity::Warning, "B.dll: the name repeats entry 3 with different bytes"));
    EXPECT_EQ(in.members[4].role, sfx::Role::Other);  // the stub never reads the repeat
}

TEST(Inspect, NegativeListCountsReadAsEmptyListsAndTheDirectoryGoesOn) {
    Bytes head = PeStub(0x300);
    Bytes exe = ToBytes("EXE"), lst = ToBytes("LST");
    sfx::ByteWriter d;
    d.putText("setup.exe");
    d.putText("setup.lst");
    d.put32(-3);  // support files
    d.put32(INT32_MIN);  // further names
    d.putList({"setup.exe", "setup.lst"});
    d.putTable({0x300, 0x303});
    d.putTable({3, 3});
    d.putTable({0, 0});
    d.putText("");
    head.insert(head.end(), exe.begin(), exe.end());
    head.insert(head.end(), lst.begin(), lst.end());
    Inspection in = Inspect(Assemble(head, d.bytes));
    ASSERT_TRUE(in.directoryLoaded);
    EXPECT_FALSE(in.hasErrors());
    EXPECT_TRUE(in.supportFiles.empty());
    EXPECT_TRUE(in.extraNames.empty());
    ASSERT_EQ(in.members.size(), 2u);
    EXPECT_EQ(in.members[1].name, "setup.lst");
    EXPECT_TRUE(Mentions(in, Severity::Warning, "support files list has the count -3"));
    EXPECT_TRUE(Mentions(in, Severity::Warning, "further names list has the count -2147483648"));
}

TEST(Inspect, TablesOfDifferentLengthsAreFlagged) {
    Bytes head = PeStub(0x300);
    Bytes bytes = ToBytes("abcdef");
    head.insert(head.end(), bytes.begin(), bytes.end());
    auto directory = [](std::vector<int32_t> offsets, std::vector<int32_t> sizes, std::vector<int32_t> methods) {
        sfx::ByteWriter d;
        d.putText("a");
        d.putText("b");
        d.putList({});
        d.putList({});
        d.putList({"a", "b"});
        d.putTable(offsets);
        d.putTable(sizes);
        d.putTable(methods);
        d.putText("");
        return d.bytes;
    };
    // A name without a method can't be read: an error, and that member's fault.
    Inspection in = Inspect(Assemble(head, directory({0x300, 0x303}, {3, 3}, {0})));
    EXPECT_TRUE(Mentions(in, Severity::Error, "the member tables differ in length: 2 names, 2 offsets, 2 sizes, 1 methods"));
    EXPECT_TRUE(in.members[0].fault.empty());
    EXPECT_EQ(in.members[1].fault, "it has no entry in the method table");
    // Surplus table entries are never read: a warning only.
    in = Inspect(Assemble(head, directory({0x300, 0x303, 0}, {3, 3, 9}, {0, 0, 7})));
    EXPECT_FALSE(in.hasErrors());
    EXPECT_TRUE(Mentions(in, Severity::Warning, "2 names, 3 offsets, 3 sizes, 3 methods"));
}

TEST(Inspect, MembersTheStubCannotReadCarryTheirFault) {
    Bytes head = PeStub(0x300);
    Bytes body = Noise(64);
    head.insert(head.end(), body.begin(), body.end());
    Put32(head, 0x300 + 10, -5);         // a deflated member declaring a negative size
    Put32(head, 0x300 + 20, 9 * 1032 + 1);  // one declaring more than 9 stream bytes can give
    Put32(head, 0x300 + 40, 9 * 1032);      // one at the limit
    sfx::ByteWriter d;
    d.putText("ok");
    d.putText("ok");
    d.putList({"past", "before", "negative", "method", "short", "minus", "over"});
    d.putList({});
    d.putList({"ok", "past", "before", "negative", "method", "short", "minus", "over", "limit"});
    d.putTable({0x300, 0x300 + 60, -1, 0x300, 0x300, 0x300, 0x300 + 10, 0x300 + 20, 0x300 + 40});
    d.putTable({10, 100000, 2, -1, 4, 3, 13, 13, 13});
    d.putTable({0, 0, 0, 0, 1, 2, 2, 2, 2});
    d.putText("");
    Inspection in = Inspect(Assemble(head, d.bytes));
    ASSERT_TRUE(in.directoryLoaded);
    std::vector<std::string> faults;
    for (const sfx::MemberEntry& m : in.members) faults.push_back(m.fault);
    EXPECT_EQ(faults[0], "");
    EXPECT_EQ(faults[1], "its 100000 stored bytes at offset 828 lie outside the file (" + std::to_string(in.fileSize) +
                             " bytes)");
    EXPECT_NE(faults[2].find("lie outside the file"), std::string::npos);
    EXPECT_EQ(faults[3], "its stored size -1 is negative");
    EXPECT_EQ(faults[4], "method 1 is not one the stub reads");
    EXPECT_EQ(faults[5], "a deflated member starts with its 4-byte size, but it has only 3 stored bytes");
    EXPECT_EQ(faults[6], "its unpacked size -5 is negative");
    EXPECT_EQ(faults[7], "it declares 9289 unpacked bytes, more than its 9-byte stream can hold");
    EXPECT_EQ(faults[8], "");
    EXPECT_EQ(in.members[8].unpackedSize, 9 * 1032);
    EXPECT_TRUE(Mentions(in, Severity::Error, "past: its 100000 stored bytes"));
    EXPECT_FALSE(Mentions(in, Severity::Error, "is not among the members"));
}

TEST(Inspect, NamedFilesMissingFromTheMembersAreErrors) {
    sfx::Directory dir{"setup.exe", "SETUP.LST", {"a.dll", "gone.dll"}, {}, ""};
    std::vector<sfx::Member> members = {{"setup.exe", ToBytes("EXE")}, {"setup.lst", ToBytes("LST")},
                                        {"a.dll", ToBytes("A")}};
    Inspection in = Inspect(sfx::BuildInstaller(PeStub(0x300), dir, members));
    EXPECT_EQ(Texts(in, Severity::Error), std::vector<std::string>{"the support file gone.dll is not among the members"});
    dir = {"", "setup.lst", {}, {}, ""};
    in = Inspect(sfx::BuildInstaller(PeStub(0x300), dir, members));
    EXPECT_TRUE(Mentions(in, Severity::Error, "the set-up program \"\" is not among the members"));
}

TEST(Inspect, NamesTheStubHandlesUnexpectedlyAreWarnedAbout) {
    sfx::Directory dir{"my setup.exe", "c:\\windows\\win.ini", {}, {"stray.txt"}, ""};
    std::vector<sfx::Member> members = {{"my setup.exe", ToBytes("EXE")}, {"c:\\windows\\win.ini", ToBytes("LST")},
                                        {std::string("x\0y", 3), ToBytes("X")}};
    Inspection in = Inspect(sfx::BuildInstaller(PeStub(0x300), dir, members));
    EXPECT_FALSE(in.hasErrors());
    EXPECT_TRUE(Mentions(in, Severity::Warning, "my setup.exe holds a blank"));
    EXPECT_TRUE(Mentions(in, Severity::Warning, "c:\\windows\\win.ini holds a colon"));
    EXPECT_TRUE(Mentions(in, Severity::Warning, "x\\x00y holds a zero byte: the stub sees only x"));
    EXPECT_TRUE(Mentions(in, Severity::Warning, "1 further name is not among the members: stray.txt"));
}

TEST(Inspect, TheDirectoryOffsetAndEndAreCheckedAgainstTheTrailer) {
    Bytes file = SampleInstaller();
    for (int32_t offset : {(int32_t)file.size(), (int32_t)file.size() - 7, INT32_MAX, -1, INT32_MIN}) {
        Bytes bad = file;
        Put32(bad, bad.size() - 8, offset);
        Inspection in = Inspect(bad);
        EXPECT_EQ(in.kind, FileKind::Installer);
        EXPECT_FALSE(in.directoryLoaded);
        EXPECT_TRUE(Mentions(in, Severity::Error, "the directory offset " + std::to_string(offset) + " points outside"));
    }
    // Four spare bytes between directory and trailer: the stub never looks, so a warning.
    Bytes gap(file.begin(), file.end() - 8);
    int32_t directory = Get32(file, file.size() - 8);
    gap.insert(gap.end(), {0, 0, 0, 0});
    Bytes trailer = sfx::Trailer(directory);
    gap.insert(gap.end(), trailer.begin(), trailer.end());
    Inspection in = Inspect(gap);
    EXPECT_FALSE(in.hasErrors());
    EXPECT_TRUE(Mentions(in, Severity::Warning, "4 bytes before the trailer"));
    // The final text's length counts the trailer in: the directory runs into it.
    Bytes into = file;
    Put32(into, into.size() - 12, 8);
    in = Inspect(into);
    EXPECT_TRUE(in.directoryLoaded);
    EXPECT_TRUE(Mentions(in, Severity::Warning, "the directory runs 8 bytes into the trailer"));
}

TEST(Inspect, FilesWithoutATrailerAreToldApart) {
    EXPECT_EQ(Inspect(ToBytes("just some text, not an installer\n")).kind, FileKind::NotInstaller);
    EXPECT_EQ(Inspect(Bytes{}).kind, FileKind::NotInstaller);
    EXPECT_EQ(Inspect(Bytes{0x8A, 0x25, 0}).kind, FileKind::NotInstaller);

    Inspection bare = Inspect(PeStub(0x600));
    EXPECT_EQ(bare.kind, FileKind::NotInstaller);
    EXPECT_TRUE(Mentions(bare, Severity::Error, "an executable without an archive"));

    Bytes file = SampleInstaller();
    Inspection cut = Inspect(Bytes(file.begin(), file.end() - 100));
    EXPECT_EQ(cut.kind, FileKind::Truncated);
    EXPECT_TRUE(Mentions(cut, Severity::Error, "truncated or damaged"));

    Inspection cutImage = Inspect(Bytes(file.begin(), file.begin() + 0x300));
    EXPECT_EQ(cutImage.kind, FileKind::Truncated);
    EXPECT_TRUE(Mentions(cutImage, Severity::Error, "its image needs 1024 bytes, the file has 768"));

    // A signed bare executable: the certificate table behind the sections is not an archive.
    Bytes signedStub = PeStub(0x600);
    Put32(signedStub, 0x58 + 96 + 32, 0x600);
    Put32(signedStub, 0x58 + 96 + 36, 0x80);
    signedStub.resize(0x680, 0x55);
    EXPECT_EQ(Inspect(signedStub).kind, FileKind::NotInstaller);
}

// Every 32-bit field of the directory and trailer set to values that break lengths, counts and
// offsets: inspection and verification must stay in bounds (the sanitizers watch) and every
// member they pass as readable must lie inside the file.
TEST(Inspect, HostileFieldValuesNeverLeadOutOfBounds) {
    Bytes file = SampleInstaller(false);
    size_t directory = (size_t)Get32(file, file.size() - 8);
    const int32_t values[] = {0, 1, 3, 4, -1, -4, 0x7FFFFFFF, INT32_MIN, 0x10000, (int32_t)file.size(),
                              (int32_t)file.size() - 8, (int32_t)directory};
    size_t inspected = 0;
    for (size_t at = directory; at + 4 <= file.size() - 4; ++at) {
        for (int32_t value : values) {
            Bytes bad = file;
            Put32(bad, at, value);
            Inspection in = Inspect(bad);
            sfx::VerifyReport report = sfx::Verify(bad, in);
            ASSERT_EQ(report.members.size(), in.members.size());
            for (const sfx::MemberEntry& m : in.members) {
                if (!m.fault.empty()) continue;
                ASSERT_GE(m.offset, 0);
                ASSERT_GE(m.storedSize, 0);
                ASSERT_LE((uint64_t)m.offset + (uint64_t)m.storedSize, bad.size());
            }
            if (in.hasErrors()) {
                EXPECT_FALSE(report.sound);
            }
            ++inspected;
        }
    }
    EXPECT_GT(inspected, 1000u);
}

// Inspecting installers: the directory as the stub reads it, and every oddity it would trip on.
#include <algorithm>
#include "read/Inspect.h"
#include "read/Verify.h"
#include "PackTestSupport.h"

using sfx::Bytes;
using sfx::FileKind;
using sfx::Inspect;
using sfx::Inspection;
using sfx::Severity;

// Three members typed out byte by byte: a 2-byte image; "s.exe" stored ("ab"); "p.txt" deflated
// with its check value and "q.txt" deflated without, both "hello hello hello"; the directory at
// 40 and the trailer.
// clang-format off
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
// clang-format on

static bool Mentions(const Inspection& inspection, Severity severity, const std::string& part) {
    return std::any_of(inspection.problems.begin(), inspection.problems.end(), [&](const sfx::Problem& p) {
        return p.severity == severity && p.text.find(part) != std::string::npos;
    });
}

TEST(Inspect, ReadsTheHandWrittenInstaller) {
    Inspection in = Inspect(HandWritten);
    ASSERT_TRUE(in.directoryLoaded);
    EXPECT_TRUE(in.problems.empty());
    EXPECT_EQ(in.directoryEnd, HandWritten.size() - 8);
    EXPECT_EQ(in.setupProgram, "s.exe");
    EXPECT_EQ(in.supportFiles, std::vector<std::string>{"Q.TXT"});
    ASSERT_EQ(in.members.size(), 3u);
    EXPECT_EQ(in.members[1].offset, 4);
    EXPECT_EQ(in.members[1].unpackedSize, 17);
    EXPECT_EQ(in.members[2].role, sfx::Role::SupportFile);  // found as the stub finds it, ignoring case
}

TEST(Inspect, HandWrittenHostileDirectoriesAreRefused) {
    // The member names list claims 0x7FFFFFFF entries in a 30-byte file, or one more than the
    // 8 bytes after its count can hold as 4-byte lengths.
    Inspection in;
    for (int32_t count : {INT32_MAX, 3}) {
        Bytes file = {'M', 'Z', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0x8A, 0x25, 0, 0};
        Put32(file, 18, count);
        in = Inspect(file);
        EXPECT_FALSE(in.directoryLoaded);
        EXPECT_TRUE(Mentions(in, Severity::Error, "member names list: its count " + std::to_string(count) +
                                                      " is more than the rest of the file can hold"));
    }
    // Only a trailer: the directory at 0 is read from the trailer's own bytes and runs out.
    in = Inspect(Bytes{0, 0, 0, 0, 0x8A, 0x25, 0, 0});
    EXPECT_TRUE(Mentions(in, Severity::Error, "project file name: its length 9610 runs past the end"));
    in = Inspect(Bytes{'M', 'Z', 0xFE, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0x8A, 0x25, 0, 0});
    EXPECT_TRUE(Mentions(in, Severity::Error, "set-up program name: its length -2 is negative"));
}

TEST(Inspect, FieldsThatReachTheFilesExactEndAreReadOrRefusedExactly) {
    // The set-up program's text at 2, its length field followed only by the 8-byte trailer.
    const struct {
        int32_t length;
        const char* error;
    } rows[] = {
        {9, "the set-up program name: its length 9 runs past the end of the file"},
        {8, "the project file name: it is cut short by the end of the file"},
        {7, "the project file name: it is cut short by the end of the file"},
        {5, "the project file name: it is cut short by the end of the file"},
        {4, "the project file name: its length 9610 runs past the end of the file"},
    };
    for (const auto& row : rows) {
        Bytes file = {'M', 'Z', 0, 0, 0, 0, 2, 0, 0, 0, 0x8A, 0x25, 0, 0};
        Put32(file, 2, row.length);
        Inspection in = Inspect(file);
        ASSERT_EQ(in.problems.size(), 1u) << row.length;
        EXPECT_EQ(in.problems[0].text, std::string("the stub can't load the directory: ") + row.error);
    }
}

// Members "ok" (stored) and eight the stub can't read, over 64 bytes of noise behind a stub.
TEST(Inspect, MembersTheStubCannotReadCarryTheirFault) {
    Bytes head = PeStub(0x300), body = Noise(64);
    head.insert(head.end(), body.begin(), body.end());
    Put32(head, 0x300 + 10, -5);            // a deflated member declaring a negative size
    Put32(head, 0x300 + 20, 9 * 1032 + 1);  // one declaring more than 9 stream bytes can give
    Put32(head, 0x300 + 40, 9 * 1032);      // one at the limit
    sfx::ByteWriter d;
    d.putText("ok");
    d.putText("ok");
    d.putList({"past", "before", "minus"});
    d.putList({});
    d.putList({"ok", "past", "before", "negative", "method", "short", "minus", "over", "limit", "untabled"});
    d.putTable({0x300, 0x300 + 60, -1, 0x300, 0x300, 0x300, 0x300 + 10, 0x300 + 20, 0x300 + 40});
    d.putTable({10, 100000, 2, -1, 4, 3, 13, 13, 13});
    d.putTable({0, 0, 0, 0, 1, 2, 2, 2, 2});
    d.putText("");
    Inspection in = Inspect(Assemble(head, d.bytes));
    ASSERT_TRUE(in.directoryLoaded);
    std::vector<std::string> faults;
    for (const sfx::MemberEntry& m : in.members) faults.push_back(m.fault);
    EXPECT_EQ(faults, (std::vector<std::string>{
                          "",
                          "its 100000 stored bytes at offset 828 lie outside the file (" +
                              std::to_string(in.fileSize) + " bytes)",
                          "its 2 stored bytes at offset -1 lie outside the file (" + std::to_string(in.fileSize) +
                              " bytes)",
                          "its stored size -1 is negative",
                          "method 1 is not one the stub reads",
                          "a deflated member starts with its 4-byte size, but it has only 3 stored bytes",
                          "its unpacked size -5 is negative",
                          "it declares 9289 unpacked bytes, more than its 9-byte stream can hold",
                          "",
                          "it has no entry in the offset, size, method table",
                      }));
    EXPECT_TRUE(Mentions(in, Severity::Error, "past: its 100000 stored bytes"));
    EXPECT_TRUE(Mentions(in, Severity::Error, "the member tables differ in length: 10 names, 9 offsets"));
    EXPECT_FALSE(Mentions(in, Severity::Error, "is not among the members"));
}

TEST(Inspect, MissingNamedFilesAndSurplusTableEntries) {
    // A blank matters in the names that go unquoted on the set-up program's command line, not in
    // a support file's.
    sfx::Directory dir{"my setup.exe", "SETUP.LST", {"gone.dll", "my file.dll"}, {}, ""};
    Inspection in = Inspect(sfx::BuildInstaller(PeStub(0x300), dir,
                                                {{"my setup.exe", {}}, {"setup.lst", {}}, {"my file.dll", {}}}));
    ASSERT_EQ(in.problems.size(), 2u);
    EXPECT_TRUE(Mentions(in, Severity::Error, "the support file gone.dll is not among the members"));
    EXPECT_TRUE(Mentions(in, Severity::Warning, "the set-up program my setup.exe holds a blank"));
    // Table entries without a name are never read: a warning only. A name without an entry in
    // every table can't be read: an error.
    const struct {
        std::vector<std::string> names;
        std::vector<int32_t> offsets, sizes, methods;
        Severity severity;
        const char* counts;
    } rows[] = {
        {{"a"}, {0x300, 7}, {0, 9}, {0, 5}, Severity::Warning, "1 names, 2 offsets, 2 sizes, 2 methods"},
        {{"a", "b"}, {0x300, 0x300, 7}, {0, 0}, {0, 0}, Severity::Warning, "2 names, 3 offsets, 2 sizes, 2 methods"},
        {{"a", "b"}, {0x300, 0x300}, {0, 0}, {0}, Severity::Error, "2 names, 2 offsets, 2 sizes, 1 methods"},
    };
    for (const auto& row : rows) {
        sfx::ByteWriter d;
        d.putText("a");
        d.putText("a");
        d.putList({});
        d.putList({});
        d.putList(row.names);
        d.putTable(row.offsets);
        d.putTable(row.sizes);
        d.putTable(row.methods);
        d.putText("");
        in = Inspect(Assemble(PeStub(0x300), d.bytes));
        EXPECT_EQ(in.hasErrors(), row.severity == Severity::Error) << row.counts;
        EXPECT_TRUE(Mentions(in, row.severity, row.counts)) << row.counts;
    }
}

TEST(Inspect, TheDirectoryOffsetAndEndAreCheckedAgainstTheTrailer) {
    Bytes file = SampleInstaller();
    for (int32_t offset : {(int32_t)file.size(), (int32_t)file.size() - 7, INT32_MAX, -1, INT32_MIN}) {
        Bytes bad = file;
        Put32(bad, bad.size() - 8, offset);
        Inspection in = Inspect(bad);
        EXPECT_FALSE(in.directoryLoaded);
        EXPECT_TRUE(Mentions(in, Severity::Error, "the directory offset " + std::to_string(offset) + " points outside"));
    }
    // The final text's length takes in the trailer: the stub reads on regardless, so a warning.
    Bytes into = file;
    Put32(into, into.size() - 12, 8);
    Inspection in = Inspect(into);
    EXPECT_FALSE(in.hasErrors());
    EXPECT_TRUE(Mentions(in, Severity::Warning, "the directory runs 8 bytes into the trailer"));
}

TEST(Inspect, FilesWithoutATrailerAreToldApart) {
    EXPECT_EQ(Inspect(Bytes{0x8A, 0x25, 0}).kind, FileKind::NotInstaller);
    EXPECT_TRUE(Mentions(Inspect(PeStub(0x600)), Severity::Error, "not an installer: an executable without an archive"));
    Bytes file = SampleInstaller();
    Inspection cut = Inspect(Bytes(file.begin(), file.end() - 100));
    EXPECT_EQ(cut.kind, FileKind::Truncated);
    EXPECT_TRUE(Mentions(cut, Severity::Error, "truncated or damaged"));
    cut = Inspect(Bytes(file.begin(), file.begin() + 0x300));
    EXPECT_TRUE(Mentions(cut, Severity::Error, "its image needs 1024 bytes, the file has 768"));
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
            EXPECT_TRUE(!in.hasErrors() || !report.sound);
            ++inspected;
        }
    }
    EXPECT_GT(inspected, 1000u);
}

// Members unpacked a piece at a time: the edges of the two buffers, big members, and failures
// part-way, each of which leaves no file.
#include <zlib.h>
#include <algorithm>
#include "archive/Archive.h"
#include "read/Inspect.h"
#include "read/StubRun.h"
#include "support/HostRun.h"
#include "system/Files.h"
#include "system/posix/HostControl.h"

namespace {
const size_t In = MemberInputBuffer, Out = MemberOutputBuffer;

// A deflated member written by hand from stored deflate blocks, so that its length is exactly
// what a case needs and no encoder of the project's is involved.
sfx::Bytes StoredBlockMember(const sfx::Bytes& data, bool check) {
    sfx::Bytes out(4);
    WriteLittle32(out.data(), (int32_t)data.size());
    out.insert(out.end(), {0x78, 0x01});
    size_t at = 0;
    do {
        size_t n = std::min<size_t>(65535, data.size() - at);
        out.insert(out.end(), {(uint8_t)(at + n == data.size()), (uint8_t)n, (uint8_t)(n >> 8), (uint8_t)~n,
                               (uint8_t)(~n >> 8)});
        out.insert(out.end(), data.begin() + (long)at, data.begin() + (long)(at + n));
        at += n;
    } while (at < data.size());
    uLong adler = adler32(1, data.data(), (uInt)data.size());
    if (check)
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back((uint8_t)(adler >> shift));
    return out;
}

// In such a member of that much data, the second byte of a late block's length check.
size_t LateBlockCheck(size_t dataSize) { return 6 + (dataSize / 65535 - 2) * (5 + 65535) + 3; }

// Data whose hand-written member is exactly `stored` bytes long.
sfx::Bytes DataForStoredSize(size_t stored, bool check, unsigned seed) {
    size_t n = stored;
    while (n && 6 + 5 * std::max<size_t>(1, (n + 65534) / 65535) + n + (check ? 4 : 0) != stored) --n;
    return TextLike(n, seed);
}

struct Edge {
    const char* name;
    sfx::Bytes data;    // what the member unpacks to
    sfx::Bytes member;  // its stored bytes
    int method;
    size_t storedSize;  // the size the case is about, checked against the member; 0 for any
    bool refused;       // "Zlib error", and no file
};

Edge Deflated(const char* name, size_t stored, bool check) {
    sfx::Bytes data = DataForStoredSize(stored, check, (unsigned)stored);
    return {name, data, StoredBlockMember(data, check), sfx::Deflated, stored, false};
}

Edge OfData(const char* name, size_t size, bool check, int method = sfx::Deflated) {
    sfx::Bytes data = TextLike(size, (unsigned)size);
    return {name, data, method == sfx::Deflated ? StoredBlockMember(data, check) : data, method, 0, false};
}

// The member refused after its first pieces were written out.
Edge Refused(const char* name, sfx::Bytes member) { return {name, {}, std::move(member), sfx::Deflated, 0, true}; }
}  // namespace

class Streaming : public HostRun {
protected:
    std::string installerOf(const std::vector<sfx::Member>& members) {
        sfx::Directory dir{"setup.exe", "setup.lst", {}, {}, ""};
        for (const sfx::Member& m : members) dir.supportFiles.push_back(m.name);
        return installer(sfx::BuildInstaller(FakeStub(), dir, members));
    }
};

TEST_F(Streaming, TheBuffersEdgesAreCrossedByteForByte) {
    sfx::Bytes late = StoredBlockMember(TextLike(3 * Out + 5), false);
    late[LateBlockCheck(3 * Out + 5)] ^= 0xFF;  // in the last MiB
    sfx::Bytes overDeclared = StoredBlockMember(TextLike(3 * Out), false), underDeclared = overDeclared;
    WriteLittle32(overDeclared.data(), (int32_t)(3 * Out + 1));
    WriteLittle32(underDeclared.data(), (int32_t)(3 * Out - 1));
    sfx::Bytes wrongCheck = Deflated("", 2 * In + 2, true).member;
    wrongCheck[wrongCheck.size() - 3] ^= 0x01;
    const std::vector<Edge> edges = {
        Deflated("ends with the first read", In, false),
        Deflated("ends with a later read", 2 * In, false),
        Deflated("one byte past a read", 2 * In + 1, false),
        Deflated("check value split 2 and 2", 2 * In + 2, true),
        Deflated("check value split 3 and 1", 2 * In + 1, true),
        Deflated("check value alone in the last read", 2 * In + 4, true),
        OfData("fills the output buffer", Out, false),
        OfData("one byte past the output buffer", Out + 1, true),
        OfData("several buffers", 3 * Out + 5, false),
        OfData("stored, one buffer", Out, false, sfx::Stored),
        OfData("stored, several buffers", 3 * Out + 1, false, sfx::Stored),
        Refused("damaged in a late piece", late),
        Refused("declared one more, past a written piece", overDeclared),
        Refused("declared one less, past a written piece", underDeclared),
        Refused("wrong check value split over reads", wrongCheck),
    };
    std::vector<sfx::Member> members;
    for (const Edge& edge : edges) {
        if (edge.storedSize) {
            ASSERT_EQ(edge.member.size(), edge.storedSize) << edge.name;
        }
        members.push_back({edge.name, edge.member, edge.method});
    }
    Archive archive;
    ASSERT_EQ(archive.open(installerOf(members).c_str()), 1);
    for (const Edge& edge : edges) {
        writeFile("c:\\unpacked.bin", ToBytes("an older file"));
        std::optional<sfx::Bytes> got = unpack(archive, edge.name);
        if (edge.refused) {
            EXPECT_EQ(got, std::nullopt) << edge.name;
            EXPECT_EQ(boxes, std::vector<Box>{ErrorBox("Zlib error")}) << edge.name;
        } else {
            EXPECT_TRUE(got == edge.data) << edge.name;
            EXPECT_TRUE(boxes.empty()) << edge.name;
        }
        boxes.clear();
    }
    CloseFile(archive.file);
    archive.file = 0;
}

TEST_F(Streaming, AFailurePartWayShowsItsBoxAndLeavesNoFile) {
    sfx::Bytes data = TextLike(3 * Out + 5);
    sfx::Bytes damaged = StoredBlockMember(data, false);
    damaged[LateBlockCheck(data.size())] ^= 0xFF;
    struct Case {
        const char* name;
        HostCall call;
        int nth;
        const char* member;
        Box box;
    };
    const Box cannotCreate = MessageBox("Cannot create file: c:\\unpacked.bin");
    const std::vector<Case> cases = {
        {"no buffers", HostCall::AllocGlobal, 1, "deflated", ErrorBox("Out of memory")},
        {"first write", HostCall::Write, 1, "deflated", ErrorBox("Cannot write file")},
        {"late write", HostCall::Write, 3, "deflated", ErrorBox("Cannot write file")},
        {"late write, stored", HostCall::Write, 2, "stored", ErrorBox("Cannot write file")},
        {"late read", HostCall::Read, 3, "deflated", ErrorBox("Cannot read file")},
        {"late read, stored", HostCall::Read, 2, "stored", ErrorBox("Cannot read file")},
        // A big member's file is made before its damage is met: only the create's box shows.
        {"uncreatable and damaged late", HostCall::Create, 1, "damaged", cannotCreate},
        {"uncreatable and damaged early", HostCall::Create, 1, "small damaged", ErrorBox("Zlib error")},
    };
    sfx::Bytes smallDamaged = StoredBlockMember(TextLike(1000), false);
    smallDamaged[10] ^= 0xFF;
    std::string path = installerOf({{"deflated", StoredBlockMember(data, true), sfx::Deflated},
                                    {"stored", data, sfx::Stored},
                                    {"damaged", damaged, sfx::Deflated},
                                    {"small damaged", smallDamaged, sfx::Deflated}});
    for (const Case& c : cases) {
        Archive archive;
        ASSERT_EQ(archive.open(path.c_str()), 1);
        writeFile("c:\\unpacked.bin", ToBytes("an older file"));
        HostResetFaults();
        HostFailCall(c.call, c.nth);
        EXPECT_EQ(unpack(archive, c.member), std::nullopt) << c.name;
        EXPECT_EQ(boxes, std::vector<Box>{c.box}) << c.name;
        boxes.clear();
    }
}

TEST_F(Streaming, AMemberOfHundredsOfMiBUnpacksAsSfxpackForetells) {
    // Each MiB carries its own number, so a piece written twice, dropped or out of order shows.
    // At 260 MiB the declared size is more than the first read's stored bytes could fill
    // (1032 times 256 KiB): only all the reads together bound it.
    sfx::Bytes piece = TextLike(Out), data;
    data.reserve(260 * Out + 7);
    for (uint32_t i = 0; i < 260; ++i) {
        WriteLittle32(piece.data(), (int32_t)i);
        data.insert(data.end(), piece.begin(), piece.end());
    }
    data.insert(data.end(), 7, 'z');
    sfx::Bytes stored(data.begin(), data.begin() + 32 * Out);
    sfx::Bytes file = sfx::BuildInstaller(FakeStub(), {"big", "setup.lst", {"stored"}, {}, ""},
                                          {{"big", sfx::DeflateMember(data, 1), sfx::Deflated},
                                           {"stored", stored, sfx::Stored}});
    Archive archive;
    ASSERT_EQ(archive.open(installer(file).c_str()), 1);
    EXPECT_TRUE(unpack(archive, "big") == data);
    EXPECT_TRUE(unpack(archive, "stored") == stored);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(HostCallCount(HostCall::AllocGlobal), 2);  // one pair of buffers per member
    CloseFile(archive.file);
    archive.file = 0;

    sfx::StubRun run = sfx::PredictStubRun(sfx::ByteView(file.data(), file.size()), sfx::Inspect(file));
    ASSERT_EQ(run.steps.size(), 3u);
    EXPECT_EQ(run.steps[0].action, sfx::StubAction::Writes);
    EXPECT_TRUE(run.steps[0].data == data);
    EXPECT_TRUE(run.steps[2].data == stored);
}

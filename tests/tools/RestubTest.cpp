// Re-stubbing: the archive moves behind a stub of another size and reads back the same.
#include "Inspect.h"
#include "PackTestSupport.h"
#include "Restub.h"
#include "Unpack.h"

using sfx::Bytes;

static std::vector<Bytes> Unpacked(const Bytes& file) {
    sfx::Inspection in = sfx::Inspect(file);
    std::vector<Bytes> out;
    for (const sfx::MemberEntry& m : in.members) out.push_back(sfx::UnpackMember(file, m).data);
    return out;
}

TEST(Restub, TheArchiveMovesBehindLargerAndSmallerStubs) {
    Bytes file = SampleInstaller();
    sfx::Inspection in = sfx::Inspect(file);
    EXPECT_EQ(sfx::ArchiveStart(in), 0x400u);
    for (size_t size : {0x201u, 0x400u, 0x1234u, 0x10000u}) {
        Bytes stub = PeStub(size);
        Bytes moved = sfx::Restub(file, in, stub);
        ASSERT_EQ(moved.size(), file.size() - 0x400 + size);
        EXPECT_TRUE(std::equal(stub.begin(), stub.end(), moved.begin()));
        sfx::Inspection after = sfx::Inspect(moved);
        EXPECT_TRUE(after.problems.empty()) << size;
        EXPECT_EQ(sfx::ArchiveStart(after), size);
        EXPECT_EQ(after.directoryOffset, in.directoryOffset - 0x400 + (int32_t)size);
        EXPECT_TRUE(sfx::Verify(moved, after).sound);
        EXPECT_EQ(Unpacked(moved), Unpacked(file));
        // Back behind the first stub: the very same bytes.
        EXPECT_EQ(sfx::Restub(moved, after, PeStub(0x400)), file);
    }
}

TEST(Restub, OddButReadableDirectoriesKeepTheirOddities) {
    // Repeated names, a negative list count and a zero-size member whose offset points into the
    // stub: only the offsets change.
    Bytes stub = PeStub(0x300);
    Bytes head = stub;
    Bytes exe = ToBytes("EXE!"), dll = ToBytes("DLL");
    head.insert(head.end(), exe.begin(), exe.end());
    head.insert(head.end(), dll.begin(), dll.end());
    sfx::ByteWriter d;
    d.putText("setup.exe");
    d.putText("setup.exe");
    d.put32(-1);
    d.putList({"a.dll"});
    d.putList({"setup.exe", "a.dll", "A.DLL", "empty"});
    d.putTable({0x300, 0x304, 0x304, 7});
    d.putTable({4, 3, 3, 0});
    d.putTable({0, 0, 0, 0});
    d.putText("");
    Bytes file = head;
    file.insert(file.end(), d.bytes.begin(), d.bytes.end());
    Bytes trailer = sfx::Trailer((int32_t)head.size());
    file.insert(file.end(), trailer.begin(), trailer.end());

    sfx::Inspection in = sfx::Inspect(file);
    ASSERT_TRUE(in.directoryLoaded);
    EXPECT_EQ(sfx::ArchiveStart(in), 0x300u);
    Bytes moved = sfx::Restub(file, in, PeStub(0x500));
    sfx::Inspection after = sfx::Inspect(moved);
    EXPECT_EQ(after.memberOffsets, (std::vector<int32_t>{0x500, 0x504, 0x504, 0x500}));
    EXPECT_EQ(after.memberNames, in.memberNames);
    EXPECT_EQ(after.problems.size(), in.problems.size());
    EXPECT_TRUE(sfx::Verify(moved, after).sound);
}

TEST(Restub, ALayoutThatCannotBeTrustedIsRefused) {
    Bytes file = SampleInstaller();
    Bytes stub = PeStub(0x800);
    Bytes noDirectory = file;
    Put32(noDirectory, noDirectory.size() - 8, -1);
    EXPECT_THROW(sfx::Restub(noDirectory, sfx::Inspect(noDirectory), stub), sfx::RestubError);

    sfx::Directory dir{"a", "a", {}, {}, ""};
    Bytes outside = sfx::BuildInstaller(PeStub(0x300), dir, {{"a", ToBytes("abc")}});
    sfx::Inspection in = sfx::Inspect(outside);
    Put32(outside, (size_t)in.offsetTablePosition, 0x7FFFFFF0);
    EXPECT_THROW(sfx::Restub(outside, sfx::Inspect(outside), stub), sfx::RestubError);

    EXPECT_THROW(sfx::Restub(PeStub(0x300), sfx::Inspect(PeStub(0x300)), stub), sfx::RestubError);
}

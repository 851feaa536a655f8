// Re-stubbing: the archive moves behind a stub of another size and reads back the same.
#include "read/Inspect.h"
#include "read/Verify.h"
#include "PackTestSupport.h"
#include "write/Restub.h"

using sfx::Bytes;

TEST(Restub, TheArchiveMovesBehindLargerAndSmallerStubsAndBack) {
    Bytes file = SampleInstaller();
    sfx::Inspection in = sfx::Inspect(file);
    for (size_t size : {0x201u, 0x1234u}) {
        Bytes moved = sfx::Restub(file, in, PeStub(size));
        ASSERT_EQ(moved.size(), file.size() - 0x400 + size);
        sfx::Inspection after = sfx::Inspect(moved);
        ASSERT_TRUE(after.problems.empty()) << size;
        EXPECT_EQ(after.members.at(0).offset, (int32_t)size);
        EXPECT_TRUE(sfx::Verify(moved, after).sound);
        EXPECT_EQ(sfx::Restub(moved, after, PeStub(0x400)), file);
    }
}

TEST(Restub, OddButReadableDirectoriesKeepTheirOddities) {
    // A repeated entry and an empty member whose offset points into the stub: only offsets change.
    Bytes head = PeStub(0x300), body = ToBytes("EXE!DLL");
    head.insert(head.end(), body.begin(), body.end());
    sfx::ByteWriter d;
    d.putText("setup.exe");
    d.putText("setup.exe");
    d.put32(-1);
    d.putList({});
    d.putList({"setup.exe", "a.dll", "A.DLL", "empty"});
    d.putTable({0x300, 0x304, 0x304, 7});
    d.putTable({4, 3, 3, 0});
    d.putTable({0, 0, 0, 0});
    d.putText("");
    Bytes file = Assemble(head, d.bytes);
    sfx::Inspection in = sfx::Inspect(file);
    EXPECT_EQ(sfx::ArchiveStart(in), 0x300u);
    Bytes moved = sfx::Restub(file, in, PeStub(0x500));
    sfx::Inspection after = sfx::Inspect(moved);
    EXPECT_EQ(after.memberOffsets, (std::vector<int32_t>{0x500, 0x504, 0x504, 0x500}));
    EXPECT_EQ(after.problems.size(), in.problems.size());
    EXPECT_TRUE(sfx::Verify(moved, after).sound);
}

TEST(Restub, ALayoutThatCannotBeTrustedIsRefused) {
    Bytes file = SampleInstaller();
    Put32(file, file.size() - 8, -1);
    EXPECT_THROW(sfx::Restub(file, sfx::Inspect(file), PeStub(0x800)), sfx::RestubError);
    file = SampleInstaller();
    Put32(file, (size_t)sfx::Inspect(file).offsetTablePosition, 0x7FFFFFF0);
    EXPECT_THROW(sfx::Restub(file, sfx::Inspect(file), PeStub(0x800)), sfx::RestubError);
}

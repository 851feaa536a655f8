// Signed installers in sfxpack: found before their certificate table, listed with it, moved
// behind a new stub unsigned; and signed stubs given to create or restub made unsigned.
#include "pe/Image.h"
#include "read/Inspect.h"
#include "read/Verify.h"
#include "PackTestSupport.h"
#include "write/Restub.h"

using sfx::Bytes;
using sfx::FileKind;
using sfx::Inspection;

namespace {

Bytes Installer(bool wide) {
    sfx::Directory dir{"setup.exe", "setup.lst", {"a.dll"}, {}, ""};
    return sfx::BuildInstaller(PeImageOf(0x400, wide), dir,
                               {{"setup.exe", TextLike(700), sfx::Stored},
                                {"setup.lst", sfx::DeflateMember(TextLike(3000, 2)), sfx::Deflated},
                                {"a.dll", Noise(301), sfx::Stored}});
}

bool Mentions(const Inspection& in, const std::string& part) {
    for (const sfx::Problem& problem : in.problems)
        if (problem.text.find(part) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(Signed, InspectionAndVerificationSeeTheArchiveBeforeTheTable) {
    for (bool wide : {false, true}) {
        Bytes plain = Installer(wide), signedFile = SignedCopy(plain, wide, 0x7F0);
        Inspection in = sfx::Inspect(signedFile), before = sfx::Inspect(plain);
        ASSERT_EQ(in.kind, FileKind::Installer);
        EXPECT_FALSE(in.hasErrors());
        EXPECT_EQ(in.archiveEnd, plain.size());
        EXPECT_EQ(in.certificateOffset, (plain.size() + 7) / 8 * 8);
        EXPECT_EQ(in.certificateSize, 0x7F0u);
        EXPECT_EQ(in.certificatePadding, (8 - plain.size() % 8) % 8);
        EXPECT_EQ(in.memberOffsets, before.memberOffsets);
        EXPECT_TRUE(sfx::Verify(signedFile, in).sound);
        EXPECT_EQ(before.certificateSize, 0u);
    }
}

TEST(Signed, WithoutATrailerBeforeTheTableTheFileIsToldApart) {
    const struct {
        const char* what;
        Bytes file;
        FileKind kind;
        const char* problem;
    } rows[] = {
        {"signed bare stub", SignedCopy(PeImageOf(0x600, true), true), FileKind::NotInstaller,
         "not an installer: a signed executable without an archive"},
        {"signed bare stub, 7 bytes of padding", SignedCopy(PeImageOf(0x5F9, false), false), FileKind::NotInstaller,
         "not an installer: a signed executable without an archive"},
        {"trailer damaged", [] { Bytes f = Installer(false); f.back() ^= 1; return SignedCopy(f, false); }(),
         FileKind::Truncated, "bytes lie between the executable image and its certificate table"},
        {"table short of the end",
         [] {
             Bytes f = SignedCopy(Installer(true), true);
             Put32(f, SecurityEntryOf(true) + 4, 0x5A0);
             return f;
         }(),
         FileKind::Truncated, "8 bytes follow the executable image"},
    };
    for (const auto& row : rows) {
        Inspection in = sfx::Inspect(row.file);
        EXPECT_EQ(in.kind, row.kind) << row.what;
        EXPECT_TRUE(Mentions(in, row.problem)) << row.what;
    }
}

TEST(Signed, AnArchiveBehindASignedStubIsFlagged) {
    Bytes file = sfx::BuildInstaller(SignedCopy(PeImageOf(0x400, false), false), {"s", "s", {}, {}, ""},
                                     {{"s", ToBytes("x"), sfx::Stored}});
    Inspection in = sfx::Inspect(file);
    EXPECT_FALSE(in.hasErrors());
    EXPECT_TRUE(Mentions(in, "that does not end the file: Windows sees a broken signature"));
}

TEST(Signed, RestubLeavesTheTableBehind) {
    Bytes plain = Installer(false), signedFile = SignedCopy(plain, false);
    Bytes moved = sfx::Restub(signedFile, sfx::Inspect(signedFile), PeStub(0x800));
    EXPECT_EQ(moved, sfx::Restub(plain, sfx::Inspect(plain), PeStub(0x800)));
    EXPECT_EQ(sfx::Inspect(moved).certificateSize, 0u);
}

TEST(Signed, ASignedStubLosesTableEntryAndStaleChecksum) {
    EXPECT_EQ(sfx::PeChecksum(Bytes{1, 2, 3, 4, 5}, 100), 0x0201u + 0x0403u + 0x0005u + 5u);
    EXPECT_EQ(sfx::PeChecksum(Bytes{1, 2, 3, 4, 5, 6}, 2), 0x0201u + 6u);
    // Signing pads the image with 0 to 7 zeros; they go with the table.
    for (size_t padding = 0; padding < 8; ++padding) {
        for (bool wide : {false, true}) {
            Bytes stub = PeImageOf(0x600 - padding, wide), signedStub = SignedCopy(stub, wide);
            EXPECT_EQ(sfx::RemoveSignature(signedStub), sfx::Unsigned::TableRemoved);
            ASSERT_EQ(signedStub.size(), stub.size()) << padding;
            size_t checksum = 0x98 + 64;
            EXPECT_EQ((uint32_t)Get32(signedStub, checksum), sfx::PeChecksum(stub, checksum));
            Put32(signedStub, checksum, 0);
            EXPECT_EQ(signedStub, stub);
            EXPECT_EQ(sfx::RemoveSignature(stub), sfx::Unsigned::NotSigned);
        }
    }
    // An entry whose table doesn't end the file: nothing is cut, the entry is cleared anyway.
    Bytes odd = SignedCopy(PeImageOf(0x600, false), false);
    Put32(odd, SecurityEntryOf(false) + 4, 0x100);
    size_t size = odd.size();
    EXPECT_EQ(sfx::RemoveSignature(odd), sfx::Unsigned::EntryCleared);
    EXPECT_EQ(odd.size(), size);
    EXPECT_EQ(Get32(odd, SecurityEntryOf(false)) | Get32(odd, SecurityEntryOf(false) + 4), 0);
}

class SignedCommand : public ToolRun {};

TEST_F(SignedCommand, ListVerifyExtractAndRestubReadSignedInstallers) {
    Bytes plain = Installer(true);
    write("signed.exe", SignedCopy(plain, true));
    ASSERT_EQ(run({"list", "signed.exe"}), 0) << err;
    size_t offset = (plain.size() + 7) / 8 * 8, padding = offset - plain.size();
    EXPECT_NE(out.find("signed:          a certificate table at " + std::to_string(offset) + ", 1448 bytes, after " +
                       std::to_string(padding) + " bytes of padding (the signature is not checked)"),
              std::string::npos)
        << out;
    ASSERT_EQ(run({"list", "--json", "signed.exe"}), 0) << err;
    EXPECT_NE(out.find("\"certificateTable\": {\"offset\": " + std::to_string(offset) +
                       ", \"size\": 1448, \"padding\": " + std::to_string(padding) + "}"),
              std::string::npos)
        << out;
    ASSERT_EQ(run({"verify", "signed.exe"}), 0) << out << err;
    EXPECT_NE(out.find("signed: a 1448-byte certificate table follows the archive"), std::string::npos) << out;
    ASSERT_EQ(run({"extract", "signed.exe", "-d", "x"}), 0) << err;
    EXPECT_EQ(read("x/a.dll"), Noise(301));

    write("stub.exe", PeStub(0x600));
    ASSERT_EQ(run({"restub", "signed.exe", "--stub", "stub.exe", "-o", "moved.exe"}), 0) << err;
    EXPECT_NE(err.find("note: signed.exe was signed; moved.exe carries no signature and must be signed again"),
              std::string::npos)
        << err;
    EXPECT_EQ(sfx::Inspect(read("moved.exe")).certificateSize, 0u);
}

TEST_F(SignedCommand, CreateAndRestubUnsignASignedStub) {
    write("signed stub.exe", SignedCopy(PeImageOf(0x600, true), true));
    write("setup.exe", TextLike(100));
    write("setup.lst", TextLike(10));
    ASSERT_EQ(run({"create", "-o", "made.exe", "--stub", "signed stub.exe", "--setup", "setup.exe", "--project",
                   "setup.lst"}),
              0)
        << err;
    EXPECT_NE(err.find("note: the stub signed stub.exe is signed; its certificate table is removed"),
              std::string::npos)
        << err;
    Bytes made = read("made.exe");
    EXPECT_EQ(Get32(made, SecurityEntryOf(true) + 4), 0);
    EXPECT_EQ(sfx::ArchiveStart(sfx::Inspect(made)), 0x600u);
    ASSERT_EQ(run({"restub", "made.exe", "--stub", "signed stub.exe", "-o", "again.exe"}), 0) << err;
    EXPECT_EQ(read("again.exe"), made);
}

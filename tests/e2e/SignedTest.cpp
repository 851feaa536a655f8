// Signed installers under Wine: installers signed by osslsigncode with a certificate made for
// the run (never kept), with and without padding and with a nested second signature, unpack
// and clean up as unsigned ones do; a signed bare stub and a damaged security entry do nothing.
#include <cstdlib>
#include "e2e/Branding.h"
#include "e2e/E2e.h"

namespace {

// A throwaway key and self-signed certificate in a private folder, made on first use and
// removed when the tests end.
struct SigningKeys {
    std::string made;    // the private folder, removed at the end even when openssl failed
    std::string folder;  // the same once the key and certificate are in it
    SigningKeys() {
        char pattern[] = "/tmp/sfxsign.XXXXXX";
        if (!mkdtemp(pattern)) return;
        made = pattern;
        std::string command = "cd '" + made +
                              "' && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem "
                              "-days 2 -subj '/CN=sfx test signer' >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) folder = made;
    }
    ~SigningKeys() {
        if (!made.empty()) std::system(("rm -rf '" + made + "'").c_str());
    }
};

const std::string& SigningFolder() {
    static SigningKeys keys;
    return keys.folder;
}

// osslsigncode's signature over the bytes, or nested into the one they carry.
sfx::Bytes Sign(const sfx::Bytes& file, bool nest) {
    std::string folder = SigningFolder();
    WriteHostFile(folder + "/in.exe", file);
    std::remove((folder + "/out.exe").c_str());
    std::string command = "cd '" + folder + "' && osslsigncode sign " + (nest ? "-nest " : "") +
                          "-certs cert.pem -key key.pem -in in.exe -out out.exe >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return {};
    return ReadHostFile(folder + "/out.exe");
}

bool Verifies(const sfx::Bytes& file) {
    std::string folder = SigningFolder();
    WriteHostFile(folder + "/check.exe", file);
    return std::system(("cd '" + folder + "' && osslsigncode verify -CAfile cert.pem -in check.exe >/dev/null 2>&1")
                           .c_str()) == 0;
}

uint32_t Le32(const sfx::Bytes& bytes, size_t at) { return (uint32_t)ReadLittle32(&bytes.at(at + 3) - 3); }

// The end-to-end fixture with a signing certificate at hand.
class Signed : public E2e {
protected:
    void SetUp() override {
        E2e::SetUp();
        ASSERT_FALSE(SigningFolder().empty()) << "openssl could not make a certificate";
    }

    // The sample files behind the stub, the last one's length chosen so that the archive ends on a
    // multiple of 8 or not.
    sfx::Bytes build(bool aligned) {
        for (size_t extra = 0;; ++extra) {
            files = {{"setup.exe", probe}, {"setup.lst", TextLike(3000)}, {"a.dll", Noise(5000 + extra)}};
            sfx::Bytes image = PackFiles(files, stubBytes);
            if ((image.size() % 8 == 0) == aligned) return image;
        }
    }
};

struct SignedCase {
    const char* name;
    const Stub& (*stub)();
    bool aligned;  // the archive ends on a multiple of 8: no padding before the table
    bool nested;   // a second signature nested into the first
    bool branded = false;  // the stub given an icon and version resource before packing
};
// The 32-bit loader may run under an emulator: two cases cover both alignments and nesting
// there. Names holding the stub's name get the wine32 label.
const SignedCase SignedRows[] = {
    {"Aligned", Win64Stub, true, false},
    {"Padded", Win64Stub, false, false},
    {"PaddedNested", Win64Stub, false, true},
    {"win32Aligned", Win32Stub, true, false},
    {"win32PaddedNested", Win32Stub, false, true},
    {"BrandedPadded", Win64Stub, false, false, true},
};

class SignedInstallers : public Signed, public ::testing::WithParamInterface<SignedCase> {
    const Stub& stubUnderTest() const override { return GetParam().stub(); }
};

TEST_P(SignedInstallers, UnpackStartTheSetupProgramAndCleanUp) {
    const SignedCase& row = GetParam();
    if (row.branded) stubBytes = BrandedStub(stubBytes);
    sfx::Bytes image = build(row.aligned), signedImage = Sign(image, false);
    if (row.nested) signedImage = Sign(signedImage, true);
    ASSERT_GT(signedImage.size(), image.size());
    ASSERT_TRUE(Verifies(signedImage));
    ASSERT_NE(Le32(signedImage, signedImage.size() - 4), (uint32_t)ArchiveSignature);  // no trailer at the end any more

    WineRun result = run(signedImage);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.boxes().empty()) << result.trace;
    for (auto& [name, data] : files) EXPECT_EQ(ReadHostFile(DriveC() + "/_setup/" + name), data) << name;
    EXPECT_EQ(result.started(), std::vector<std::string>{InstallerLine}) << result.trace;
    EXPECT_EQ(probeNote(), InstallerLine + "\n");

    result = run(signedImage, "q");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.boxes().empty()) << result.trace;
    EXPECT_FALSE(HostExists(DriveC() + "/_setup"));
}

INSTANTIATE_TEST_SUITE_P(Signed, SignedInstallers, ::testing::ValuesIn(SignedRows),
                         [](const auto& info) { return std::string(info.param.name); });

// What refuses to be an installer needs no second loader.
TEST_F(Signed, ASignedBareStubDoesNothing) { expectNothingDone(run(Sign(stubBytes, false))); }

TEST_F(Signed, ADamagedSecurityEntryIsAFileWithoutATrailer) {
    // The table's size made 8 bytes short, so that it no longer ends the file.
    sfx::Bytes damaged = Sign(build(false), false);
    size_t optional = Le32(damaged, 0x3C) + 24;
    size_t entry = optional + (damaged.at(optional + 1) == 0x02 ? 112 : 96) + 4 * 8;
    uint32_t size = Le32(damaged, entry + 4) - 8;
    for (int i = 0; i < 4; ++i) damaged[entry + 4 + i] = (uint8_t)(size >> (8 * i));
    expectNothingDone(run(damaged));
}

}  // namespace

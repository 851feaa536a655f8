// Damaged installers: every cut length and every directory byte changed. Under the sanitizers
// any read or write out of bounds fails the test; the watchdog catches a hang.
#include <chrono>
#include "archive/Archive.h"
#include "driver/Installer.h"
#include "support/HostRun.h"
#include "system/posix/HostControl.h"

namespace {

struct Sample {
    sfx::Bytes bytes;
    size_t directoryOffset;
};

Sample ValidInstaller() {
    sfx::Directory dir{"setup.exe", "setup.lst", {"a.dll", "b.txt"}, {"setup.lst", "a.dll", "b.txt"}, "x"};
    std::vector<sfx::Member> members = {
        {"setup.exe", sfx::DeflateMember(TextLike(300)), sfx::Deflated},
        {"setup.lst", ToBytes("[setup]\r\n"), sfx::Stored},
        {"a.dll", sfx::DeflateMember(TextLike(200, 2), 9, false), sfx::Deflated},
        {"b.txt", Noise(40), sfx::Stored},
    };
    Sample sample{sfx::BuildInstaller(FakeStub(64), dir, members), 0};
    const sfx::Bytes& b = sample.bytes;
    size_t n = b.size();
    sample.directoryOffset = (size_t)ReadLittle32(&b[n - TrailerSize]);
    return sample;
}

}  // namespace

class Damage : public HostRun {
protected:
    // One whole run of the installer over the bytes, both modes. Every step must come back.
    void runBoth(const sfx::Bytes& bytes) {
        installer(bytes);
        auto start = std::chrono::steady_clock::now();
        RunInstaller(nullptr, "");
        RunInstaller(nullptr, "/q");
        auto elapsed = std::chrono::steady_clock::now() - start;
        // Generous: a damaged file must never make the run loop or wait.
        EXPECT_LT(elapsed, std::chrono::seconds(2));
    }

    void SetUp() override {
        HostRun::SetUp();
        HostSetLauncher([](const std::string&) { return true; });
    }
};

TEST_F(Damage, ValidSampleUnpacksCleanly) {
    runBoth(ValidInstaller().bytes);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Damage, EveryCutLength) {
    Sample sample = ValidInstaller();
    for (size_t length = 0; length < sample.bytes.size(); ++length) {
        sfx::Bytes cut(sample.bytes.begin(), sample.bytes.begin() + (ptrdiff_t)length);
        runBoth(cut);
        // The same cut with the trailer put back, so that the reader meets a short directory
        // or members that run past the end.
        sfx::Bytes trailer(sample.bytes.end() - 8, sample.bytes.end());
        cut.insert(cut.end(), trailer.begin(), trailer.end());
        runBoth(cut);
    }
}

TEST_F(Damage, EveryDirectoryByteChanged) {
    Sample sample = ValidInstaller();
    const uint8_t values[] = {0x00, 0xFF, 0x7F, 0x80};
    for (size_t at = sample.directoryOffset; at < sample.bytes.size(); ++at) {
        for (uint8_t value : values) {
            sfx::Bytes damaged = sample.bytes;
            damaged[at] = value;
            runBoth(damaged);
            damaged[at] = (uint8_t)(sample.bytes[at] ^ 0x01);
            runBoth(damaged);
        }
    }
}

TEST_F(Damage, EveryMemberByteFlipped) {
    Sample sample = ValidInstaller();
    for (size_t at = 64; at < sample.directoryOffset; ++at) {
        sfx::Bytes damaged = sample.bytes;
        damaged[at] ^= 0x5A;
        runBoth(damaged);
    }
}

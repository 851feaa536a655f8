// Installers of gigabytes, packed by sfxpack create: a stored member of over 1.5 GiB (stored by
// name) and a deflated one of 1 GiB, unpacked by each stub byte for byte, and deleted after the run.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include "e2e/E2e.h"

namespace {

const uint64_t MiB = 1u << 20;
const uint64_t StoredSize = 1560 * MiB + 3, DeflatedSize = 1024 * MiB + 5;
// Not a power of two, so that stamps fall across the edges of the stub's buffers.
const uint64_t Stride = 999983;

// The bytes [at, at + count) of a file of zeros but for its stamps: every Stride bytes, the
// stamp's own offset, 8 bytes of it. A piece written twice, dropped or out of order shows.
void Stamped(uint8_t* bytes, uint64_t at, size_t count, uint64_t size) {
    std::memset(bytes, 0, count);
    for (uint64_t stamp = at < 8 ? 0 : (at - 7 + Stride - 1) / Stride * Stride; stamp < at + count; stamp += Stride)
        for (uint64_t i = 0; i < 8 && stamp + 8 <= size; ++i)
            if (stamp + i >= at && stamp + i < at + count) bytes[stamp + i - at] = (uint8_t)(stamp >> (8 * i));
}

// Such a file, sparse: its zeros cost neither disk nor time to write or to read back.
bool WriteStamped(const std::string& path, uint64_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    bool done = file && ftruncate(fileno(file), (off_t)size) == 0;
    for (uint64_t stamp = 0; done && stamp + 8 <= size; stamp += Stride) {
        uint8_t bytes[8];
        Stamped(bytes, stamp, 8, size);
        done = pwrite(fileno(file), bytes, 8, (off_t)stamp) == 8;
    }
    return file && std::fclose(file) == 0 && done;
}

bool IsStamped(const std::string& path, uint64_t size) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    sfx::Bytes expected(MiB), found(MiB);
    bool same = true;
    for (uint64_t at = 0; same && at < size; at += MiB) {
        size_t count = (size_t)std::min<uint64_t>(MiB, size - at);
        Stamped(expected.data(), at, count, size);
        same = std::fread(found.data(), 1, MiB, file) == count && std::memcmp(expected.data(), found.data(), count) == 0;
    }
    same = same && std::fgetc(file) == EOF;
    std::fclose(file);
    return same;
}

class Gigabytes : public E2e, public ::testing::WithParamInterface<const Stub*> {
    const Stub& stubUnderTest() const override { return *GetParam(); }
};

TEST_P(Gigabytes, UnpackByteForByteInBoundedMemory) {
    std::string work = DriveC() + "/pack/", installer = DriveC() + "/dist/setup.exe";
    WriteHostFile(work + "setup.exe", probe);
    WriteHostFile(work + "setup.lst", TextLike(3000));
    ASSERT_TRUE(WriteStamped(work + "big.dat", StoredSize));
    ASSERT_TRUE(WriteStamped(work + "huge.txt", DeflatedSize));
    WriteHostFile(installer, {});  // makes the folder
    // To standard output: a file sfxpack writes itself is synced to disk first, which for
    // gigabytes takes longer than everything else here.
    std::string command = std::string(SfxpackPath) + " create -q -o - --stub '" + stub.exe +
                          "' --setup '" + work + "setup.exe' --project '" + work + "setup.lst' --support '" + work +
                          "big.dat' --support '" + work + "huge.txt' --store '*.dat' >'" + installer + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::system(("rm -rf '" + work + "'").c_str());
    // sfxpack's own check of every member, as the stub will unpack it: silent when sound.
    if (stub.name == Win64Stub().name) {
        ASSERT_EQ(std::system((std::string(SfxpackPath) + " verify -q '" + installer + "'").c_str()), 0);
    }

    WineRun result = RunUnderWine(stub, "c:\\dist\\setup.exe", "");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.boxes().empty()) << result.trace;
    EXPECT_EQ(result.started(), std::vector<std::string>{InstallerLine});
    EXPECT_EQ(probeNote(), InstallerLine + "\n");
    EXPECT_TRUE(IsStamped(setup("big.dat"), StoredSize));
    EXPECT_TRUE(IsStamped(setup("huge.txt"), DeflatedSize));
}

INSTANTIATE_TEST_SUITE_P(Stub, Gigabytes, ::testing::Values(&Win64Stub(), &Win32Stub()),
                         [](const auto& info) { return info.param->name; });

}  // namespace

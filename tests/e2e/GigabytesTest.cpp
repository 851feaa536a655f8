// Installers of gigabytes, packed by sfxpack create: a stored member of over 1.5 GiB and a deflated
// one of 1 GiB, unpacked by each stub byte for byte. The files are made and checked a MiB at a
// time from their seed, and deleted after the run.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include "e2e/E2e.h"

namespace {

const size_t MiB = 1u << 20;
const uint64_t StoredSize = 1560 * MiB + 3, DeflatedSize = 1024 * MiB + 5;

// The MiB at `index`: noise, which sfxpack stores, or text that deflates well. Each carries its
// index, so a piece written twice, dropped or out of order shows.
void Piece(sfx::Bytes& piece, uint64_t index, bool noise) {
    static const sfx::Bytes text = TextLike(MiB, 3);
    if (noise) {
        uint64_t state = index * 0x9E3779B97F4A7C15ull + 1;
        for (size_t at = 0; at < MiB; at += 8) {
            state ^= state << 13, state ^= state >> 7, state ^= state << 17;
            std::memcpy(piece.data() + at, &state, 8);
        }
    } else {
        piece = text;
    }
    std::memcpy(piece.data(), &index, sizeof index);
}

// Writes the file, or tells whether it holds exactly those bytes.
bool Pieces(const std::string& path, uint64_t size, bool noise, bool write) {
    FILE* file = std::fopen(path.c_str(), write ? "wb" : "rb");
    if (!file) return false;
    sfx::Bytes piece(MiB), found(MiB);
    bool same = true;
    for (uint64_t at = 0; same && at < size; at += MiB) {
        size_t count = (size_t)std::min<uint64_t>(MiB, size - at);
        Piece(piece, at / MiB, noise);
        if (write) same = std::fwrite(piece.data(), 1, count, file) == count;
        else same = std::fread(found.data(), 1, MiB, file) == count && std::memcmp(piece.data(), found.data(), count) == 0;
    }
    same = same && (write || std::fgetc(file) == EOF);
    return std::fclose(file) == 0 && same;
}

class Gigabytes : public E2e, public ::testing::WithParamInterface<const Stub*> {
    const Stub& stubUnderTest() const override { return *GetParam(); }
};

TEST_P(Gigabytes, UnpackByteForByteInBoundedMemory) {
    std::string work = DriveC() + "/pack/", installer = DriveC() + "/dist/setup.exe";
    WriteHostFile(work + "setup.exe", probe);
    WriteHostFile(work + "setup.lst", TextLike(3000));
    ASSERT_TRUE(Pieces(work + "big.dat", StoredSize, true, true));
    ASSERT_TRUE(Pieces(work + "huge.txt", DeflatedSize, false, true));
    WriteHostFile(installer, {});
    std::string command = std::string(SFXPACK_PATH) + " create -q -o '" + installer + "' --stub '" + stub.exe +
                          "' --setup '" + work + "setup.exe' --project '" + work + "setup.lst' --support '" + work +
                          "big.dat' --support '" + work + "huge.txt'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::system(("rm -rf '" + work + "'").c_str());
    // sfxpack's own check of every member, as the stub will unpack it: silent when sound.
    if (stub.name == Win64Stub().name) {
        ASSERT_EQ(std::system((std::string(SFXPACK_PATH) + " verify -q '" + installer + "'").c_str()), 0);
    }

    WineRun result = RunUnderWine(stub, "c:\\dist\\setup.exe", "");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.boxes().empty()) << result.trace;
    EXPECT_EQ(result.started(), std::vector<std::string>{InstallerLine});
    EXPECT_EQ(probeNote(), InstallerLine + "\n");
    EXPECT_TRUE(Pieces(setup("big.dat"), StoredSize, true, false));
    EXPECT_TRUE(Pieces(setup("huge.txt"), DeflatedSize, false, false));
}

INSTANTIATE_TEST_SUITE_P(Stub, Gigabytes, ::testing::Values(&Win64Stub(), &Win32Stub()),
                         [](const auto& info) { return info.param->name; });

}  // namespace

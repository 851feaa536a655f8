// Installers from sfxpack create at its lowest and highest levels, with and without check values
// and with a member deflated in several pieces, unpacked by the real stub byte for byte.
#include "e2e/E2e.h"

namespace {

class PackLevels : public E2e {};

TEST_F(PackLevels, EveryLevelAndPieceJoinUnpacksByteForByte) {
    std::string work = DriveC() + "/pack";
    files.push_back({"large.dat", TextLike((17u << 20) + 3, 5)});  // two 16 MiB pieces
    for (auto& [name, data] : files) WriteHostFile(work + "/" + name, data);
    std::string in = " '" + work + "/";
    for (std::string options : {"--level 12", "--level 1 --no-check -j 3"}) {
        std::string command = std::string(SfxpackPath) + " create -q -o" + in + "setup.exe' --stub '" + stub.exe +
                              "' --setup" + in + "setup.exe' --project" + in + "setup.lst' --support" + in +
                              "a.dll' --support" + in + "readme.txt' --support" + in + "large.dat' " + options;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        expectExtracted(run(ReadHostFile(work + "/setup.exe")), InstallerLine);
        clearDrive();
        for (auto& [name, data] : files) WriteHostFile(work + "/" + name, data);
    }
}

}  // namespace

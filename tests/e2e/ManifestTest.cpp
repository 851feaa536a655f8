// Installers' manifests under Wine: sfxpack create writes the execution level into the real
// stub's manifest (or keeps the stub's own), a probe reads it back through an activation context
// as the loader does, wrestool finds the resource independently, and the installer still unpacks
// and starts its set-up program at every level (Wine does not elevate).
#include <cstdlib>
#include "e2e/E2e.h"

namespace {

struct LevelCase {
    const char* name;  // names holding "win32" run the PE32 in the smoke set
    const Stub& (*stub)();
    const char* level;  // the option's value; empty for none
    int runLevel;       // ACTCTX_REQUESTED_RUN_LEVEL: 0 unspecified, 1 asInvoker, 2 highest, 3 administrator
};
const LevelCase LevelRows[] = {
    {"Unset", Win64Stub, "", 0},
    {"AsInvoker", Win64Stub, "asInvoker", 1},
    {"HighestAvailable", Win64Stub, "highestAvailable", 2},
    {"RequireAdministrator", Win64Stub, "requireAdministrator", 3},
    {"win32RequireAdministrator", Win32Stub, "requireAdministrator", 3},
};

const char* const SupportedOs =
    "os {e2011457-1546-43c5-a5fe-008deee3d3f0}\nos {35138b9a-5d96-4fbd-8e2d-a2440225f93a}\n"
    "os {4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\nos {1f676c76-80e1-4239-95bb-83d0f6d0da78}\n"
    "os {8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\n";

class ManifestLevels : public E2e, public ::testing::WithParamInterface<LevelCase> {
    const Stub& stubUnderTest() const override { return GetParam().stub(); }
};

TEST_P(ManifestLevels, WindowsReadsTheLevelAndTheInstallerStillRuns) {
    const LevelCase& row = GetParam();
    for (auto& [name, data] : files) WriteHostFile(DriveC() + "/pack/" + name, data);
    std::string command = "cd '" + DriveC() +
                          "' && mkdir -p dist && " + SfxpackPath + " create -q -o dist/setup.exe --stub '" + stub.exe +
                          "' --setup pack/setup.exe --project pack/setup.lst --support pack/a.dll"
                          " --support pack/readme.txt" +
                          (*row.level ? std::string(" --execution-level ") + row.level : "");
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    sfx::Bytes installer = ReadHostFile(DriveC() + "/dist/setup.exe");
    std::string listed = "wrestool -l '" + DriveC() + "/dist/setup.exe' | grep -q -- '--type=24 --name=1 '";
    EXPECT_EQ(std::system(listed.c_str()), 0) << "wrestool lists no manifest";

    Stub probeRun = stub;
    probeRun.exe = stub.probe.substr(0, stub.probe.rfind('/')) + "/manifestprobe.exe";
    WriteHostFile(DriveC() + "/dist/manifestprobe.exe", ReadHostFile(probeRun.exe));
    RunUnderWine(probeRun, "c:\\dist\\manifestprobe.exe", "'c:\\dist\\setup.exe' 'c:\\dist\\manifest.txt'", false);
    EXPECT_EQ(ToText(ReadHostFile(DriveC() + "/dist/manifest.txt")),
              "actctx ok\nrunlevel " + std::to_string(row.runLevel) + " uiaccess 0\n" + SupportedOs);

    expectExtracted(run(installer), InstallerLine);
}

INSTANTIATE_TEST_SUITE_P(Manifest, ManifestLevels, ::testing::ValuesIn(LevelRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

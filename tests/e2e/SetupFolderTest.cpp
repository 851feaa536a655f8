// The set-up folder under Wine, whose Unix modes stand for access lists (the others' bits for
// Everyone) and which reports a symbolic link as a reparse point: the stub makes the folder
// private and reuses its own, and refuses one open to everyone or a link, touching nothing.
#include <sys/stat.h>
#include <unistd.h>
#include "e2e/E2e.h"

namespace {

enum class Found { Nothing, OpenFolder, Link, LinkInCleanUp };
struct FolderRow {
    const char* name;
    const Stub& (*stub)();
    Found found;
};
const FolderRow FolderRows[] = {
    {"Fresh", Win64Stub, Found::Nothing},           {"OpenToEveryone", Win64Stub, Found::OpenFolder},
    {"Link", Win64Stub, Found::Link},               {"CleanUpThroughLink", Win64Stub, Found::LinkInCleanUp},
    {"Fresh_win32", Win32Stub, Found::Nothing},     {"OpenToEveryone_win32", Win32Stub, Found::OpenFolder},
};

class SetupFolder : public E2e, public ::testing::WithParamInterface<FolderRow> {
protected:
    const Stub& stubUnderTest() const override { return GetParam().stub(); }
    void SetUp() override {
        E2e::SetUp();
        ServeWithOpenUmask();
        char pattern[] = "/tmp/sfx-elsewhere.XXXXXX";
        elsewhere = mkdtemp(pattern);
    }
    void TearDown() override {
        E2e::TearDown();
        std::system(("rm -rf '" + elsewhere + "'").c_str());
    }
    // The files in a folder, each with what it holds when short, or its size.
    std::vector<std::string> planted(const std::string& folder) {
        std::vector<std::string> out;
        for (const std::string& name : FilesUnder(folder)) {
            sfx::Bytes bytes = ReadHostFile(folder + "/" + name);
            out.push_back(name + "=" + (bytes.size() <= 16 ? ToText(bytes) : std::to_string(bytes.size()) + " bytes"));
        }
        return out;
    }
    std::string elsewhere;
};

TEST_P(SetupFolder, IsPrivateOrRefused) {
    const std::string folder = DriveC() + "/_setup", box = ". Delete it and run the installer again: c:\\_setup";
    const sfx::Bytes installer = build(files);
    struct stat info;
    switch (GetParam().found) {
    case Found::Nothing: {
        expectExtracted(run(installer), InstallerLine);
        ASSERT_EQ(stat(folder.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07, 0u) << std::oct << info.st_mode;
        // A second run finds the folder it made safe, and unpacks over what is there.
        ASSERT_TRUE(AwaitOwnProgramsGone(Wine32Emulated() ? 600 : 60));
        unlink((DriveC() + "/probe.txt").c_str());
        unlink(setup("a.dll").c_str());
        expectExtracted(run(installer), InstallerLine);
        break;
    }
    case Found::OpenFolder: {
        mkdir(folder.c_str(), 0777);
        chmod(folder.c_str(), 0777);
        WriteHostFile(folder + "/Setup.exe", ToBytes("planted"));
        WriteHostFile(folder + "/version.dll", ToBytes("planted"));
        WineRun result = run(installer);
        EXPECT_EQ(result.boxes(), std::vector<Box>{ErrorBox("The set-up folder can be changed by other users" + box)})
            << result.trace;
        EXPECT_TRUE(result.started().empty());
        EXPECT_EQ(planted(folder), (std::vector<std::string>{"Setup.exe=planted", "version.dll=planted"}));
        break;
    }
    case Found::Link: {
        ASSERT_EQ(symlink(elsewhere.c_str(), folder.c_str()), 0);
        WineRun result = run(installer);
        EXPECT_EQ(result.boxes(), std::vector<Box>{ErrorBox("The set-up folder is a link to another place" + box)})
            << result.trace;
        EXPECT_TRUE(result.started().empty());
        EXPECT_TRUE(FilesUnder(elsewhere).empty());
        break;
    }
    case Found::LinkInCleanUp: {
        for (auto& [name, data] : files) WriteHostFile(elsewhere + "/" + name, ToBytes("theirs"));
        ASSERT_EQ(symlink(elsewhere.c_str(), folder.c_str()), 0);
        expectCleanUpRun(run(installer, "/q"));
        EXPECT_EQ(planted(elsewhere), (std::vector<std::string>{"a.dll=theirs", "readme.txt=theirs", "setup.exe=theirs",
                                                                "setup.lst=theirs"}));
        break;
    }
    }
}

INSTANTIATE_TEST_SUITE_P(Wine, SetupFolder, ::testing::ValuesIn(FolderRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// The whole run on the host: extraction, the set-up program's command line, clean-up, and the
// order of the visible steps.
#include "driver/Installer.h"
#include "support/HostRun.h"
#include <sys/stat.h>
#include <unistd.h>
#include "system/AccessList.h"
#include "system/posix/HostControl.h"

using Events = std::vector<std::string>;

class Installer : public HostRun {
protected:
    sfx::Bytes build() { return PackFiles(files); }

    NamedFiles files = SampleFiles();
};

TEST_F(Installer, UnpacksEveryFileAndStartsTheSetupProgram) {
    installer(build());
    EXPECT_EQ(RunInstaller(nullptr, ""), 0);
    for (auto& [name, data] : files) EXPECT_EQ(readFile("c:\\_setup\\" + name), data) << name;
    EXPECT_EQ(folderEntries("c:\\_setup"), (std::vector<std::string>{"a.dll", "b.txt", "setup.exe", "setup.lst"}));
    EXPECT_EQ(HostEvents(), (Events{"PumpMessages", "WaitCursor",
                                    "Start c:\\_setup\\setup.exe c:\\_setup\\setup.lst c:\\dist\\setup.exe",
                                    "PumpMessages"}));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Installer, CleanUpErasesTheNamedFilesAndTheFolder) {
    installer(build());
    RunInstaller(nullptr, "");
    HostEvents().clear();
    EXPECT_EQ(RunInstaller(nullptr, "/Q"), 0);
    EXPECT_FALSE(exists("c:\\_setup"));
    EXPECT_EQ(HostEvents(), (Events{"PumpMessages", "Sleep 1000", "PumpMessages"}));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Installer, AForeignFileKeepsTheFolder) {
    installer(build());
    RunInstaller(nullptr, "");
    writeFile("c:\\_setup\\user.dat", ToBytes("mine"));
    RunInstaller(nullptr, "q");
    EXPECT_EQ(folderEntries("c:\\_setup"), (std::vector<std::string>{"user.dat"}));
}

TEST_F(Installer, WithoutTheSignatureNothingHappens) {
    installer(FakeStub(3000));
    EXPECT_EQ(RunInstaller(nullptr, ""), 0);
    EXPECT_FALSE(exists("c:\\_setup"));
    EXPECT_EQ(HostEvents(), (Events{"PumpMessages", "WaitCursor", "PumpMessages"}));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Installer, ASetupPathEndingInUnderscoreGetsNoBlank) {
    files[0].first = "setup_";
    installer(build());
    HostSetLauncher([](const std::string&) { return true; });
    RunInstaller(nullptr, "");
    ASSERT_EQ(HostEvents().size(), 4u);
    EXPECT_EQ(HostEvents()[2], "Start c:\\_setup\\setup_c:\\_setup\\setup.lst c:\\dist\\setup.exe");
}

TEST_F(Installer, EachFailureShowsItsBoxAndTheRunGoesOn) {
    // The set-up program's method is refused, the project file can't be created (a folder
    // stands in its place), and the program then can't be run.
    sfx::Directory dir{"setup.exe", "setup.lst", {"a.dll"}, {}, ""};
    std::vector<sfx::Member> members = {{"setup.exe", ToBytes("x"), 1},
                                        {"setup.lst", ToBytes("list"), sfx::Stored},
                                        {"a.dll", ToBytes("dll"), sfx::Stored}};
    installer(sfx::BuildInstaller(FakeStub(), dir, members));
    writeFile("c:\\_setup\\setup.lst\\inside", {});
    RunInstaller(nullptr, "");
    EXPECT_EQ(boxes, (std::vector<Box>{ErrorBox("Self extracting header requires Quillmoor 97"),
                                       MessageBox("Cannot create file: c:\\_setup\\setup.lst"),
                                       MessageBox("Cannot run c:\\_setup\\setup.exe c:\\_setup\\setup.lst c:\\dist\\setup.exe")}));
    EXPECT_EQ(ToText(readFile("c:\\_setup\\a.dll")), "dll");
    EXPECT_EQ(HostEvents().back(), "PumpMessages");
}

TEST_F(Installer, NamesWithADriveStandForThemselves) {
    sfx::Directory dir{"setup.exe", "d:\\data\\setup.lst", {}, {}, ""};
    std::vector<sfx::Member> members = {{"setup.exe", ToBytes("x"), sfx::Stored},
                                        {"d:\\data\\setup.lst", ToBytes("list"), sfx::Stored}};
    installer(sfx::BuildInstaller(FakeStub(), dir, members));
    writeFile("d:\\data\\.keep", {});
    RunInstaller(nullptr, "");
    EXPECT_EQ(ToText(readFile("d:\\data\\setup.lst")), "list");
    EXPECT_EQ(HostEvents()[2], "Start c:\\_setup\\setup.exe d:\\data\\setup.lst c:\\dist\\setup.exe");
}

// The set-up folder made private: only the user, Administrators and SYSTEM, inherited by the
// files; a rerun finds it safe. Where the drive keeps no access lists it is made as it always was.
TEST_F(Installer, MakesTheSetupFolderPrivate) {
    installer(build());
    RunInstaller(nullptr, "");
    sfx::Bytes expected(PrivateDescriptorRoom);
    expected.resize(BuildPrivateDescriptor(expected.data(), HostUserSid().data()));
    EXPECT_EQ(HostMadeFolderDescriptor(), expected);
    struct stat info;
    ASSERT_EQ(stat(hostPath("c:\\_setup").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);
    EXPECT_TRUE(boxes.empty());
    ::unlink(hostPath("c:\\_setup\\a.dll").c_str());
    RunInstaller(nullptr, "");
    EXPECT_EQ(readFile("c:\\_setup\\a.dll"), files[2].second);
    EXPECT_TRUE(boxes.empty());

    HostFolder().keepsAccessLists = false;
    ::system(("rm -rf '" + hostPath("c:\\_setup") + "'").c_str());
    RunInstaller(nullptr, "");
    EXPECT_TRUE(HostMadeFolderDescriptor().empty());
    EXPECT_EQ(readFile("c:\\_setup\\a.dll"), files[2].second);
}

// A folder that others could have changed or redirected gets one box and nothing else: nothing
// unpacked, nothing started; and in clean-up nothing deleted, silently.
enum class Planted { OpenToEveryone, Linked, OwnedByAnother, Unreadable };
struct Refusal {
    const char* name;
    Planted kind;
    const char* reason;
};
const Refusal RefusalRows[] = {
    {"OpenToEveryone", Planted::OpenToEveryone, "The set-up folder can be changed by other users"},
    {"Linked", Planted::Linked, "The set-up folder is a link to another place"},
    {"OwnedByAnother", Planted::OwnedByAnother, "The set-up folder belongs to another user"},
    {"Unreadable", Planted::Unreadable, "The set-up folder has permissions that can't be read"},
};

class RefusedFolder : public Installer, public ::testing::WithParamInterface<Refusal> {
protected:
    // The folder as another user left it, holding a set-up program and a DLL of theirs (for the
    // link, in the folder it leads to); gives that folder.
    std::string arrange() {
        Planted kind = GetParam().kind;
        std::string folder = kind == Planted::Linked ? "c:\\elsewhere" : "c:\\_setup";
        for (const char* name : {"setup.exe", "a.dll", "version.dll"}) writeFile(folder + "\\" + name, ToBytes("planted"));
        if (kind == Planted::OpenToEveryone) chmod(hostPath(folder).c_str(), 0777);
        if (kind == Planted::Linked) symlink(hostPath(folder).c_str(), hostPath("c:\\_setup").c_str());
        if (kind == Planted::OwnedByAnother) {
            // Everyone as the owner, and an empty access list.
            HostFolder().descriptor = HostDescriptor({1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}, {});
        }
        if (kind == Planted::Unreadable) HostFolder().openDenied = true;
        return folder;
    }
};

TEST_P(RefusedFolder, GetsOneBoxAndNothingElse) {
    installer(build());
    std::string folder = arrange();
    EXPECT_EQ(RunInstaller(nullptr, ""), 0);
    std::string text = std::string(GetParam().reason) + ". Delete it and run the installer again: c:\\_setup";
    EXPECT_EQ(boxes, std::vector<Box>{ErrorBox(text)});
    EXPECT_EQ(HostEvents(), (Events{"PumpMessages", "WaitCursor", "Box Error: " + text, "PumpMessages"}));
    auto untouched = [&] {
        EXPECT_EQ(folderEntries(folder), (std::vector<std::string>{"a.dll", "setup.exe", "version.dll"}));
        for (const char* name : {"setup.exe", "a.dll"}) EXPECT_EQ(ToText(readFile(folder + "\\" + name)), "planted");
    };
    untouched();
    boxes.clear();
    EXPECT_EQ(RunInstaller(nullptr, "q"), 0);
    EXPECT_TRUE(boxes.empty());
    untouched();
}

INSTANTIATE_TEST_SUITE_P(Installer, RefusedFolder, ::testing::ValuesIn(RefusalRows),
                         [](const auto& info) { return std::string(info.param.name); });

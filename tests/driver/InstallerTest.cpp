// The whole run on the host: extraction, the set-up program's command line, clean-up, and the
// order of the visible steps.
#include "driver/Installer.h"
#include "support/HostRun.h"
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

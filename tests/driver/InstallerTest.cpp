// The whole run on the host: extraction, the set-up program's command line, clean-up, and the
// order of the visible steps.
#include "driver/Installer.h"
#include "support/HostRun.h"
#include <sys/stat.h>
#include <algorithm>
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

// Unattended runs, by the switch or on a station without a display: no box, each text reported,
// the set-up program waited for, and the exit code its own, else the first failure's, else 0.
enum class Fault { None, NoArchive, UnknownMember, BadMethod, OpenFolder, NotStarted, WaitFails };
struct Unattended {
    const char* name;
    const char* tail;
    bool display;
    std::vector<Fault> faults;
    uint32_t setupExit;
    int exitCode;
    std::vector<std::string> reports;
};
const std::string Line = "c:\\_setup\\setup.exe c:\\_setup\\setup.lst c:\\dist\\setup.exe";
const Unattended UnattendedRows[] = {
    {"Clean", "/S", true, {}, 0, 0, {}},
    {"SetupExitCode", "/s", true, {}, 7, 7, {}},
    {"HiddenStation", "", false, {}, 3010, 3010, {}},
    {"NoArchive", "/S", true, {Fault::NoArchive}, 0, ExitNoArchive, {"9601 Archive not found: c:\\dist\\setup.exe"}},
    {"UnknownMember", "/S", true, {Fault::UnknownMember}, 0, ExitMemberFailed, {"9603 Member not found: gone.dll"}},
    {"FolderRefused", "/S", true, {Fault::OpenFolder}, 0, ExitFolderRefused,
     {"9602 The set-up folder can be changed by other users. Delete it and run the installer again: c:\\_setup"}},
    {"NotStarted", "/S", true, {Fault::NotStarted}, 0, ExitNotStarted, {"9604 Cannot run " + Line}},
    {"WaitFails", "/S", true, {Fault::WaitFails}, 5, ExitWaitFailed, {"9605 Cannot wait for " + Line}},
    {"FirstFailureCounts", "/S", true, {Fault::BadMethod, Fault::UnknownMember, Fault::NotStarted}, 0, ExitMemberFailed,
     {"9603 Self extracting header requires Quillmoor 97", "9603 Member not found: gone.dll", "9604 Cannot run " + Line}},
    {"SetupExitWins", "/S", true, {Fault::UnknownMember}, 5, 5, {"9603 Member not found: gone.dll"}},
    {"CleanUpNoArchive", "q", false, {Fault::NoArchive}, 0, ExitNoArchive, {"9601 Archive not found: c:\\dist\\setup.exe"}},
    {"CleanUpRefused", "/S q", true, {Fault::OpenFolder}, 0, ExitFolderRefused, {"9602 Cannot clean up folder: c:\\_setup"}},
};

class UnattendedRun : public Installer, public ::testing::WithParamInterface<Unattended> {
protected:
    bool has(Fault fault) const {
        const auto& faults = GetParam().faults;
        return std::find(faults.begin(), faults.end(), fault) != faults.end();
    }
};

TEST_P(UnattendedRun, ReportsAndExitsWithTheCode) {
    const Unattended& row = GetParam();
    bool cleanUp = std::string(row.tail).find('q') != std::string::npos;
    sfx::Directory dir{"setup.exe", "setup.lst", {"a.dll"}, {}, ""};
    if (has(Fault::UnknownMember)) dir.supportFiles.push_back("gone.dll");
    std::vector<sfx::Member> members = {{"setup.exe", ToBytes("x"), has(Fault::BadMethod) ? 1 : sfx::Stored},
                                        {"setup.lst", ToBytes("list"), sfx::Stored},
                                        {"a.dll", ToBytes("dll"), sfx::Stored}};
    installer(has(Fault::NoArchive) ? FakeStub(3000) : sfx::BuildInstaller(FakeStub(), dir, members));
    if (has(Fault::OpenFolder)) {
        writeFile("c:\\_setup\\setup.exe", ToBytes("planted"));
        chmod(hostPath("c:\\_setup").c_str(), 0777);
    }
    HostSetLauncher([&](const std::string&) { return !has(Fault::NotStarted); });
    if (has(Fault::WaitFails)) HostFailCall(HostCall::Wait, 1);
    HostDisplayVisible() = row.display;
    HostProgramExit() = row.setupExit;

    EXPECT_EQ(RunInstaller(nullptr, row.tail), row.exitCode);
    EXPECT_TRUE(boxes.empty());
    Events reports;
    for (const std::string& event : HostEvents())
        if (event.rfind("Report ", 0) == 0) reports.push_back(event.substr(7));
    EXPECT_EQ(reports, row.reports);
    bool started = !cleanUp && !has(Fault::NoArchive) && !has(Fault::OpenFolder);
    bool waited = started && !has(Fault::NotStarted);
    EXPECT_EQ(std::count(HostEvents().begin(), HostEvents().end(), "Start " + Line), started ? 1 : 0);
    EXPECT_EQ(std::count(HostEvents().begin(), HostEvents().end(), "Wait"), waited ? 1 : 0);
    EXPECT_EQ(HostEvents().back(), "PumpMessages");
}

INSTANTIATE_TEST_SUITE_P(Installer, UnattendedRun, ::testing::ValuesIn(UnattendedRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Words behind "--" follow the three parts after one blank, and each part that holds a blank is
// quoted then; an attended run still exits 0 and never waits.
TEST_F(Installer, WordsPassedOnFollowTheQuotedParts) {
    files[1].first = "set up.lst";
    installer(build());
    HostSetLauncher([](const std::string&) { return true; });
    HostProgramExit() = 9;
    EXPECT_EQ(RunInstaller(nullptr, "-- /silent  /log=\"c:\\my logs\\q.txt\" "), 0);
    EXPECT_EQ(HostEvents()[2], "Start c:\\_setup\\setup.exe \"c:\\_setup\\set up.lst\" c:\\dist\\setup.exe "
                               "/silent  /log=\"c:\\my logs\\q.txt\" ");
    EXPECT_EQ(HostEvents().size(), 4u);
    HostEvents().clear();
    RunInstaller(nullptr, "--");
    EXPECT_EQ(HostEvents()[2], "Start c:\\_setup\\setup.exe c:\\_setup\\set up.lst c:\\dist\\setup.exe");
}

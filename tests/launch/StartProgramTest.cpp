// Starting the set-up program: the command line passed unchanged, and the box when it fails.
#include "launch/StartProgram.h"
#include "support/HostRun.h"
#include "system/posix/HostControl.h"

class StartSetup : public HostRun {};

TEST_F(StartSetup, PassesTheCommandLineUnchanged) {
    std::string seen;
    HostSetLauncher([&](const std::string& line) { seen = line; return true; });
    char line[] = "c:\\_setup\\setup.exe c:\\_setup\\setup.lst c:\\dist\\setup.exe";
    EXPECT_TRUE(StartProgram(line));
    EXPECT_EQ(seen, "c:\\_setup\\setup.exe c:\\_setup\\setup.lst c:\\dist\\setup.exe");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(StartSetup, AFailedStartShowsCannotRunWithTheWholeLine) {
    char line[] = "c:\\_setup\\missing.exe c:\\_setup\\p.lst";
    EXPECT_FALSE(StartProgram(line));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], MessageBox("Cannot run c:\\_setup\\missing.exe c:\\_setup\\p.lst"));
}

TEST_F(StartSetup, TheBoxShowsTheLineEvenWhenThePlatformWroteIntoIt) {
    HostSetLauncher([](const std::string&) { return false; });
    char line[] = "a.exe b";
    HostSetLauncher([&line](const std::string&) { line[0] = 'X'; return false; });
    EXPECT_FALSE(StartProgram(line));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], MessageBox("Cannot run a.exe b"));
}

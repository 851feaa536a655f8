// Paths and the set-up folder on the host backend: member paths, folder creation, erasing.
#include "support/HostRun.h"
#include "system/Paths.h"
#include "system/posix/HostControl.h"

class Paths : public HostRun {};

TEST_F(Paths, MemberPathJoinsTheSetupFolderUnlessTheNameHasAColon) {
    EXPECT_STREQ(SetupFolder(), "c:\\_setup");
    EXPECT_STREQ(MemberPath("setup.exe"), "c:\\_setup\\setup.exe");
    const char* own = "d:\\elsewhere\\x.dll";
    EXPECT_EQ(MemberPath(own), own);
    const char* shared = MemberPath("a");
    EXPECT_EQ(MemberPath("bb"), shared);  // one buffer, overwritten by the next call
    EXPECT_STREQ(shared, "c:\\_setup\\bb");
}

TEST_F(Paths, ModulePathIsCutTo255Characters) {
    HostSetModulePath(std::string(300, 'x'));
    EXPECT_EQ(strlen(ModulePath()), 255u);
    HostSetModulePath("c:\\dist\\setup.exe");
    EXPECT_STREQ(ModulePath(), "c:\\dist\\setup.exe");
}

TEST_F(Paths, MakeDirectoryCreatesEveryLevelSilently) {
    char deep[] = "c:\\one\\two\\three";
    MakeDirectory(deep);
    EXPECT_TRUE(exists("c:\\one\\two\\three"));
    EXPECT_STREQ(deep, "c:\\one\\two\\three");  // the walk puts back every backslash
    MakeDirectory(deep);                         // existing folders are fine
    char trailing[] = "d:\\four\\five\\";
    MakeDirectory(trailing);
    EXPECT_TRUE(exists("d:\\four\\five"));
    char first[] = "a:\\six";  // the lowest letter in lower case is a drive like any other
    MakeDirectory(first);
    EXPECT_TRUE(exists("a:\\six"));
    char setup[] = "C:\\_setup";
    MakeDirectory(setup);
    EXPECT_TRUE(exists("c:\\_setup"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Paths, MakeDirectoryShowsTheUsageTextForAnyOtherForm) {
    for (const char* form : {"c:one", "1:\\x", "c\\x", "", "\\x", "cc:\\x"}) {
        boxes.clear();
        std::string text = form;
        MakeDirectory(&text[0]);
        ASSERT_EQ(boxes.size(), 1u) << form;
        EXPECT_EQ(boxes[0], ErrorBox("Make directory \"<drive>:\\<directory>\"")) << form;
    }
}

TEST_F(Paths, EraseFileIsSilentAndAlwaysOne) {
    writeFile("c:\\_setup\\a.txt", ToBytes("a"));
    EXPECT_EQ(EraseFile("c:\\_setup\\a.txt"), 1);
    EXPECT_FALSE(exists("c:\\_setup\\a.txt"));
    EXPECT_EQ(EraseFile("c:\\_setup\\a.txt"), 1);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Paths, TheSetupFolderIsRemovedOnlyWhenEmpty) {
    writeFile("c:\\_setup\\foreign.txt", ToBytes("mine"));
    RemoveSetupFolder();
    EXPECT_TRUE(exists("c:\\_setup\\foreign.txt"));
    EraseFile("c:\\_setup\\foreign.txt");
    RemoveSetupFolder();
    EXPECT_FALSE(exists("c:\\_setup"));
    EXPECT_TRUE(boxes.empty());
}

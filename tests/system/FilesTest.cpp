// File access: each failure's box, and the reads that report less than was asked.
#include "archive/Directory.h"
#include "support/HostRun.h"
#include "system/Files.h"
#include "system/posix/HostControl.h"

class Files : public HostRun {};

TEST_F(Files, MissingInputShowsFileNotFound) {
    EXPECT_EQ(OpenInputFile("c:\\nowhere\\x.exe"), InvalidFile());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], MessageBox("File not found: c:\\nowhere\\x.exe"));
}

TEST_F(Files, UncreatableOutputIsShownOnlyWhenAsked) {
    EXPECT_EQ(CreateOutputFile("c:\\missing\\x.txt", 0), InvalidFile());
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(CreateOutputFile("c:\\missing\\x.txt", 1), InvalidFile());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], MessageBox("Cannot create file: c:\\missing\\x.txt"));
}

TEST_F(Files, SeekReadAndWriteFailuresShowTheirErrors) {
    FileHandle file = openBytes({1, 2, 3, 4});
    HostFailCall(HostCall::Seek, 1);
    EXPECT_EQ(SeekFile(file, 0, SeekBegin), -1);
    HostFailCall(HostCall::Read, 1);
    char buffer[4];
    EXPECT_EQ(ReadFileBytes(file, buffer, 4), -1);
    HostFailCall(HostCall::Write, 1);
    EXPECT_EQ(WriteFileBytes(file, buffer, 4), -1);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0], ErrorBox("File seek error"));
    EXPECT_EQ(boxes[1], ErrorBox("Cannot read file"));
    EXPECT_EQ(boxes[2], ErrorBox("Cannot write file"));
}

TEST_F(Files, ReadFileLongIsZeroUnlessFourBytesArrive) {
    FileHandle file = openBytes({0x8A, 0x25, 0x00, 0x00, 0x01, 0x02});
    EXPECT_EQ(ReadFileLong(file), 9610);
    EXPECT_EQ(ReadFileLong(file), 0);  // two bytes left
    EXPECT_EQ(ReadFileLong(file), 0);  // none left
    EXPECT_TRUE(boxes.empty());        // a short read is silent
    SeekFile(file, 0, SeekBegin);
    HostFailCall(HostCall::Read, 1);
    EXPECT_EQ(ReadFileLong(file), 0);
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(Files, ShortReadDeliversWhatIsThere) {
    FileHandle file = openBytes({1, 2, 3});
    char buffer[8] = {};
    EXPECT_EQ(ReadFileBytes(file, buffer, 8), 3);
    EXPECT_EQ(SeekFile(file, -1, SeekEnd), 2);
    EXPECT_EQ(BytesLeft(file), 1);
    EXPECT_TRUE(boxes.empty());
}

// IntArray, PtrArray and StringList: stored forms from hand-written bytes, growth, the search.
#include "archive/Directory.h"
#include "foundation/IntArray.h"
#include "foundation/PtrArray.h"
#include "foundation/StringList.h"
#include "support/HostRun.h"
#include "system/Memory.h"
#include "system/posix/HostControl.h"

class ListLoad : public HostRun {};

TEST_F(ListLoad, IntArrayReadsCountThenLittleEndianValues) {
    IntArray a;
    ASSERT_EQ(LoadTable(openBytes({0x03, 0, 0, 0, 0x01, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12}), a), 1);
    ASSERT_EQ(a.count, 3);
    EXPECT_EQ(*a.elementAt(0), 1);
    EXPECT_EQ(*a.elementAt(1), -1);
    EXPECT_EQ(*a.elementAt(2), 0x12345678);
    IntArray empty;
    ASSERT_EQ(LoadTable(openBytes({0, 0, 0, 0}), empty), 1);
    EXPECT_EQ(empty.count, 0);
}

TEST_F(ListLoad, IntArrayRefusesCountsTheFileCannotHold) {
    // Negative; one value short; so large that 4 * n wraps to a small number.
    const sfx::Bytes bad[] = {{0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0},
                              {0x02, 0, 0, 0, 1, 0, 0, 0},
                              {0x01, 0, 0, 0x40, 1, 0, 0, 0},
                              {0x02, 0}};
    for (const sfx::Bytes& bytes : bad) {
        IntArray a;
        EXPECT_EQ(LoadTable(openBytes(bytes), a), 0);
        EXPECT_EQ(a.count, 0);
    }
}

TEST_F(ListLoad, StringListReadsEachText) {
    StringList list;
    ASSERT_EQ(LoadList(openBytes({0x02, 0, 0, 0, 0x01, 0, 0, 0, 'a', 0x00, 0, 0, 0}), list), 1);
    ASSERT_EQ(list.count, 2);
    EXPECT_STREQ(list.get(0), "a");
    EXPECT_STREQ(list.get(1), "");
}

TEST_F(ListLoad, StringListCountOfZeroOrLessIsEmpty) {
    for (const sfx::Bytes& bytes : {sfx::Bytes{0, 0, 0, 0}, sfx::Bytes{0xFF, 0xFF, 0xFF, 0xFF},
                                    sfx::Bytes{0x00, 0x00, 0x00, 0x80}}) {
        StringList list;
        ASSERT_EQ(LoadList(openBytes(bytes), list), 1);
        EXPECT_EQ(list.count, 0);
    }
}

TEST_F(ListLoad, StringListRefusesTextsTheFileCannotHold) {
    const sfx::Bytes bad[] = {{0x02, 0, 0, 0, 0x01, 0, 0, 0, 'a'},          // second text missing
                              {0x01, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF},      // negative length
                              {0x01, 0, 0, 0, 0x09, 0, 0, 0, 'a', 'b'},     // text cut short
                              {0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0}};        // count past the end
    for (const sfx::Bytes& bytes : bad) {
        StringList list;
        EXPECT_EQ(LoadList(openBytes(bytes), list), 0);
    }
}

TEST_F(ListLoad, LoadsFailCleanlyWhenTheHeapIsOut) {
    // Each heap block in turn: the text, then the pointer buffer it goes into.
    for (int nth = 1; nth <= 2; ++nth) {
        HostResetFaults();
        HostFailCall(HostCall::AllocBlock, nth);
        StringList list;
        EXPECT_EQ(LoadList(openBytes({0x01, 0, 0, 0, 0x01, 0, 0, 0, 'a'}), list), 0) << nth;
    }
    HostResetFaults();
    HostFailCall(HostCall::AllocBlock, 1);
    IntArray a;
    EXPECT_EQ(LoadTable(openBytes({0x01, 0, 0, 0, 1, 0, 0, 0}), a), 0);
    EXPECT_EQ(a.items, nullptr);
}

TEST(PtrArrayGrowth, GrowsByEightElements) {
    PtrArray a;
    int dummy;
    EXPECT_EQ(a.push(&dummy), 0);
    EXPECT_EQ(a.capacity, 8);
    for (int i = 1; i < 8; ++i) a.push(&dummy);
    EXPECT_EQ(a.capacity, 8);
    EXPECT_EQ(a.push(&dummy), 8);
    EXPECT_EQ(a.capacity, 16);
    EXPECT_EQ(a.count, 9);
}

TEST(PtrArrayGrowth, AFailedGrowthStoresNothing) {
    PtrArray a;
    int dummy;
    for (int i = 0; i < 8; ++i) a.push(&dummy);
    HostResetFaults();
    HostFailCall(HostCall::AllocBlock, 0);
    EXPECT_EQ(a.push(&dummy), 0);
    HostResetFaults();
    EXPECT_EQ(a.count, 8);
    EXPECT_EQ(a.capacity, 8);
}

TEST(StringListSearch, FoldsOnlyAsciiLettersAndTheFirstMatchWins) {
    StringList list;
    const char* texts[] = {"Setup.EXE", "setup.exe", "\xC9T\xC9", "[a]", "@"};
    for (const char* text : texts) {
        char* block = (char*)AllocBlock((uint32_t)strlen(text) + 1);
        strcpy(block, text);
        list.strings.push(block);
        ++list.count;
    }
    EXPECT_EQ(FindName(list, "SETUP.exe"), 0);
    EXPECT_EQ(FindName(list, "setup.exe"), 0);
    EXPECT_EQ(FindName(list, "\xC9t\xC9"), 2);
    EXPECT_EQ(FindName(list, "\xE9t\xE9"), -1);  // Latin-1 letters are not folded
    EXPECT_EQ(FindName(list, "{A}"), -1);        // neither are the neighbours of A-Z
    EXPECT_EQ(FindName(list, "`"), -1);
    EXPECT_EQ(FindName(list, "setup.ex"), -1);
    EXPECT_EQ(FindName(list, "setup.exe "), -1);
}

// Message boxes and the file services' own boxes: caption, icon and exact text.
#include "support/HostRun.h"
#include "system/Messages.h"

class Messages : public HostRun {};

TEST_F(Messages, InformationAndErrorBoxesHaveTheirCaptionAndIcon) {
    ShowMessage("hello");
    ShowError("broken");
    AddMessageText("Cannot run ");
    ShowMessage("c:\\_setup\\a.exe b");
    ShowMessage("after");
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0], MessageBox("hello"));
    EXPECT_EQ(boxes[1], ErrorBox("broken"));
    EXPECT_EQ(boxes[2], MessageBox("Cannot run c:\\_setup\\a.exe b"));
    // The collected prefix is emptied by the box that showed it.
    EXPECT_EQ(boxes[3], MessageBox("after"));
    EXPECT_STREQ(MessageText.text(), "");
}

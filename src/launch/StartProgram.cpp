// Starting the set-up program: the platform start, and the box when it fails.
#include "launch/StartProgram.h"
#include "foundation/PathString.h"
#include "launch/Process.h"
#include "system/Messages.h"

bool StartProgram(char* commandLine, void** kept) {
    // Kept for the message: the platform may write into the text it is given.
    PathString copy(commandLine);
    if (StartDetachedProcess(commandLine, kept)) return true;
    AddMessageText("Cannot run ");
    ShowMessage(copy.text());
    return false;
}

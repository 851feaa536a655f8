// Message boxes: the pending text and the two boxes every failure of the program is shown in.
#pragma once
#include "foundation/String.h"

// Collects the text of the next box; emptied after every box.
// A declaration only: its one definition, in Messages.cpp, is initialised once at start-up.
extern String MessageText;  // NOLINT(bugprone-dynamic-static-initializers)

void AddMessageText(const char* text);
// The information box, captioned "Message": for what can't be found, created or run.
void ShowMessage(const char* text);
// The error box, captioned "Error": for every other failure.
void ShowError(const char* text);

// Box styles as the platform spells them: OK button plus an icon.
enum BoxStyle { BoxInformation = 0x40, BoxError = 0x10 };

// Message boxes: the pending text and the two boxes every failure of the program is shown in, or,
// in an unattended run, reported in instead.
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

// Starts a run with no failure met yet. An unattended run shows no box: each text is reported,
// unchanged, where an admin finds it.
void StartReports(bool unattended);
// Reports a failure that shows no box when someone is there to see it, in an unattended run only.
void ReportUnseen(const char* prefix, const char* subject);

// Every failure shown or reported from now on counts as this kind; the first one met is kept.
void FailuresCountAs(int kind);
// The kind of the first failure met, or 0.
int FirstFailure();

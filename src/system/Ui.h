// The few user-interface calls of the run: boxes, the message queue, the wait cursor, the pause,
// and what an unattended run has in their place.
#pragma once
#include "system/Messages.h"

// A modal box with no owner and only an OK button.
void ShowBox(const char* text, const char* caption, BoxStyle style);
// Drains what the thread's queue already holds, without waiting.
void PumpMessages();
// The system wait cursor, never set back.
void ShowWaitCursor();
void Pause(unsigned milliseconds);

// Whether the process's window station has a display someone can see; true when that can't be
// asked. A service's, or a deployment tool's run as SYSTEM, has none, and a box there never returns.
bool DisplayVisible();
// A failure's line, its text with CR LF behind it: whole on standard error (when there is one),
// and the text alone in the Application event log, as an error from the source "sfxstub" with the
// failure's kind as the event's number. The line is cut at its CR.
void ReportFailure(char* line, int32_t length, unsigned kind);

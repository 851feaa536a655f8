// The few user-interface calls of the run: boxes, the message queue, the wait cursor, the pause.
#pragma once
#include "system/Messages.h"

// A modal box with no owner and only an OK button.
void ShowBox(const char* text, const char* caption, BoxStyle style);
// Drains what the thread's queue already holds, without waiting.
void PumpMessages();
// The system wait cursor, never set back.
void ShowWaitCursor();
void Pause(unsigned milliseconds);

// The posix backend of the user interface: boxes go to the sink, the rest, and the reports of an
// unattended run, to the event log.
#include <string>
#include "system/Ui.h"
#include "system/posix/HostControl.h"

void HostDeliverBox(const char* text, const char* caption, unsigned style);

void ShowBox(const char* text, const char* caption, BoxStyle style) {
    HostEvents().push_back(std::string("Box ") + caption + ": " + text);
    HostDeliverBox(text, caption, (unsigned)style);
}

void PumpMessages() { HostEvents().push_back("PumpMessages"); }

void ShowWaitCursor() { HostEvents().push_back("WaitCursor"); }

// Recorded, not slept: host runs stay fast.
void Pause(unsigned milliseconds) { HostEvents().push_back("Sleep " + std::to_string(milliseconds)); }

bool DisplayVisible() { return HostDisplayVisible(); }

void ReportFailure(const char* text, unsigned kind) {
    HostEvents().push_back("Report " + std::to_string(kind) + " " + text);
}

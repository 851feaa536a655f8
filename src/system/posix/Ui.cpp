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

void ReportFailure(char* line, int32_t length, unsigned kind) {
    std::string text(line, (size_t)length);
    // Every line ends in CR LF; one that does not shows up in the tests' reports.
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
    HostEvents().push_back("Report " + std::to_string(kind) + " " + text);
}

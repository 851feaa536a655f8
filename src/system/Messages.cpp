// Message boxes: a prefix is collected in MessageText, the subject completes it, the box empties it.
// Unattended, the same text is reported instead, and every failure is noted for the exit code.
#include "system/Messages.h"
#include "system/Ui.h"

String MessageText;

static bool unattendedRun;
static int failureKind, firstFailure;

void AddMessageText(const char* text) { MessageText += text; }

static void ShowPending(const char* text, const char* caption, BoxStyle style) {
    MessageText += text;
    if (!firstFailure) firstFailure = failureKind;
    // No one may be there to press OK: a box would hold the run for ever.
    if (unattendedRun) {
        MessageText += "\r\n";
        ReportFailure(MessageText.text(), MessageText.length, (unsigned)failureKind);
    } else {
        ShowBox(MessageText.text(), caption, style);
    }
    MessageText = "";
}

void ShowMessage(const char* text) { ShowPending(text, "Message", BoxInformation); }

void ShowError(const char* text) { ShowPending(text, "Error", BoxError); }

void StartReports(bool unattended) {
    unattendedRun = unattended;
    firstFailure = 0;
}

void ReportUnseen(const char* prefix, const char* subject) {
    if (!unattendedRun) return;
    AddMessageText(prefix);
    ShowError(subject);
}

void FailuresCountAs(int kind) { failureKind = kind; }

int FirstFailure() { return firstFailure; }

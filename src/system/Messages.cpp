// Message boxes: a prefix is collected in MessageText, the subject completes it, the box empties it.
#include "system/Messages.h"
#include "system/Ui.h"

String MessageText;

void AddMessageText(const char* text) { MessageText += text; }

static void ShowPending(const char* text, const char* caption, BoxStyle style) {
    MessageText += text;
    ShowBox(MessageText.text(), caption, style);
    MessageText = "";
}

void ShowMessage(const char* text) { ShowPending(text, "Message", BoxInformation); }

void ShowError(const char* text) { ShowPending(text, "Error", BoxError); }

// The command line's tail: what is left once the program's own name is cut off, and what it asks.
#pragma once

// Cuts the program's own name and the blanks after it off a raw command line. A name that
// begins with a double quote runs to the next one (lead bytes take their trail byte along);
// any other name runs to the first byte of 32 or less.
const char* CommandTail(const char* commandLine, bool (*isLeadByte)(unsigned char));

// What the tail asks for, read as raw bytes: words are runs between bytes of 1 to 32, with no
// quoting. Everything behind the first word "--" is the set-up program's, searched for nothing.
struct TailRequest {
    bool cleanUp;          // a q or Q anywhere before "--"
    bool silent;           // a word /S or /s before "--"
    const char* passedOn;  // from the first byte behind "--" that is not a blank; empty when none
};
TailRequest ReadTail(const char* tail);

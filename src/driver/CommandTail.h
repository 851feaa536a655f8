// The command line's tail: what is left once the program's own name is cut off, and the mode.
#pragma once

// Cuts the program's own name and the blanks after it off a raw command line. A name that
// begins with a double quote runs to the next one (lead bytes take their trail byte along);
// any other name runs to the first byte of 32 or less.
const char* CommandTail(const char* commandLine, bool (*isLeadByte)(unsigned char));

// Clean-up mode: a q or Q anywhere in the tail.
bool IsCleanUpMode(const char* tail);

// Inflating a deflated member from its input to its output, through two fixed buffers.
#pragma once
#include "archive/MemberInput.h"
#include "archive/MemberOutput.h"

// Inflates a deflated member's stored bytes (a 32-bit size U, then a zlib stream) into the
// output, through the two buffers: true when all U bytes were accepted and written; false after
// its box ("Zlib error" for a stream the stub refuses).
bool InflateMember(MemberInput& input, MemberOutput& output, char* out, char* in);

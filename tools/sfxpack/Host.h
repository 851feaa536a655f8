// The few things sfxpack asks of the system: whole files in and out, folders, and whether
// stderr is a terminal. Every platform difference lives behind these.
#pragma once
#include <string>
#include "Writer.h"

namespace sfx {

// The whole file, or standard input for "-"; throws Failure(ExitUsage) saying why it can't be
// read. Files over 2 GiB are refused: no installer can be that large.
Bytes ReadInput(const std::string& path);

// Creates or empties the file and writes the bytes; throws Failure(ExitUsage) on failure, after
// removing what was partly written.
void WriteOutput(const std::string& path, const Bytes& bytes);

// Creates the folder and the ones above it as needed; throws Failure(ExitUsage) on failure.
void MakeFolders(const std::string& path);

bool StderrIsTerminal();

// The folder that holds the running sfxpack, or empty when the system can't tell.
std::string ProgramFolder();

}  // namespace sfx

// Sandbox: a private drive root per process for the fuzz targets, emptied after every input.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Sets the posix backend up once per process (drive root, silent boxes, process starts that
// succeed without starting anything) and clears what one input may have left behind: planned
// failures, the event log, pending message text.
void SandboxBegin();

// Writes the input as the running installer, c:\dist\setup.exe, the path ModulePath gives.
void SandboxWriteModule(const uint8_t* data, size_t size);

// True when the installer's directory names no file outside the drive root. A fuzzed name like
// c:\..\..\x would otherwise let the run write or erase files anywhere on the host.
bool SandboxNamesStayInside();

// The regular files under the drive root, the module included.
size_t SandboxCountFiles();

// Removes every file and folder the run made, and aborts when the input left a descriptor open.
void SandboxEnd();

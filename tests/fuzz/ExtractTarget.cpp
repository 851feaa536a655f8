// Fuzz target: the input is the running installer; one whole extraction run, then one clean-up run.
#include <stddef.h>
#include <stdint.h>
#include "Sandbox.h"
#include "driver/Installer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SandboxBegin();
    SandboxWriteModule(data, size);
    // Inputs whose names lead out of the drive root are skipped, not run: the reader treats
    // such names like any other, so nothing is lost but the danger to the host.
    if (SandboxNamesStayInside()) {
        RunInstaller(nullptr, "");
        // The extraction may have written over the module itself; the clean-up reads the input.
        SandboxWriteModule(data, size);
        RunInstaller(nullptr, "/q");
    }
    SandboxEnd();
    return 0;
}

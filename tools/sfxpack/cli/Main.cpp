// sfxpack's entry point.
#include "cli/Commands.h"

int main(int argc, char** argv) { return sfx::RunSfxpack(sfx::Words(argv + 1, argv + argc)); }

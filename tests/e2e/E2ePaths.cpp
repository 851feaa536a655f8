// Where this clone, its preset builds and the built sfxpack lie. Only this small file names them,
// so that the tests compile alike, and hit the compiler cache, in a clone in any folder.
extern const char* const SourceDir = SFX_SOURCE_DIR;
extern const char* const BuildDir = SFX_BUILD_DIR;
extern const char* const SfxpackPath = SFXPACK_PATH;

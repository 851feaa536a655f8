// Where this clone's built tools and test inputs lie. Only this small file names them, so that
// the tests compile alike, and hit the compiler cache, in a clone in any folder.
extern const char* const SfxpackPath = SFXPACK_PATH;
extern const char* const RegressionsDir = SFX_REGRESSIONS_DIR;
extern const char* const SfxpackExe = SFXPACK_EXE;
extern const char* const SourceDir = SFX_SOURCE_DIR;
extern const char* const StubManifestPath = SFX_STUB_MANIFEST;
extern const char* const WinZip = SFX_WINZIP;

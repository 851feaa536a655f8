// The worked CMake example's installer, as the package.cmake test built it (SFX_CMAKE_EXAMPLE
// names its folder): run once, it unpacks the set-up program, its project and the support files
// (files/docs/manual.txt only rides along) and starts the set-up program.
#include <chrono>
#include <cstdlib>
#include <thread>
#include "e2e/E2e.h"

namespace {

class CMakeExample : public E2e {};

TEST_F(CMakeExample, UnpacksItsFilesAndStartsItsSetupProgram) {
    const char* folder = std::getenv("SFX_CMAKE_EXAMPLE");
    ASSERT_NE(folder, nullptr) << "run by ctest, after package.cmake";
    const std::string work = folder, source = work + "/source/";
    WineRun result = run(ReadHostFile(work + "/example/example-setup.exe"), "", "dist/example-setup.exe");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.boxes().empty()) << result.trace;
    const std::string line = "c:\\_setup\\setup.exe c:\\_setup\\example.lst C:\\dist\\example-setup.exe";
    EXPECT_EQ(result.started(), std::vector<std::string>{line}) << result.trace;
    const std::pair<std::string, std::string> unpacked[] = {
        {"setup.exe", work + "/example/setup.exe"}, {"example.lst", source + "example.lst"},
        {"readme.txt", source + "readme.txt"}, {"license.txt", source + "files/license.txt"}};
    for (auto& [name, from] : unpacked) EXPECT_EQ(ReadHostFile(setup(name)), ReadHostFile(from)) << name;
    // The set-up program notes its command line, in Windows' text mode, once it runs on after the stub.
    for (int i = 0; i < 600 && !HostExists(setup("setup.log")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(ToText(ReadHostFile(setup("setup.log"))), line + "\r\n");
}

}  // namespace

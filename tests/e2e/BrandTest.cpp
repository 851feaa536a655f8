// Branded installers under Wine: sfxpack create gives the real stub an icon and a version
// resource; a probe reads them back through the API Explorer uses, icoutils' wrestool reads the
// same resources independently, and the installer still unpacks, starts the set-up program and
// cleans up. The signed case is a row of SignedTest.cpp.
#include "e2e/Branding.h"
#include <cstdio>
#include "pe/Manifest.h"
#include "write/Brand.h"
#include "e2e/E2e.h"
#include "support/IconSamples.h"

sfx::Bytes BrandedStub(const sfx::Bytes& stub) {
    sfx::VersionInfo version;
    version.fileVersion = version.productVersion = {3, 1, 4, 15};
    version.strings = {{"CompanyName", "Grünwald & Söhne"}};
    sfx::Bytes branded = stub;
    sfx::Brand(branded,
               sfx::Branding{SampleIcon(), version, sfx::MakeManifest(sfx::ExecutionLevel::RequireAdministrator)});
    return branded;
}

namespace {

// A shell command's standard output.
std::string Output(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[4096];
        for (size_t got; (got = fread(chunk, 1, sizeof chunk, pipe)) > 0;) text.append(chunk, got);
        pclose(pipe);
    }
    return text;
}

const char* const BrandOptions =
    " --icon pack/app.ico --file-version 1.2.3.4 --product-version 5.6.0.65535"
    " --version-string 'CompanyName=Grünwald & Söhne' --version-string 'FileDescription=Demo set-up ✓'"
    " --version-string 'LegalCopyright=© 2026 Grünwald' --version-language 0407";

// What the probe finds in the installer: the strings asked for and the icon's images.
const char* const ProbeKeys = " CompanyName FileDescription LegalCopyright FileVersion ProductVersion";
const std::string ProbeFindings =
    "file 1.2.3.4 product 5.6.0.65535\ntranslation 040704b0\nCompanyName=Grünwald & Söhne\n"
    "FileDescription=Demo set-up ✓\nLegalCopyright=© 2026 Grünwald\nFileVersion=1.2.3.4\n"
    "ProductVersion=5.6.0.65535\nicons 1 extracted 1\nimages 4 decoded 4\n";

// The 64-bit loader for breadth; the name holding "win32" gives its row the wine32 label.
class Branded : public E2e, public ::testing::WithParamInterface<const Stub*> {
    const Stub& stubUnderTest() const override { return *GetParam(); }

protected:
    // sfxpack create, run from drive C:, with the fixture's files and the branding options; the
    // installer is put at c:\dist\setup.exe too.
    sfx::Bytes create() {
        for (auto& [name, data] : files) WriteHostFile(DriveC() + "/pack/" + name, data);
        WriteHostFile(DriveC() + "/pack/app.ico", IcoFile(SampleIcon()));
        std::string command = "cd '" + DriveC() + "' && " + SfxpackPath + " create -q -o pack/installer.exe --stub '" +
                              stub.exe + "' --setup pack/setup.exe --project pack/setup.lst --support pack/a.dll" +
                              " --support pack/readme.txt" + BrandOptions;
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        sfx::Bytes installer = ReadHostFile(DriveC() + "/pack/installer.exe");
        WriteHostFile(DriveC() + "/dist/setup.exe", installer);
        return installer;
    }

    std::string probeFace() {
        Stub probeRun = stub;
        probeRun.exe = stub.probe.substr(0, stub.probe.rfind('/')) + "/brandprobe.exe";
        WriteHostFile(DriveC() + "/dist/brandprobe.exe", ReadHostFile(probeRun.exe));
        // The tail goes through the shell: the backslashes are quoted.
        RunUnderWine(probeRun, "c:\\dist\\brandprobe.exe",
                     std::string("'c:\\dist\\setup.exe' 'c:\\dist\\face.txt'") + ProbeKeys, false);
        return ToText(ReadHostFile(DriveC() + "/dist/face.txt"));
    }
};

TEST_P(Branded, WindowsReadsTheFaceAndTheInstallerStillRuns) {
    sfx::Bytes installer = create();
    EXPECT_EQ(probeFace(), ProbeFindings);
    WineRun result = run(installer);
    expectExtracted(result, InstallerLine);
    result = run(installer, "q");
    expectCleanUpRun(result);
    EXPECT_FALSE(HostExists(DriveC() + "/_setup"));
}

TEST_P(Branded, WrestoolFindsTheSameResources) {
    create();
    std::string file = "'" + DriveC() + "/dist/setup.exe'";
    std::string listed = Output("wrestool -l " + file);
    for (const char* line : {"--type=3 --name=4 --language=1033", "--type=14 --name='SMILE' --language=1033",
                             "--type=16 --name=1 --language=1031"})
        EXPECT_NE(listed.find(line), std::string::npos) << line << "\n" << listed;
    // wrestool writes the group's size in zeros or leftover bytes behind the icon file it rebuilds;
    // the file itself comes first, byte for byte.
    sfx::Bytes icon = IcoFile(SampleIcon()), extracted = ToBytes(Output("wrestool -x -t14 " + file));
    ASSERT_GE(extracted.size(), icon.size()) << "is icoutils installed?";
    EXPECT_TRUE(std::equal(icon.begin(), icon.end(), extracted.begin()));
    std::string version = Output("wrestool -x --raw -t16 " + file);
    const char16_t company[] = u"Grünwald & Söhne";
    EXPECT_NE(version.find(std::string((const char*)company, sizeof company)), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Brand, Branded, ::testing::Values(&Win64Stub(), &Win32Stub()),
                         [](const auto& info) { return info.param->name == "win32" ? "win32" : "win64"; });

}  // namespace

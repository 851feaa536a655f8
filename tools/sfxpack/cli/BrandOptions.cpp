// Reading and checking the branding options.
#include "cli/BrandOptions.h"
#include "cli/Args.h"
#include "host/InputFile.h"
#include "pe/IconFile.h"
#include "pe/Manifest.h"
#include "core/Names.h"
#include "core/Utf16.h"

namespace sfx {

bool BrandOptions::read(Args& args, const std::string& option) {
    if (option == "--icon")
        icon = args.value();
    else if (option == "--file-version")
        fileVersion = args.value();
    else if (option == "--product-version")
        productVersion = args.value();
    else if (option == "--version-language")
        language = args.value();
    else if (option == "--version-string")
        strings.push_back(args.value());
    else if (option == "--execution-level")
        executionLevel = args.value();
    else if (option == "--manifest")
        manifest = args.value();
    else
        return false;
    return true;
}

static VersionNumber Number(const std::string& command, const char* option, const std::string& text) {
    VersionNumber number{};
    if (!ParseVersionNumber(text, number))
        throw Usage(command,
                    std::string(option) + " takes four numbers up to 65535 as A.B.C.D, not " + Printable(text));
    return number;
}

// LANG or LANG/CODEPAGE, each four hex digits.
static void Language(const std::string& command, const std::string& text, VersionInfo& info) {
    auto hex = [](const std::string& part, uint16_t& value) {
        if (part.size() != 4 || part.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
        value = (uint16_t)std::stoul(part, nullptr, 16);
        return true;
    };
    size_t slash = text.find('/');
    bool good = hex(text.substr(0, slash), info.language) &&
                (slash == std::string::npos || hex(text.substr(slash + 1), info.codePage));
    if (!good)
        throw Usage(command, "--version-language takes LANG or LANG/CODEPAGE in hex, such as 0409 or 0407/04E4, not " +
                                 Printable(text));
}

static void AddString(const std::string& command, const std::string& argument, VersionInfo& info) {
    size_t equals = argument.find('=');
    std::string key = argument.substr(0, equals),
                value = equals == std::string::npos ? "" : argument.substr(equals + 1);
    std::u16string wideKey, wideValue;
    std::string shown = "--version-string " + Printable(argument);
    if (equals == std::string::npos) throw Usage(command, shown + ": give KEY=VALUE");
    if (!Utf8ToUtf16(key, wideKey) || !Utf8ToUtf16(value, wideValue)) throw Usage(command, shown + ": not valid UTF-8");
    if (key.empty() || value.empty()) throw Usage(command, shown + ": the key and the value must not be empty");
    if (wideKey.size() > MaxVersionKey || wideValue.size() > MaxVersionValue || key.find('\\') != std::string::npos)
        throw Usage(command, shown + ": keys take up to " + std::to_string(MaxVersionKey) +
                                 " characters and no backslash, values up to " + std::to_string(MaxVersionValue));
    for (const auto& string : info.strings)
        if (string.first == key) throw Usage(command, "--version-string " + Printable(key) + " is given twice");
    info.strings.emplace_back(key, value);
}

static VersionInfo Version(const std::string& command, const BrandOptions& options) {
    VersionInfo info;
    if (!options.language.empty()) Language(command, options.language, info);
    for (const std::string& argument : options.strings) AddString(command, argument, info);
    const std::string& file = options.fileVersion.empty() ? options.productVersion : options.fileVersion;
    const std::string& product = options.productVersion.empty() ? options.fileVersion : options.productVersion;
    if (file.empty()) return info;
    // Either number stands for the other when only one is given; the strings that Explorer shows
    // beside them say the same unless given.
    info.fileVersion = Number(command, options.fileVersion.empty() ? "--product-version" : "--file-version", file);
    info.productVersion =
        Number(command, options.productVersion.empty() ? "--file-version" : "--product-version", product);
    for (const auto& [key, number] :
         {std::make_pair("FileVersion", info.fileVersion), std::make_pair("ProductVersion", info.productVersion)}) {
        bool given = false;
        for (const auto& string : info.strings) given = given || string.first == key;
        if (!given) info.strings.emplace_back(key, VersionText(number));
    }
    return info;
}

// The manifest asked for: sfxpack's own with the level, or the author's file, checked whole.
static std::optional<Bytes> Manifest(const std::string& command, const BrandOptions& options) {
    if (!options.executionLevel.empty() && !options.manifest.empty())
        throw Usage(command, "--execution-level and --manifest exclude each other: put the level in the manifest");
    if (!options.executionLevel.empty()) {
        ExecutionLevel level;
        if (!ParseExecutionLevel(options.executionLevel, level))
            throw Usage(command, "--execution-level takes asInvoker, highestAvailable or requireAdministrator, not " +
                                     Printable(options.executionLevel));
        return MakeManifest(level);
    }
    if (options.manifest.empty()) return std::nullopt;
    std::string shown = "the manifest " + Printable(options.manifest) + " can't be used: ";
    int64_t size = InputSize(options.manifest);
    if (size > (int64_t)MaxManifestSize)
        throw Usage(command, shown + "it is " + std::to_string(size) + " bytes, over the limit of " +
                                 std::to_string(MaxManifestSize));
    Bytes bytes = ReadInput(options.manifest);
    std::string why = CheckManifest(bytes);
    if (!why.empty()) throw Usage(command, shown + why);
    return bytes;
}

Branding BrandOptions::load(const std::string& command) const {
    Branding branding;
    if (!fileVersion.empty() || !productVersion.empty() || !language.empty() || !strings.empty()) {
        branding.version = Version(command, *this);
        try {
            EncodeVersionInfo(*branding.version);  // the strings may outgrow the format's 16-bit lengths
        } catch (const VersionError& error) {
            throw Usage(command, std::string("--version-string: ") + error.what());
        }
    }
    branding.manifest = Manifest(command, *this);
    if (icon.empty()) return branding;
    RequireInputSize(icon, MaxIconFileSize, "the icon");
    try {
        branding.icon = ReadIconFile(ReadInput(icon));
    } catch (const IconError& error) {
        throw Failure(ExitUsage, command + ": the icon " + Printable(icon) + " can't be used: " + error.what());
    }
    return branding;
}

void BrandStub(Bytes& stub, const Branding& branding, const std::string& path) {
    try {
        Brand(stub, branding);
    } catch (const BrandError& error) {
        throw Failure(ExitUsage, "the stub " + Printable(path) + " can't be branded: " + error.what());
    }
}

}  // namespace sfx

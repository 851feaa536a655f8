// Writing, checking and reading application manifests.
#include "pe/Manifest.h"
#include <algorithm>
#include <cctype>
#include "pe/Xml.h"

namespace sfx {

static const char* const AssemblyNamespace = "urn:schemas-microsoft-com:asm.v1";

// The bytes of src/resources/sfxstub.manifest, which the stubs carry; a test holds them equal.
static const char StubManifest[] =
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
    "<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\"><application>\n"
    "<supportedOS Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"/>\n"
    "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>\n"
    "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>\n"
    "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>\n"
    "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>\n"
    "</application></compatibility>\n";
static const char ManifestEnd[] = "</assembly>\n";

static const struct {
    const char* id;
    const char* name;
} KnownOs[] = {{"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "Vista"},
               {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "7"},
               {"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "8"},
               {"{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "8.1"},
               {"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "10/11"}};

static const char* const LevelNames[] = {"asInvoker", "highestAvailable", "requireAdministrator"};

bool ParseExecutionLevel(const std::string& text, ExecutionLevel& level) {
    for (size_t i = 0; i < 3; ++i)
        if (text == LevelNames[i]) {
            level = (ExecutionLevel)(i + 1);
            return true;
        }
    return false;
}

Bytes MakeManifest(ExecutionLevel level) {
    std::string text = StubManifest;
    if (level != ExecutionLevel::Unset)
        text += std::string(
                    "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\"><security><requestedPrivileges>\n"
                    "<requestedExecutionLevel level=\"") +
                LevelNames[(int)level - 1] +
                "\" uiAccess=\"false\"/>\n"
                "</requestedPrivileges></security></trustInfo>\n";
    text += ManifestEnd;
    return Bytes(text.begin(), text.end());
}

// The document, or why Windows would not take it as a manifest.
static std::string Parse(ByteView manifest, XmlElement& root) {
    if (manifest.size() > MaxManifestSize)
        return "it is " + std::to_string(manifest.size()) + " bytes, over the limit of " +
               std::to_string(MaxManifestSize);
    std::string why = ParseXml(manifest, root);
    if (!why.empty()) return why;
    if (root.name != "assembly" || root.ns != AssemblyNamespace)
        return std::string("its root element is not an assembly in the ") + AssemblyNamespace + " namespace";
    return "";
}

static std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r\n"), last = text.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

static void Gather(const XmlElement& element, ManifestFace& face, std::string& problem) {
    const std::string* value;
    if (element.name == "requestedExecutionLevel" && face.level.empty()) {
        face.level = (value = element.attribute("level")) ? *value : "";
        face.uiAccess = (value = element.attribute("uiAccess")) && *value == "true";
        ExecutionLevel level;
        if (!ParseExecutionLevel(face.level, level) && problem.empty())
            problem = "it requests an unknown execution level";
    } else if (element.name == "supportedOS" && (value = element.attribute("Id"))) {
        std::string name = *value, lower = *value;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        for (const auto& os : KnownOs)
            if (lower == os.id) name = os.name;
        face.supportedOs.push_back(name);
    } else if (element.name == "dpiAware") {
        face.dpiAware = Trimmed(element.text);
    } else if (element.name == "dpiAwareness") {
        face.dpiAwareness = Trimmed(element.text);
    }
    for (const XmlElement& child : element.children) Gather(child, face, problem);
}

std::string ReadManifest(ByteView manifest, ManifestFace& face) {
    XmlElement root;
    std::string problem = Parse(manifest, root);
    if (problem.empty() || root.name == "assembly") Gather(root, face, problem);
    return problem;
}

std::string CheckManifest(ByteView manifest) {
    ManifestFace face;
    return ReadManifest(manifest, face);
}

}  // namespace sfx

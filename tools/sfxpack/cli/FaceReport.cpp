// Icon groups, version strings and the manifest as list prints them.
#include "cli/FaceReport.h"
#include <cstdio>
#include "core/Names.h"
#include "cli/Report.h"

namespace sfx {

static const char* const Indent = "                 ";

static std::string Hex4(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

static std::string ImageText(const IconFace& image) {
    return std::to_string(image.width) + "x" + std::to_string(image.height) + " " + std::to_string(image.bitCount) +
           "-bit" + (image.png ? " PNG" : "") + (image.found ? "" : " (missing)");
}

static std::string Joined(const std::vector<std::string>& parts, const char* between, bool json) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i)
        out += (i ? between : "") + (json ? JsonString(parts[i]) : Printable(parts[i]));
    return out;
}

static std::string ManifestText(const ManifestFace& m) {
    std::string out = "manifest:        execution level " +
                      (m.level.empty() ? std::string("decided by Windows") : Printable(m.level)) +
                      (m.uiAccess ? ", uiAccess" : "") + "\n" + Indent + "supported OS: " +
                      (m.supportedOs.empty() ? std::string("none declared") : Joined(m.supportedOs, ", ", false)) +
                      "\n";
    if (!m.dpiAware.empty()) out += Indent + std::string("dpiAware: ") + Printable(m.dpiAware) + "\n";
    if (!m.dpiAwareness.empty()) out += Indent + std::string("dpiAwareness: ") + Printable(m.dpiAwareness) + "\n";
    return out;
}

std::string FaceText(const Face& face) {
    std::string out;
    for (const IconGroupFace& group : face.icons) {
        out += "icon:            " + Printable(group.name) + ":";
        for (size_t i = 0; i < group.images.size(); ++i) out += (i ? ", " : " ") + ImageText(group.images[i]);
        out += "\n";
    }
    if (face.version) {
        const VersionInfo& v = *face.version;
        out += "version:         file " + VersionText(v.fileVersion) + ", product " + VersionText(v.productVersion) +
               ", language " + Hex4(v.language) + ", code page " + Hex4(v.codePage) + "\n";
        for (const auto& [key, value] : v.strings) out += Indent + Printable(key) + ": " + Printable(value) + "\n";
    }
    if (face.manifest) out += ManifestText(*face.manifest);
    return out;
}

static std::string ImageJson(const IconFace& image) {
    return "{\"width\": " + std::to_string(image.width) + ", \"height\": " + std::to_string(image.height) +
           ", \"bitCount\": " + std::to_string(image.bitCount) + ", \"bytes\": " + std::to_string(image.bytes) +
           ", \"png\": " + (image.png ? "true" : "false") + ", \"found\": " + (image.found ? "true" : "false") + "}";
}

static std::string VersionJson(const VersionInfo& v) {
    std::string out = "{\"fileVersion\": \"" + VersionText(v.fileVersion) + "\", \"productVersion\": \"" +
                      VersionText(v.productVersion) + "\", \"language\": \"" + Hex4(v.language) +
                      "\", \"codePage\": \"" + Hex4(v.codePage) + "\", \"strings\": [";
    for (size_t i = 0; i < v.strings.size(); ++i)
        out += std::string(i ? ", " : "") + "{\"key\": " + JsonString(v.strings[i].first) +
               ", \"value\": " + JsonString(v.strings[i].second) + "}";
    return out + "]}";
}

static std::string JsonOrNull(const std::string& text) { return text.empty() ? "null" : JsonString(text); }

static std::string ManifestJson(const ManifestFace& m) {
    return "{\"executionLevel\": " + JsonOrNull(m.level) + ", \"uiAccess\": " + (m.uiAccess ? "true" : "false") +
           ", \"supportedOS\": [" + Joined(m.supportedOs, ", ", true) + "], \"dpiAware\": " + JsonOrNull(m.dpiAware) +
           ", \"dpiAwareness\": " + JsonOrNull(m.dpiAwareness) + "}";
}

std::string FaceJson(const Face& face) {
    std::string out = "  \"icons\": [";
    for (size_t g = 0; g < face.icons.size(); ++g) {
        out += std::string(g ? ", " : "") + "{\"name\": " + JsonString(face.icons[g].name) + ", \"images\": [";
        for (size_t i = 0; i < face.icons[g].images.size(); ++i)
            out += (i ? ", " : "") + ImageJson(face.icons[g].images[i]);
        out += "]}";
    }
    out += "],\n  \"version\": " + (face.version ? VersionJson(*face.version) : std::string("null")) + ",\n";
    out += "  \"manifest\": " + (face.manifest ? ManifestJson(*face.manifest) : std::string("null")) + ",\n";
    return out;
}

}  // namespace sfx

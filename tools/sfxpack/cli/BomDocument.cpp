// Writing the CycloneDX document by hand, field by field in a fixed order, so that the same
// contents always give the same bytes on every system.
#include "cli/BomDocument.h"
#include <cstdio>
#include <cstdlib>
#include "cli/Args.h"
#include "core/CodePage.h"
#include "core/Digest.h"
#include "core/Json.h"
#include "core/Names.h"
#include "host/HostPath.h"
#include "stub/Format.h"

namespace sfx {

std::string BomName(const std::string& path) {
    std::string name = path == "-" ? "" : HostString(HostPath(path).filename());
    return name.empty() ? "installer.exe" : name;
}

// The last second of 9999-12-31: four-digit years are all that RFC 3339 writes.
static const int64_t LastSecond = 253402300799;

void ReadSourceDateEpoch(BomHead& head, const std::string& command) {
    const char* value = std::getenv("SOURCE_DATE_EPOCH");
    if (!value) return;
    std::string text = value;
    bool digits = !text.empty() && text.size() <= 12 && text.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || std::stoll(text) > LastSecond)
        throw Usage(command, "SOURCE_DATE_EPOCH is " + Printable(text) +
                                 ", not a whole number of seconds since 1970 up to the end of 9999");
    head.timed = true;
    head.timestamp = std::stoll(text);
}

// The UTC date and time of the seconds, as RFC 3339 writes it, from the days' civil date
// (Howard Hinnant's algorithm), so that no system's gmtime enters.
static std::string Rfc3339(int64_t seconds) {
    int64_t days = seconds / 86400, inDay = seconds % 86400;
    int64_t z = days + 719468, era = z / 146097, dayOfEra = z - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t shifted = (5 * dayOfYear + 2) / 153;
    int64_t day = dayOfYear - (153 * shifted + 2) / 5 + 1, month = shifted < 10 ? shifted + 3 : shifted - 9;
    int64_t year = yearOfEra + era * 400 + (month <= 2);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", (int)year, (int)month, (int)day,
                  (int)(inDay / 3600), (int)(inDay / 60 % 60), (int)(inDay % 60));
    return text;
}

std::string InstallerUuid(const std::string& sha256) {
    static const uint8_t urlNamespace[16] = {0x6b, 0xa7, 0xb8, 0x11, 0x9d, 0xad, 0x11, 0xd1,
                                             0x80, 0xb4, 0x00, 0xc0, 0x4f, 0xd4, 0x30, 0xc8};
    std::string name = "sfxpack:sha256:" + sha256;
    Digest sha1(DigestKind::Sha1);
    sha1.add(urlNamespace, sizeof urlNamespace);
    sha1.add((const uint8_t*)name.data(), name.size());
    Bytes id = sha1.finish();
    id.resize(16);
    id[6] = (uint8_t)((id[6] & 0x0F) | 0x50);  // version 5
    id[8] = (uint8_t)((id[8] & 0x3F) | 0x80);  // the RFC 4122 variant
    std::string hex = HexDigits(id);
    return hex.substr(0, 8) + "-" + hex.substr(8, 4) + "-" + hex.substr(12, 4) + "-" + hex.substr(16, 4) + "-" +
           hex.substr(20);
}

namespace {

// Property lists and hashes, each written on one line.
using Properties = std::vector<std::pair<std::string, std::string>>;

std::string PropertiesJson(const Properties& properties) {
    std::string out = "[";
    for (size_t i = 0; i < properties.size(); ++i)
        out += std::string(i ? ", " : "") + "{\"name\": " + JsonString(properties[i].first) +
               ", \"value\": " + JsonString(properties[i].second) + "}";
    return out + "]";
}

std::string HashesJson(const std::string& sha256) {
    return "[{\"alg\": \"SHA-256\", \"content\": \"" + sha256 + "\"}]";
}

const char* UseName(Role role) {
    switch (role) {
    case Role::SetupProgram: return "setup";
    case Role::ProjectFile: return "project";
    case Role::SupportFile: return "support";
    default: return "other";
    }
}

std::string MethodName(int32_t method) {
    if (method == MethodStored) return "stored";
    if (method == MethodDeflated) return "deflated";
    return "method-" + std::to_string(method);
}

// The bytes as lowercase hex digits.
std::string NameHex(const std::string& name) { return HexDigits(ByteView((const uint8_t*)name.data(), name.size())); }

std::string MemberJson(const MemberContents& member, size_t index, int codePage) {
    bool clean = true;
    std::string name = DecodeName(member.name, codePage, Invalid::Replaced, &clean);
    Properties properties = {{"sfx:use", UseName(member.role)}};
    if (member.complete) {
        properties.push_back({"sfx:method", MethodName(member.method)});
        properties.push_back({"sfx:stored", std::to_string(member.stored)});
    }
    if (member.size >= 0) properties.push_back({"sfx:size", std::to_string(member.size)});
    // U+FFFD stands for each byte that is no character: the exact bytes come beside it.
    if (!clean) properties.push_back({"sfx:nameHex", NameHex(member.name)});
    if (!member.damage.empty()) properties.push_back({"sfx:damaged", member.damage});
    std::string out = "    {\n      \"type\": \"file\",\n      \"bom-ref\": \"member-" + std::to_string(index) +
                      "\",\n      \"name\": " + JsonString(name) + ",\n";
    if (!member.sha256.empty()) out += "      \"hashes\": " + HashesJson(member.sha256) + ",\n";
    return out + "      \"properties\": " + PropertiesJson(properties) + "\n    }";
}

// The stub, holding the zlib inflater it links statically.
std::string StubJson(const Contents& contents) {
    std::string out = "    {\n      \"type\": \"application\",\n      \"bom-ref\": \"stub\",\n      \"name\": \"";
    out += contents.stub64 ? "sfxstub64.exe" : "sfxstub.exe";
    out += "\",\n";
    if (!contents.stubSha256.empty()) out += "      \"hashes\": " + HashesJson(contents.stubSha256) + ",\n";
    out += "      \"properties\": " +
           PropertiesJson({{"sfx:hash", "the stub's bytes in the installer, its PE checksum and certificate-table "
                                        "entry read as zero, so that signing leaves the hash as it is"}}) +
           ",\n";
    out += "      \"components\": [\n        {\n          \"type\": \"library\",\n          \"bom-ref\": \"zlib\",\n";
    out += "          \"name\": \"zlib\",\n          \"version\": \"" SFX_STUB_ZLIB_VERSION "\",\n";
    out += "          \"licenses\": [{\"license\": {\"id\": \"Zlib\"}}],\n";
    out += "          \"cpe\": \"cpe:2.3:a:zlib:zlib:" SFX_STUB_ZLIB_VERSION ":*:*:*:*:*:*:*\",\n";
    out += "          \"purl\": \"pkg:generic/zlib@" SFX_STUB_ZLIB_VERSION "\",\n";
    out += "          \"properties\": " + PropertiesJson({{"sfx:linked", "statically: the stub's inflater"}}) + "\n";
    return out + "        }\n      ]\n    }";
}

std::string MetadataJson(const Contents& contents, const BomHead& head) {
    std::string out = "  \"metadata\": {\n";
    if (head.timed) out += "    \"timestamp\": \"" + Rfc3339(head.timestamp) + "\",\n";
    out += "    \"tools\": {\"components\": [{\"type\": \"application\", \"name\": \"sfxpack\", "
           "\"version\": \"" SFX_VERSION "\"}]},\n";
    out += "    \"component\": {\n      \"type\": \"application\",\n      \"bom-ref\": \"installer\",\n";
    if (!contents.supplier.empty()) out += "      \"supplier\": {\"name\": " + JsonString(contents.supplier) + "},\n";
    out += "      \"name\": " + JsonString(head.name) + ",\n";
    if (!contents.version.empty()) out += "      \"version\": " + JsonString(contents.version) + ",\n";
    out += "      \"hashes\": " + HashesJson(contents.sha256) + ",\n";
    out += "      \"properties\": " + PropertiesJson({{"sfx:codePage", std::to_string(head.codePage)}}) + "\n";
    return out + "    }\n  },\n";
}

std::string RelationsJson(const Contents& contents) {
    std::string members;
    for (size_t i = 0; i < contents.members.size(); ++i) members += ", \"member-" + std::to_string(i) + "\"";
    return "  \"dependencies\": [\n    {\"ref\": \"installer\", \"dependsOn\": [\"stub\"" + members +
           "]},\n    {\"ref\": \"stub\", \"dependsOn\": [\"zlib\"]},\n"
           "    {\"ref\": \"zlib\", \"dependsOn\": []}\n  ],\n"
           "  \"compositions\": [{\"aggregate\": \"complete\", \"assemblies\": [\"installer\", \"stub\"]}]\n";
}

}  // namespace

std::string BomJson(const Contents& contents, const BomHead& head) {
    std::string out = "{\n  \"bomFormat\": \"CycloneDX\",\n  \"specVersion\": \"1.6\",\n";
    out += "  \"serialNumber\": \"urn:uuid:" + InstallerUuid(contents.sha256) + "\",\n  \"version\": 1,\n";
    out += MetadataJson(contents, head);
    out += "  \"components\": [\n" + StubJson(contents);
    for (size_t i = 0; i < contents.members.size(); ++i)
        out += ",\n" + MemberJson(contents.members[i], i, head.codePage);
    out += "\n  ],\n";
    return out + RelationsJson(contents) + "}\n";
}

}  // namespace sfx

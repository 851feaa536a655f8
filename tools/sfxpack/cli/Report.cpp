// The listing of an inspected installer, as text and as JSON.
#include "cli/Report.h"
#include <cstdio>
#include "cli/FaceReport.h"
#include "core/CodePage.h"
#include "core/Names.h"
#include "stub/Format.h"
#include "write/Restub.h"

namespace sfx {

// The method column: a name for the two methods the stub reads, "method-N" for others.
static std::string MethodText(const MemberEntry& member) {
    if (!member.complete) return "?";
    if (member.method == MethodStored) return "stored";
    if (member.method == MethodDeflated) return "deflated";
    return "method-" + std::to_string(member.method);
}

static const char* RoleName(Role role) {
    switch (role) {
    case Role::SetupProgram: return "setup";
    case Role::ProjectFile: return "project";
    case Role::SupportFile: return "support";
    default: return "-";
    }
}

static const char* KindName(FileKind kind) {
    return kind == FileKind::Installer ? "installer" : kind == FileKind::Truncated ? "truncated" : "not-installer";
}

static std::string Format(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The share of the unpacked size that packing saved, as unzip -v shows it (0 for a stored
// member); false when there is none to give.
static bool Saving(const MemberEntry& member, double& saving) {
    if (!member.fault.empty() || member.unpackedSize <= 0) return false;
    saving = 1 - (double)member.storedSize / (double)member.unpackedSize;
    return true;
}

static std::string Column(const std::string& text, size_t width, bool right = true) {
    if (text.size() >= width) return text;
    std::string pad(width - text.size(), ' ');
    return right ? pad + text : text + pad;
}

// Signing is only seen, never checked: the table is there, whatever it holds.
static std::string CertificateText(const Inspection& inspection) {
    return "a certificate table at " + std::to_string(inspection.certificateOffset) + ", " +
           std::to_string(inspection.certificateSize) + " bytes, after " +
           std::to_string(inspection.certificatePadding) + (inspection.certificatePadding == 1 ? " byte" : " bytes") +
           " of padding (the signature is not checked)";
}

std::string ListText(const Inspection& inspection, const std::string& path, const Face* face) {
    std::string out = Printable(path) + ": " + std::to_string(inspection.fileSize) + " bytes";
    // Only a directory that loaded tells where the stub ends and what the installer holds.
    if (!inspection.directoryLoaded) {
        out += "\n";
    } else {
        out += ", stub " + std::to_string(ArchiveStart(inspection)) + " bytes, directory at " +
               std::to_string(inspection.directoryOffset) + "\n";
        if (inspection.certificateSize) out += "signed:          " + CertificateText(inspection) + "\n";
        const int page = inspection.codePage;
        out += "set-up program:  " + ShownName(inspection.setupProgram, page) + "\n";
        out += "project file:    " + ShownName(inspection.projectFile, page) + "\n";
        out += "support files:  ";
        if (inspection.supportFiles.empty()) out += " (none)\n";
        for (size_t i = 0; i < inspection.supportFiles.size(); ++i)
            out += (i ? "                 " : " ") + ShownName(inspection.supportFiles[i], page) + "\n";
        if (face) out += FaceText(*face);
        size_t count = inspection.members.size();
        out += std::to_string(count) + " member" + (count == 1 ? "" : "s") + "\n";
        // The index is the entry number that warnings and --json give.
        out += "    #      offset      stored    unpacked  method    saved  use      name\n";
        for (const MemberEntry& m : inspection.members) {
            out += Column(std::to_string(m.index), 5);
            out += Column(m.complete ? std::to_string(m.offset) : "?", 12);
            out += Column(m.complete ? std::to_string(m.storedSize) : "?", 12);
            out += Column(m.unpackedSize >= 0 ? std::to_string(m.unpackedSize) : "?", 12);
            out += "  " + Column(MethodText(m), 8, false);
            double saving = 0;
            out += Column(Saving(m, saving) ? Format("%.1f%%", saving * 100) : "-", 7);
            out += "  " + Column(RoleName(m.role), 7, false) + "  " + ShownName(m.name, page) + "\n";
        }
    }
    return out;
}

void PrintProblems(const Inspection& inspection, bool memberErrors) {
    std::fflush(stdout);
    for (const Problem& problem : inspection.problems)
        if (memberErrors || problem.member < 0 || problem.severity == Severity::Warning)
            std::fprintf(stderr, "sfxpack: %s: %s\n", problem.severity == Severity::Error ? "error" : "warning",
                         problem.text.c_str());
}

// The bytes as lowercase hex digits, two per byte.
static std::string JsonHex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out = "\"";
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out + "\"";
}

template <typename Form>
static std::string JsonList(const std::vector<std::string>& texts, const Form& form) {
    std::string out = "[";
    for (size_t i = 0; i < texts.size(); ++i) out += (i ? ", " : "") + form(texts[i]);
    return out + "]";
}

// A name decoded from the code page, bytes that are no character in it as U+FFFD.
static std::string JsonDecoded(const std::string& name, int codePage) {
    return JsonString(DecodeName(name, codePage, Invalid::Replaced));
}

// A name as the field KEY for display and KEYHex for its exact bytes.
static std::string JsonName(const char* key, const std::string& name, int codePage) {
    return std::string("\"") + key + "\": " + JsonDecoded(name, codePage) + ", \"" + key + "Hex\": " + JsonHex(name);
}

static std::string JsonNames(const char* key, const std::vector<std::string>& names, int codePage) {
    return std::string("  \"") + key + "\": " +
           JsonList(names, [codePage](const std::string& name) { return JsonDecoded(name, codePage); }) + ",\n  \"" +
           key + "Hex\": " + JsonList(names, JsonHex) + ",\n";
}

std::string ListJson(const Inspection& inspection, const std::string& path, const Face* face) {
    bool loaded = inspection.directoryLoaded;
    const int page = inspection.codePage;
    std::string out = "{\n";
    out += "  \"file\": " + JsonString(path) + ",\n";
    out += "  \"codePage\": " + std::to_string(inspection.codePage) + ",\n";
    out += "  \"size\": " + std::to_string(inspection.fileSize) + ",\n";
    out += std::string("  \"kind\": \"") + KindName(inspection.kind) + "\",\n";
    out += "  \"directoryLoaded\": " + std::string(loaded ? "true" : "false") + ",\n";
    if (inspection.certificateSize)
        out += "  \"certificateTable\": {\"offset\": " + std::to_string(inspection.certificateOffset) +
               ", \"size\": " + std::to_string(inspection.certificateSize) +
               ", \"padding\": " + std::to_string(inspection.certificatePadding) + "},\n";
    else
        out += "  \"certificateTable\": null,\n";
    if (face) out += FaceJson(*face);
    if (inspection.kind == FileKind::Installer) {
        out += "  \"directoryOffset\": " + std::to_string(inspection.directoryOffset) + ",\n";
        if (loaded) out += "  \"stubSize\": " + std::to_string(ArchiveStart(inspection)) + ",\n";
        out += "  " + JsonName("setupProgram", inspection.setupProgram, page) + ",\n";
        out += "  " + JsonName("projectFile", inspection.projectFile, page) + ",\n";
        out += JsonNames("supportFiles", inspection.supportFiles, page);
        out += JsonNames("furtherNames", inspection.extraNames, page);
        out += "  " + JsonName("finalText", inspection.extraText, page) + ",\n";
    }
    out += "  \"members\": [";
    for (size_t i = 0; i < inspection.members.size(); ++i) {
        const MemberEntry& m = inspection.members[i];
        auto number = [&](int64_t value, bool known) { return known ? std::to_string(value) : std::string("null"); };
        double saving = 0;
        bool known = Saving(m, saving);
        out += std::string(i ? "," : "") + "\n    {\"index\": " + std::to_string(m.index) + ", " +
               JsonName("name", m.name, page) + ", \"use\": \"" + RoleName(m.role) +
               "\", \"offset\": " + number(m.offset, m.complete) + ", \"stored\": " + number(m.storedSize, m.complete) +
               ", \"unpacked\": " + number(m.unpackedSize, m.unpackedSize >= 0) +
               ", \"method\": " + (m.complete ? "\"" + MethodText(m) + "\"" : std::string("null")) +
               ", \"methodNumber\": " + number(m.method, m.complete) +
               ", \"saving\": " + (known ? Format("%.4f", saving) : "null") +
               ", \"readBy\": " + std::to_string(m.readBy) +
               ", \"fault\": " + (m.fault.empty() ? "null" : JsonString(m.fault)) + "}";
    }
    out += inspection.members.empty() ? "],\n" : "\n  ],\n";
    out += "  \"problems\": [";
    for (size_t i = 0; i < inspection.problems.size(); ++i) {
        const Problem& p = inspection.problems[i];
        out += std::string(i ? "," : "") + "\n    {\"severity\": \"" +
               (p.severity == Severity::Error ? "error" : "warning") +
               "\", \"member\": " + (p.member >= 0 ? std::to_string(p.member) : "null") +
               ", \"text\": " + JsonString(p.text) + "}";
    }
    out += inspection.problems.empty() ? "]\n" : "\n  ]\n";
    return out + "}\n";
}

}  // namespace sfx

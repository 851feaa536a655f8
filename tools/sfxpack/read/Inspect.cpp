// Inspecting an installer: the trailer, the directory, then the member table checked entry by
// entry against the file, and the named files looked up as the stub looks them up.
#include "read/Inspect.h"
#include <algorithm>
#include <unordered_map>
#include "core/CodePage.h"
#include "core/Names.h"
#include "core/Why.h"
#include "pe/Image.h"
#include "read/Clashes.h"
#include "read/DirectoryReader.h"
#include "stub/Format.h"
#include "stub/Texts.h"

namespace sfx {

// The trailer is missing: a plain file, a bare executable, or an installer cut short.
static void ClassifyWithoutTrailer(ByteView file, const CertificateTable& table, Inspection& result) {
    std::string size = std::to_string(result.fileSize);
    if (table.size) {
        // Signed, with no trailer before the table: only padding may lie between image and table.
        int64_t sections = ImageEnd(file, false);
        if (sections >= 0 && (uint64_t)sections + MaxCertificatePadding < table.offset) {
            result.kind = FileKind::Truncated;
            result.add(Severity::Error, std::to_string(table.offset - (uint64_t)sections) +
                                            " bytes lie between the executable image and its certificate table but "
                                            "no archive trailer stands before the table: the installer is damaged");
        } else {
            result.add(Severity::Error, "not an installer: a signed executable without an archive");
        }
    } else if (result.imageEnd < 0) {
        result.add(Severity::Error, "not an installer: the file does not end with the archive signature");
    } else if ((uint64_t)result.imageEnd > result.fileSize) {
        result.kind = FileKind::Truncated;
        result.add(Severity::Error, "the executable is cut short: its image needs " + std::to_string(result.imageEnd) +
                                        " bytes, the file has " + size);
    } else if ((uint64_t)result.imageEnd < result.fileSize) {
        result.kind = FileKind::Truncated;
        result.add(Severity::Error,
                   std::to_string(result.fileSize - (uint64_t)result.imageEnd) +
                       " bytes follow the executable image but no archive trailer ends the file: the installer is "
                       "truncated or damaged");
    } else {
        result.add(Severity::Error, "not an installer: an executable without an archive");
    }
}

static void CheckTables(Inspection& result) {
    size_t names = result.memberNames.size(), offsets = result.memberOffsets.size(), sizes = result.memberSizes.size(),
           methods = result.memberMethods.size();
    if (names == offsets && names == sizes && names == methods) return;
    std::string counts = std::to_string(names) + " names, " + std::to_string(offsets) + " offsets, " +
                         std::to_string(sizes) + " sizes, " + std::to_string(methods) + " methods";
    // Names without entries in every table can't be read; surplus entries merely go unused.
    bool shortTable = offsets < names || sizes < names || methods < names;
    result.add(shortTable ? Severity::Error : Severity::Warning, "the member tables differ in length: " + counts);
}

// Whether the stub can read the member's stored bytes, checked in the order the stub checks; when
// it can't, why says so and member.box is the box it shows.
static bool CheckStoredBytes(ByteView file, MemberEntry& member, std::string& why) {
    member.box = BoxCannotRead;
    if (member.storedSize < 0)
        return Refuse(why, "its stored size " + std::to_string(member.storedSize) + " is negative");
    if (member.offset < 0 || (uint64_t)member.offset + (uint64_t)member.storedSize > file.size())
        return Refuse(why, "its " + std::to_string(member.storedSize) + " stored bytes at offset " +
                               std::to_string(member.offset) + " lie outside the file (" +
                               std::to_string(file.size()) + " bytes)");
    if (member.method == MethodStored) {
        member.unpackedSize = member.storedSize;
        member.box.clear();
        return true;
    }
    member.box = BoxUnknownMethod;
    if (member.method != MethodDeflated)
        return Refuse(why, "method " + std::to_string(member.method) + " is not one the stub reads");
    member.box = BoxZlibError;
    if (member.storedSize < DeflatedPrefixSize)
        return Refuse(why, "a deflated member starts with its 4-byte size, but it has only " +
                               std::to_string(member.storedSize) + " stored bytes");
    int32_t declared = Get32(file, (uint64_t)member.offset);
    member.unpackedSize = declared;
    int32_t stream = member.storedSize - DeflatedPrefixSize;
    if (declared < 0) return Refuse(why, "its unpacked size " + std::to_string(declared) + " is negative");
    if (!DeclaredSizeFits(declared, stream))
        return Refuse(why, "it declares " + std::to_string(declared) + " unpacked bytes, more than its " +
                               std::to_string(stream) + "-byte stream can hold");
    member.box.clear();
    return true;
}

using FirstEntries = std::unordered_map<std::string, int32_t>;  // name key -> first entry

static FirstEntries CheckMembers(ByteView file, Inspection& result) {
    FirstEntries first;
    size_t count = result.memberNames.size();
    result.members.resize(count);
    for (size_t i = 0; i < count; ++i) {
        MemberEntry& member = result.members[i];
        member.index = (int32_t)i;
        member.name = result.memberNames[i];
        member.readBy = first.emplace(NameKey(member.name), (int32_t)i).first->second;
        std::string missing;
        for (auto table : {std::make_pair("offset", &result.memberOffsets), std::make_pair("size", &result.memberSizes),
                           std::make_pair("method", &result.memberMethods)})
            if (i >= table.second->size()) missing += std::string(missing.empty() ? "" : ", ") + table.first;
        member.complete = missing.empty();
        if (!member.complete) {
            member.fault = "it has no entry in the " + missing + " table";
            continue;
        }
        member.offset = result.memberOffsets[i];
        member.storedSize = result.memberSizes[i];
        member.method = result.memberMethods[i];
        CheckStoredBytes(file, member, member.fault);
        // The declared size was read from the file; what that mapped in goes again.
        if (member.offset >= 0 && (uint64_t)member.offset < file.size()) file.release(file.data() + member.offset, 4);
    }
    return first;
}

static void CheckNamedFile(Inspection& result, const FirstEntries& first, const std::string& name, Role role,
                           const char* what) {
    auto it = first.find(NameKey(name));
    if (it == first.end()) {
        std::string shown = name.empty() ? "\"\"" : ShownName(name, result.codePage);
        result.add(Severity::Error, std::string("the ") + what + " " + shown + " is not among the members");
        return;
    }
    MemberEntry& member = result.members[(size_t)it->second];
    if (member.role == Role::Other) member.role = role;
    // The stub builds paths and the set-up program's command line from these names as they are.
    if (name.find(':') != std::string::npos)
        result.add(Severity::Warning,
                   std::string("the ") + what + " " + ShownName(name, result.codePage) +
                       " holds a colon: the stub writes it to that path rather than into " + SetupFolderPath.path);
    if (role != Role::SupportFile && name.find(' ') != std::string::npos)
        result.add(Severity::Warning,
                   std::string("the ") + what + " " + ShownName(name, result.codePage) +
                       " holds a blank: the stub passes it unquoted on the set-up program's command line");
}

// Whether two entries' stored bytes are equal; entries that share their bytes need no compare,
// and the bytes compared in all stay within a budget so that many entries can't make it slow.
static const char* CompareRepeat(ByteView file, const MemberEntry& a, const MemberEntry& b, uint64_t& budget) {
    if (!a.fault.empty() || !b.fault.empty()) return " (unreadable)";
    if (a.method != b.method || a.storedSize != b.storedSize) return " with different bytes";
    if (a.offset == b.offset) return " (same bytes)";
    if ((uint64_t)a.storedSize > budget) return " (bytes not compared)";
    budget -= (uint64_t)a.storedSize;
    bool same = std::equal(file.begin() + a.offset, file.begin() + a.offset + a.storedSize, file.begin() + b.offset);
    file.release(file.begin() + a.offset, (size_t)a.storedSize);
    file.release(file.begin() + b.offset, (size_t)b.storedSize);
    return same ? " (same bytes)" : " with different bytes";
}

// Two names the stub takes for one (their NameKeys match) that Windows keeps apart.
static bool FoldedOnlyByTheStub(const std::string& a, const std::string& b, int codePage) {
    return CharKey(a.substr(0, a.find('\0')), codePage) != CharKey(b.substr(0, b.find('\0')), codePage);
}

static void ReportMembers(ByteView file, Inspection& result) {
    uint64_t budget = 4 * (uint64_t)file.size() + (1u << 20);
    for (const MemberEntry& member : result.members) {
        std::string name = ShownName(member.name, result.codePage);
        if (member.name.find('\0') != std::string::npos)
            result.add(Severity::Warning,
                       "the member name " + name + " holds a zero byte: the stub sees only " +
                           ShownName(member.name.substr(0, member.name.find('\0')), result.codePage),
                       member.index);
        if (member.readBy != member.index) {
            const MemberEntry& earlier = result.members[(size_t)member.readBy];
            if (FoldedOnlyByTheStub(member.name, earlier.name, result.codePage))
                result.add(Severity::Warning,
                           name + " and " + ShownName(earlier.name, result.codePage) +
                               " are different names, but the stub folds A-Z bytes even where they are the second "
                               "byte of a character, and takes them for one: it reads only entry " +
                               std::to_string(earlier.index) + " for both",
                           member.index);
            else
                result.add(Severity::Warning,
                           name + ": the name repeats entry " + std::to_string(earlier.index) +
                               CompareRepeat(file, member, earlier, budget) + "; the stub reads only the first",
                           member.index);
        }
        if (!member.fault.empty()) result.add(Severity::Error, name + ": " + member.fault, member.index);
    }
}

static void CheckFurtherNames(Inspection& result, const FirstEntries& first) {
    std::string listed;
    size_t strays = 0;
    for (const std::string& name : result.extraNames) {
        if (first.count(NameKey(name))) continue;
        if (++strays <= 5) listed += (listed.empty() ? "" : ", ") + ShownName(name, result.codePage);
    }
    if (strays)
        result.add(Severity::Warning, std::to_string(strays) + " further name" + (strays == 1 ? " is" : "s are") +
                                          " not among the members: " + listed + (strays > 5 ? ", ..." : ""));
}

// Archives as written lay their members back to back before the directory; entries that share
// bytes with another entry, or with the directory and trailer, are worth a look.
static void CheckOverlaps(Inspection& result) {
    struct Span {
        uint64_t begin, end;
        int32_t index;
    };
    std::vector<Span> spans;
    for (const MemberEntry& member : result.members)
        if (member.fault.empty() && member.storedSize > 0)
            spans.push_back(
                {(uint64_t)member.offset, (uint64_t)member.offset + (uint64_t)member.storedSize, member.index});
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) {
                  return a.begin != b.begin ? a.begin < b.begin : a.end != b.end ? a.end < b.end : a.index < b.index;
              });
    size_t overlapping = 0, intoDirectory = 0, sharing = 0;
    std::string example, sharedExample;
    uint64_t reach = 0;  // the furthest end among the spans before
    const Span* previous = nullptr;
    for (const Span& span : spans) {
        bool sameRange = previous && previous->begin == span.begin && previous->end == span.end;
        if (previous && span.begin < reach && !sameRange && ++overlapping == 1)
            example = " (first: entry " + std::to_string(span.index) + ")";
        // Repeated names are reported as such; distinct names on one stream are worth a word, as
        // each would be unpacked and written in full.
        if (sameRange && result.members[(size_t)span.index].readBy == span.index && ++sharing == 1)
            sharedExample = " (first: entry " + std::to_string(span.index) + " shares entry " +
                            std::to_string(previous->index) + "'s)";
        if (span.end > (uint64_t)result.directoryOffset) ++intoDirectory;
        reach = std::max(reach, span.end);
        previous = &span;
    }
    if (overlapping)
        result.add(Severity::Warning, std::to_string(overlapping) + " member entr" +
                                          (overlapping == 1 ? "y overlaps" : "ies overlap") + " another" + example);
    if (sharing)
        result.add(Severity::Warning, std::to_string(sharing) + " member entr" + (sharing == 1 ? "y shares its" : "ies share their") +
                                          " stored bytes with another under a different name" + sharedExample +
                                          "; each stream is checked once");
    if (intoDirectory)
        result.add(Severity::Warning, std::to_string(intoDirectory) + " member entr" +
                                          (intoDirectory == 1 ? "y runs" : "ies run") + " past the directory offset");
}

// Everything from the trailer on. archive is the file up to the trailer's end, which bounds the
// members as the stub bounds them; the directory's loads are bounded by the end of the whole file.
static void InspectArchive(ByteView file, ByteView archive, Inspection& result) {
    result.kind = FileKind::Installer;
    result.directoryOffset = Get32(archive, archive.size() - TrailerSize);
    uint64_t trailerStart = archive.size() - TrailerSize;
    if (result.directoryOffset < 0 || (uint64_t)result.directoryOffset > trailerStart) {
        result.add(Severity::Error, "the directory offset " + std::to_string(result.directoryOffset) +
                                        " points outside the archive (the trailer begins at " +
                                        std::to_string(trailerStart) + ")");
        return;
    }
    result.directoryLoaded = LoadDirectory(file, result);
    if (!result.directoryLoaded) return;
    CheckTables(result);
    FirstEntries first = CheckMembers(archive, result);
    CheckNamedFile(result, first, result.setupProgram, Role::SetupProgram, "set-up program");
    CheckNamedFile(result, first, result.projectFile, Role::ProjectFile, "project file");
    for (const std::string& name : result.supportFiles)
        CheckNamedFile(result, first, name, Role::SupportFile, "support file");
    CheckFurtherNames(result, first);
    CheckOverlaps(result);
    AddNameWarnings(result);
    ReportMembers(archive, result);
}

Inspection Inspect(ByteView file, int codePage) {
    Inspection result;
    result.codePage = codePage;
    result.fileSize = result.archiveEnd = file.size();
    result.imageEnd = ImageEnd(file);
    if (file.size() >= TrailerSize && Get32(file, file.size() - 4) == ArchiveSignature) {
        InspectArchive(file, file, result);
        // A stub signed before the archive was appended: its entry now points into the file.
        PeHeaders headers;
        if (HasSecurityEntry(file, headers))
            result.add(Severity::Warning,
                       "the security entry records a certificate table at " +
                           std::to_string(headers.certificateOffset) + " (" + std::to_string(headers.certificateSize) +
                           " bytes) that does not end the file: Windows sees a broken signature (restub clears it)");
        return result;
    }
    CertificateTable table;
    int32_t trailerEnd = FindCertificates(file, table);
    if (!trailerEnd) {
        ClassifyWithoutTrailer(file, table, result);
        return result;
    }
    result.certificateOffset = table.offset;
    result.certificateSize = table.size;
    result.certificatePadding = table.padding;
    result.archiveEnd = (uint64_t)trailerEnd;
    InspectArchive(file, file.first((size_t)trailerEnd), result);
    return result;
}

}  // namespace sfx

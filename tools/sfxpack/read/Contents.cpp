// Reading an installer's contents for its bill of materials: one pass over the file for its
// hash, then each member streamed from the unpacker into its own.
#include "read/Contents.h"
#include <algorithm>
#include <map>
#include <tuple>
#include "core/Digest.h"
#include "pe/Image.h"
#include "read/Face.h"
#include "read/Unpack.h"

namespace sfx {

// Pages are let go in steps of this size once hashed.
static const size_t HashStep = 8u << 20;

static std::string FileSha256(ByteView file) {
    Digest digest;
    for (size_t at = 0; at < file.size(); at += HashStep) {
        size_t size = std::min(HashStep, file.size() - at);
        digest.add(file.data() + at, size);
        file.release(file.data() + at, size);
    }
    return HexDigits(digest.finish());
}

static std::string VersionString(const VersionInfo& info, const char* key) {
    for (const auto& [name, value] : info.strings)
        if (name == key) return value;
    return "";
}

void DescribeStub(ByteView stub, Contents& contents) {
    uint64_t checksum = 0, entry = 0;
    Digest digest;
    if (SigningFields(stub, checksum, entry)) {
        // Zeros stand in for the two fields: the checksum first, then the entry, wherever each lies.
        static const uint8_t zeros[DirectoryEntrySize] = {};
        std::vector<std::pair<uint64_t, uint64_t>> fields = {{checksum, 4}};
        if (entry) fields.push_back({entry, DirectoryEntrySize});
        std::sort(fields.begin(), fields.end());
        uint64_t at = 0;
        for (const auto& [offset, size] : fields) {
            if (offset < at) continue;  // overlapping fields: hostile headers, the first wins
            digest.add(stub.data() + at, (size_t)(offset - at));
            digest.add(zeros, (size_t)size);
            at = offset + size;
        }
        digest.add(stub.data() + at, (size_t)(stub.size() - at));
    } else {
        digest.add(stub);
    }
    contents.stubSha256 = HexDigits(digest.finish());
    contents.stub64 = IsPe32Plus(stub);
    Face face = ReadFace(stub);
    if (face.version) {
        contents.version = VersionString(*face.version, "ProductVersion");
        if (contents.version.empty()) contents.version = VersionText(face.version->productVersion);
        contents.supplier = VersionString(*face.version, "CompanyName");
    }
}

// One member unpacked into the hash; a member that can't be unpacked says why instead.
static void HashMember(ByteView file, const MemberEntry& entry, MemberContents& member) {
    Digest digest;
    Unpacked unpacked = UnpackMember(file, entry, [&](const uint8_t* data, size_t size) { digest.add(data, size); });
    Bytes sum = digest.finish();
    if (unpacked.ok && unpacked.written)
        member.sha256 = HexDigits(sum);
    else
        member.damage = unpacked.detail.empty() ? "the stub does not write it" : unpacked.detail;
}

Contents ReadContents(ByteView file, const Inspection& inspection, const ProgressFn& progress) {
    Contents contents;
    contents.sha256 = FileSha256(file);
    if (inspection.directoryLoaded)
        DescribeStub(file.first((size_t)std::min<uint64_t>(ArchiveStart(inspection), file.size())), contents);
    // Entries that share their stored bytes share their hash, and count once towards the total.
    std::map<std::tuple<int32_t, int32_t, int32_t>, MemberContents> seen;
    uint64_t total = inspection.streamBytes(), done = 0;
    contents.sound = !inspection.hasErrors();
    for (const MemberEntry& entry : inspection.members) {
        MemberContents member;
        auto key = std::make_tuple(entry.offset, entry.storedSize, entry.method);
        auto earlier = entry.fault.empty() ? seen.find(key) : seen.end();
        if (earlier != seen.end()) {
            member = earlier->second;
        } else {
            HashMember(file, entry, member);
            if (entry.fault.empty()) seen.emplace(key, member);
            done += entry.fault.empty() ? (uint64_t)entry.storedSize : 0;
            if (progress && entry.fault.empty()) progress(done, total);
        }
        member.name = entry.name;
        member.role = entry.role;
        member.complete = entry.complete;
        member.method = entry.method;
        member.stored = entry.storedSize;
        member.size = entry.unpackedSize;
        contents.sound = contents.sound && member.damage.empty();
        contents.members.push_back(member);
    }
    return contents;
}

}  // namespace sfx

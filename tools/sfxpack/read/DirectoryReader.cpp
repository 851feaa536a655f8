// Loading the directory item by item as the stub loads it. Every length and count is checked
// against the bytes left in the file before anything is allocated or read.
#include "read/DirectoryReader.h"
#include "core/Why.h"
#include "stub/Format.h"

namespace sfx {

int32_t Get32(ByteView file, uint64_t at) {
    return ReadLittle32(file.data() + at);
}

namespace {

// Reads the stored forms from a position on, bounded by the end of the file as the stub's
// loaders are; each read that fails says why.
struct Reader {
    ByteView file;
    uint64_t position;
    std::string why;

    uint64_t left() const { return position < file.size() ? file.size() - position : 0; }

    bool int32(int32_t& value) {
        if (left() < 4) return Refuse(why, "it is cut short by the end of the file");
        value = Get32(file, position);
        position += 4;
        return true;
    }

    bool text(std::string& out) {
        int32_t length;
        if (!int32(length)) return false;
        if (length < 0) return Refuse(why, "its length " + std::to_string(length) + " is negative");
        if ((uint64_t)length > left())
            return Refuse(why, "its length " + std::to_string(length) + " runs past the end of the file");
        out.assign((const char*)file.data() + position, (size_t)length);
        position += (uint64_t)length;
        return true;
    }

    // A count of zero or less is an empty list; the count comes back for the caller to flag.
    bool list(std::vector<std::string>& out, int32_t& count) {
        if (!int32(count)) return false;
        if (count <= 0) return true;
        // Every text takes at least its 4-byte length, which bounds the count before any
        // allocation depends on it.
        if ((uint64_t)count > left() / 4)
            return Refuse(why, "its count " + std::to_string(count) + " is more than the rest of the file can hold");
        out.reserve((size_t)count);
        for (int32_t i = 0; i < count; ++i) {
            out.emplace_back();
            if (!text(out.back())) {
                return Refuse(why, "entry " + std::to_string(i) + ": " + why);
            }
        }
        return true;
    }

    bool table(std::vector<int32_t>& out) {
        int32_t count;
        if (!int32(count)) return false;
        if (count < 0) return Refuse(why, "its count " + std::to_string(count) + " is negative");
        if ((uint64_t)count > left() / 4)
            return Refuse(why, "its count " + std::to_string(count) + " is more than the rest of the file can hold");
        out.resize((size_t)count);
        for (int32_t& value : out) {
            value = Get32(file, position);
            position += 4;
        }
        return true;
    }
};

}  // namespace

// Reads the nine items in order, stopping at the first failure as the stub does; returns the
// item that failed, or null.
static const char* ReadItems(Reader& reader, Inspection& result, int32_t counts[3]) {
    if (!reader.text(result.setupProgram)) return "the set-up program name";
    if (!reader.text(result.projectFile)) return "the project file name";
    if (!reader.list(result.supportFiles, counts[0])) return "the support files list";
    if (!reader.list(result.extraNames, counts[1])) return "the further names list";
    if (!reader.list(result.memberNames, counts[2])) return "the member names list";
    // Re-stubbing rewrites the offsets where they lie: remember where the entries start.
    result.offsetTablePosition = reader.position + 4;
    if (!reader.table(result.memberOffsets)) return "the member offsets table";
    if (!reader.table(result.memberSizes)) return "the member sizes table";
    if (!reader.table(result.memberMethods)) return "the member methods table";
    if (!reader.text(result.extraText)) return "the final text";
    return nullptr;
}

bool LoadDirectory(ByteView file, Inspection& result) {
    Reader reader{file, (uint64_t)result.directoryOffset, {}};
    int32_t counts[3] = {0, 0, 0};
    const char* failedItem = ReadItems(reader, result, counts);
    result.directoryEnd = reader.position;
    if (failedItem) {
        result.add(Severity::Error,
                   std::string("the stub can't load the directory: ") + failedItem + ": " + reader.why);
        return false;
    }
    const char* lists[] = {"support files", "further names", "member names"};
    for (int i = 0; i < 3; ++i)
        if (counts[i] < 0)
            result.add(Severity::Warning, std::string("the ") + lists[i] + " list has the count " +
                                              std::to_string(counts[i]) + ", read as an empty list");
    // In a signed installer the trailer stands before the certificate table.
    uint64_t trailerStart = result.archiveEnd - TrailerSize;
    if (result.directoryEnd < trailerStart)
        result.add(Severity::Warning, "the directory ends at " + std::to_string(result.directoryEnd) + ", " +
                                          std::to_string(trailerStart - result.directoryEnd) +
                                          " bytes before the trailer");
    else if (result.directoryEnd > result.archiveEnd)
        result.add(Severity::Warning, "the directory runs " + std::to_string(result.directoryEnd - result.archiveEnd) +
                                          " bytes past the trailer, into the certificate table");
    else if (result.directoryEnd > trailerStart)
        result.add(Severity::Warning, "the directory runs " + std::to_string(result.directoryEnd - trailerStart) +
                                          " bytes into the trailer");
    return true;
}

}  // namespace sfx

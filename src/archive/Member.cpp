// Member extraction: find a member by name and stream its stored bytes, unpacked, to its file.
#include "archive/Archive.h"
#include "archive/Directory.h"
#include "archive/Inflate.h"
#include "stub/Texts.h"
#include "system/Files.h"
#include "system/Memory.h"
#include "system/Messages.h"

// A stored member is copied through the output buffer, a piece at a time.
static bool CopyStored(MemberInput& input, MemberOutput& output, char* buffer) {
    while (input.left > 0) {
        int32_t count = input.next(buffer, MemberOutputBuffer);
        if (count < 0 || !output.write(buffer, count)) return false;
    }
    return true;
}

int Archive::extractMember(const char* name, const char* path) {
    int32_t index = FindName(memberNames, name);
    // A name without an entry in every table is not a member.
    if (index < 0 || index >= memberOffsets.count || index >= memberSizes.count ||
        index >= memberMethods.count) {
        ReportUnseen("Member not found: ", name);
        return 0;
    }
    int32_t offset = *memberOffsets.elementAt(index);
    int32_t stored = *memberSizes.elementAt(index);
    int32_t method = *memberMethods.elementAt(index);

    // Bytes outside the file can't be read: refused before anything is allocated or created.
    if (offset < 0 || stored < 0 || stored > fileSize - offset) {
        ShowCannotRead();
        return 0;
    }
    if (method != MethodStored && method != MethodDeflated) {
        ShowError(BoxUnknownMethod);
        return 0;
    }
    if (SeekFile(file, offset, SeekBegin) != offset) return 0;

    // One block whatever the member's size: the output buffer, and for deflated members the
    // input buffer behind it.
    char* buffer = (char*)AllocGlobal(MemberOutputBuffer + MemberInputBuffer, GlobalMoveable);
    if (!buffer) {
        ShowError(BoxNoMemory);
        return 0;
    }
    MemberInput input = {file, stored};
    MemberOutput output = {path, 0};
    bool good = method == MethodStored ? CopyStored(input, output, buffer)
                                       : InflateMember(input, output, buffer, buffer + MemberOutputBuffer);
    FreeGlobal(buffer);
    return output.finish(good);
}

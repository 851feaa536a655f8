// Security descriptors as bytes, read field by field: every offset, count and size read is
// checked against the bytes the platform gave before anything behind it is looked at. Fields
// are little-endian, as on every platform the stub and its tests run on.
#include "system/AccessList.h"
#include <string.h>

namespace {

// The descriptor's control bits that matter here.
const uint32_t DaclPresent = 0x0004, SelfRelative = 0x8000;
const uint8_t AllowEntry = 0, DenyEntry = 1;
// The rights with which someone could plant, swap, delete or re-permission a file in the folder:
// write and append data (add files and folders), write extended attributes and attributes,
// delete a child, DELETE, WRITE_DAC, WRITE_OWNER, MAXIMUM_ALLOWED, GENERIC_ALL and GENERIC_WRITE.
const uint32_t ChangingRights = 0x520D0156;

// The private descriptor up to the user's entry: self-relative, list present and protected from
// inheritance, the list at 20; then Administrators and SYSTEM with full control (FILE_ALL_ACCESS),
// inherited by files and folders (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE).
const uint8_t PrivateHead[72] = {
    1, 0, 0x04, 0x90, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0,  // the header
    2, 0, 52, 0, 2, 0, 0, 0,                                             // the list: size, count
    0, 3, 24, 0, 0xFF, 0x01, 0x1F, 0x00, 1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0,
    0, 3, 20, 0, 0xFF, 0x01, 0x1F, 0x00, 1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
const uint32_t EntryHead = 8;
// S-1-5-32-544 and S-1-5-18, as the private descriptor holds them.
const uint8_t* const AdministratorsSid = PrivateHead + 36;
const uint8_t* const SystemSid = PrivateHead + 60;

uint32_t Load16(const uint8_t* at) {
    uint16_t value;
    memcpy(&value, at, 2);
    return value;
}

uint32_t Load32(const uint8_t* at) {
    uint32_t value;
    memcpy(&value, at, 4);
    return value;
}

bool SameSid(const uint8_t* sid, uint32_t length, const uint8_t* other) {
    return other && SidLength(other, MaxSidLength) == length && memcmp(sid, other, length) == 0;
}

// The running user, Administrators and SYSTEM: the only ones who may change the folder.
bool Trusted(const uint8_t* sid, uint32_t length, const uint8_t* user) {
    return SameSid(sid, length, user) || SameSid(sid, length, AdministratorsSid) || SameSid(sid, length, SystemSid);
}

// Walks the access list's entries within its own declared size.
FolderVerdict JudgeAccessList(const uint8_t* entry, uint32_t count, uint32_t left, const uint8_t* user) {
    for (; count; --count) {
        uint32_t entrySize = left < 4 ? 0 : Load16(entry + 2);
        if (entrySize < 4 || entrySize > left) return FolderUnreadable;
        // A deny entry only takes rights away, so passing over it never makes a folder look safer
        // than it is. An allow entry counts whatever its inheritance flags: one that is
        // inherit-only gives its rights to every file made in the folder.
        if (entry[0] == AllowEntry) {
            uint32_t sidLength = entrySize < EntryHead ? 0 : SidLength(entry + EntryHead, entrySize - EntryHead);
            if (!sidLength) return FolderUnreadable;
            if ((Load32(entry + 4) & ChangingRights) && !Trusted(entry + EntryHead, sidLength, user)) return FolderOpen;
        } else if (entry[0] != DenyEntry) {
            return FolderUnreadable;  // a kind of entry whose meaning we can't weigh
        }
        entry += entrySize;
        left -= entrySize;
    }
    return FolderSafe;
}

}  // namespace

uint32_t SidLength(const uint8_t* sid, uint32_t room) {
    if (room < 8 || sid[0] != 1 || sid[1] > 15) return 0;
    uint32_t length = 8 + 4u * sid[1];
    return length <= room ? length : 0;
}

uint32_t BuildPrivateDescriptor(uint8_t* out, const uint8_t* user) {
    memcpy(out, PrivateHead, sizeof PrivateHead);
    uint32_t length = user ? SidLength(user, MaxSidLength) : 0;
    if (!length) return sizeof PrivateHead;
    uint8_t* entry = out + sizeof PrivateHead;
    memcpy(entry, PrivateHead + 28, EntryHead);
    entry[2] = (uint8_t)(EntryHead + length);
    memcpy(entry + EntryHead, user, length);
    out[22] = (uint8_t)(52 + EntryHead + length);
    out[24] = 3;
    return sizeof PrivateHead + EntryHead + length;
}

FolderVerdict JudgeDescriptor(const uint8_t* descriptor, uint32_t size, const uint8_t* user) {
    // Offsets mean something only in the self-relative form, the one the platform hands out.
    if (size < 20 || descriptor[0] != 1 || !(Load16(descriptor + 2) & SelfRelative)) return FolderUnreadable;
    uint32_t owner = Load32(descriptor + 4), list = Load32(descriptor + 16);
    uint32_t ownerLength = owner >= 20 && owner < size ? SidLength(descriptor + owner, size - owner) : 0;
    if (!ownerLength) return FolderUnreadable;
    if (!Trusted(descriptor + owner, ownerLength, user)) return FolderOwnedByOther;
    // No access list at all lets everyone do everything.
    if (!(Load16(descriptor + 2) & DaclPresent) || !list) return FolderOpen;
    if (list < 20 || list > size - 8) return FolderUnreadable;
    uint32_t listSize = Load16(descriptor + list + 2);
    if (listSize < 8 || listSize > size - list) return FolderUnreadable;
    return JudgeAccessList(descriptor + list + 8, Load16(descriptor + list + 4), listSize - 8, user);
}

// The posix backend of the set-up folder's safety: answers that tests set, or else ones read from
// the real folder, with its Unix mode standing for its access list as under Wine.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <string.h>
#include "system/AccessList.h"
#include "system/Platform.h"
#include "system/posix/HostControl.h"

FileHandle Opened(int fd);

namespace {
const uint8_t EveryoneSid[12] = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
const uint8_t SystemSid[12] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
std::vector<uint8_t> madeWith;

// S-1-5-21-1-2-3-<rid>: a local account.
std::vector<uint8_t> AccountSid(uint32_t rid) {
    return {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0,
            (uint8_t)rid, (uint8_t)(rid >> 8), (uint8_t)(rid >> 16), (uint8_t)(rid >> 24)};
}

void Put(std::vector<uint8_t>& out, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) out.push_back((uint8_t)(value >> (8 * i)));
}

// The rights Wine gives for three bits of a Unix mode.
uint32_t RightsOf(unsigned bits) {
    return (bits & 4 ? 0x120089u : 0) | (bits & 2 ? 0x130156u : 0) | (bits & 1 ? 0x1200a0u : 0);
}

// As Wine describes a folder without a stored descriptor: owned by the user when the Unix owner
// is the process's, SYSTEM in full, the owner by the owner's bits, Everyone by the others' bits.
std::vector<uint8_t> DescriptorOfMode(const struct stat& info) {
    std::vector<uint8_t> owner = info.st_uid == geteuid() ? HostUserSid() : AccountSid(2000 + info.st_uid);
    return HostDescriptor(owner, {{0, 3, 0x1F01FF, std::vector<uint8_t>(SystemSid, SystemSid + 12)},
                                  {0, 3, RightsOf((info.st_mode >> 6) & 7), owner},
                                  {0, 3, RightsOf(info.st_mode & 7), std::vector<uint8_t>(EveryoneSid, EveryoneSid + 12)}});
}
}  // namespace

std::vector<uint8_t> HostDescriptor(const std::vector<uint8_t>& owner, const std::vector<HostAccessEntry>& entries,
                                    uint16_t control) {
    std::vector<uint8_t> list;
    for (const HostAccessEntry& entry : entries) {
        list.push_back(entry.type), list.push_back(entry.flags);
        Put(list, (uint32_t)(8 + entry.sid.size()), 2);
        Put(list, entry.mask, 4);
        list.insert(list.end(), entry.sid.begin(), entry.sid.end());
    }
    std::vector<uint8_t> out = {1, 0};
    Put(out, control, 2);
    Put(out, 20, 4), Put(out, 0, 4), Put(out, 0, 4), Put(out, (uint32_t)(20 + owner.size()), 4);
    out.insert(out.end(), owner.begin(), owner.end());
    out.push_back(2), out.push_back(0);
    Put(out, (uint32_t)(8 + list.size()), 2), Put(out, (uint32_t)entries.size(), 2), Put(out, 0, 2);
    out.insert(out.end(), list.begin(), list.end());
    return out;
}

const std::vector<uint8_t>& HostUserSid() {
    static const std::vector<uint8_t> user = AccountSid(1000);
    return user;
}

const std::vector<uint8_t>& HostMadeFolderDescriptor() { return madeWith; }

void HostRecordMadeFolder(const void* descriptor) {
    madeWith.clear();
    if (!descriptor) return;
    // Our own descriptor, trusted here: its access list comes last.
    const uint8_t* bytes = (const uint8_t*)descriptor;
    uint32_t list = bytes[16] | bytes[17] << 8, size = bytes[list + 2] | bytes[list + 3] << 8;
    madeWith.assign(bytes, bytes + list + size);
}

bool PlatformKeepsAccessLists(const char*) { return HostFolder().keepsAccessLists; }

const uint8_t* PlatformUserSid() { return HostFolder().knowsUser ? HostUserSid().data() : nullptr; }

uint32_t PlatformFileAttributes(const char* path) {
    struct stat info;
    if (lstat(HostMapPath(path).c_str(), &info) != 0) return NoFileAttributes;
    return (S_ISLNK(info.st_mode) ? (uint32_t)LinkAttribute : 0u) | (S_ISDIR(info.st_mode) ? 0x10u : 0x80u);
}

FileHandle PlatformOpenFolder(const char* path) {
    if (HostFolder().openDenied) return InvalidFile();
    return Opened(::open(HostMapPath(path).c_str(), O_RDONLY | O_CLOEXEC));
}

uint32_t PlatformFolderSecurity(FileHandle folder, uint8_t* buffer, uint32_t size) {
    struct stat info;
    std::vector<uint8_t> bytes = HostFolder().descriptor ? *HostFolder().descriptor
                                 : fstat((int)(intptr_t)folder, &info) == 0 ? DescriptorOfMode(info)
                                                                           : std::vector<uint8_t>();
    if (bytes.empty() || bytes.size() > size) return 0;
    memcpy(buffer, bytes.data(), bytes.size());
    return (uint32_t)bytes.size();
}

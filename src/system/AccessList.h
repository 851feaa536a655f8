// Security descriptors as bytes: the set-up folder's private one built, and a folder's owner and
// access list judged, both without the platform's own parsers, so that the host can test them.
#pragma once
#include <stdint.h>

// What a folder already there is worth for unpacking into.
enum FolderVerdict {
    FolderSafe,          // no one but the user, Administrators and SYSTEM can change it
    FolderLinked,        // a junction or symbolic link: writing through it lands elsewhere
    FolderOwnedByOther,  // its owner could grant itself any right at any time
    FolderOpen,          // an entry lets someone else add, change, delete or re-permission files
    FolderUnreadable     // the owner or access list can't be read whole, or holds what we don't know
};

enum {
    // The longest SID: a revision, a count, six bytes of authority and fifteen sub-authorities.
    MaxSidLength = 68,
    // Room for the private descriptor with the longest user SID.
    PrivateDescriptorRoom = 80 + MaxSidLength
};

// The length of the SID at sid when it fits in room bytes; 0 otherwise.
uint32_t SidLength(const uint8_t* sid, uint32_t room);

// The set-up folder's own, self-relative: full control for Administrators, SYSTEM and the user
// (when known), inherited by everything made in it, nothing inherited from above, and no owner,
// so that the creator's applies. Its length; out holds PrivateDescriptorRoom bytes.
uint32_t BuildPrivateDescriptor(uint8_t* out, const uint8_t* user);

// Judges a folder from its self-relative descriptor (owner and access list). user may be null
// when the running user is unknown; then only Administrators and SYSTEM are trusted.
FolderVerdict JudgeDescriptor(const uint8_t* descriptor, uint32_t size, const uint8_t* user);

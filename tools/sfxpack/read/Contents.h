// What an installer holds, as its bill of materials lists it: the whole file's SHA-256, the
// stub's (stable under signing), and each member's unpacked bytes' SHA-256. Read from an
// installer here, or recorded by create as it packs (write/Pack.h); either way the same facts.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "core/Bytes.h"
#include "core/Progress.h"
#include "read/Inspection.h"

namespace sfx {

struct MemberContents {
    std::string name;  // the member name's bytes, in the installer's code page
    Role role = Role::Other;
    bool complete = false;  // method and stored size known
    int32_t method = 0;
    int32_t stored = 0;
    int64_t size = -1;   // unpacked, or -1 when unknown
    std::string sha256;  // the unpacked bytes', in hex; empty when they can't be unpacked
    std::string damage;  // why they can't; empty when they can
};

struct Contents {
    std::string sha256;      // the whole file's
    std::string stubSha256;  // the stub's, its PE checksum and security entry read as zero
    bool stub64 = false;     // the stub is a PE32+ image
    std::string version;     // the stub's ProductVersion, when it carries version information
    std::string supplier;    // its CompanyName
    std::vector<MemberContents> members;
    bool sound = true;  // every member unpacks and the inspection found no error
};

// The stub's part of the contents: its hash with the two fields signing rewrites read as zero,
// its kind, and the product version and company of its version resource.
void DescribeStub(ByteView stub, Contents& contents);

// Reads the contents of an inspected installer: the file hashed whole, every member unpacked as
// the stub unpacks it and streamed through the hash, memory bounded as in Verify. Entries that
// share their stored bytes are unpacked once.
Contents ReadContents(ByteView file, const Inspection& inspection, const ProgressFn& progress = {});

}  // namespace sfx

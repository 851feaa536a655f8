// An installer checked against a bill of materials: the members matched by name and position,
// each member's and the stub's SHA-256 compared, members missing or extra named.
#pragma once
#include <string>
#include <vector>
#include "core/Json.h"
#include "read/Contents.h"

namespace sfx {

// What a document says of an installer: the parts verify compares.
struct BomClaims {
    std::string sha256, stubSha256;  // empty when the document gives none
    int codePage = 0;                // the document's sfx:codePage, or 0
    struct Member {
        std::string name;    // UTF-8
        std::string sha256;  // empty when the document gives none (a damaged member)
    };
    std::vector<Member> members;  // the components of type file, in order
};

// The claims of a CycloneDX document; false, with why, when it is none.
bool ReadBomClaims(const JsonValue& document, BomClaims& claims, std::string& why);

struct BomFinding {
    bool failure = true;  // false for a note, which leaves the outcome as it is
    std::string label;    // CHANGED, MISSING, EXTRA, MOVED, DAMAGED, STUB, or note
    std::string text;
};

// Every difference between the installer's contents (names decoded from the code page) and the
// claims. A member matches the document's entry of the same name, the first with the first;
// members that match but stand in another order are MOVED. A differing whole-file hash is only a
// note: signing changes it.
std::vector<BomFinding> CompareWithBom(const Contents& contents, const BomClaims& claims, int codePage);

}  // namespace sfx

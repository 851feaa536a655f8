// A PE resource section's tree of type, name and language, read without trusting it and laid
// out again in the order the loader's binary search needs.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "core/Bytes.h"

namespace sfx {

// A type or name: a number, or a string (kept as the file holds it; compilers store them in
// upper case, which is how FindResource looks them up).
struct ResourceId {
    bool isName = false;
    uint16_t number = 0;
    std::u16string name;
};
bool operator==(const ResourceId& a, const ResourceId& b);
// The directory's order: names first, by code unit, then numbers, ascending.
bool operator<(const ResourceId& a, const ResourceId& b);
ResourceId ResourceNumber(uint16_t number);
// A name as UTF-8, a number in decimal.
std::string ResourceIdText(const ResourceId& id);

enum ResourceType : uint16_t { ResourceIcon = 3, ResourceGroupIcon = 14, ResourceVersion = 16, ResourceManifest = 24 };

struct Resource {
    ResourceId type, name;
    uint16_t language = 0;
    uint32_t codePage = 0;
    Bytes data;
};

// The most entries a tree may hold: a bound on the work a hostile one can cause, far above what
// any program carries.
const size_t MaxResourceEntries = 4096;

// The resources of the tree whose root lies `root` bytes into the section. `section` is what the
// file holds of the section that starts at `sectionRva`; every offset, count and data range is
// checked against it, and data must lie inside it. Empty when read cleanly, else the first fault
// (the resources read before it are kept), each in directory order.
std::string ReadResources(ByteView section, uint32_t sectionRva, uint32_t root, std::vector<Resource>& out);

// A section that starts with the tree of the resources, sorted, then their data at multiples of
// 8 bytes; data addresses count from `sectionRva`. The same resources give the same bytes.
Bytes BuildResourceSection(std::vector<Resource> resources, uint32_t sectionRva);

}  // namespace sfx

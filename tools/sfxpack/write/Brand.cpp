// Branding: the stub's resources read, changed and laid out again as its last section, and the
// headers that describe that section put right.
#include "write/Brand.h"
#include <algorithm>
#include <iterator>
#include <set>
#include <tuple>
#include "pe/IconGroup.h"
#include "pe/Image.h"
#include "pe/Manifest.h"
#include "core/LittleEndian.h"
#include "pe/PeSections.h"
#include "pe/ResourceTree.h"
#include "stub/PeImage.h"

namespace sfx {

// A group or manifest made for a stub that has none takes U.S. English, as compilers do.
const uint16_t DefaultLanguage = 0x0409;

static bool PowerOfTwo(uint32_t value) { return value && !(value & (value - 1)); }

static uint64_t AlignUp(uint64_t value, uint32_t unit) { return (value + unit - 1) / unit * unit; }

// Whether a data directory other than the resources' (and the security entry, which holds a file
// offset) points into the section: rebuilding it would move what it points at.
static bool OthersPointInto(ByteView stub, const PeSections& pe, const PeSection& section) {
    for (uint32_t index = 0; index < pe.directoryCount; ++index) {
        uint32_t rva, size;
        DataDirectory(stub, pe, index, rva, size);
        if (index != ResourceDirectoryIndex && index != SecurityDirectoryIndex && size &&
            SectionAt(pe, rva) == &section)
            return true;
    }
    return SectionAt(pe, Le32(stub, pe.optional + InOptionalEntryPoint)) == &section;
}

// The section that holds the resources, checked to be one that can change size in place: the
// last in the table, at the highest address, and ending the file.
static const PeSection& ResourceSection(ByteView stub, const PeSections& pe, uint32_t& root) {
    uint32_t rva, size;
    DataDirectory(stub, pe, ResourceDirectoryIndex, rva, size);
    const PeSection* section = size ? SectionAt(pe, rva) : nullptr;
    if (!section) throw BrandError("it has no resource section");
    if (section != &pe.sections.back()) throw BrandError("its resources are not in its last section");
    for (const PeSection& other : pe.sections)
        if (&other != section && (other.virtualAddress >= section->virtualAddress ||
                                  (other.rawSize && other.rawPointer >= section->rawPointer)))
            throw BrandError("its resource section does not lie behind every other section");
    if ((uint64_t)section->rawPointer + section->rawSize != stub.size())
        throw BrandError("its resource section does not end the file");
    if (OthersPointInto(stub, pe, *section)) throw BrandError("its resource section holds more than resources");
    if (!PowerOfTwo(pe.fileAlignment) || !PowerOfTwo(pe.sectionAlignment) || pe.sectionAlignment < pe.fileAlignment)
        throw BrandError("its section alignments are not powers of two");
    root = rva - section->virtualAddress;
    return *section;
}

// The ids that the icon groups other than `except` name; throws for a group that is damaged or
// for more names than a tree can hold entries, which bounds the work.
static std::set<uint16_t> IconsNamed(const std::vector<Resource>& resources, const Resource* except) {
    std::set<uint16_t> ids;
    std::vector<GroupEntry> entries;
    size_t named = 0;
    for (const Resource& resource : resources) {
        if (&resource == except || !(resource.type == ResourceNumber(ResourceGroupIcon))) continue;
        if (!DecodeIconGroup(resource.data, entries))
            throw BrandError("its icon group " + ResourceIdText(resource.name) + " is damaged");
        if ((named += entries.size()) > MaxResourceEntries) throw BrandError("its icon groups name too many images");
        for (const GroupEntry& entry : entries) ids.insert(entry.id);
    }
    return ids;
}

// Takes the first icon group, the one Explorer shows, out of the resources, with the icons that
// no other group names; the group made in its place keeps its name and language.
static Resource TakeFirstGroup(std::vector<Resource>& resources) {
    const ResourceId groupType = ResourceNumber(ResourceGroupIcon), iconType = ResourceNumber(ResourceIcon);
    Resource made{groupType, ResourceNumber(1), DefaultLanguage, 0, {}};
    auto group = resources.end();
    for (auto it = resources.begin(); it != resources.end(); ++it)
        if (it->type == groupType &&
            (group == resources.end() || std::tie(it->name, it->language) < std::tie(group->name, group->language)))
            group = it;
    if (group == resources.end()) return made;
    made.name = group->name;
    made.language = group->language;
    std::set<uint16_t> kept = IconsNamed(resources, nullptr), others = IconsNamed(resources, &*group), dropped;
    std::set_difference(kept.begin(), kept.end(), others.begin(), others.end(), std::inserter(dropped, dropped.end()));
    resources.erase(group);
    resources.erase(std::remove_if(resources.begin(), resources.end(),
                                   [&](const Resource& r) {
                                       return r.type == iconType && !r.name.isName && dropped.count(r.name.number);
                                   }),
                    resources.end());
    return made;
}

// The images become icons under the lowest ids left free, and a group names them.
static void ReplaceIcon(std::vector<Resource>& resources, const std::vector<IconImage>& images) {
    const ResourceId iconType = ResourceNumber(ResourceIcon);
    Resource made = TakeFirstGroup(resources);
    std::set<uint16_t> used;
    for (const Resource& resource : resources)
        if (resource.type == iconType && !resource.name.isName) used.insert(resource.name.number);
    std::vector<uint16_t> ids;
    for (uint32_t id = 1; ids.size() < images.size(); ++id) {
        if (id > 0xFFFF) throw BrandError("the stub has no icon ids left for the images");
        if (used.count((uint16_t)id)) continue;
        ids.push_back((uint16_t)id);
        resources.push_back({iconType, ResourceNumber((uint16_t)id), made.language, 0, images[ids.size() - 1].data});
    }
    made.data = EncodeIconGroup(images, ids);
    resources.push_back(made);
}

static void ReplaceVersion(std::vector<Resource>& resources, const VersionInfo& info) {
    Bytes data;
    try {
        data = EncodeVersionInfo(info);
    } catch (const VersionError& error) {
        throw BrandError(error.what());
    }
    const ResourceId type = ResourceNumber(ResourceVersion);
    resources.erase(
        std::remove_if(resources.begin(), resources.end(), [&](const Resource& r) { return r.type == type; }),
        resources.end());
    resources.push_back({type, ResourceNumber(1), info.language, 0, data});
}

// The manifest Windows reads at start-up, in place of any the stub has, in its language.
static void ReplaceManifest(std::vector<Resource>& resources, const Bytes& manifest) {
    const ResourceId type = ResourceNumber(ResourceManifest), name = ResourceNumber(ProcessManifestId);
    uint16_t language = DefaultLanguage;
    for (const Resource& r : resources)
        if (r.type == type && r.name == name) language = r.language;
    resources.erase(std::remove_if(resources.begin(), resources.end(),
                                   [&](const Resource& r) { return r.type == type && r.name == name; }),
                    resources.end());
    resources.push_back({type, name, language, 0, manifest});
}

// The section's new bytes in place of its old ones, and every header that tells its size.
static void Rewrite(Bytes& stub, const PeSections& pe, const PeSection& section, const Bytes& resources) {
    uint64_t rawSize = AlignUp(resources.size(), pe.fileAlignment);
    uint64_t imageEnd = AlignUp((uint64_t)section.virtualAddress + resources.size(), pe.sectionAlignment);
    if (imageEnd > UINT32_MAX || rawSize > UINT32_MAX) throw BrandError("its resource section would outgrow 4 GiB");
    stub.resize(section.rawPointer);
    stub.insert(stub.end(), resources.begin(), resources.end());
    stub.resize(section.rawPointer + rawSize, 0);
    SetLe32(stub, section.header + InSectionVirtualSize, (uint32_t)resources.size());
    SetLe32(stub, section.header + InSectionRawSize, (uint32_t)rawSize);
    SetLe32(stub, pe.optional + InOptionalImageSize, (uint32_t)imageEnd);
    uint32_t initialized = Le32(stub, pe.optional + InOptionalInitializedData);
    // The linker counted the section's old raw size if it counted it at all.
    if ((section.characteristics & SectionInitializedData) && initialized >= section.rawSize)
        SetLe32(stub, pe.optional + InOptionalInitializedData, initialized - section.rawSize + (uint32_t)rawSize);
    uint64_t entry = pe.directories + (uint64_t)ResourceDirectoryIndex * DirectoryEntrySize;
    SetLe32(stub, entry, section.virtualAddress);
    SetLe32(stub, entry + 4, (uint32_t)resources.size());
    uint64_t checksum = pe.optional + InOptionalChecksum;
    SetLe32(stub, checksum, PeChecksum(stub, checksum));
}

void Brand(Bytes& stub, const Branding& branding) {
    PeSections pe;
    std::string why = ReadPeSections(stub, pe);
    if (!why.empty()) throw BrandError(why);
    uint32_t root = 0;
    const PeSection& section = ResourceSection(stub, pe, root);
    std::vector<Resource> resources;
    why = ReadResources(SectionBytes(stub, section), section.virtualAddress, root, resources);
    if (!why.empty()) throw BrandError("its resource section is damaged: " + why);
    if (!branding.icon.empty()) ReplaceIcon(resources, branding.icon);
    if (branding.version) ReplaceVersion(resources, *branding.version);
    if (branding.manifest) ReplaceManifest(resources, *branding.manifest);
    Rewrite(stub, pe, section, BuildResourceSection(resources, section.virtualAddress));
}

}  // namespace sfx

// Reading an installer's icon groups, version resource and manifest through its headers.
#include "read/Face.h"
#include <map>
#include "pe/IconGroup.h"
#include "pe/PeSections.h"
#include "pe/ResourceTree.h"

namespace sfx {

using Icons = std::map<uint16_t, const Resource*>;

// The images a group names, up to the bound that all groups share: a hostile section may name
// one large image list from many groups.
static void AddGroup(Face& face, const Icons& icons, const Resource& group, size_t& imagesLeft) {
    IconGroupFace out{ResourceIdText(group.name), {}};
    std::vector<GroupEntry> entries;
    if (!DecodeIconGroup(group.data, entries)) face.problems.push_back("icon group " + out.name + " is damaged");
    if (entries.size() > imagesLeft) {
        face.problems.push_back("the icon groups name more than " + std::to_string(MaxResourceEntries) + " images");
        entries.resize(imagesLeft);
    }
    imagesLeft -= entries.size();
    for (const GroupEntry& entry : entries) {
        auto found = icons.find(entry.id);
        const Resource* icon = found == icons.end() ? nullptr : found->second;
        out.images.push_back(IconFace{entry.width ? entry.width : 256u, entry.height ? entry.height : 256u,
                                      entry.bitCount, entry.bytes, icon && IsPng(icon->data), icon != nullptr});
        if (!icon)
            face.problems.push_back("icon group " + out.name + " names icon " + std::to_string(entry.id) +
                                    ", which is missing");
    }
    face.icons.push_back(out);
}

static void AddVersion(Face& face, const Resource& resource) {
    VersionInfo info;
    std::string why = DecodeVersionInfo(resource.data, info);
    if (!why.empty()) face.problems.push_back("the version resource is damaged: " + why);
    face.version = info;
}

// A manifest Windows can't read stops the installer from starting at all: worth a warning.
static void AddManifest(Face& face, const Resource& resource) {
    ManifestFace manifest;
    std::string why = ReadManifest(resource.data, manifest);
    if (!why.empty())
        face.problems.push_back("the manifest is damaged, and Windows will not start the installer: " + why);
    face.manifest = manifest;
}

Face ReadFace(ByteView file) {
    Face face;
    PeSections pe;
    uint32_t rva = 0, size = 0;
    if (!ReadPeSections(file, pe).empty()) return face;
    DataDirectory(file, pe, ResourceDirectoryIndex, rva, size);
    if (!size) return face;
    const PeSection* section = SectionAt(pe, rva);
    if (!section) {
        face.problems.push_back("the resource directory lies in no section");
        return face;
    }
    std::vector<Resource> resources;
    std::string why =
        ReadResources(SectionBytes(file, *section), section->virtualAddress, rva - section->virtualAddress, resources);
    if (!why.empty()) face.problems.push_back("the resource section is damaged: " + why);
    Icons icons;
    for (const Resource& resource : resources)
        if (resource.type == ResourceNumber(ResourceIcon) && !resource.name.isName)
            icons.emplace(resource.name.number, &resource);
    size_t imagesLeft = MaxResourceEntries;
    for (const Resource& resource : resources) {
        if (resource.type == ResourceNumber(ResourceGroupIcon)) AddGroup(face, icons, resource, imagesLeft);
        // The loader takes the first version resource; so does this.
        if (resource.type == ResourceNumber(ResourceVersion) && !face.version) AddVersion(face, resource);
        if (resource.type == ResourceNumber(ResourceManifest) && resource.name == ResourceNumber(ProcessManifestId) &&
            !face.manifest)
            AddManifest(face, resource);
    }
    return face;
}

}  // namespace sfx

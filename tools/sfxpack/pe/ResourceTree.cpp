// Resource directories: a 16-byte header whose last two 16-bit fields count the named and the
// numbered entries, then 8-byte entries (an id or a name's offset with the top bit set; a
// subdirectory's offset with the top bit set, or a 16-byte data entry's offset). Three levels:
// type, name, language.
#include "pe/ResourceTree.h"
#include <algorithm>
#include <tuple>
#include "core/LittleEndian.h"
#include "core/Utf16.h"

namespace sfx {

enum TreeLayout : uint32_t { DirectoryHeader = 16, EntrySize = 8, DataEntrySize = 16, HighBit = 0x80000000u };

bool operator==(const ResourceId& a, const ResourceId& b) {
    return a.isName == b.isName && a.number == b.number && a.name == b.name;
}

bool operator<(const ResourceId& a, const ResourceId& b) {
    if (a.isName != b.isName) return a.isName;
    return a.isName ? a.name < b.name : a.number < b.number;
}

ResourceId ResourceNumber(uint16_t number) { return ResourceId{false, number, {}}; }

std::string ResourceIdText(const ResourceId& id) {
    return id.isName ? Utf16ToUtf8(id.name) : std::to_string(id.number);
}

namespace {

// One walk of a tree; the count of entries seen bounds it, however the offsets loop.
struct TreeReader {
    ByteView section;
    uint32_t rva;
    std::vector<Resource>& out;
    size_t seen = 0;
    uint64_t copied = 0;  // data may overlap in a hostile tree, but never adds up past the section

    std::string readId(uint32_t field, ResourceId& id) const {
        id = ResourceId();
        if (!(field & HighBit)) {
            if (field > 0xFFFF) return "an entry's number is out of range";
            id.number = (uint16_t)field;
            return "";
        }
        uint32_t at = field & ~HighBit;
        if (!Fits(section, at, 2) || !Fits(section, at + 2ull, 2ull * Le16(section, at)))
            return "a name lies past the section's end";
        id.isName = true;
        for (uint32_t i = 0; i < Le16(section, at); ++i) id.name += (char16_t)Le16(section, at + 2ull + 2ull * i);
        return "";
    }

    std::string readData(uint32_t at, Resource& resource) {
        if (!Fits(section, at, DataEntrySize)) return "a data entry lies past the section's end";
        uint32_t dataRva = Le32(section, at), size = Le32(section, at + 4);
        if (dataRva < rva || !Fits(section, dataRva - rva, size))
            return "the data of resource " + ResourceIdText(resource.type) + "/" + ResourceIdText(resource.name) +
                   " lies outside the section";
        if ((copied += size) > section.size()) return "its resources' data add up to more than the section";
        resource.codePage = Le32(section, at + 8);
        const uint8_t* data = section.data() + (dataRva - rva);
        resource.data.assign(data, data + size);
        out.push_back(resource);
        return "";
    }

    std::string readEntry(uint64_t entry, int level, Resource& path) {
        ResourceId id;
        std::string why = readId(Le32(section, entry), id);
        if (!why.empty()) return why;
        uint32_t target = Le32(section, entry + 4);
        if (level == 2) {
            if (id.isName) return "a language entry holds a name";
            if (target & HighBit) return "a language entry points at a directory";
            path.language = id.number;
            return readData(target, path);
        }
        if (!(target & HighBit)) return "a type or name entry points at data";
        (level == 0 ? path.type : path.name) = id;
        return readDirectory(target & ~HighBit, level + 1, path);
    }

    std::string readDirectory(uint32_t at, int level, Resource& path) {
        if (!Fits(section, at, DirectoryHeader)) return "a directory lies past the section's end";
        uint32_t count = (uint32_t)Le16(section, at + 12) + Le16(section, at + 14);
        if (!Fits(section, at + (uint64_t)DirectoryHeader, (uint64_t)count * EntrySize))
            return "a directory's entries run past the section's end";
        for (uint32_t i = 0; i < count; ++i) {
            if (++seen > MaxResourceEntries)
                return "it holds more than " + std::to_string(MaxResourceEntries) + " entries";
            std::string why = readEntry(at + (uint64_t)DirectoryHeader + (uint64_t)i * EntrySize, level, path);
            if (!why.empty()) return why;
        }
        return "";
    }
};

struct NameNode {
    ResourceId id;
    std::vector<const Resource*> languages;
};
struct TypeNode {
    ResourceId id;
    std::vector<NameNode> names;
};

std::vector<TypeNode> Group(const std::vector<Resource>& sorted) {
    std::vector<TypeNode> types;
    for (const Resource& resource : sorted) {
        if (types.empty() || !(types.back().id == resource.type)) types.push_back({resource.type, {}});
        std::vector<NameNode>& names = types.back().names;
        if (names.empty() || !(names.back().id == resource.name)) names.push_back({resource.name, {}});
        names.back().languages.push_back(&resource);
    }
    return types;
}

// A directory at the end of `out` for entries of these ids, the names first; its offset.
template <typename Node>
uint32_t AddDirectory(Bytes& out, const std::vector<Node>& entries) {
    uint32_t at = (uint32_t)out.size();
    out.resize(out.size() + DirectoryHeader + EntrySize * entries.size(), 0);
    uint16_t named = (uint16_t)std::count_if(entries.begin(), entries.end(), [](const Node& n) { return n.id.isName; });
    SetLe16(out, at + 12, named);
    SetLe16(out, at + 14, (uint16_t)(entries.size() - named));
    return at;
}

// The data entries, then the data, each at a multiple of 8, behind the tree and its names.
void AddData(Bytes& out, const std::vector<std::pair<uint32_t, const Resource*>>& languageEntries,
             uint32_t sectionRva) {
    std::vector<uint32_t> dataEntries;
    PadTo(out, 4);
    for (auto& [at, resource] : languageEntries) {
        SetLe32(out, at, resource->language);
        SetLe32(out, at + 4, (uint32_t)out.size());
        dataEntries.push_back((uint32_t)out.size());
        out.resize(out.size() + DataEntrySize, 0);
    }
    for (size_t i = 0; i < languageEntries.size(); ++i) {
        const Resource& resource = *languageEntries[i].second;
        PadTo(out, 8);
        SetLe32(out, dataEntries[i], sectionRva + (uint32_t)out.size());
        SetLe32(out, dataEntries[i] + 4, (uint32_t)resource.data.size());
        SetLe32(out, dataEntries[i] + 8, resource.codePage);
        out.insert(out.end(), resource.data.begin(), resource.data.end());
    }
}

}  // namespace

std::string ReadResources(ByteView section, uint32_t sectionRva, uint32_t root, std::vector<Resource>& out) {
    TreeReader reader{section, sectionRva, out};
    Resource path;
    return reader.readDirectory(root, 0, path);
}

Bytes BuildResourceSection(std::vector<Resource> resources, uint32_t sectionRva) {
    std::stable_sort(resources.begin(), resources.end(), [](const Resource& a, const Resource& b) {
        return std::tie(a.type, a.name, a.language) < std::tie(b.type, b.name, b.language);
    });
    std::vector<TypeNode> types = Group(resources);
    Bytes out;
    // The entries whose id is a name, patched once the names are laid out behind the tree.
    std::vector<std::pair<uint32_t, const ResourceId*>> named;
    auto entry = [&](uint32_t directory, size_t i, const ResourceId& id, uint32_t target) {
        uint32_t at = directory + DirectoryHeader + EntrySize * (uint32_t)i;
        SetLe32(out, at, id.number);
        SetLe32(out, at + 4, target);
        if (id.isName) named.push_back({at, &id});
    };
    uint32_t root = AddDirectory(out, types);
    std::vector<uint32_t> typeDirectories;
    for (size_t t = 0; t < types.size(); ++t) {
        typeDirectories.push_back(AddDirectory(out, types[t].names));
        entry(root, t, types[t].id, HighBit | typeDirectories.back());
    }
    std::vector<std::pair<uint32_t, const Resource*>> languageEntries;
    for (size_t t = 0; t < types.size(); ++t)
        for (size_t n = 0; n < types[t].names.size(); ++n) {
            const NameNode& name = types[t].names[n];
            uint32_t directory = (uint32_t)out.size();
            out.resize(out.size() + DirectoryHeader + EntrySize * name.languages.size(), 0);
            SetLe16(out, directory + 14, (uint16_t)name.languages.size());
            entry(typeDirectories[t], n, name.id, HighBit | directory);
            for (size_t l = 0; l < name.languages.size(); ++l)
                languageEntries.push_back({directory + DirectoryHeader + EntrySize * (uint32_t)l, name.languages[l]});
        }
    for (auto& [at, id] : named) {
        SetLe32(out, at, HighBit | (uint32_t)out.size());
        AddLe16(out, (uint16_t)id->name.size());
        for (char16_t unit : id->name) AddLe16(out, unit);
    }
    AddData(out, languageEntries, sectionRva);
    return out;
}

}  // namespace sfx

// Reading a bill of materials back and comparing an installer with it.
#include "cli/BomCheck.h"
#include <algorithm>
#include <map>
#include "core/CodePage.h"
#include "core/Names.h"

namespace sfx {

// The SHA-256 among a component's hashes, lowercased; empty when none is given.
static std::string Sha256Of(const JsonValue* component) {
    const JsonValue* hashes = component ? component->find("hashes") : nullptr;
    if (!hashes || hashes->type != JsonValue::Type::Array) return "";
    for (const JsonValue& hash : hashes->items)
        if (hash.stringAt("alg") == "SHA-256") {
            std::string content = hash.stringAt("content");
            for (char& c : content) c = (char)(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
            return content;
        }
    return "";
}

static std::string PropertyOf(const JsonValue* component, const std::string& name) {
    const JsonValue* properties = component ? component->find("properties") : nullptr;
    if (!properties || properties->type != JsonValue::Type::Array) return "";
    for (const JsonValue& property : properties->items)
        if (property.stringAt("name") == name) return property.stringAt("value");
    return "";
}

bool ReadBomClaims(const JsonValue& document, BomClaims& claims, std::string& why) {
    if (document.stringAt("bomFormat") != "CycloneDX") {
        why = "it is no CycloneDX document (no \"bomFormat\": \"CycloneDX\")";
        return false;
    }
    const JsonValue* metadata = document.find("metadata");
    const JsonValue* installer = metadata ? metadata->find("component") : nullptr;
    claims.sha256 = Sha256Of(installer);
    std::string page = PropertyOf(installer, "sfx:codePage");
    if (page.size() <= 5 && !page.empty() && page.find_first_not_of("0123456789") == std::string::npos &&
        KnownCodePage(std::stoi(page)))
        claims.codePage = std::stoi(page);
    const JsonValue* components = document.find("components");
    if (!components || components->type != JsonValue::Type::Array) {
        why = "it lists no components";
        return false;
    }
    // The stub is the component of type application; the members are those of type file.
    bool stub = false;
    for (const JsonValue& component : components->items) {
        std::string type = component.stringAt("type");
        if (type == "application" && !stub) {
            stub = true;
            claims.stubSha256 = Sha256Of(&component);
        } else if (type == "file") {
            claims.members.push_back({component.stringAt("name"), Sha256Of(&component)});
        }
    }
    return true;
}

static std::string Short(const std::string& sha256) { return sha256.empty() ? "none" : sha256.substr(0, 16) + "..."; }

std::vector<BomFinding> CompareWithBom(const Contents& contents, const BomClaims& claims, int codePage) {
    std::vector<BomFinding> findings;
    // An installer whose directory can't be read has no stub to hash, nor its document.
    if (claims.stubSha256.empty() && !contents.stubSha256.empty())
        findings.push_back({true, "STUB", "the document gives no SHA-256 of the stub"});
    else if (claims.stubSha256 != contents.stubSha256)
        findings.push_back({true, "STUB", "the stub's SHA-256 is " + Short(contents.stubSha256) + ", the document's " +
                                              Short(claims.stubSha256)});
    if (!claims.sha256.empty() && claims.sha256 != contents.sha256)
        findings.push_back({false, "note", "the whole file's SHA-256 is " + Short(contents.sha256) +
                                               ", the document's " + Short(claims.sha256) +
                                               ": signing changes it, so it decides nothing"});
    // Each name's entries in the document, in order, taken by the installer's entries in order.
    std::map<std::string, std::vector<size_t>> listed;
    for (size_t i = claims.members.size(); i-- > 0;) listed[claims.members[i].name].push_back(i);
    std::vector<bool> matched(claims.members.size());
    std::vector<std::pair<size_t, size_t>> pairs;  // the installer's entry, the document's
    for (size_t i = 0; i < contents.members.size(); ++i) {
        const MemberContents& member = contents.members[i];
        std::string name = DecodeName(member.name, codePage, Invalid::Replaced);
        std::string shown = ShownName(member.name, codePage);
        if (!member.damage.empty()) findings.push_back({true, "DAMAGED", shown + ": " + member.damage});
        auto it = listed.find(name);
        if (it == listed.end() || it->second.empty()) {
            findings.push_back({true, "EXTRA", shown + ": in the installer, not in the document"});
            continue;
        }
        size_t entry = it->second.back();
        it->second.pop_back();
        matched[entry] = true;
        pairs.push_back({i, entry});
        const std::string& claimed = claims.members[entry].sha256;
        if (member.damage.empty() && claimed != member.sha256)
            findings.push_back({true, "CHANGED", shown + ": its SHA-256 is " + Short(member.sha256) +
                                                     ", the document's " + Short(claimed)});
    }
    // The matched members stand in the document's order unless some moved: a member whose rank
    // among them differs between the two has.
    std::vector<size_t> ranks;
    for (const auto& pair : pairs) ranks.push_back(pair.second);
    std::sort(ranks.begin(), ranks.end());
    for (size_t k = 0; k < pairs.size(); ++k)
        if (pairs[k].second != ranks[k])
            findings.push_back({true, "MOVED", ShownName(contents.members[pairs[k].first].name, codePage) + ": entry " +
                                                   std::to_string(pairs[k].first) + " in the installer, " +
                                                   std::to_string(pairs[k].second) + " in the document"});
    for (size_t i = 0; i < claims.members.size(); ++i)
        if (!matched[i])
            findings.push_back(
                {true, "MISSING", Printable(claims.members[i].name) + ": in the document, not in the installer"});
    return findings;
}

}  // namespace sfx

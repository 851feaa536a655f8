// A small, strict XML reader for application manifests: elements, attributes and text with
// namespaces resolved; comments, CDATA and processing instructions taken; no DTD, whose entities
// could expand without bound. Hostile input gets a reason, never a crash.
#pragma once
#include <string>
#include <utility>
#include <vector>
#include "core/Bytes.h"

namespace sfx {

struct XmlElement {
    std::string ns, name;  // namespace URI and local name
    // Local name (any prefix dropped) and value with its references expanded; namespace
    // declarations are not among them.
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text;  // the character data directly inside, in order
    std::vector<XmlElement> children;

    const std::string* attribute(const std::string& local) const;
};

// Deeper nesting than this is refused: a bound on the reader's stack.
const size_t MaxXmlDepth = 64;

// Empty when the bytes are one well-formed UTF-8 document (a byte order mark allowed), else
// where and why it is not.
std::string ParseXml(ByteView bytes, XmlElement& root);

}  // namespace sfx

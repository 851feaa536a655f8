// Reading XML by recursive descent over the bytes, every step checked against their end.
#include "pe/Xml.h"
#include <cctype>
#include <map>
#include "core/Utf16.h"

namespace sfx {

const std::string* XmlElement::attribute(const std::string& local) const {
    for (const auto& [key, value] : attributes)
        if (key == local) return &value;
    return nullptr;
}

namespace {

struct Fault {
    size_t at;
    std::string why;
};

using Scope = std::map<std::string, std::string>;  // prefix ("" the default) to namespace URI

size_t Length(const char* literal) { return std::char_traits<char>::length(literal); }

void AppendUtf8(std::string& out, unsigned long c) {
    if (c < 0x80) {
        out += (char)c;
    } else if (c < 0x800) {
        out += (char)(0xC0 | c >> 6);
    } else if (c < 0x10000) {
        out += (char)(0xE0 | c >> 12);
        out += (char)(0x80 | (c >> 6 & 0x3F));
    } else {
        out += (char)(0xF0 | c >> 18);
        out += (char)(0x80 | (c >> 12 & 0x3F));
        out += (char)(0x80 | (c >> 6 & 0x3F));
    }
    if (c >= 0x80) out += (char)(0x80 | (c & 0x3F));
}

class Reader {
public:
    explicit Reader(const std::string& text) : s(text) {}

    void document(XmlElement& root) {
        if (s.compare(0, 3, "\xEF\xBB\xBF") == 0) at = 3;
        misc();
        if (starts("<!")) fail("a document type declaration is not taken");
        if (!starts("<")) fail("no root element");
        Scope scope{{"xml", "http://www.w3.org/XML/1998/namespace"}};
        element(root, scope, 1);
        misc();
        if (at != s.size()) fail("more after the root element");
    }

private:
    [[noreturn]] void fail(const std::string& why) { throw Fault{at, why}; }
    bool starts(const char* literal) const { return s.compare(at, Length(literal), literal) == 0; }
    void expect(const char* literal) {
        if (!starts(literal)) fail(std::string("expected ") + literal);
        at += Length(literal);
    }
    bool space() const { return at < s.size() && (s[at] == ' ' || s[at] == '\t' || s[at] == '\r' || s[at] == '\n'); }
    void skipSpace() {
        while (space()) ++at;
    }
    // Everything up to the terminator, which is passed.
    std::string until(const char* end, const char* what) {
        size_t found = s.find(end, at);
        if (found == std::string::npos) fail(std::string("unterminated ") + what);
        std::string inside = s.substr(at, found - at);
        at = found + Length(end);
        return inside;
    }
    // A comment or processing instruction at `at`, skipped; false for anything else.
    bool skipMarkup() {
        if (starts("<!--")) {
            at += 4;
            until("-->", "comment");
        } else if (starts("<?")) {
            at += 2;
            until("?>", "processing instruction");
        } else {
            return false;
        }
        return true;
    }
    // Comments, processing instructions (the XML declaration among them) and white space.
    void misc() {
        do skipSpace();
        while (skipMarkup());
    }
    static bool nameStart(unsigned char c) { return std::isalpha(c) || c == '_' || c == ':' || c >= 0x80; }
    static bool nameChar(unsigned char c) { return nameStart(c) || std::isdigit(c) || c == '-' || c == '.'; }
    std::string name() {
        size_t start = at;
        if (at >= s.size() || !nameStart((unsigned char)s[at])) fail("expected a name");
        while (at < s.size() && nameChar((unsigned char)s[at])) ++at;
        return s.substr(start, at - start);
    }
    // A reference after its '&', appended to out.
    void reference(std::string& out) {
        static const std::pair<const char*, char> named[] = {
            {"lt;", '<'}, {"gt;", '>'}, {"amp;", '&'}, {"quot;", '"'}, {"apos;", '\''}};
        for (const auto& [entity, c] : named)
            if (starts(entity)) {
                at += Length(entity);
                out += c;
                return;
            }
        if (!starts("#")) fail("unknown entity");
        bool hex = starts("#x");
        at += hex ? 2 : 1;
        unsigned long c = 0;
        size_t digits = 0;
        for (; at < s.size() && s[at] != ';'; ++at, ++digits) {
            unsigned char d = (unsigned char)s[at];
            int value = std::isdigit(d) ? d - '0' : hex && std::isxdigit(d) ? std::tolower(d) - 'a' + 10 : -1;
            if (value < 0 || digits >= 8) fail("bad character reference");
            c = c * (hex ? 16 : 10) + (unsigned long)value;
        }
        if (!digits || at >= s.size() || c == 0 || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000))
            fail("bad character reference");
        ++at;
        AppendUtf8(out, c);
    }
    std::string attributeValue() {
        if (at >= s.size() || (s[at] != '"' && s[at] != '\'')) fail("expected a quoted value");
        char quote = s[at++];
        std::string value;
        for (;;) {
            if (at >= s.size()) fail("unterminated attribute value");
            char c = s[at++];
            if (c == quote) return value;
            if (c == '<') fail("'<' in an attribute value");
            if (c == '&')
                reference(value);
            else
                value += c;
        }
    }
    // The namespace of a qualified name in the scope, and its local part; an attribute without
    // a prefix is in no namespace.
    std::string resolve(const std::string& qualified, const Scope& scope, std::string& local, bool attribute) {
        size_t colon = qualified.find(':');
        local = colon == std::string::npos ? qualified : qualified.substr(colon + 1);
        if (colon == std::string::npos && attribute) return "";
        auto found = scope.find(colon == std::string::npos ? "" : qualified.substr(0, colon));
        if (found != scope.end()) return found->second;
        if (colon != std::string::npos) fail("undeclared namespace prefix in " + qualified);
        return "";
    }
    // The start tag's attributes, the namespaces they declare added to the scope.
    void attributes(std::vector<std::pair<std::string, std::string>>& raw, Scope& scope) {
        for (;;) {
            bool spaced = space();
            skipSpace();
            if (starts("/>") || starts(">")) return;
            if (!spaced) fail("expected white space between attributes");
            std::string key = name();
            skipSpace();
            expect("=");
            skipSpace();
            std::string value = attributeValue();
            for (const auto& seen : raw)
                if (seen.first == key) fail("attribute " + key + " given twice");
            raw.emplace_back(key, value);
            if (key == "xmlns") scope[""] = value;
            if (key.compare(0, 6, "xmlns:") == 0) scope[key.substr(6)] = value;
        }
    }
    void element(XmlElement& out, const Scope& outer, size_t depth) {
        if (depth > MaxXmlDepth) fail("nested deeper than " + std::to_string(MaxXmlDepth) + " elements");
        expect("<");
        std::string tag = name();
        std::vector<std::pair<std::string, std::string>> raw;
        Scope scope = outer;
        attributes(raw, scope);
        out.ns = resolve(tag, scope, out.name, false);
        for (const auto& [key, value] : raw) {
            if (key == "xmlns" || key.compare(0, 6, "xmlns:") == 0) continue;
            std::string local;
            resolve(key, scope, local, true);
            out.attributes.emplace_back(local, value);
        }
        if (starts("/>")) {
            at += 2;
            return;
        }
        ++at;
        content(out, scope, depth);
        expect("</");
        if (name() != tag) fail("the end tag does not match <" + tag + ">");
        skipSpace();
        expect(">");
    }
    void content(XmlElement& out, const Scope& scope, size_t depth) {
        for (;;) {
            if (at >= s.size()) fail("unterminated element " + out.name);
            if (starts("</")) return;
            if (skipMarkup()) continue;
            if (starts("<![CDATA[")) {
                at += 9;
                out.text += until("]]>", "CDATA section");
            } else if (starts("<!")) {
                fail("a declaration inside an element");
            } else if (starts("<")) {
                out.children.emplace_back();
                element(out.children.back(), scope, depth + 1);
            } else if (s[at] == '&') {
                ++at;
                reference(out.text);
            } else {
                out.text += s[at++];
            }
        }
    }

    const std::string& s;
    size_t at = 0;
};

}  // namespace

std::string ParseXml(ByteView bytes, XmlElement& root) {
    std::string text(bytes.begin(), bytes.end());
    std::u16string unused;
    if (text.empty()) return "it is empty";
    if (!Utf8ToUtf16(text, unused)) return "it is not UTF-8 text";
    if (text.find('\0') != std::string::npos) return "it holds a NUL character";
    root = XmlElement{};
    try {
        Reader(text).document(root);
    } catch (const Fault& fault) {
        return "it is not well-formed XML (byte " + std::to_string(fault.at) + ": " + fault.why + ")";
    }
    return "";
}

}  // namespace sfx

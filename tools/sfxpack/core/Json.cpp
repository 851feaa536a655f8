// JSON written a string at a time, and read by recursive descent with every byte checked.
#include "core/Json.h"
#include "core/Utf16.h"
#include <cstdio>
#include "core/Names.h"

namespace sfx {

std::string JsonString(const std::string& bytes) {
    std::string out = "\"";
    for (size_t i = 0; i < bytes.size();) {
        unsigned char c = (unsigned char)bytes[i];
        if (size_t length = c >= 0x80 ? Utf8Length(bytes, i) : 0) {
            out.append(bytes, i, length);
            i += length;
            continue;
        }
        if (c >= 0x80) {
            out += "\\ufffd";
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c >= 0x20 && c < 0x7F) {
            out += (char)c;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        }
        ++i;
    }
    return out + "\"";
}

const JsonValue* JsonValue::find(const std::string& key) const {
    if (type != Type::Object) return nullptr;
    for (const auto& member : members)
        if (member.first == key) return &member.second;
    return nullptr;
}

std::string JsonValue::stringAt(const std::string& key) const {
    const JsonValue* value = find(key);
    return value && value->type == Type::String ? value->text : std::string();
}

namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : text(text) {}

    bool document(JsonValue& value, std::string& why) {
        bool read = this->value(value, 0) && (space(), at == text.size() || fail("text follows the document"));
        if (!read) why = problem + " at byte " + std::to_string(at);
        return read;
    }

private:
    bool fail(const char* what) {
        if (problem.empty()) problem = what;
        return false;
    }

    void space() {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r')) ++at;
    }

    bool literal(const char* word) {
        std::string expected(word);
        if (text.compare(at, expected.size(), expected) != 0) return fail("not a JSON value");
        at += expected.size();
        return true;
    }

    bool value(JsonValue& out, int depth) {
        if (depth >= MaxJsonDepth) return fail("nested too deep");
        if (++values > MaxJsonValues) return fail("too many values");
        space();
        if (at >= text.size()) return fail("the text ends early");
        switch (text[at]) {
        case '{': return object(out, depth);
        case '[': return array(out, depth);
        case '"': out.type = JsonValue::Type::String; return string(out.text);
        case 't': out.type = JsonValue::Type::Boolean; out.boolean = true; return literal("true");
        case 'f': out.type = JsonValue::Type::Boolean; return literal("false");
        case 'n': return literal("null");
        default: out.type = JsonValue::Type::Number; return number(out.text);
        }
    }

    bool object(JsonValue& out, int depth) {
        out.type = JsonValue::Type::Object;
        ++at;
        space();
        if (at < text.size() && text[at] == '}') {
            ++at;
            return true;
        }
        for (;;) {
            space();
            std::string key;
            if (at >= text.size() || text[at] != '"') return fail("an object's key is not a string");
            if (!string(key)) return false;
            space();
            if (at >= text.size() || text[at] != ':') return fail("no ':' after a key");
            ++at;
            out.members.emplace_back(std::move(key), JsonValue());
            if (!value(out.members.back().second, depth + 1)) return false;
            if (!next('}')) return problem.empty();
        }
    }

    bool array(JsonValue& out, int depth) {
        out.type = JsonValue::Type::Array;
        ++at;
        space();
        if (at < text.size() && text[at] == ']') {
            ++at;
            return true;
        }
        for (;;) {
            out.items.emplace_back();
            if (!value(out.items.back(), depth + 1)) return false;
            if (!next(']')) return problem.empty();
        }
    }

    // After an item: true when a comma says another follows; false at the closing bracket (with
    // no problem) or at anything else (with one).
    bool next(char close) {
        space();
        bool comma = at < text.size() && text[at] == ',';
        if (!comma && (at >= text.size() || text[at] != close)) return fail("no ',' or closing bracket after an item");
        ++at;
        return comma;
    }

    bool hex4(uint32_t& unit) {
        if (text.size() - at < 4) return fail("a \\u escape is cut short");
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            char c = text[at++];
            int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
            if (digit < 0) return fail("a \\u escape holds a non-hex digit");
            unit = unit << 4 | (uint32_t)digit;
        }
        return true;
    }

    bool escape(std::string& out) {
        if (at >= text.size()) return fail("a string ends inside an escape");
        char c = text[at++];
        const char* from = "\"\\/bfnrt";
        const char* to = "\"\\/\b\f\n\r\t";
        for (int i = 0; from[i]; ++i) {
            if (c != from[i]) continue;
            out += to[i];
            return true;
        }
        if (c != 'u') return fail("an unknown escape");
        uint32_t unit = 0;
        if (!hex4(unit)) return false;
        if (unit >= 0xDC00 && unit < 0xE000) return fail("a lone low surrogate");
        if (unit >= 0xD800 && unit < 0xDC00) {
            uint32_t low = 0;
            if (text.compare(at, 2, "\\u") != 0) return fail("a high surrogate without its low one");
            at += 2;
            if (!hex4(low)) return false;
            if (low < 0xDC00 || low >= 0xE000) return fail("a high surrogate without its low one");
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(out, unit);
        return true;
    }

    bool string(std::string& out) {
        ++at;  // the opening quote
        while (at < text.size()) {
            unsigned char c = (unsigned char)text[at];
            if (c == '"') {
                ++at;
                return true;
            }
            if (c == '\\') {
                ++at;
                if (!escape(out)) return false;
            } else if (c < 0x20) {
                return fail("a control character in a string");
            } else if (c < 0x80) {
                out += (char)c;
                ++at;
            } else {
                // Utf8Length leaves out the C1 controls, which JSON allows as they are.
                bool c1 = c == 0xC2 && at + 1 < text.size() && (unsigned char)text[at + 1] >= 0x80 &&
                          (unsigned char)text[at + 1] < 0xA0;
                size_t length = c1 ? 2 : Utf8Length(text, at);
                if (!length) return fail("a string is not valid UTF-8");
                out.append(text, at, length);
                at += length;
            }
        }
        return fail("a string is not closed");
    }

    bool digits() {
        size_t begin = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
        return at > begin || fail("a number lacks its digits");
    }

    bool number(std::string& out) {
        size_t begin = at;
        if (text[at] == '-') ++at;
        if (at < text.size() && text[at] == '0') {
            ++at;
        } else if (!digits()) {
            return false;
        }
        if (at < text.size() && text[at] == '.' && (++at, !digits())) return false;
        if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
            ++at;
            if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
            if (!digits()) return false;
        }
        out.assign(text, begin, at - begin);
        return true;
    }

    const std::string& text;
    size_t at = 0;
    size_t values = 0;
    std::string problem;
};

}  // namespace

bool ParseJson(const std::string& text, JsonValue& value, std::string& why) {
    value = JsonValue();
    return Reader(text).document(value, why);
}

}  // namespace sfx

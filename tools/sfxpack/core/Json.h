// JSON text: strings written for the documents sfxpack prints, and documents read back without
// trusting them (a bill of materials given to verify).
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace sfx {

// The bytes as a JSON string: UTF-8 kept, every other byte U+FFFD, controls escaped.
std::string JsonString(const std::string& bytes);

// A value read from JSON text. Numbers keep the text they were written as.
struct JsonValue {
    enum class Type { Null, Boolean, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    std::string text;                                         // a string's UTF-8, or a number
    std::vector<JsonValue> items;                             // an array's
    std::vector<std::pair<std::string, JsonValue>> members;  // an object's, in order

    // The member of an object under the key (the first, should it repeat), or null.
    const JsonValue* find(const std::string& key) const;
    // The member's text when it is a string, else empty.
    std::string stringAt(const std::string& key) const;
};

// Arrays and objects nested deeper than this are refused, so that hostile text can't exhaust
// the stack.
const int MaxJsonDepth = 64;

// And values beyond this many: each takes about a hundred bytes of memory, whatever its text.
const size_t MaxJsonValues = 4u << 20;

// Reads one JSON document, surrounded by nothing but white space. False, with why (and where),
// for anything else: text that is not JSON, a string that is not valid UTF-8, nesting too deep.
bool ParseJson(const std::string& text, JsonValue& value, std::string& why);

}  // namespace sfx

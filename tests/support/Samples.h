// Test data shared by every host test: deterministic payloads and byte/text conversions.
#pragma once
#include <string>
#include "Writer.h"

sfx::Bytes ToBytes(const std::string& text);
std::string ToText(const sfx::Bytes& bytes);
// Deterministic bytes that deflate well (text-like) or not at all (noise).
sfx::Bytes TextLike(size_t size, unsigned seed = 1);
sfx::Bytes Noise(size_t size, unsigned seed = 1);

// A stub branded for the end-to-end tests: the sample icon, a version resource and a manifest
// asking for administrators' rights, through the library's own branding (the command line's is
// tested in BrandTest.cpp).
#pragma once
#include "write/Writer.h"

sfx::Bytes BrandedStub(const sfx::Bytes& stub);

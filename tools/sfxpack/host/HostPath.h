// Paths as sfxpack holds them, UTF-8 strings on every system, made into the C++ library's paths
// and back. sfxpack.exe runs with UTF-8 as its ANSI code page (its manifest), so the system calls
// take these strings as they are, but the library's narrow conversion on Windows does not follow
// that code page: these keep it out of the way.
#pragma once
#include <filesystem>
#include <string>

namespace sfx {

inline std::filesystem::path HostPath(const std::string& text) {
#ifdef _WIN32
    return std::filesystem::u8path(text);
#else
    return text;
#endif
}

inline std::string HostString(const std::filesystem::path& path) {
#ifdef _WIN32
    return path.u8string();
#else
    return path.string();
#endif
}

// With '/' between the parts on every system, as relative member paths are sorted.
inline std::string HostGenericString(const std::filesystem::path& path) {
#ifdef _WIN32
    return path.generic_u8string();
#else
    return path.generic_string();
#endif
}

}  // namespace sfx

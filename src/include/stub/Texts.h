// Texts: the error boxes that reading the archive can end in and the set-up folder, defined once
// for the stub, which shows and uses them, and for sfxpack, which foretells them. No STL.
#pragma once

// The error boxes, captioned "Error", that opening the archive and unpacking a member can show.
// Pointers to literals rather than arrays: the texts then pack among the stub's other strings
// instead of each taking an aligned object of its own.
inline constexpr const char* BoxSeekError = "File seek error";
inline constexpr const char* BoxCannotRead = "Cannot read file";
inline constexpr const char* BoxUnknownMethod = "Self extracting header requires Quillmoor 97";
inline constexpr const char* BoxZlibError = "Zlib error";
// Writing a member's file, and the buffers a member passes through, which can fail too.
inline constexpr const char* BoxCannotWrite = "Cannot write file";
inline constexpr const char* BoxNoMemory = "Out of memory";

// The folder the stub unpacks into. A fixed-size text, so that the stub can keep a writable copy
// of it made at compile time (it cuts the path for a moment while it makes the folders).
struct SetupFolderText {
    char path[10];
};
inline constexpr SetupFolderText SetupFolderPath = {"c:\\_setup"};

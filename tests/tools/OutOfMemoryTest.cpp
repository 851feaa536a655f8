// Out of memory: a whole sfxpack command line run in-process with the heap made to refuse any
// block from a given size on; the tool must end with its documented exit 2.
#include <gtest/gtest.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include "cli/Commands.h"
#include "PackTestSupport.h"

static size_t refuseFrom = SIZE_MAX;

void* operator new(size_t size) {
    if (size >= refuseFrom) throw std::bad_alloc();
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }

TEST(OutOfMemory, ACommandThatRunsOutExitsWithTwo) {
    // A small installer whose deflated member unpacks to 4 MiB: verify asks for the 4 MiB block.
    sfx::Bytes zeros(4u << 20, 0);
    sfx::Bytes file = sfx::BuildInstaller(PeStub(0x300), {"a", "a", {}, {}, ""},
                                          {{"a", sfx::DeflateMember(zeros), sfx::Deflated}});
    std::string path = (std::filesystem::temp_directory_path() / "sfxpack-oom-test.exe").string();
    std::ofstream(path, std::ios::binary).write((const char*)file.data(), (std::streamsize)file.size());
    EXPECT_EQ(sfx::RunSfxpack({"verify", path}), 0);
    refuseFrom = 1u << 20;
    int code = sfx::RunSfxpack({"verify", path});
    refuseFrom = SIZE_MAX;
    std::filesystem::remove(path);
    EXPECT_EQ(code, 2);
}
